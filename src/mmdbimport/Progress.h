// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Progress of the phases of an import (reading, building, writing). The
// importer reports through this interface; the tool shows a bar on a
// terminal and nothing otherwise.

#include <cstdint>
#include <string>

namespace orvanta::mmdbimport {

class Progress {
public:
    virtual ~Progress() = default;
    // A new phase with `total` steps (0 when unknown).
    virtual void Start(const std::string& phase, std::uint64_t total) = 0;
    virtual void Advance(std::uint64_t done) = 0;
    virtual void Finish() = 0;
};

// Reports nothing.
class NoProgress final : public Progress {
public:
    void Start(const std::string&, std::uint64_t) override {}
    void Advance(std::uint64_t) override {}
    void Finish() override {}
};

} // namespace orvanta::mmdbimport
