#include "forms/FileVersion.h"

#include "forms/BuildInfo.h"

#include <QFile>
#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kMarkerSize = 16;
constexpr std::size_t kBlockSize = kMarkerSize + 12;
constexpr std::uint32_t kCheckSalt = 0x4F52564Eu;

struct Block {
    char marker[kMarkerSize];
    unsigned char words[12];
};

constexpr std::uint32_t kMS = (ORVANTA_VERSION_MAJOR << 16) | ORVANTA_VERSION_MINOR;
constexpr std::uint32_t kLS = (ORVANTA_VERSION_PATCH << 16) | ORVANTA_VERSION_TWEAK;
constexpr std::uint32_t kCheck = ~(kMS ^ kLS ^ kCheckSalt);

#define ORVANTA_LE32(v)                                                                            \
    static_cast<unsigned char>((v)&0xFF), static_cast<unsigned char>(((v) >> 8) & 0xFF),           \
        static_cast<unsigned char>(((v) >> 16) & 0xFF),                                            \
        static_cast<unsigned char>(((v) >> 24) & 0xFF)

// The one copy of the marker in the program: the reader searches for these
// very bytes, so no second literal of it exists.
[[gnu::used]] const Block kEmbedded = {
    {'\x7f', 'O', 'R', 'V', 'A', 'N', 'T', 'A', '-', 'V', 'E', 'R', 'S', 'I', 'O', 'N'},
    {ORVANTA_LE32(kMS), ORVANTA_LE32(kLS), ORVANTA_LE32(kCheck)},
};

std::uint32_t Le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return std::uint32_t(u[0]) | std::uint32_t(u[1]) << 8 | std::uint32_t(u[2]) << 16 |
           std::uint32_t(u[3]) << 24;
}

void PutLe32(QByteArray& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
}

QString Pair(std::uint32_t word) {
    return QStringLiteral("%1.%2").arg(word >> 16).arg(word & 0xFFFF);
}

} // namespace

const void* EmbeddedVersionBlock() {
    return &kEmbedded;
}

QByteArray VersionBlockBytes(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS) {
    QByteArray out(kEmbedded.marker, kMarkerSize);
    PutLe32(out, fileVersionMS);
    PutLe32(out, fileVersionLS);
    PutLe32(out, ~(fileVersionMS ^ fileVersionLS ^ kCheckSalt));
    return out;
}

bool ReadFileVersion(const QString& path, QString& version, QString& build) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // Scan in chunks that overlap by one block less a byte, so a block that
    // straddles two reads is still seen whole.
    constexpr qint64 kChunk = 1 << 20;
    const char* marker = kEmbedded.marker;
    QByteArray window;
    while (true) {
        const QByteArray more = file.read(kChunk);
        if (more.isEmpty() && window.size() < static_cast<qsizetype>(kBlockSize))
            return false;
        window.append(more);
        const char* begin = window.constData();
        const char* end = begin + window.size();
        for (const char* p = begin;; ++p) {
            p = std::search(p, end, marker, marker + kMarkerSize);
            if (p == end || end - p < static_cast<std::ptrdiff_t>(kBlockSize))
                break;
            const std::uint32_t ms = Le32(p + kMarkerSize);
            const std::uint32_t ls = Le32(p + kMarkerSize + 4);
            if (Le32(p + kMarkerSize + 8) == ~(ms ^ ls ^ kCheckSalt)) {
                version = Pair(ms);
                build = Pair(ls);
                return true;
            }
        }
        if (more.isEmpty())
            return false;
        const qsizetype keep = std::min<qsizetype>(window.size(), kBlockSize - 1);
        window = window.right(keep);
    }
}
