// SPDX-License-Identifier: GPL-3.0-or-later
// The figures the page shows: the rows of data.js mapped back to fixes, the texts in the track's
// units, and a stretch's figures by the engine.
#include "map/StretchFigures.h"
#include "map/FigureTexts.h"
#include "map/MapDataScript.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace tk {
namespace {

// A walk whose fixes now and then stand still in latitude or longitude, so data.js leaves
// some out.
Track walk() {
    Track t;
    t.name = "walk";
    for (int i = 0; i < 200; ++i) {
        TrackPoint p;
        p.utcSeconds = 1'780'000'000 + 5 * i;
        p.timeOfDay = 80000 + i;
        p.latitude = 45.0 + (i % 7 == 3 ? (i - 1) : i) * 0.0001;
        p.longitude = 7.0 + (i % 11 == 5 ? (i - 1) : i) * 0.0001;
        p.speed = 5000;
        p.recordedSpeed = p.speed;
        p.altitude = 1000 + (i % 20) * 10;
        t.points.push_back(p);
    }
    return t;
}

TEST(StretchFigures, RowPointsAreTheFixesOfDataJsRows) {
    const Track t = walk();
    const std::vector<std::size_t> rows = mapDataRowPoints(t.points);
    const std::string script = mapDataScript(t, TrackStyle{});
    const std::string locations = script.substr(script.find("locations = ["));
    const std::regex row(R"(\[(-?\d+\.\d+), (-?\d+\.\d+),)");
    std::vector<std::string> latitudes;
    for (auto it = std::sregex_iterator(locations.begin(), locations.end(), row);
         it != std::sregex_iterator(); ++it)
        latitudes.push_back((*it)[1]);
    ASSERT_EQ(rows.size(), latitudes.size());
    ASSERT_LT(rows.size(), t.points.size() + 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", t.points[rows[r]].latitude);
        EXPECT_EQ(latitudes[r], text) << r;
    }
    EXPECT_EQ(rows.back(), t.points.size() - 1);
    EXPECT_TRUE(mapDataRowPoints({}).empty());
}

TEST(StretchFigures, AStretchIsTheEnginesFiguresOfItsRowsFixesInTheTracksUnits) {
    Track t = walk();
    const ShownTrack shown = shownTrack(t, {1.8, 5.0});
    const std::size_t from = shown.rowPoints[10], to = shown.rowPoints[40];
    const TripFigures f = tripFigures(std::span(t.points).subspan(from, to - from + 1), {1.8, 5.0});
    const std::string json = stretchFiguresJson(shown, 40, 10);
    EXPECT_EQ(json.rfind("{\"first\": 10, \"last\": 40, \"texts\": {\"length\": \"" +
                             figureTexts(f, false).length + "\"",
                         0),
              0u)
        << json;
    EXPECT_NE(json.find("\"movingSpeed\": \"1.8 km/h\", \"climbThreshold\": \"5 m\", "
                        "\"splitUnit\": \"km\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"duration\": " + std::to_string(f.duration) + ","), std::string::npos);

    t.unitFlag = 1;
    const std::string miles = stretchFiguresJson(shownTrack(t, {}), -5, 1'000'000);
    EXPECT_EQ(
        miles.rfind("{\"first\": 0, \"last\": " + std::to_string(shown.rowPoints.size() - 1), 0),
        0u);
    EXPECT_NE(miles.find("\"splitUnit\": \"mi\""), std::string::npos);
    EXPECT_NE(miles.find(" mi\""), std::string::npos);
    EXPECT_EQ(stretchFiguresJson(ShownTrack{}, 0, 3), "{}");
}

TEST(StretchFigures, TextsInEitherUnitsWithoutMinusZero) {
    TripFigures f;
    f.length = 12345.0;
    f.movingTime = 3723;
    f.duration = 90061;
    f.averageSpeed = 9.25;
    f.movingSpeed = 16.09344;
    f.ascent = 304.8;
    f.descent = 0.2;
    f.minAltitude = -0.3;
    f.maxAltitude = 1000.0;
    const FigureTexts metric = figureTexts(f, false);
    EXPECT_EQ(metric.length, "12.35 km");
    EXPECT_EQ(metric.movingTime, "1:02:03");
    EXPECT_EQ(metric.duration, "25:01:01");
    EXPECT_EQ(metric.averageSpeed, "9.2 km/h");
    EXPECT_EQ(metric.movingSpeed, "16.1 km/h");
    EXPECT_EQ(metric.climb, "305 m / 0 m");
    EXPECT_EQ(metric.altitudes, "0 m / 1000 m");
    const FigureTexts imperial = figureTexts(f, true);
    EXPECT_EQ(imperial.length, "7.67 mi");
    EXPECT_EQ(imperial.movingSpeed, "10.0 mph");
    EXPECT_EQ(imperial.climb, "1000 ft / 1 ft");
    EXPECT_EQ(imperial.altitudes, "-1 ft / 3281 ft");
    EXPECT_EQ(movingSpeedText({1.8, 5.0}, false), "1.8 km/h");
    EXPECT_EQ(climbThresholdText({1.8, 5.0}, true), "16.4 ft");
    EXPECT_EQ(climbThresholdText({1.8, 0.0}, false), "0 m");
}

} // namespace
} // namespace tk
