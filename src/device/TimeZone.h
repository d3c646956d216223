// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "device/LoggerSettings.h"
#include "link/BytePort.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

inline constexpr std::uint8_t kZoneCodeUtc = 180; // the code is 180 + whole hours east of UTC

// The label the configuration shows for a zone code: "(UTC+08:00)", "(UTC-5:00)", or
// "(Not set time zone)" for code 0.
std::string zoneLabel(std::uint8_t zoneCode);

// The zone code for a standard-time offset east of UTC; part hours are cut toward UTC, so
// +5:30 gives 185 and -3:30 gives 177. Daylight saving is never part of the offset.
std::uint8_t zoneCodeFromOffsetMinutes(int offsetMinutes);
std::uint8_t zoneCodeFromOffsetSeconds(int offsetSeconds);

struct ZoneSyncResult {
    bool found = false;
    bool echoed = false;
    std::uint8_t zoneCode = 0; // the code sent
    LoggerSettings settings;   // read again after a successful change
    std::string_view messageKey;
};

// Sends the zone code for the offset and checks the echo; on success reads the settings again,
// so the caller can show the logger's new zone.
ZoneSyncResult syncTimeZone(LoggerConnector& connector, int standardOffsetSeconds);

} // namespace tk
