// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace tk {

struct CivilTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Seconds since the epoch of a UTC date and time. Fields out of range roll over as timegm
// rolls them: month 0 is December of the year before, day 0 the last day of the month before.
std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second);

// The UTC date and time of seconds since the epoch (gmtime without the C library's state).
CivilTime civilTime(std::int64_t seconds);

} // namespace tk
