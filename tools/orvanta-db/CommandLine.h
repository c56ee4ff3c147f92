// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small pieces every command of the tool shares: the usage error and the
// walk over "--name VALUE" / "--name=VALUE" options.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvanta::dbtool {

// Exit codes: scripts tell a refused command line from a failed run.
inline constexpr int ExitSuccess = 0;
inline constexpr int ExitFailure = 1;
inline constexpr int ExitUsage = 2;

// A command line the tool does not accept; shown with the command's usage.
class UsageError : public std::runtime_error {
public:
    explicit UsageError(const std::string& message) : std::runtime_error(message) {}
};

class ArgumentWalker {
public:
    explicit ArgumentWalker(const std::vector<std::string>& args) : args_(args) {}

    bool Done() const { return index_ >= args_.size(); }
    const std::string& Current() const { return args_[index_]; }
    void Skip() { ++index_; }

    // True when the current argument is `name` or `name=...`; `value` then
    // holds the option's value, taken from the next argument if needed.
    bool TakeValue(const std::string& name, std::string& value);
    // True (and moves on) when the current argument is the flag `name`.
    bool TakeFlag(const std::string& name);

private:
    const std::vector<std::string>& args_;
    std::size_t index_ = 0;
};

bool IsOption(const std::string& arg);

} // namespace orvanta::dbtool
