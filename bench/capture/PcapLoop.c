/* SPDX-License-Identifier: GPL-3.0-or-later */
/* The baseline of the capture benchmark: the least a C program does to go
 * through a capture with libpcap, opening it and counting its packets with
 * pcap_next_ex, nothing else.
 *
 * Usage: pcap_loop FILE */

#include <pcap/pcap.h>
#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: pcap_loop FILE\n");
        return 2;
    }
    char error[PCAP_ERRBUF_SIZE];
    pcap_t* pcap = pcap_open_offline(argv[1], error);
    if (pcap == NULL) {
        fprintf(stderr, "pcap_loop: %s\n", error);
        return 1;
    }
    struct pcap_pkthdr* header;
    const u_char* data;
    unsigned long long packets = 0;
    int result;
    while ((result = pcap_next_ex(pcap, &header, &data)) == 1) {
        ++packets;
    }
    if (result != PCAP_ERROR_BREAK) {
        fprintf(stderr, "pcap_loop: %s\n", pcap_geterr(pcap));
        return 1;
    }
    printf("%llu\n", packets);
    pcap_close(pcap);
    return 0;
}
