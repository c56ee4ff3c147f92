// SPDX-License-Identifier: GPL-3.0-or-later
#include "CommandLine.h"

namespace orvanta::dbtool {

bool ArgumentWalker::TakeValue(const std::string& name, std::string& value) {
    const std::string& arg = Current();
    if (arg == name) {
        if (index_ + 1 >= args_.size()) {
            throw UsageError("option " + name + " needs a value");
        }
        value = args_[index_ + 1];
        index_ += 2;
        return true;
    }
    if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
        arg[name.size()] == '=') {
        value = arg.substr(name.size() + 1);
        ++index_;
        return true;
    }
    return false;
}

bool ArgumentWalker::TakeFlag(const std::string& name) {
    if (Current() == name) {
        ++index_;
        return true;
    }
    return false;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

} // namespace orvanta::dbtool
