// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/TripFigures.h"

#include <cstdint>
#include <string>

namespace tk {

// The trip figures as the panel and the page show them, in the track's own units: km, km/h and m,
// or (imperial) mi, mph and ft. Locale-free: the decimal mark is always a point.
struct FigureTexts {
    std::string length;       // "12.34 km"
    std::string movingTime;   // "1:02:03"
    std::string duration;     // "1:20:00"
    std::string averageSpeed; // "9.3 km/h"
    std::string movingSpeed;  // "11.9 km/h"
    std::string climb;        // ascent / descent: "345 m / 320 m"
    std::string altitudes;    // lowest / highest: "12 m / 456 m"
};

FigureTexts figureTexts(const TripFigures& figures, bool imperial);

// h:mm:ss, hours growing past 24.
std::string hoursText(std::int64_t seconds);

// The two thresholds in the track's units, as the note under the figures names them:
// "1.8 km/h" or "1.1 mph", "5 m" or "16.4 ft".
std::string movingSpeedText(const FigureSettings& settings, bool imperial);
std::string climbThresholdText(const FigureSettings& settings, bool imperial);

// The length of one split in the track's units (a kilometre or a mile) and its unit's name.
double splitMetres(bool imperial);
const char* splitUnit(bool imperial);

} // namespace tk
