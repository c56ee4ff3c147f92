// SPDX-License-Identifier: GPL-3.0-or-later
#include "Gunzip.h"

#include <string>
#include <vector>
#include <zlib.h>

namespace orvanta::dbtool {
namespace {

constexpr std::size_t ChunkSize = std::size_t(1) << 18;
// zlib takes at most 4 GiB per call; hand it less.
constexpr std::size_t MaxInputStep = std::size_t(1) << 30;

std::string Size(std::uint64_t bytes) {
    return std::to_string(bytes) + " bytes";
}

// One z_stream, ended on every path.
class Inflater {
public:
    Inflater() {
        // 16 + MAX_WBITS: a gzip wrapper, not zlib's own or raw deflate.
        if (inflateInit2(&stream_, 16 + MAX_WBITS) != Z_OK) {
            throw GunzipError("cannot start unpacking: out of memory");
        }
    }
    ~Inflater() { inflateEnd(&stream_); }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;

    z_stream& stream() { return stream_; }

private:
    z_stream stream_{};
};

} // namespace

bool LooksGzipped(std::string_view bytes) {
    return bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0x1F &&
           static_cast<unsigned char>(bytes[1]) == 0x8B;
}

void Gunzip(std::string_view gz, std::uint64_t maxBytes,
            const std::function<void(const char*, std::size_t)>& sink) {
    if (!LooksGzipped(gz)) {
        throw GunzipError("the data is not gzip-compressed");
    }
    Inflater inflater;
    z_stream& stream = inflater.stream();
    std::vector<unsigned char> out(ChunkSize);
    std::uint64_t total = 0;
    std::size_t offset = 0;
    bool memberEnded = false;
    while (true) {
        if (stream.avail_in == 0 && offset < gz.size()) {
            const std::size_t step = std::min(MaxInputStep, gz.size() - offset);
            stream.next_in =
                reinterpret_cast<Bytef*>(const_cast<char*>(gz.data() + offset)); // zlib's API
            stream.avail_in = static_cast<uInt>(step);
            offset += step;
        }
        stream.next_out = out.data();
        stream.avail_out = static_cast<uInt>(out.size());
        const int status = inflate(&stream, Z_NO_FLUSH);
        const std::size_t produced = out.size() - stream.avail_out;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            throw GunzipError(std::string("the gzip data is damaged (") +
                              (stream.msg ? stream.msg : "zlib error " + std::to_string(status)) +
                              ")");
        }
        total += produced;
        if (total > maxBytes) {
            throw GunzipError("the data unpacks to more than " + Size(maxBytes));
        }
        if (produced > 0) {
            sink(reinterpret_cast<const char*>(out.data()), produced);
        }
        memberEnded = status == Z_STREAM_END;
        const bool inputLeft = stream.avail_in > 0 || offset < gz.size();
        if (memberEnded) {
            if (!inputLeft) {
                return;
            }
            // Another member follows (concatenated gzip files).
            if (inflateReset(&stream) != Z_OK) {
                throw GunzipError("cannot unpack the next gzip member");
            }
            continue;
        }
        if (status == Z_BUF_ERROR || (produced == 0 && !inputLeft)) {
            throw GunzipError("the gzip data ends early (the download is incomplete)");
        }
    }
}

} // namespace orvanta::dbtool
