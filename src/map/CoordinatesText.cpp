// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/CoordinatesText.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace tk {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A double to a 32-bit integer, truncating; values out of range give INT32_MIN as the
// processor's conversion does, instead of undefined behaviour.
std::int32_t truncate32(double v) {
    if (!(v > -2147483649.0 && v < 2147483648.0))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

struct Sexagesimal {
    std::int32_t degrees, minutes, seconds;
};

Sexagesimal split(double v) {
    return {truncate32(v), truncate32(v * 100) % 100 * 60 / 100,
            truncate32(v * 10000) % 100 * 60 / 100};
}

} // namespace

double parseLikeAtof(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && isBlank(text[at]))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // from_chars accepts no sign of its own after the one taken above.
    if (at < text.size() && (text[at] == '+' || text[at] == '-'))
        return 0.0;
    double value = 0.0;
    const char* first = text.data() + at;
    std::from_chars(first, text.data() + text.size(), value);
    return negative ? -value : value;
}

std::string coordinatesText(std::string_view latitude, std::string_view longitude,
                            std::string_view latitudeLabel, std::string_view longitudeLabel) {
    const Sexagesimal a = split(parseLikeAtof(latitude));
    const Sexagesimal b = split(parseLikeAtof(longitude));
    char numbers[2][48];
    std::snprintf(numbers[0], sizeof numbers[0], "%02d.%02d.%02d", a.degrees, a.minutes, a.seconds);
    std::snprintf(numbers[1], sizeof numbers[1], "%02d.%02d.%02d", b.degrees, b.minutes, b.seconds);
    std::string text(latitudeLabel);
    text += ':';
    text += numbers[0];
    text += ' ';
    text += longitudeLabel;
    text += ':';
    text += numbers[1];
    return text;
}

} // namespace tk
