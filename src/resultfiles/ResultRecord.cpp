// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultfiles/ResultRecord.h"

namespace orvanta::resultfiles {

std::string LocationLine(const ResultRecord& record) {
    return record.city + ", " + record.region + ", " + record.countryName;
}

std::string OrganisationText(const ResultRecord& record) {
    if (!record.asn)
        return record.organization;
    std::string text = "AS" + std::to_string(*record.asn);
    if (!record.organization.empty())
        text += " " + record.organization;
    return text;
}

} // namespace orvanta::resultfiles
