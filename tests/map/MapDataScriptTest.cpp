// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/MapDataScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tk {
namespace {

Track exampleTrack() {
    Track t;
    t.name = "2013-10-23 08:00:00";
    t.stepSeconds = 5;
    t.peakSpeed = 40000;
    t.distance = 55;
    t.peakAltitude = 152;
    t.points = {{80000, 36000, 150, 22.5, 114.0, 0},
                {80005, 40000, 152, 22.5004, 114.0003, 0},
                {80010, 0, 152, 22.5004, 114.0003, 0}};
    return t;
}

constexpr TrackStyle kRed{0x000000FF, 2, 2}; // red 255

Track pathTrack(std::vector<TrackPoint> points) {
    Track t = exampleTrack();
    t.points = std::move(points);
    return t;
}

TrackPoint at(double latitude, double longitude, std::int32_t timeOfDay = 120000) {
    return {timeOfDay, 0, 0, latitude, longitude, 0};
}

std::vector<std::string> lines(const std::string& script) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t end; (end = script.find("\r\n", start)) != std::string::npos; start = end + 2)
        out.push_back(script.substr(start, end - start));
    EXPECT_EQ(start, script.size()) << "the script must end with CR LF";
    return out;
}

std::string locationsLine(const Track& t) {
    const auto all = lines(mapDataScript(t, kRed));
    return all.size() == 4 ? all[2] : std::string();
}

TEST(MapDataScript, WorkedExampleByteForByte) {
    MapTexts texts;
    const std::string script = mapDataScript(exampleTrack(), kRed, &texts);
    EXPECT_EQ(script,
              "var size = {width:800, Height:600, zoom:13};\r\n"
              "var line = {speed:2, color:\"#ff0000\", weight: 2,refresh: 30};\r\n"
              "var locations = [[22.500000, 114.000000,\"15 M\",\"36 KPH\",\"08:00:00\"],"
              "[22.500400, 114.000300,\"15 M\",\"40 KPH\",\"08:00:05\"],"
              "[22.500400, 114.000300,\"15 M\",\"0 KPH\",\"08:00:10\"]]\r\n"
              "var data = [[\"Name:\",\"2013-10-23 08:00:00\"],[\"Start Time:\",\"08:00:00\"],"
              "[\"End Time:\",\"08:00:10\"],[\"Step Time:\",\"5\"],[\"Peak Speed:\",\"40 KPH\"],"
              "[\"Distance:\",\"55 M\"]];\r\n");
    EXPECT_EQ(texts.name, "2013-10-23 08:00:00");
    EXPECT_EQ(texts.start, "08:00:00");
    EXPECT_EQ(texts.end, "08:00:10");
    EXPECT_EQ(texts.step, "5");
    EXPECT_EQ(texts.speed, "40 KPH");
    EXPECT_EQ(texts.distance, "55 M");
    EXPECT_EQ(texts.altitude, "15 M");
}

TEST(MapDataScript, ImperialTrackUsesFeetAndMph) {
    Track t = pathTrack({{93005, 16090, 305, 1.0, 2.0, 0}});
    t.unitFlag = 1;
    t.peakSpeed = 1608;
    t.distance = 1000;
    t.peakAltitude = 305;
    t.stepSeconds = 10;
    EXPECT_EQ(locationsLine(t), "var locations = [[1.000000, 2.000000,\"100 F\",\"10 MPH\","
                                "\"09:30:05\"],[1.000000, 2.000000,\"100 F\",\"10 MPH\","
                                "\"09:30:05\"]]");
    const MapTexts texts = mapTexts(t);
    EXPECT_EQ(texts.speed, "0 MPH");
    EXPECT_EQ(texts.distance, "3280 F");
    EXPECT_EQ(texts.altitude, "100 F");
    EXPECT_EQ(texts.step, "10");
    EXPECT_NE(
        mapDataScript(t, kRed).find("[\"Peak Speed:\",\"0 MPH\"],[\"Distance:\",\"3280 F\"]]"),
        std::string::npos);
}

