// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/PhotoTime.h"

#include <cmath>
#include <cstdio>
#include <ctime>

namespace tk::photos {
namespace {

// Reads exactly count digits at pos; -1 when they are not all digits.
int digitsAt(std::string_view text, std::size_t pos, std::size_t count) {
    if (pos + count > text.size())
        return -1;
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

bool validCivil(const CivilTime& c) {
    return c.year >= 1900 && c.year <= 9999 && c.month >= 1 && c.month <= 12 && c.day >= 1 &&
           c.day <= daysInMonth(c.year, c.month) && c.hour >= 0 && c.hour <= 23 && c.minute >= 0 &&
           c.minute <= 59 && c.second >= 0 && c.second <= 59;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\0'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0'))
        text.remove_suffix(1);
    return text;
}

// "YYYY?MM?DD?HH:MM:SS" with the given separators; fills civil.
bool parseFields(std::string_view text, char dateSeparator, CivilTime& civil) {
    if (text.size() < 19 || text[4] != dateSeparator || text[7] != dateSeparator ||
        (text[10] != ' ' && text[10] != 'T') || text[13] != ':' || text[16] != ':')
        return false;
    civil.year = digitsAt(text, 0, 4);
    civil.month = digitsAt(text, 5, 2);
    civil.day = digitsAt(text, 8, 2);
    civil.hour = digitsAt(text, 11, 2);
    civil.minute = digitsAt(text, 14, 2);
    civil.second = digitsAt(text, 17, 2);
    return validCivil(civil);
}

} // namespace

double ClockTime::asUtc() const {
    return static_cast<double>(utcSeconds(civil.year, civil.month, civil.day, civil.hour,
                                          civil.minute, civil.second)) +
           fraction;
}

std::optional<ClockTime> parseExifDateTime(std::string_view dateTime, std::string_view subSeconds) {
    dateTime = trimmed(dateTime);
    ClockTime t;
    if (dateTime.size() != 19 || !parseFields(dateTime, ':', t.civil))
        return std::nullopt;
    subSeconds = trimmed(subSeconds);
    double scale = 0.1;
    for (const char c : subSeconds) {
        if (c < '0' || c > '9') {
            t.fraction = 0.0;
            break;
        }
        t.fraction += (c - '0') * scale;
        scale /= 10;
    }
    return t;
}

std::optional<int> parseZoneOffset(std::string_view text, bool allowZ) {
    text = trimmed(text);
    if (allowZ && (text == "Z" || text == "z"))
        return 0;
    if (text.size() != 6 || (text[0] != '+' && text[0] != '-') || text[3] != ':')
        return std::nullopt;
    const int hours = digitsAt(text, 1, 2);
    const int minutes = digitsAt(text, 4, 2);
    if (hours < 0 || minutes < 0 || minutes > 59 || hours * 60 + minutes > 14 * 60)
        return std::nullopt;
    const int seconds = hours * 3600 + minutes * 60;
    return text[0] == '-' ? -seconds : seconds;
}

std::string zoneOffsetText(int secondsEast) {
    const int minutes = std::abs(secondsEast) / 60;
    char text[16];
    std::snprintf(text, sizeof text, "%c%02d:%02d", secondsEast < 0 ? '-' : '+', minutes / 60,
                  minutes % 60);
    return text;
}

std::optional<ZonedClockTime> parseIsoTime(std::string_view text) {
    text = trimmed(text);
    ZonedClockTime result;
    if (!parseFields(text, '-', result.time.civil))
        return std::nullopt;
    std::size_t pos = 19;
    if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
        ++pos;
        double scale = 0.1;
        const std::size_t start = pos;
        for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
            result.time.fraction += (text[pos] - '0') * scale;
            scale /= 10;
        }
        if (pos == start)
            return std::nullopt;
    }
    const std::string_view zone = text.substr(pos);
    if (!zone.empty()) {
        result.offset = parseZoneOffset(zone, true);
        if (!result.offset)
            return std::nullopt;
    }
    return result;
}

int systemZoneOffset(const CivilTime& local) {
    std::tm fields{};
    fields.tm_year = local.year - 1900;
    fields.tm_mon = local.month - 1;
    fields.tm_mday = local.day;
    fields.tm_hour = local.hour;
    fields.tm_min = local.minute;
    fields.tm_sec = local.second;
    fields.tm_isdst = -1; // the rule in force at that date decides
    const std::time_t t = std::mktime(&fields);
    if (t == static_cast<std::time_t>(-1) && fields.tm_year != 69)
        return 0;
    const std::int64_t asUtc =
        utcSeconds(local.year, local.month, local.day, local.hour, local.minute, local.second);
    return static_cast<int>(asUtc - static_cast<std::int64_t>(t));
}

std::optional<ZoneChoice> ZoneChoice::parse(std::string_view text) {
    if (text == "auto")
        return ZoneChoice{};
    const auto offset = parseZoneOffset(text);
    if (!offset)
        return std::nullopt;
    return ZoneChoice{*offset};
}

int ZoneChoice::offsetFor(const ClockTime& local, std::optional<int> photoOffset) const {
    if (fixedOffset)
        return *fixedOffset;
    if (photoOffset)
        return *photoOffset;
    return systemZoneOffset(local.civil);
}

std::int64_t roundedMilliseconds(double utcSeconds) {
    return static_cast<std::int64_t>(std::llround(utcSeconds * 1000.0));
}

std::string isoUtcText(double utcSeconds) {
    const std::int64_t ms = roundedMilliseconds(utcSeconds);
    const std::int64_t seconds = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
    const int millis = static_cast<int>(ms - seconds * 1000);
    const CivilTime c = civilTime(seconds);
    char text[48];
    if (millis == 0)
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
    else
        std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", c.year, c.month,
                      c.day, c.hour, c.minute, c.second, millis);
    return text;
}

std::string secondsText(double seconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%+.3f", seconds);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    if (s == "-0" || s == "+0")
        s = "0";
    return s;
}

} // namespace tk::photos
