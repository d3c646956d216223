// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/CivilTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tk::photos {

// A clock's reading without its zone: a camera's DateTimeOriginal with its sub-seconds, or a
// time typed from a photo of a GPS clock.
struct ClockTime {
    CivilTime civil;
    double fraction = 0.0; // 0 <= fraction < 1

    // The reading as if it were UTC, in seconds since the epoch.
    double asUtc() const;
};

// Exif's "YYYY:MM:DD HH:MM:SS" with SubSecTime's digits ("12" is 0.12 s); nothing for an empty
// text, a date of zeros or anything malformed. Sub-seconds that are not digits are ignored.
std::optional<ClockTime> parseExifDateTime(std::string_view dateTime, std::string_view subSeconds);

// A zone offset "+HH:MM" or "-HH:MM" (Exif's OffsetTime, --zone), "Z" for UTC when allowZ, in
// seconds east of UTC; at most 14 hours.
std::optional<int> parseZoneOffset(std::string_view text, bool allowZ = false);
// "+02:00", "-05:30".
std::string zoneOffsetText(int secondsEast);

// "YYYY-MM-DDTHH:MM:SS[.fff]" followed by "Z", "±HH:MM" or nothing (the zone then unknown);
// a space may stand for the T. XMP dates and --sync times.
struct ZonedClockTime {
    ClockTime time;
    std::optional<int> offset; // seconds east of UTC
};
std::optional<ZonedClockTime> parseIsoTime(std::string_view text);

// The computer's offset from UTC (seconds east) at that local date and time, with its
// daylight-saving rule at that date: TZ, else the system's zone.
int systemZoneOffset(const CivilTime& local);

// The camera's zone: --zone ±HH:MM, or automatic (the photo's own OffsetTimeOriginal, else the
// computer's zone at the photo's date).
struct ZoneChoice {
    std::optional<int> fixedOffset;

    // "auto" or "±HH:MM".
    static std::optional<ZoneChoice> parse(std::string_view text);
    // Seconds east of UTC for a photo taken at the local time, with its own offset if it has one.
    int offsetFor(const ClockTime& local, std::optional<int> photoOffset) const;
};

// UTC seconds as ISO 8601: "2024-07-01T10:00:00Z", with ".fff" when the milliseconds are not 0.
std::string isoUtcText(double utcSeconds);
// Seconds as "+12.5"/"-3600"; the shortest text, no exponent.
std::string secondsText(double seconds);

// Whole milliseconds of a UTC time, rounded; dates and clock fields are taken from this so a
// time never shows as second 60.
std::int64_t roundedMilliseconds(double utcSeconds);

} // namespace tk::photos
