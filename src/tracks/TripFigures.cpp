// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/TripFigures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tk {
namespace {

constexpr double kEarthRadiusMetres = 6378137.0;
constexpr double kRadiansPerDegree = std::numbers::pi / 180.0;

// The divisions of the figures: 0 where there is nothing to divide by.
double ratio(double numerator, double divisor) {
    return divisor > 0.0 ? numerator / divisor : 0.0;
}

// Climbs and drops of at least a threshold, measured from the last altitude that counted. Works
// in whole decimetres, the logger's own unit, so a rise of exactly the threshold counts.
class ClimbCounter {
public:
    ClimbCounter(std::int32_t first, double thresholdDecimetres)
        : reference_(first), threshold_(thresholdDecimetres) {}

    void add(std::int32_t altitude) {
        const std::int64_t change = std::int64_t{altitude} - reference_;
        if (static_cast<double>(change) >= threshold_) {
            ascent_ += change;
            reference_ = altitude;
        } else if (static_cast<double>(-change) >= threshold_) {
            descent_ -= change;
            reference_ = altitude;
        }
    }
    double ascentMetres() const { return static_cast<double>(ascent_) / 10.0; }
    double descentMetres() const { return static_cast<double>(descent_) / 10.0; }

private:
    std::int32_t reference_;
    double threshold_;
    std::int64_t ascent_ = 0;
    std::int64_t descent_ = 0;
};

// The time, from the start, at which the cumulative length first reaches each multiple of step.
class SplitFinder {
public:
    SplitFinder(double step, std::vector<double>& out) : step_(step), out_(out) {}

    void segment(double lengthBefore, double lengthAfter, double secondsBefore,
                 double secondsAfter) {
        if (!(step_ > 0.0))
            return;
        while (next() <= lengthAfter) {
            const double part = (next() - lengthBefore) / (lengthAfter - lengthBefore);
            out_.push_back(secondsBefore + (secondsAfter - secondsBefore) * part);
        }
    }

private:
    double next() const { return step_ * static_cast<double>(out_.size() + 1); }

    double step_;
    std::vector<double>& out_;
};

} // namespace

double greatCircleMetres(double latitude1, double longitude1, double latitude2, double longitude2) {
    const double lat1 = latitude1 * kRadiansPerDegree;
    const double lat2 = latitude2 * kRadiansPerDegree;
    const double sinLat = std::sin((lat2 - lat1) / 2.0);
    const double sinLon = std::sin((longitude2 - longitude1) * kRadiansPerDegree / 2.0);
    const double h = sinLat * sinLat + std::cos(lat1) * std::cos(lat2) * sinLon * sinLon;
    return 2.0 * kEarthRadiusMetres * std::asin(std::sqrt(std::clamp(h, 0.0, 1.0)));
}

TripFigures tripFigures(std::span<const TrackPoint> points, const FigureSettings& settings,
                        double splitMetres) {
    TripFigures f;
    f.fixes = points.size();
    if (points.empty())
        return f;
    const TrackPoint& first = points.front();
    f.start = first.utcSeconds;
    f.end = points.back().utcSeconds;
    f.duration = f.end - f.start;
    ClimbCounter climbs(first.altitude, settings.climbThresholdM * 10.0);
    ClimbCounter raw(first.altitude, 0.0);
    SplitFinder splits(splitMetres, f.splits);
    std::uint32_t peakSpeed = first.speed;
    std::int32_t lowest = first.altitude;
    std::int32_t highest = first.altitude;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const TrackPoint& a = points[i - 1];
        const TrackPoint& b = points[i];
        // A new segment of a file's track follows a pause or a lost fix: no travel across it.
        if (!b.segmentStart) {
            const double before = f.length;
            f.length += greatCircleMetres(a.latitude, a.longitude, b.latitude, b.longitude);
            splits.segment(before, f.length, static_cast<double>(a.utcSeconds - f.start),
                           static_cast<double>(b.utcSeconds - f.start));
            if (!standing(b, settings.movingSpeedKmh))
                f.movingTime += b.utcSeconds - a.utcSeconds;
        }
        climbs.add(b.altitude);
        raw.add(b.altitude);
        peakSpeed = std::max(peakSpeed, b.speed);
        lowest = std::min(lowest, b.altitude);
        highest = std::max(highest, b.altitude);
    }
    // m/s to km/h is a factor of 3.6.
    f.averageSpeed = ratio(f.length * 3.6, static_cast<double>(f.duration));
    f.movingSpeed = ratio(f.length * 3.6, static_cast<double>(f.movingTime));
    f.maxSpeed = peakSpeed / 1000.0;
    f.ascent = climbs.ascentMetres();
    f.descent = climbs.descentMetres();
    f.ascentRaw = raw.ascentMetres();
    f.descentRaw = raw.descentMetres();
    f.minAltitude = lowest / 10.0;
    f.maxAltitude = highest / 10.0;
    return f;
}

} // namespace tk
