#pragma once
// The program's file version (1.1.0.103 from the build) lives in a small
// fixed block inside the executable, which ReadFileVersion finds in any file
// by its marker and checksum, the way a version resource is read from a file
// on other platforms.
//
// Block layout, 28 bytes: a 16-byte marker, then three little-endian 32-bit
// words: FileVersionMS (major << 16 | minor), FileVersionLS (patch << 16 |
// build) and a check word that makes a stray copy of the marker harmless.
#include <QByteArray>
#include <QString>
#include <cstdint>

// The block for the given words, as it is embedded in the executable.
QByteArray VersionBlockBytes(std::uint32_t fileVersionMS, std::uint32_t fileVersionLS);

// Reads the first valid block in the file at `path`. On success `version`
// is "major.minor" and `build` "patch.build" (each "%d.%d"); a file that
// cannot be read or holds no valid block leaves both untouched and returns
// false.
bool ReadFileVersion(const QString& path, QString& version, QString& build);

// Keeps the program's own block in the executable; call it from code that
// is always linked.
const void* EmbeddedVersionBlock();
