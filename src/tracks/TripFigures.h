// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <cstdint>
#include <span>
#include <vector>

namespace tk {

// The two thresholds the figures depend on; the user sets both.
struct FigureSettings {
    double movingSpeedKmh = kMovingSpeedKmh; // a fix recorded at this speed or faster moves
    double climbThresholdM = 5.0;            // rises and falls smaller than this are altitude noise
};

// A track's trip figures, by the definitions of the README ("Trip figures"). Lengths and
// altitudes in metres, speeds in km/h, times in seconds; every value finite.
struct TripFigures {
    std::size_t fixes = 0;
    std::int64_t start = 0; // UTC seconds since the epoch of the first fix
    std::int64_t end = 0;   // ... of the last fix
    std::int64_t duration = 0;
    double length = 0.0;
    std::int64_t movingTime = 0;
    double averageSpeed = 0.0;
    double movingSpeed = 0.0;
    double maxSpeed = 0.0;
    double ascent = 0.0;
    double descent = 0.0;
    double ascentRaw = 0.0;
    double descentRaw = 0.0;
    double minAltitude = 0.0;
    double maxAltitude = 0.0;
    // Seconds from the start at which the length reaches each whole split distance.
    std::vector<double> splits;
};

constexpr double kMetresPerKilometre = 1000.0;
constexpr double kMetresPerMile = 1609.344;

// Great-circle distance in metres (haversine, R = 6,378,137 m).
double greatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2);

// The figures of the fixes in order; splits every splitMetres of length (kilometres by default).
TripFigures tripFigures(std::span<const TrackPoint> points, const FigureSettings& settings,
                        double splitMetres = kMetresPerKilometre);

} // namespace tk
