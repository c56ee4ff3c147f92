// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The record a reader should give back for a record the writer was handed;
// written databases go into a TempFolder.

#include "TempFolder.h"
#include "geoip/TGeoIPCity.h"
#include "geoipwriter/CityRange.h"

namespace orvanta::geoip::test {

using orvanta::test::ReadFile;
using orvanta::test::TempFolder;

TGeoIPCity Expected(const CityRecordData& record, int edition);

} // namespace orvanta::geoip::test