TEST(MapDataScript, NegativeAltitudeTruncatesTowardZero) {
    Track t = pathTrack({{0, 999, -15, 1.0, 2.0, 0}});
    t.peakAltitude = -15;
    EXPECT_NE(locationsLine(t).find("\"-1 M\",\"0 KPH\",\"00:00:00\"]"), std::string::npos);
    EXPECT_EQ(mapTexts(t).altitude, "-1 M");
    t.unitFlag = 1;
    EXPECT_NE(locationsLine(t).find("\"-4 F\""), std::string::npos);
    EXPECT_EQ(mapTexts(t).altitude, "-4 F");
}

TEST(MapDataScript, FeetOfDistanceAreFiguredInThirtyTwoBits) {
    Track t = exampleTrack();
    t.unitFlag = 1;
    t.distance = 20'000'000; // beyond 2^32 once multiplied by 328: wraps as the logger's tools do
    EXPECT_EQ(mapTexts(t).distance, "22650327 F");
}

TEST(MapDataScript, ColourIsWrittenRedGreenBlue) {
    Track t = exampleTrack();
    // blue 0x33, green 0x66, red 0x99
    EXPECT_EQ(lines(mapDataScript(t, {0x00336699, 7, 4}))[1],
              "var line = {speed:4, color:\"#996633\", weight: 7,refresh: 30};");
}

TEST(MapDataScript, ThinningNeedsMovementInBothCoordinates) {
    const std::string line = locationsLine(pathTrack({
        at(22.5, 114.0, 1), at(22.50002, 114.000005, 2), // east by less than the threshold: skipped
        at(22.50004, 114.0, 3),                          // along the meridian: skipped
        at(22.50002, 114.00002, 4),                      // both: written
        at(22.50002, 114.00010, 5), // along the parallel: skipped, but closes the array
    }));
    EXPECT_EQ(line, "var locations = [[22.500000, 114.000000,\"0 M\",\"0 KPH\",\"00:00:01\"],"
                    "[22.500020, 114.000020,\"0 M\",\"0 KPH\",\"00:00:04\"],"
                    "[22.500020, 114.000100,\"0 M\",\"0 KPH\",\"00:00:05\"]]");
}

TEST(MapDataScript, PointAtOriginLeavesNextPointUnconditional) {
    const std::string line = locationsLine(pathTrack({at(0.0, 0.0), at(0.0, 0.000001)}));
    EXPECT_EQ(line, "var locations = [[0.000000, 0.000000,\"0 M\",\"0 KPH\",\"12:00:00\"],"
                    "[0.000000, 0.000001,\"0 M\",\"0 KPH\",\"12:00:00\"],"
                    "[0.000000, 0.000001,\"0 M\",\"0 KPH\",\"12:00:00\"]]");
}

TEST(MapDataScript, OnePointGivesTwoRows) {
    EXPECT_EQ(locationsLine(pathTrack({at(-33.865, -151.2)})),
              "var locations = [[-33.865000, -151.200000,\"0 M\",\"0 KPH\",\"12:00:00\"],"
              "[-33.865000, -151.200000,\"0 M\",\"0 KPH\",\"12:00:00\"]]");
}

TEST(MapDataScript, TrackWithoutPointsGivesNoScriptButTexts) {
    Track t = exampleTrack();
    t.points.clear();
    MapTexts texts;
    EXPECT_EQ(mapDataScript(t, kRed, &texts), "");
    EXPECT_EQ(texts.name, t.name);
    EXPECT_EQ(texts.start, "");
    EXPECT_EQ(texts.end, "");
    EXPECT_EQ(texts.speed, "40 KPH");
}

TEST(MapDataScript, NameCannotBreakOutOfItsString) {
    Track t = exampleTrack();
    t.name = "a\"b\\c\nd";
    EXPECT_NE(mapDataScript(t, kRed).find("[\"Name:\",\"a\\\"b\\\\c\\x0ad\"]"), std::string::npos);
    EXPECT_EQ(mapTexts(t).name, t.name);
}

} // namespace
} // namespace tk
