// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's file version (1.1.0.103 from the build) lives in a small
// fixed block inside the executable (validation/VersionBlock.h), which
// ReadFileVersion finds in any file, the way a version resource is read from
// a file on other platforms.
#include <QString>

// Reads the first valid block in the file at `path`. On success `version`
// is "major.minor" and `build` "patch.build" (each "%d.%d"); a file that
// cannot be read or holds no valid block leaves both untouched and returns
// false.
bool ReadFileVersion(const QString& path, QString& version, QString& build);

// Keeps the program's own block in the executable; call it from code that
// is always linked.
const void* EmbeddedVersionBlock();
