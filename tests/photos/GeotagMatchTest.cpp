// SPDX-License-Identifier: GPL-3.0-or-later
// The matching of a photo's true time to the tracks' fixes, and the clock correction.
#include "photos/GeotagMatch.h"

#include <gtest/gtest.h>

#include <vector>

namespace tk::photos {
namespace {

constexpr double kT0 = 1719828000; // 2024-07-01T10:00:00Z

FixTrack track(int number, std::vector<Fix> fixes) {
    return {number, std::move(fixes)};
}

Fix fix(double t, double lat, double lon, double alt = 0, double speed = 0) {
    return {kT0 + t, lat, lon, alt, speed};
}

class Matching : public ::testing::Test {
protected:
    // Track 1: 0..20 s every 10 s, then a gap of 600 s, then 620..630; track 3 much later.
    std::vector<FixTrack> tracks = {
        track(1, {fix(0, 48.0, 11.0, 500, 10), fix(10, 48.001, 11.002, 510, 20),
                  fix(20, 48.002, 11.004, 520, 30), fix(620, 48.1, 11.1, 600, 0),
                  fix(630, 48.2, 11.2, 610, 0)}),
        track(3, {fix(3600, -33.9, 151.2, -12.5, 5), fix(3605, -33.91, 151.19, -13.5, 7)}),
    };
    MatchLimits limits;
};

TEST_F(Matching, InterpolatesLinearlyInTime) {
    const TrackMatch m = matchTime(tracks, kT0 + 2.5, limits);
    EXPECT_EQ(m.placement, Placement::interpolated);
    EXPECT_EQ(m.track, 1);
    EXPECT_NEAR(m.position.latitude, 48.00025, 1e-12);
    EXPECT_NEAR(m.position.longitude, 11.0005, 1e-12);
    EXPECT_NEAR(m.position.altitude, 502.5, 1e-9);
    EXPECT_NEAR(m.position.speed, 12.5, 1e-9);
}

TEST_F(Matching, SubSecondTimesInterpolate) {
    const TrackMatch m = matchTime(tracks, kT0 + 10.12, limits);
    EXPECT_NEAR(m.position.latitude, 48.001012, 1e-9); // 0.1 mm
}

TEST_F(Matching, ATimeOnAFixTakesThatFix) {
    for (const double t : {0.0, 10.0, 20.0, 630.0}) {
        const TrackMatch m = matchTime(tracks, kT0 + t, limits);
        EXPECT_EQ(m.placement, Placement::interpolated) << t;
        const Fix& f = *std::find_if(tracks[0].fixes.begin(), tracks[0].fixes.end(),
                                     [&](const Fix& x) { return x.utc == kT0 + t; });
        EXPECT_EQ(m.position.latitude, f.latitude);
        EXPECT_EQ(m.position.longitude, f.longitude);
    }
}

TEST_F(Matching, LongerGapsAreNotInterpolated) {
    const TrackMatch m = matchTime(tracks, kT0 + 300, limits);
    EXPECT_EQ(m.placement, Placement::gap);
    EXPECT_EQ(m.track, 1);
    EXPECT_DOUBLE_EQ(m.gapSeconds, 600);
    limits.maxGap = 600;
    EXPECT_EQ(matchTime(tracks, kT0 + 300, limits).placement, Placement::interpolated);
    limits.maxGap = 599.9;
    EXPECT_EQ(matchTime(tracks, kT0 + 300, limits).placement, Placement::gap);
}

TEST_F(Matching, BeforeBetweenAndAfterTheTracksIsOutside) {
    for (const double t : {-1.0, 1000.0, 3606.0}) {
        const TrackMatch m = matchTime(tracks, kT0 + t, limits);
        EXPECT_EQ(m.placement, Placement::outside) << t;
        EXPECT_EQ(m.track, 0);
    }
    EXPECT_DOUBLE_EQ(matchTime(tracks, kT0 - 1, limits).nearestSeconds, -1);
    EXPECT_DOUBLE_EQ(matchTime(tracks, kT0 + 3606, limits).nearestSeconds, 1);
    EXPECT_DOUBLE_EQ(matchTime(tracks, kT0 + 1000, limits).nearestSeconds, 370);
}

TEST_F(Matching, TheNearestFixWithinTheExtrapolationLimitIsTaken) {
    limits.maxExtrapolate = 60;
    const TrackMatch before = matchTime(tracks, kT0 - 30, limits);
    EXPECT_EQ(before.placement, Placement::extrapolated);
    EXPECT_EQ(before.track, 1);
    EXPECT_EQ(before.position.latitude, 48.0);
    const TrackMatch after = matchTime(tracks, kT0 + 3660, limits);
    EXPECT_EQ(after.placement, Placement::extrapolated);
    EXPECT_EQ(after.track, 3);
    EXPECT_EQ(after.position.latitude, -33.91);
    EXPECT_EQ(matchTime(tracks, kT0 + 3666, limits).placement, Placement::outside);
    // Between the tracks the nearer end wins: 630 + 59 is nearer track 1's end.
    EXPECT_EQ(matchTime(tracks, kT0 + 689, limits).track, 1);
}

TEST_F(Matching, NeverInterpolatesFromOneTrackToAnother) {
    std::vector<FixTrack> two = {track(1, {fix(0, 10, 10), fix(10, 10, 10)}),
                                 track(2, {fix(20, 20, 20), fix(30, 20, 20)})};
    limits.maxGap = 1e9;
    EXPECT_EQ(matchTime(two, kT0 + 15, limits).placement, Placement::outside);
}

TEST_F(Matching, SouthernAndWesternHemispheresAndBelowSeaLevel) {
    const TrackMatch m = matchTime(tracks, kT0 + 3602.5, limits);
    EXPECT_EQ(m.track, 3);
    EXPECT_NEAR(m.position.latitude, -33.905, 1e-12);
    EXPECT_NEAR(m.position.longitude, 151.195, 1e-12);
    EXPECT_NEAR(m.position.altitude, -13.0, 1e-12);
    std::vector<FixTrack> west = {track(2, {fix(0, 40.0, -74.0), fix(10, 40.0, -74.1)})};
    EXPECT_NEAR(matchTime(west, kT0 + 5, limits).position.longitude, -74.05, 1e-12);
}

TEST_F(Matching, LongitudesCrossTheAntimeridianTheShortWay) {
    std::vector<FixTrack> pacific = {track(1, {fix(0, -17.0, 179.9), fix(10, -17.0, -179.9)})};
    EXPECT_NEAR(matchTime(pacific, kT0 + 2.5, limits).position.longitude, 179.95, 1e-9);
    EXPECT_NEAR(matchTime(pacific, kT0 + 7.5, limits).position.longitude, -179.95, 1e-9);
}

TEST(ClockCorrectionTest, ConstantOffset) {
    const ClockCorrection c(12.5);
    EXPECT_DOUBLE_EQ(c.offsetAt(0), 12.5);
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0), 12.5);
}

