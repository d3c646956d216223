// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/FigureTexts.h"

#include "map/TextAppend.h"

#include <cmath>

namespace tk {
namespace {

constexpr double kKilometresPerMile = 1.609344;
constexpr double kMetresPerFoot = 0.3048;

// Up to the given decimals, without trailing zeros: 1.8, 5, 16.4.
std::string shortNumber(double value, int decimals) {
    std::string s;
    text::appendFixed(s, value, decimals);
    if (s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::string withUnit(double value, int decimals, const char* unit) {
    std::string s;
    // Rounding may leave "-0" for a value just below zero.
    text::appendFixed(s, value, decimals);
    if (s.find_first_not_of("-0.") == std::string::npos && s[0] == '-')
        s.erase(0, 1);
    return s + ' ' + unit;
}

std::string pair(const std::string& first, const std::string& second) {
    return first + " / " + second;
}

} // namespace

std::string hoursText(std::int64_t seconds) {
    std::string s;
    if (seconds < 0) {
        s += '-';
        seconds = -seconds;
    }
    text::appendInt(s, seconds / 3600);
    s += ':';
    text::appendTwoDigits(s, static_cast<std::uint32_t>(seconds / 60 % 60));
    s += ':';
    text::appendTwoDigits(s, static_cast<std::uint32_t>(seconds % 60));
    return s;
}

FigureTexts figureTexts(const TripFigures& f, bool imperial) {
    const double speedFactor = imperial ? 1.0 / kKilometresPerMile : 1.0;
    const double heightFactor = imperial ? 1.0 / kMetresPerFoot : 1.0;
    const char* speed = imperial ? "mph" : "km/h";
    const char* height = imperial ? "ft" : "m";
    FigureTexts t;
    t.length = withUnit(f.length / (imperial ? kMetresPerMile : kMetresPerKilometre), 2,
                        imperial ? "mi" : "km");
    t.movingTime = hoursText(f.movingTime);
    t.duration = hoursText(f.duration);
    t.averageSpeed = withUnit(f.averageSpeed * speedFactor, 1, speed);
    t.movingSpeed = withUnit(f.movingSpeed * speedFactor, 1, speed);
    t.climb = pair(withUnit(f.ascent * heightFactor, 0, height),
                   withUnit(f.descent * heightFactor, 0, height));
    t.altitudes = pair(withUnit(f.minAltitude * heightFactor, 0, height),
                       withUnit(f.maxAltitude * heightFactor, 0, height));
    return t;
}

std::string movingSpeedText(const FigureSettings& s, bool imperial) {
    return imperial ? shortNumber(s.movingSpeedKmh / kKilometresPerMile, 1) + " mph"
                    : shortNumber(s.movingSpeedKmh, 2) + " km/h";
}

std::string climbThresholdText(const FigureSettings& s, bool imperial) {
    return imperial ? shortNumber(s.climbThresholdM / kMetresPerFoot, 1) + " ft"
                    : shortNumber(s.climbThresholdM, 2) + " m";
}

double splitMetres(bool imperial) {
    return imperial ? kMetresPerMile : kMetresPerKilometre;
}

const char* splitUnit(bool imperial) {
    return imperial ? "mi" : "km";
}

} // namespace tk
