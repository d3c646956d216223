// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tk {

// One accepted fix of a track.
//
// `speed` is the decoded speed: while the logger stands still the decoder pins the coordinate
// and repeats the last moving fix's speed, so a stop looks like motion at the speed before it.
// Everything drawn or exported (data.js, KML, GPX, the panel's rows, project files) uses it.
// `recordedSpeed` is the speed the device itself recorded for this fix; what a fix's motion
// means (moving time, stops) is read from it, through `standing`.
//
// Readers of track files fill both: with the file's own speed when it has one, else with the
// speed over the segment from the previous point (great-circle distance over the time between
// them, metres per hour; 0 for the first point). Such points are never pinned, so the two
// speeds are equal (formats/FileTrackFigures does this for every file track).
struct TrackPoint {
    std::int32_t timeOfDay = 0; // local hour*10000 + minute*100 + second
    std::uint32_t speed = 0;    // metres per hour, decoded
    std::int32_t altitude = 0;  // decimetres
    double latitude = 0.0;
    double longitude = 0.0;
    std::int64_t utcSeconds = 0; // the fix's own UTC time, seconds since the epoch
    // Tracks read from files: the milliseconds past utcSeconds (devices that record several
    // fixes a second), and whether this fix begins a new segment of its track (the recording
    // was paused or lost its fix). No distance or moving time is counted from the fix before
    // a segment start, and drawings lift the pen there. The logger's fixes leave both at 0.
    std::uint16_t utcMillis = 0;
    bool segmentStart = false;
    std::uint32_t recordedSpeed = 0; // metres per hour, as the device recorded it
};

// Below this recorded speed a fix stands still, by default (the user may choose another).
constexpr double kMovingSpeedKmh = 1.8;

// The one definition of standing still: the device recorded the fix slower than the moving
// speed. The trip figures' moving time and the search for stops both ask this.
inline bool standing(const TrackPoint& point, double movingSpeedKmh = kMovingSpeedKmh) {
    return point.recordedSpeed / 1000.0 < movingSpeedKmh;
}

// Why the decoder dropped fixes of a track; every fix inside a track is counted once.
struct RejectCounts {
    std::uint32_t invalidField = 0;
    std::uint32_t positionJump = 0;
    std::uint32_t altitudeJump = 0;
    std::uint32_t timeNotIncreasing = 0;
    std::uint32_t speedMismatch = 0;

    std::uint32_t total() const {
        return invalidField + positionJump + altitudeJump + timeNotIncreasing + speedMismatch;
    }
};

struct Track {
    std::string name;
    std::uint32_t peakSpeed = 0;   // metres per hour
    std::int32_t distance = 0;     // metres
    std::int32_t peakAltitude = 0; // decimetres
    std::uint8_t stepSeconds = 0;
    std::uint8_t unitFlag = 0; // 1 = mph and feet
    std::int32_t zoneCode = 0; // 180 + hours east of UTC, 0 = none
    std::vector<TrackPoint> points;
    RejectCounts rejects;
    std::string sourceFile; // the track file it was read from; empty for the logger's tracks

    bool imperial() const { return unitFlag == 1; }
};

// The decoded tracks; slots 0..lastTrack are the content, only the last may be empty.
struct TrackTable {
    std::vector<Track> tracks;
    int lastTrack = -1;
    std::uint32_t fixesOutsideTrack = 0;

    int slotCount() const { return lastTrack + 1; }
};

} // namespace tk