TEST(ClockCorrectionTest, TwoSyncPhotosCorrectDriftAndHoldOutside) {
    // The camera lost 10 s in 1000 s of its own time.
    const auto c = ClockCorrection::fromSyncPoints({{kT0 + 1000, 40}, {kT0, 30}});
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0), 30);
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0 + 250), 32.5);
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0 + 1000), 40);
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0 - 5000), 30);
    EXPECT_DOUBLE_EQ(c.offsetAt(kT0 + 9000), 40);
    const auto one = ClockCorrection::fromSyncPoints({{kT0, -7.25}});
    EXPECT_DOUBLE_EQ(one.offsetAt(kT0 + 1e6), -7.25);
}

TEST(FixTracksTest, TracksFromTheDecodedTableInPlainUnits) {
    TrackTable table;
    table.tracks.resize(3);
    table.lastTrack = 2;
    TrackPoint p;
    p.latitude = 47.5;
    p.longitude = 8.5;
    p.altitude = 4087; // decimetres
    p.speed = 19839;   // metres per hour
    p.utcSeconds = 1000;
    table.tracks[0].points = {p};
    table.tracks[2].points = {p, p};
    table.tracks[2].points[1].utcSeconds = 1005;
    const auto all = fixTracks(table);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].number, 1);
    EXPECT_EQ(all[1].number, 3);
    EXPECT_DOUBLE_EQ(all[0].fixes[0].altitude, 408.7);
    EXPECT_DOUBLE_EQ(all[0].fixes[0].speed, 19.839);
    EXPECT_DOUBLE_EQ(all[1].fixes[1].utc, 1005);
    const auto one = fixTracks(table, 3);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(one[0].number, 3);
    EXPECT_TRUE(fixTracks(table, 2).empty());
}

} // namespace
} // namespace tk::photos
