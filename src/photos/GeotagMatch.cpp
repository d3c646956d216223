// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/GeotagMatch.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tk::photos {
namespace {

double lerp(double a, double b, double f) {
    return a + (b - a) * f;
}

// Longitudes interpolated the short way round, across the antimeridian when that is shorter.
double lerpLongitude(double a, double b, double f) {
    double d = b - a;
    if (d > 180)
        d -= 360;
    else if (d < -180)
        d += 360;
    double v = a + d * f;
    if (v > 180)
        v -= 360;
    else if (v < -180)
        v += 360;
    return v;
}

Position positionOf(const Fix& fix) {
    return {fix.latitude, fix.longitude, fix.altitude, fix.speed};
}

Position between(const Fix& a, const Fix& b, double utc) {
    const double f = (utc - a.utc) / (b.utc - a.utc);
    return {lerp(a.latitude, b.latitude, f), lerpLongitude(a.longitude, b.longitude, f),
            lerp(a.altitude, b.altitude, f), lerp(a.speed, b.speed, f)};
}

} // namespace

std::vector<FixTrack> fixTracks(const TrackTable& table, std::optional<int> onlyNumber) {
    std::vector<FixTrack> result;
    for (int i = 0; i <= table.lastTrack; ++i) {
        const Track& track = table.tracks[static_cast<std::size_t>(i)];
        if (track.points.empty() || (onlyNumber && *onlyNumber != i + 1))
            continue;
        FixTrack fixes;
        fixes.number = i + 1;
        fixes.fixes.reserve(track.points.size());
        for (const TrackPoint& p : track.points)
            fixes.fixes.push_back({static_cast<double>(p.utcSeconds) + p.utcMillis / 1000.0,
                                   p.latitude, p.longitude, p.altitude / 10.0, p.speed / 1000.0,
                                   standing(p)});
        // The decoder only accepts increasing times; keep the order certain all the same.
        std::stable_sort(fixes.fixes.begin(), fixes.fixes.end(),
                         [](const Fix& a, const Fix& b) { return a.utc < b.utc; });
        result.push_back(std::move(fixes));
    }
    return result;
}

TrackMatch matchTime(std::span<const FixTrack> tracks, double utc, const MatchLimits& limits) {
    std::optional<TrackMatch> gap;
    const FixTrack* nearestTrack = nullptr;
    const Fix* nearest = nullptr;
    double nearestDistance = std::numeric_limits<double>::infinity();
    for (const FixTrack& track : tracks) {
        const std::vector<Fix>& fixes = track.fixes;
        if (fixes.empty())
            continue;
        const auto after = std::lower_bound(fixes.begin(), fixes.end(), utc,
                                            [](const Fix& f, double t) { return f.utc < t; });
        if (after != fixes.end() && after->utc == utc)
            return {Placement::interpolated, track.number, positionOf(*after), 0, 0};
        if (after != fixes.begin() && after != fixes.end()) {
            const Fix& a = *(after - 1);
            const Fix& b = *after;
            if (b.utc - a.utc <= limits.maxGap)
                return {Placement::interpolated, track.number, between(a, b, utc), 0, 0};
            if (!gap)
                gap = TrackMatch{Placement::gap, track.number, {}, b.utc - a.utc, 0};
            continue;
        }
        const Fix& edge = after == fixes.begin() ? fixes.front() : fixes.back();
        const double distance = std::abs(edge.utc - utc);
        if (distance < nearestDistance) {
            nearestDistance = distance;
            nearest = &edge;
            nearestTrack = &track;
        }
    }
    if (gap)
        return *gap;
    if (nearest && nearestDistance <= limits.maxExtrapolate)
        return {Placement::extrapolated, nearestTrack->number, positionOf(*nearest), 0,
                utc - nearest->utc};
    TrackMatch outside;
    outside.nearestSeconds = nearest ? utc - nearest->utc : 0;
    return outside;
}

ClockCorrection ClockCorrection::fromSyncPoints(std::vector<std::pair<double, double>> points) {
    ClockCorrection c;
    std::sort(points.begin(), points.end());
    c.points_ = std::move(points);
    if (!c.points_.empty())
        c.constant_ = c.points_.front().second;
    return c;
}

double ClockCorrection::offsetAt(double cameraUtc) const {
    if (points_.empty())
        return constant_;
    if (cameraUtc <= points_.front().first)
        return points_.front().second;
    if (cameraUtc >= points_.back().first)
        return points_.back().second;
    const auto after =
        std::upper_bound(points_.begin(), points_.end(), cameraUtc,
                         [](double t, const std::pair<double, double>& p) { return t < p.first; });
    const auto& a = *(after - 1);
    const auto& b = *after;
    if (b.first == a.first)
        return b.second;
    return lerp(a.second, b.second, (cameraUtc - a.first) / (b.first - a.first));
}

} // namespace tk::photos
