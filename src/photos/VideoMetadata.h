// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagMatch.h"
#include "photos/PhotoTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace tk::photos {

// What geotagging needs of a video, read with MediaInfoLib.
struct VideoMetadata {
    std::string error;  // could not be read: the reason
    std::string format; // "MPEG-4", "MPEG-TS", "AVI"...
    // When it was made: QuickTime and MPEG-4 files keep it in UTC (utc set); a camcorder's
    // MTS or an AVI keeps its clock's reading, in the camera's zone.
    std::optional<ClockTime> time;
    bool utc = false;
    std::optional<Position> position; // where a phone recorded it
};

VideoMetadata readVideoMetadata(const std::string& path);

// A time as MediaInfoLib gives it: "2005-10-28 17:46:46 UTC", "UTC 2005-10-28 17:46:46",
// "2020-01-05T13:19:45+0200", "2020-01-05 13:19:45" (no zone). A time with a zone comes back in
// UTC (utc set).
std::optional<ClockTime> parseVideoTime(std::string_view text, bool& utc);
// An ISO 6709 position: "+48.1000+011.5000+520.000/", "-33.5+151.25/"; nothing when malformed
// or out of range.
std::optional<Position> parseIso6709(std::string_view text);

} // namespace tk::photos
