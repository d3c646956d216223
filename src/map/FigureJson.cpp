// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/FigureJson.h"

#include "map/TextAppend.h"
#include "tracks/CivilTime.h"

#include <array>
#include <charconv>
#include <cmath>
#include <utility>

namespace tk {

std::string utcTimeText(std::int64_t seconds) {
    const CivilTime t = civilTime(seconds);
    std::string s;
    text::appendInt(s, t.year);
    s += '-';
    text::appendTwoDigits(s, static_cast<std::uint32_t>(t.month));
    s += '-';
    text::appendTwoDigits(s, static_cast<std::uint32_t>(t.day));
    s += 'T';
    text::appendClock(s, t.hour * 10000 + t.minute * 100 + t.second);
    s += 'Z';
    return s;
}

void appendJsonString(std::string& out, std::string_view textIn) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (const char c : textIn) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value))
        value = 0.0;
    if (value == 0.0)
        value = 0.0; // no "-0"
    char buffer[32];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

void appendFigureMembers(std::string& out, const TripFigures& f) {
    out += "\"start\": ";
    appendJsonString(out, utcTimeText(f.start));
    out += ", \"end\": ";
    appendJsonString(out, utcTimeText(f.end));
    const std::array<std::pair<const char*, double>, 13> numbers{{
        {"duration", static_cast<double>(f.duration)},
        {"length", f.length},
        {"movingTime", static_cast<double>(f.movingTime)},
        {"averageSpeed", f.averageSpeed},
        {"movingSpeed", f.movingSpeed},
        {"maxSpeed", f.maxSpeed},
        {"ascent", f.ascent},
        {"descent", f.descent},
        {"ascentRaw", f.ascentRaw},
        {"descentRaw", f.descentRaw},
        {"minAltitude", f.minAltitude},
        {"maxAltitude", f.maxAltitude},
        {"fixes", static_cast<double>(f.fixes)},
    }};
    for (const auto& [name, value] : numbers) {
        out += ", \"";
        out += name;
        out += "\": ";
        appendJsonNumber(out, value);
    }
    out += ", \"splits\": [";
    for (std::size_t i = 0; i < f.splits.size(); ++i) {
        if (i > 0)
            out += ", ";
        appendJsonNumber(out, f.splits[i]);
    }
    out += ']';
}

} // namespace tk
