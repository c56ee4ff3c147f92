// SPDX-License-Identifier: GPL-3.0-or-later
#include "mmdbimport/MmdbRecordDecoder.h"

#include "mmdbimport/ImportError.h"
#include "mmdbimport/MmdbDatabase.h"

#include <cmath>
#include <initializer_list>
#include <maxminddb.h>
#include <optional>

namespace orvanta::mmdbimport {

const char* ShapeName(RecordShape shape) {
    return shape == RecordShape::Flat ? "flat" : "nested";
}

namespace {

const char* TypeName(std::uint32_t type) {
    switch (type) {
    case MMDB_DATA_TYPE_UTF8_STRING:
        return "text";
    case MMDB_DATA_TYPE_DOUBLE:
        return "double";
    case MMDB_DATA_TYPE_FLOAT:
        return "float";
    case MMDB_DATA_TYPE_BYTES:
        return "bytes";
    case MMDB_DATA_TYPE_UINT16:
    case MMDB_DATA_TYPE_UINT32:
    case MMDB_DATA_TYPE_UINT64:
    case MMDB_DATA_TYPE_UINT128:
    case MMDB_DATA_TYPE_INT32:
        return "integer";
    case MMDB_DATA_TYPE_MAP:
        return "map";
    case MMDB_DATA_TYPE_ARRAY:
        return "array";
    case MMDB_DATA_TYPE_BOOLEAN:
        return "boolean";
    default:
        return "unknown type";
    }
}

// Field lookups on one record, with the record's offset for messages.
class Fields {
public:
    Fields(const MmdbDatabase& database, std::uint32_t offset) : database_(database) {
        entry_.mmdb = database.handle();
        entry_.offset = offset;
    }

    // The value at `path`, or nothing when the path does not exist.
    std::optional<MMDB_entry_data_s> Get(std::initializer_list<const char*> path) const {
        const char* parts[8] = {};
        std::size_t n = 0;
        for (const char* part : path)
            parts[n++] = part;
        MMDB_entry_s entry = entry_;
        MMDB_entry_data_s data{};
        const int status = MMDB_aget_value(&entry, &data, parts);
        if (status == MMDB_LOOKUP_PATH_DOES_NOT_MATCH_DATA_ERROR ||
            status == MMDB_INVALID_LOOKUP_PATH_ERROR)
            return std::nullopt;
        if (status != MMDB_SUCCESS)
            throw ImportError("Cannot read the data record at offset " + std::to_string(Offset()) +
                              " of \"" + database_.path() + "\": " + MMDB_strerror(status));
        if (!data.has_data)
            return std::nullopt;
        return data;
    }

    std::uint32_t TypeOf(std::initializer_list<const char*> path) const {
        const auto data = Get(path);
        return data ? data->type : MMDB_DATA_TYPE_END_MARKER;
    }

    std::string Text(std::initializer_list<const char*> path) const {
        const auto data = Get(path);
        if (!data)
            return {};
        if (data->type != MMDB_DATA_TYPE_UTF8_STRING)
            WrongType(path, *data, "text");
        return std::string(data->utf8_string, data->data_size);
    }

    double Number(std::initializer_list<const char*> path) const {
        const auto data = Get(path);
        if (!data)
            return 0;
        double value = 0;
        switch (data->type) {
        case MMDB_DATA_TYPE_DOUBLE:
            value = data->double_value;
            break;
        case MMDB_DATA_TYPE_FLOAT:
            value = data->float_value;
            break;
        case MMDB_DATA_TYPE_UINT16:
            value = data->uint16;
            break;
        case MMDB_DATA_TYPE_UINT32:
            value = data->uint32;
            break;
        case MMDB_DATA_TYPE_INT32:
            value = data->int32;
            break;
        default:
            WrongType(path, *data, "number");
        }
        if (!std::isfinite(value))
            throw ImportError("Field " + PathText(path) + " of the data record at offset " +
                              std::to_string(Offset()) + " of \"" + database_.path() +
                              "\" is not a finite number");
        return value;
    }

    std::uint32_t Unsigned(std::initializer_list<const char*> path) const {
        const auto data = Get(path);
        if (!data)
            return 0;
        if (data->type == MMDB_DATA_TYPE_UINT16)
            return data->uint16;
        if (data->type == MMDB_DATA_TYPE_UINT32)
            return data->uint32;
        WrongType(path, *data, "unsigned integer");
    }

    std::uint32_t Offset() const { return entry_.offset; }

private:
    static std::string PathText(std::initializer_list<const char*> path) {
        std::string text;
        for (const char* part : path) {
            if (!text.empty())
                text += '.';
            text += part;
        }
        return text;
    }

    [[noreturn]] void WrongType(std::initializer_list<const char*> path,
                                const MMDB_entry_data_s& data, const char* expected) const {
        throw ImportError("Field " + PathText(path) + " of the data record at offset " +
                          std::to_string(Offset()) + " of \"" + database_.path() + "\" is a " +
                          TypeName(data.type) + ", expected a " + expected);
    }

