// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/CivilTime.h"

namespace tk {
namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Days from 1970-01-01 to the given proleptic Gregorian date (month 1..12).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

} // namespace

std::int64_t utcSeconds(int year, int month, int day, int hour, int minute, int second) {
    const std::int64_t monthIndex = static_cast<std::int64_t>(month) - 1;
    const std::int64_t y = year + floorDiv(monthIndex, 12);
    const int m = static_cast<int>(monthIndex - floorDiv(monthIndex, 12) * 12) + 1;
    const std::int64_t days = daysFromCivil(y, m, 1) + day - 1;
    return days * 86400 + hour * 3600LL + minute * 60LL + second;
}

CivilTime civilTime(std::int64_t seconds) {
    const std::int64_t days = floorDiv(seconds, 86400);
    const std::int64_t secs = seconds - days * 86400;
    const std::int64_t z = days + 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    CivilTime t;
    t.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    t.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    t.year = static_cast<int>(yoe + era * 400 + (t.month <= 2));
    t.hour = static_cast<int>(secs / 3600);
    t.minute = static_cast<int>(secs % 3600 / 60);
    t.second = static_cast<int>(secs % 60);
    return t;
}

} // namespace tk
