// SPDX-License-Identifier: GPL-3.0-or-later
#include "geoip/TLookupResult.h"

namespace orvanta::geoip {

const char* LookupResultName(TLookupResult result) {
    switch (result) {
    case lrFound:
        return "lrFound";
    case lrNotFound:
        return "lrNotFound";
    case lrInvalidAddress:
        return "lrInvalidAddress";
    case lrNotCityEdition:
        return "lrNotCityEdition";
    }
    return "lrUnknown";
}

} // namespace orvanta::geoip