    const MmdbDatabase& database_;
    MMDB_entry_s entry_{};
};

bool IsContainer(std::uint32_t type) {
    return type == MMDB_DATA_TYPE_MAP || type == MMDB_DATA_TYPE_ARRAY;
}

std::optional<RecordShape> ShapeOf(const Fields& fields) {
    if (fields.TypeOf({"country_code"}) == MMDB_DATA_TYPE_UTF8_STRING)
        return RecordShape::Flat;
    for (const char* key :
         {"country", "city", "location", "subdivisions", "postal", "registered_country"})
        if (IsContainer(fields.TypeOf({key})))
            return RecordShape::Nested;
    return std::nullopt;
}

} // namespace

MmdbRecordDecoder::MmdbRecordDecoder(const MmdbDatabase& database) : database_(database) {}

RecordShape MmdbRecordDecoder::DetectShape(std::uint32_t dataOffset) const {
    const auto shape = ShapeOf(Fields(database_, dataOffset));
    if (!shape)
        NotOfShape(dataOffset, "flat (country_code, city, ...) or nested (country.iso_code, ...)");
    return *shape;
}

SourceRecord MmdbRecordDecoder::Decode(std::uint32_t dataOffset, RecordShape shape) const {
    return shape == RecordShape::Flat ? DecodeFlat(dataOffset) : DecodeNested(dataOffset);
}

SourceRecord MmdbRecordDecoder::DecodeFlat(std::uint32_t dataOffset) const {
    const Fields fields(database_, dataOffset);
    if (ShapeOf(fields) != RecordShape::Flat)
        NotOfShape(dataOffset, "flat (country_code, state1, city, postcode, latitude, longitude)");
    SourceRecord record;
    record.countryCode = fields.Text({"country_code"});
    record.region = fields.Text({"state1"});
    record.city = fields.Text({"city"});
    record.postalCode = fields.Text({"postcode"});
    record.latitude = fields.Number({"latitude"});
    record.longitude = fields.Number({"longitude"});
    return record;
}

SourceRecord MmdbRecordDecoder::DecodeNested(std::uint32_t dataOffset) const {
    const Fields fields(database_, dataOffset);
    if (ShapeOf(fields) != RecordShape::Nested)
        NotOfShape(dataOffset, "nested (country.iso_code, city.names.en, location.latitude, ...)");
    SourceRecord record;
    record.countryCode = fields.Text({"country", "iso_code"});
    // Vendors that code their subdivisions give the code, which the legacy
    // files stored; DB-IP names them only, in English.
    record.region = fields.Text({"subdivisions", "0", "iso_code"});
    if (record.region.empty())
        record.region = fields.Text({"subdivisions", "0", "names", "en"});
    record.city = fields.Text({"city", "names", "en"});
    record.postalCode = fields.Text({"postal", "code"});
    record.latitude = fields.Number({"location", "latitude"});
    record.longitude = fields.Number({"location", "longitude"});
    record.metroCode = fields.Unsigned({"location", "metro_code"});
    return record;
}

void MmdbRecordDecoder::NotOfShape(std::uint32_t dataOffset, const char* expected) const {
    std::string found;
    for (const auto& key : TopLevelKeys(dataOffset))
        found += (found.empty() ? "" : ", ") + key;
    throw ImportError("The data record at offset " + std::to_string(dataOffset) + " of \"" +
                      database_.path() + "\" is not a city record of the " + expected +
                      " shape; its fields: " + (found.empty() ? "none" : found));
}

std::vector<std::string> MmdbRecordDecoder::TopLevelKeys(std::uint32_t dataOffset) const {
    MMDB_entry_s entry{database_.handle(), dataOffset};
    MMDB_entry_data_list_s* list = nullptr;
    std::vector<std::string> keys;
    if (MMDB_get_entry_data_list(&entry, &list) != MMDB_SUCCESS || list == nullptr) {
        MMDB_free_entry_data_list(list);
        return keys;
    }
    if (list->entry_data.type == MMDB_DATA_TYPE_MAP) {
        // The list is the map flattened in order: walk key, skip its value's
        // whole subtree, next key.
        std::uint32_t pairs = list->entry_data.data_size;
        MMDB_entry_data_list_s* at = list->next;
        for (; pairs > 0 && at != nullptr; --pairs) {
            if (at->entry_data.type == MMDB_DATA_TYPE_UTF8_STRING)
                keys.emplace_back(at->entry_data.utf8_string, at->entry_data.data_size);
            at = at->next;
            std::uint64_t toSkip = 1;
            while (toSkip > 0 && at != nullptr) {
                --toSkip;
                if (at->entry_data.type == MMDB_DATA_TYPE_MAP)
                    toSkip += 2ull * at->entry_data.data_size;
                else if (at->entry_data.type == MMDB_DATA_TYPE_ARRAY)
                    toSkip += at->entry_data.data_size;
                at = at->next;
            }
        }
    }
    MMDB_free_entry_data_list(list);
    return keys;
}

} // namespace orvanta::mmdbimport
