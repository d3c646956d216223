// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/FileTrackFigures.h"

#include "tracks/TripFigures.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace tk::formats {
namespace {

constexpr std::uint32_t kFastestSpeed = 4'000'000'000u; // metres per hour, a bound, not a limit

double secondsOf(const TrackPoint& p) {
    return static_cast<double>(p.utcSeconds) + p.utcMillis / 1000.0;
}

// Distance over time from the fix before; nothing when no time passed (or times are missing).
std::optional<std::uint32_t> speedFromBefore(const TrackPoint& before, const TrackPoint& p) {
    const double seconds = secondsOf(p) - secondsOf(before);
    if (!(seconds > 0.0))
        return std::nullopt;
    const double metres =
        greatCircleMetres(before.latitude, before.longitude, p.latitude, p.longitude);
    return static_cast<std::uint32_t>(
        std::lround(std::min(metres / seconds * 3600.0, double{kFastestSpeed})));
}

// Speeds the file did not give: from the fix before within the segment, the segment's first
// fix from the one after it, else the last speed found.
void fillSpeeds(std::vector<TrackPoint>& points) {
    std::uint32_t last = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        TrackPoint& p = points[i];
        if (p.speed != kSpeedUnknown) {
            last = p.speed;
            continue;
        }
        const bool first = i == 0 || p.segmentStart;
        std::optional<std::uint32_t> speed;
        if (!first)
            speed = speedFromBefore(points[i - 1], p);
        else if (i + 1 < points.size() && !points[i + 1].segmentStart)
            speed = speedFromBefore(p, points[i + 1]);
        p.speed = speed.value_or(first ? 0 : last);
        last = p.speed;
    }
}

std::int32_t utcTimeOfDay(std::int64_t utcSeconds) {
    const std::int64_t day = ((utcSeconds % 86400) + 86400) % 86400;
    return static_cast<std::int32_t>(day / 3600 * 10000 + day / 60 % 60 * 100 + day % 60);
}

// The usual time between fixes: the median of the whole-second steps, 0 when there are none.
std::uint8_t typicalStep(const std::vector<TrackPoint>& points) {
    std::vector<std::int64_t> steps;
    steps.reserve(points.size());
    for (std::size_t i = 1; i < points.size(); ++i)
        if (!points[i].segmentStart && points[i].utcSeconds > points[i - 1].utcSeconds)
            steps.push_back(points[i].utcSeconds - points[i - 1].utcSeconds);
    if (steps.empty())
        return 0;
    auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return static_cast<std::uint8_t>(std::clamp<std::int64_t>(*middle, 1, 255));
}

} // namespace

void completeFileTrack(Track& track) {
    std::vector<TrackPoint>& points = track.points;
    fillSpeeds(points);
    track.peakSpeed = 0;
    track.peakAltitude = points.empty() ? 0 : points.front().altitude;
    double length = 0.0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        TrackPoint& p = points[i];
        p.timeOfDay = utcTimeOfDay(p.utcSeconds);
        p.recordedSpeed = p.speed; // a file's fixes are never pinned: what it gives is recorded
        track.peakSpeed = std::max(track.peakSpeed, p.speed);
        track.peakAltitude = std::max(track.peakAltitude, p.altitude);
        if (i > 0 && !p.segmentStart)
            length += greatCircleMetres(points[i - 1].latitude, points[i - 1].longitude, p.latitude,
                                        p.longitude);
    }
    track.distance = static_cast<std::int32_t>(std::lround(std::min(length, 2.0e9)));
    track.stepSeconds = typicalStep(points);
}

} // namespace tk::formats
