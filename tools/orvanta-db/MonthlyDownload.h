// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Fetching DB-IP's monthly file of a kind: this month's, else last month's
// while this month's is not out yet (404), from the default server or the
// mirror the request names, bounded in time and size as the request says.

#include "UpdateProducts.h"

#include <functional>
#include <optional>
#include <string>

namespace orvanta::mmdbimport {
class Progress;
}

namespace orvanta::dbtool {
struct UpdateRequest;
}

namespace orvanta::dbtool::update {

struct DownloadedFile {
    std::string name; // the file name, as SOURCE.txt records it
    std::string bytes;
};

// Asked before each fetch: true when the installed database is already made
// from that file (and the user has been told), which ends the download.
using AlreadyInstalled = std::function<bool(const std::string& name)>;

// The file, or nothing when alreadyInstalled said so. Throws UpdateError
// when neither month is there or the server fails.
std::optional<DownloadedFile> DownloadMonthly(const UpdateRequest& request, const Product& product,
                                              mmdbimport::Progress& progress,
                                              const AlreadyInstalled& alreadyInstalled);

} // namespace orvanta::dbtool::update
