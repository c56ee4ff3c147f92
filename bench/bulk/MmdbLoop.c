// SPDX-License-Identifier: GPL-3.0-or-later
/* The baseline of the bulk lookup benchmark: what a C program does with
 * libmaxminddb to answer a list of addresses. The database is opened once;
 * each line of standard input is looked up and the fields orvanta-db prints
 * (country code, region, city, postal code, latitude, longitude, and the
 * matched network) are written as one tab-separated line to standard output.
 * Reads the flat record shape of DB-IP's City Lite (country_code, state1,
 * city, postcode, latitude, longitude).
 *
 * Usage: mmdb_loop FILE.mmdb < addresses > lines */

#include <maxminddb.h>
#include <stdio.h>
#include <string.h>

static void print_text(MMDB_entry_s* entry, const char* key) {
    MMDB_entry_data_s data;
    putchar('\t');
    if (MMDB_get_value(entry, &data, key, NULL) == MMDB_SUCCESS && data.has_data &&
        data.type == MMDB_DATA_TYPE_UTF8_STRING)
        fwrite(data.utf8_string, 1, data.data_size, stdout);
}

static void print_number(MMDB_entry_s* entry, const char* key) {
    MMDB_entry_data_s data;
    double value = 0;
    if (MMDB_get_value(entry, &data, key, NULL) == MMDB_SUCCESS && data.has_data) {
        if (data.type == MMDB_DATA_TYPE_FLOAT)
            value = data.float_value;
        else if (data.type == MMDB_DATA_TYPE_DOUBLE)
            value = data.double_value;
    }
    printf("\t%.15g", value);
}

int main(int argc, char** argv) {
    MMDB_s mmdb;
    char line[256];
    if (argc != 2 || MMDB_open(argv[1], MMDB_MODE_MMAP, &mmdb) != MMDB_SUCCESS) {
        fprintf(stderr, "usage: mmdb_loop FILE.mmdb (an MMDB file that opens)\n");
        return 1;
    }
    while (fgets(line, sizeof line, stdin)) {
        int gai_error = 0, mmdb_error = 0;
        MMDB_lookup_result_s result;
        line[strcspn(line, "\r\n")] = '\0';
        result = MMDB_lookup_string(&mmdb, line, &gai_error, &mmdb_error);
        fputs(line, stdout);
        if (gai_error != 0 || mmdb_error != MMDB_SUCCESS) {
            fputs("\tinvalid\n", stdout);
            continue;
        }
        if (!result.found_entry) {
            printf("\tnot found\t%u\n", (unsigned)result.netmask);
            continue;
        }
        print_text(&result.entry, "country_code");
        print_text(&result.entry, "state1");
        print_text(&result.entry, "city");
        print_text(&result.entry, "postcode");
        print_number(&result.entry, "latitude");
        print_number(&result.entry, "longitude");
        printf("\t%u\n", (unsigned)result.netmask);
    }
    MMDB_close(&mmdb);
    return 0;
}
