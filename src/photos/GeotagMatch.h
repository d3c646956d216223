// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace tk::photos {

// One accepted fix at its UTC time, in plain units.
struct Fix {
    double utc = 0;        // seconds since the epoch
    double latitude = 0;   // degrees
    double longitude = 0;  // degrees
    double altitude = 0;   // metres
    double speed = 0;      // km/h, decoded
    bool standing = false; // the device recorded it standing still (tk::standing)
};

// The fixes of one track, in time order; number is its row as `trailkeep-cli tracks` lists it.
struct FixTrack {
    int number = 0;
    std::vector<Fix> fixes;
};

// The tracks with points of the table, or only the one numbered onlyNumber (1-based) when given.
std::vector<FixTrack> fixTracks(const TrackTable& table, std::optional<int> onlyNumber = {});

struct Position {
    double latitude = 0;
    double longitude = 0;
    double altitude = 0; // metres, negative below sea level
    double speed = 0;    // km/h
};

struct MatchLimits {
    double maxGap = 300;       // longest time between two fixes that is interpolated, seconds
    double maxExtrapolate = 0; // how far outside the tracks the nearest fix is still taken
};

enum class Placement {
    interpolated, // between two fixes of a track (or on one)
    extrapolated, // outside the tracks, the nearest fix within maxExtrapolate
    gap,          // inside a track, between fixes further apart than maxGap
    outside,      // before, after or between the tracks
};

struct TrackMatch {
    Placement placement = Placement::outside;
    int track = 0;             // the track's number; 0 for outside
    Position position;         // for interpolated and extrapolated
    double gapSeconds = 0;     // gap: the gap's length
    double nearestSeconds = 0; // outside and extrapolated: signed time from the nearest fix
};

// Where the tracks were at that UTC time. Interpolation is linear in time between two
// consecutive fixes of one track, never across tracks; a time equal to a fix's takes that fix.
TrackMatch matchTime(std::span<const FixTrack> tracks, double utc, const MatchLimits& limits);

// The clock correction added to a camera time (seconds, positive when the camera was behind):
// a constant, or interpolated linearly along the camera time between sync points and held
// constant outside them.
class ClockCorrection {
public:
    ClockCorrection() = default;
    explicit ClockCorrection(double constant) : constant_(constant) {}
    // Points of (camera time as UTC, offset); sorted here. Two points at the same camera time
    // must agree.
    static ClockCorrection fromSyncPoints(std::vector<std::pair<double, double>> points);

    double offsetAt(double cameraUtc) const;
    const std::vector<std::pair<double, double>>& syncPoints() const { return points_; }
    double constant() const { return constant_; }

private:
    double constant_ = 0;
    std::vector<std::pair<double, double>> points_;
};

} // namespace tk::photos
