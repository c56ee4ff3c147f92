// SPDX-License-Identifier: GPL-3.0-or-later
#include "validation/EConvertError.h"

EConvertError::EConvertError(const std::string& message) : std::runtime_error(message) {}

EConvertError EConvertError::NotAnInteger(std::string_view text) {
    std::string message = "'";
    message.append(text);
    message.append("' is not a valid integer value");
    return EConvertError(message);
}
