// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What kind of file the user handed over, told by its first bytes rather
// than its name: a capture saved as "trace.txt" is still a capture.

#include <cstddef>
#include <string>

namespace orvanta::capture {

enum class FileKind {
    Text,    // anything not recognised: read for addresses as text
    Capture, // a pcap (either byte order, either time resolution) or pcapng file
};

// A file that cannot be read, and anything but a regular file (a pipe, a
// device), is Text: reading it as text reports why or reads it.
FileKind FileKindOf(const std::string& path);

// The same for a file's first bytes (at least 4 of them to be a capture).
FileKind FileKindOfStart(const unsigned char* start, std::size_t length);

} // namespace orvanta::capture
