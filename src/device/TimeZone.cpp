// SPDX-License-Identifier: GPL-3.0-or-later
#include "device/TimeZone.h"

#include "link/MessageKeys.h"

#include <cstdio>

namespace tk {

std::string zoneLabel(std::uint8_t zoneCode) {
    if (zoneCode == 0)
        return "(Not set time zone)";
    const int hours = zoneCode - kZoneCodeUtc;
    char text[32];
    std::snprintf(text, sizeof text, hours >= 0 ? "(UTC+%02d:00)" : "(UTC%02d:00)", hours);
    return text;
}

std::uint8_t zoneCodeFromOffsetMinutes(int offsetMinutes) {
    const int bias = -offsetMinutes; // minutes to add to local time to get UTC
    const int hours = bias / 60;
    return static_cast<std::uint8_t>(kZoneCodeUtc - hours);
}

std::uint8_t zoneCodeFromOffsetSeconds(int offsetSeconds) {
    return zoneCodeFromOffsetMinutes(offsetSeconds / 60);
}

ZoneSyncResult syncTimeZone(LoggerConnector& connector, int standardOffsetSeconds) {
    ZoneSyncResult result;
    BytePort* port = connector.connectLogger();
    if (port == nullptr) {
        result.messageKey = keys::kGetUartFailed;
        return result;
    }
    result.found = true;
    result.zoneCode = zoneCodeFromOffsetSeconds(standardOffsetSeconds);
    port->writeByte(result.zoneCode);
    result.echoed = port->readByte() == result.zoneCode;
    port->close();
    if (!result.echoed) {
        result.messageKey = keys::kConfigTimeZoneFailed;
        return result;
    }
    result.settings = readSettings(connector);
    result.messageKey = keys::kConfigSuccessful;
    return result;
}

} // namespace tk
