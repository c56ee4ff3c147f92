// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a result file whole: `write` fills a temporary file beside the
// target, which is then flushed and renamed into place. A failure on the
// way (a folder that cannot be written, a full disk, `write` throwing)
// leaves an existing file as it was and no temporary file behind.
#include <functional>
#include <ostream>
#include <string>

namespace orvanta::resultfiles {

// Throws ResultFileError "Cannot create file "<path>". <reason>".
void SaveFile(const std::string& path, const std::function<void(std::ostream&)>& write);

} // namespace orvanta::resultfiles
