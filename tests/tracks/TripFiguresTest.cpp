// SPDX-License-Identifier: GPL-3.0-or-later
// The trip figures against answers worked out by hand on small made-up tracks.
#include "tracks/TripFigures.h"
#include "support/StopWalk.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tk {
namespace {

// Degrees of latitude for a step of m metres along a meridian: there the great-circle distance
// is the radius times the angle.
double northDegrees(double metres) {
    return metres / 6378137.0 * 180.0 / std::numbers::pi;
}

TrackPoint fix(std::int64_t t, double metresNorth, std::uint32_t speed, std::int32_t altitude) {
    TrackPoint p;
    p.utcSeconds = 1'780'000'000 + t;
    p.latitude = 45.0 + northDegrees(metresNorth);
    p.longitude = 7.0;
    p.speed = speed;
    p.recordedSpeed = p.speed;
    p.altitude = altitude;
    return p;
}

// n fixes one second apart, 10 m apart going north at 36 km/h, at 120.0 m.
std::vector<TrackPoint> straightLine(int n) {
    std::vector<TrackPoint> points;
    for (int i = 0; i < n; ++i)
        points.push_back(fix(i, 10.0 * i, 36000, 1200));
    return points;
}

void expectAllFinite(const TripFigures& f) {
    for (double v : {f.length, f.averageSpeed, f.movingSpeed, f.maxSpeed, f.ascent, f.descent,
                     f.ascentRaw, f.descentRaw, f.minAltitude, f.maxAltitude})
        EXPECT_TRUE(std::isfinite(v));
    for (double v : f.splits)
        EXPECT_TRUE(std::isfinite(v));
}

TEST(TripFigures, StraightLineAtConstantSpeed) {
    const TripFigures f = tripFigures(straightLine(151), {});
    EXPECT_EQ(f.fixes, 151u);
    EXPECT_EQ(f.start, 1'780'000'000);
    EXPECT_EQ(f.end, 1'780'000'150);
    EXPECT_EQ(f.duration, 150);
    EXPECT_NEAR(f.length, 1500.0, 1e-6);
    EXPECT_EQ(f.movingTime, 150);
    EXPECT_NEAR(f.averageSpeed, 36.0, 1e-9);
    EXPECT_NEAR(f.movingSpeed, 36.0, 1e-9);
    EXPECT_DOUBLE_EQ(f.maxSpeed, 36.0);
    EXPECT_EQ(f.ascent, 0.0);
    EXPECT_EQ(f.descentRaw, 0.0);
    EXPECT_DOUBLE_EQ(f.minAltitude, 120.0);
    EXPECT_DOUBLE_EQ(f.maxAltitude, 120.0);
    ASSERT_EQ(f.splits.size(), 1u);
    EXPECT_NEAR(f.splits[0], 100.0, 1e-6);
}

TEST(TripFigures, SplitsOnAConstantSpeedTrackInKilometresAndMiles) {
    // 15 m in the first 2 s, then 10 m every 2 s: fix i lies 10 i + 5 m from the start, so the
    // length reaches D metres (D - 5) / 5 seconds after the start.
    std::vector<TrackPoint> points;
    for (int i = 0; i <= 350; ++i)
        points.push_back(fix(2 * i, 10.0 * i + 5.0 * (i > 0), 18000, 1000));
    const TripFigures km = tripFigures(points, {});
    EXPECT_NEAR(km.length, 3505.0, 1e-6);
    ASSERT_EQ(km.splits.size(), 3u);
    EXPECT_NEAR(km.splits[0], 199.0, 1e-6);
    EXPECT_NEAR(km.splits[1], 399.0, 1e-6);
    EXPECT_NEAR(km.splits[2], 599.0, 1e-6);
    const TripFigures miles = tripFigures(points, {}, kMetresPerMile);
    ASSERT_EQ(miles.splits.size(), 2u);
    EXPECT_NEAR(miles.splits[0], (1609.344 - 5.0) / 5.0, 1e-6);
    EXPECT_NEAR(miles.splits[1], (2 * 1609.344 - 5.0) / 5.0, 1e-6);
}

TEST(TripFigures, TenMinuteStopWithJitterIsNotMovingTime) {
    std::vector<TrackPoint> points;
    double north = 0.0;
    for (int t = 0; t <= 300; t += 10, north += 14.0) // 5 min walking at 5 km/h
        points.push_back(fix(t, north, 5000, 1000));
    for (int t = 310; t <= 900; t += 10) // 10 min standing, the receiver wandering about
        points.push_back(fix(t, north + (t % 30 == 0 ? 3.0 : -2.0), 300 + (t % 7) * 200, 1000));
    for (int t = 910; t <= 1200; t += 10, north += 14.0) // 5 min walking on
        points.push_back(fix(t, north, 5000, 1000));
    const TripFigures f = tripFigures(points, {});
    EXPECT_EQ(f.duration, 1200);
    EXPECT_EQ(f.movingTime, 600);
    EXPECT_DOUBLE_EQ(f.maxSpeed, 5.0);
    // The wandering adds to the length (59 jumps of 5 m and the step off and back on).
    EXPECT_GT(f.length, 61 * 14.0);
    EXPECT_NEAR(f.averageSpeed, f.length / 1200.0 * 3.6, 1e-9);
    EXPECT_NEAR(f.movingSpeed, f.length / 600.0 * 3.6, 1e-9);

    // A moving speed above every recorded speed leaves no moving time, and no division by it.
    const TripFigures still = tripFigures(points, {10.0, 5.0});
    EXPECT_EQ(still.movingTime, 0);
    EXPECT_EQ(still.movingSpeed, 0.0);
}

TEST(TripFigures, MovingSpeedCountsTheFixAtExactlyTheThreshold) {
    std::vector<TrackPoint> points = {fix(0, 0, 0, 0), fix(7, 5, 1800, 0), fix(20, 9, 1799, 0)};
    EXPECT_EQ(tripFigures(points, {}).movingTime, 7);
    EXPECT_EQ(tripFigures(points, {0.0, 5.0}).movingTime, 20);
}

// Climbs and descents smaller than the threshold are altitude noise: a saw-tooth under it climbs
// nothing, over it everything; a tooth of exactly the threshold counts, and a slow creep counts
// from the last counted level.
TEST(TripFigures, SawToothUnderTheThresholdClimbsNothingOverItEverything) {
    struct Case {
        const char* what;
        std::vector<std::int32_t> decimetres;
        double threshold;
        double ascent, descent, ascentRaw, descentRaw, minAltitude, maxAltitude;
    };
    const Case cases[] = {
        {"under", {1000, 1040, 1000, 1040, 1000, 1040}, 5.0, 0, 0, 12, 8, 100, 104},
        {"over", {1000, 1060, 1000, 1060, 1000}, 5.0, 12, 12, 12, 12, 100, 106},
        {"exact", {1000, 1050, 1000}, 5.0, 5, 5, 5, 5, 100, 105},
        {"creep", {1000, 1030, 1060, 1090, 1080}, 5.0, 6, 0, 9, 1, 100, 109},
        {"fine", {1000, 1030, 1060, 1090, 1080}, 2.5, 9, 0, 9, 1, 100, 109},
        {"below sea level", {-300, -420, -350}, 5.0, 7, 12, 7, 12, -42, -30},
    };
    for (const Case& c : cases) {
        std::vector<TrackPoint> points;
        for (std::int32_t a : c.decimetres)
            points.push_back(fix(static_cast<std::int64_t>(points.size()), 0.0, 0, a));
        const TripFigures f = tripFigures(points, {kMovingSpeedKmh, c.threshold});
        EXPECT_DOUBLE_EQ(f.ascent, c.ascent) << c.what;
        EXPECT_DOUBLE_EQ(f.descent, c.descent) << c.what;
        EXPECT_DOUBLE_EQ(f.ascentRaw, c.ascentRaw) << c.what;
        EXPECT_DOUBLE_EQ(f.descentRaw, c.descentRaw) << c.what;
        EXPECT_DOUBLE_EQ(f.minAltitude, c.minAltitude) << c.what;
        EXPECT_DOUBLE_EQ(f.maxAltitude, c.maxAltitude) << c.what;
    }
}

TEST(TripFigures, DegenerateTracksGiveFiniteFiguresWithoutDividingByZero) {
    const TripFigures none = tripFigures({}, {});
    EXPECT_EQ(none.fixes, 0u);
    EXPECT_EQ(none.length, 0.0);
    EXPECT_TRUE(none.splits.empty());

    const std::vector<TrackPoint> one = {fix(0, 0, 50000, -50)};
    const TripFigures single = tripFigures(one, {});
    EXPECT_EQ(single.duration, 0);
    EXPECT_EQ(single.averageSpeed, 0.0);
    EXPECT_DOUBLE_EQ(single.maxSpeed, 50.0);
    EXPECT_DOUBLE_EQ(single.minAltitude, -5.0);
    expectAllFinite(single);

    // Equal times: a distance but no time to cover it in.
    const std::vector<TrackPoint> sameTime = {fix(0, 0, 9000, 0), fix(0, 2500, 9000, 0)};
    const TripFigures jump = tripFigures(sameTime, {});
    EXPECT_NEAR(jump.length, 2500.0, 1e-6);
    EXPECT_EQ(jump.averageSpeed, 0.0);
    EXPECT_EQ(jump.movingSpeed, 0.0);
    ASSERT_EQ(jump.splits.size(), 2u);
    EXPECT_EQ(jump.splits[0], 0.0);
    expectAllFinite(jump);

    // A jump to the other side of the earth that the decoder kept.
    TrackPoint far = fix(60, 0, 0, 0);
    far.latitude = -45.0;
    far.longitude = -173.0;
    const std::vector<TrackPoint> antipode = {fix(0, 0, 0, 0), far};
    const TripFigures across = tripFigures(antipode, {});
    EXPECT_NEAR(across.length, 6378137.0 * std::numbers::pi, 1e-3);
    EXPECT_EQ(across.movingTime, 0);
    expectAllFinite(across);
}

TEST(TripFigures, AStretchIsTheFiguresOfItsOwnFixes) {
    const std::vector<TrackPoint> line = straightLine(301);
    const TripFigures stretch = tripFigures(std::span(line).subspan(100, 151), {});
    EXPECT_EQ(stretch.start, line[100].utcSeconds);
    EXPECT_EQ(stretch.duration, 150);
    EXPECT_NEAR(stretch.length, 1500.0, 1e-6);
    ASSERT_EQ(stretch.splits.size(), 1u);
    EXPECT_NEAR(stretch.splits[0], 100.0, 1e-6);
}

// The logger records speed 0 at a stop, but the decoder pins the stop's coordinates and repeats
// the speed before it: the figures must read the stops from the recorded speeds.
TEST(TripFigures, PinnedStopsOfADecodedWalkAreNotMovingTime) {
    const test::StopWalk walk = test::stopWalk(1'780'000'000, 33);
    const TrackTable table = test::decodeRecords(walk.records);
    const std::vector<TrackPoint>& points = table.tracks.at(0).points;
    ASSERT_EQ(points.size(), walk.fixes.size());

    std::int64_t standingSeconds = 0;
    for (std::size_t i = 1; i < points.size(); ++i) {
        EXPECT_GE(points[i].speed, 4500u) << "every decoded speed is a walking one";
        EXPECT_EQ(standing(points[i]), walk.fixes[i].standing) << i;
        if (walk.fixes[i].standing)
            standingSeconds += points[i].utcSeconds - points[i - 1].utcSeconds;
    }
    const TripFigures f = tripFigures(points, {});
    EXPECT_GT(standingSeconds, f.duration / 5);
    EXPECT_EQ(f.movingTime, f.duration - standingSeconds);
    EXPECT_NEAR(f.movingSpeed, f.length * 3.6 / static_cast<double>(f.movingTime), 1e-9);
}

} // namespace
} // namespace tk
