// SPDX-License-Identifier: GPL-3.0-or-later
// The all-tracks view's thinning and its JSON.
#include "map/TrackOverview.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace tk {
namespace {

TrackPoint at(double latitude, double longitude) {
    TrackPoint p;
    p.latitude = latitude;
    p.longitude = longitude;
    return p;
}

// Distance of p from the polyline through the kept points, on the plane thinnedPoints uses.
double offsetFromKept(const std::vector<TrackPoint>& points, const std::vector<std::size_t>& kept,
                      std::size_t i) {
    const double xs = std::cos(points[0].latitude * M_PI / 180.0);
    double best = INFINITY;
    for (std::size_t k = 1; k < kept.size(); ++k) {
        const TrackPoint& a = points[kept[k - 1]];
        const TrackPoint& b = points[kept[k]];
        const double dx = (b.longitude - a.longitude) * xs, dy = b.latitude - a.latitude;
        const double px = (points[i].longitude - a.longitude) * xs,
                     py = points[i].latitude - a.latitude;
        const double l2 = dx * dx + dy * dy;
        const double t = l2 > 0 ? std::clamp((px * dx + py * dy) / l2, 0.0, 1.0) : 0.0;
        best = std::min(best, std::hypot(px - t * dx, py - t * dy));
    }
    return best;
}

TEST(TrackOverview, ThinningDropsPointsOnTheLineAndKeepsCornersBeyondTheTolerance) {
    std::vector<TrackPoint> lShape;
    for (int i = 0; i <= 10; ++i)
        lShape.push_back(at(45.0, 7.0 + i * 0.001));
    for (int i = 1; i <= 10; ++i)
        lShape.push_back(at(45.0 + i * 0.001, 7.01));
    EXPECT_EQ(thinnedPoints(lShape, 0.0001), (std::vector<std::size_t>{0, 10, 20}));
    // A bump smaller than the tolerance goes, a larger one stays.
    lShape[5].latitude += 0.00005;
    EXPECT_EQ(thinnedPoints(lShape, 0.0001).size(), 3u);
    // Raised by 0.00025, it pulls its neighbours' chords 0.0002 off them: they stay too.
    lShape[5].latitude += 0.0002;
    EXPECT_EQ(thinnedPoints(lShape, 0.0001), (std::vector<std::size_t>{0, 4, 5, 6, 10, 20}));
    EXPECT_EQ(thinnedPoints(std::span(lShape).first(2), 1.0).size(), 2u);
    EXPECT_TRUE(thinnedPoints({}, 1.0).empty());
}

TEST(TrackOverview, NoPointLeftOutLiesFartherThanTheToleranceOnAWanderingTrack) {
    std::mt19937 random(7);
    std::normal_distribution<double> step(0.0, 0.0002);
    std::vector<TrackPoint> walk{at(-33.9, 151.2)};
    for (int i = 0; i < 5000; ++i)
        walk.push_back(
            at(walk.back().latitude + step(random), walk.back().longitude + step(random)));
    const double tolerance = 0.0003;
    const std::vector<std::size_t> kept = thinnedPoints(walk, tolerance);
    EXPECT_LT(kept.size(), walk.size() / 2);
    EXPECT_EQ(kept.front(), 0u);
    EXPECT_EQ(kept.back(), walk.size() - 1);
    for (std::size_t i = 0; i < walk.size(); ++i)
        ASSERT_LE(offsetFromKept(walk, kept, i), tolerance * (1 + 1e-9)) << i;
}

TEST(TrackOverview, JsonHasEveryTrackWithItsStyleBoundsAndThinnedPoints) {
    Track a;
    a.name = "walk \"one\"";
    for (int i = 0; i <= 100; ++i)
        a.points.push_back(at(10.0 + i * 0.01, 20.0));
    Track b;
    b.points = {at(11.5, 19.25), at(11.0, 21.5)};
    Track empty;
    const OverviewTrack tracks[] = {
        {0, &a, 0x00336699, 3}, {4, &b, 0x000000FF, 2}, {5, &empty, 0, 2}};
    EXPECT_EQ(
        trackViewJson(tracks, 4),
        "{\"selected\": 4, \"tracks\": [\n"
        "{\"track\": 0, \"name\": \"walk \\\"one\\\"\", \"color\": \"#996633\", \"weight\": 3, "
        "\"bounds\": [10.000000, 20.000000, 11.000000, 20.000000], "
        "\"points\": [10.000000,20.000000,11.000000,20.000000]},\n"
        "{\"track\": 4, \"name\": \"\", \"color\": \"#ff0000\", \"weight\": 2, "
        "\"bounds\": [11.000000, 19.250000, 11.500000, 21.500000], "
        "\"points\": [11.500000,19.250000,11.000000,21.500000]}]}");
    EXPECT_EQ(trackViewJson({}, -1), "{\"selected\": -1, \"tracks\": []}");
}

} // namespace
} // namespace tk
