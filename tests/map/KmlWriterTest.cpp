// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/KmlWriter.h"

#include "map/Gpsbabel.h"
#include "tracks/FileNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tk {
namespace {

const std::string kTrackBlock = "\r\n<name>2013-10-23 08:00:00</name>\r\n<open>1</open>";

Track trackOf(std::vector<TrackPoint> points, std::uint8_t stepSeconds = 1) {
    Track t;
    t.name = "2013-10-23 08:00:00";
    t.stepSeconds = stepSeconds;
    t.points = std::move(points);
    return t;
}

TrackPoint point(std::int32_t timeOfDay, std::uint32_t speed, std::int32_t altitude,
                 double latitude, double longitude) {
    return {timeOfDay, speed, altitude, latitude, longitude, 0};
}

std::string placemark(const std::string& name, int visibility, const std::string& coordinates) {
    return "\r\n<Placemark>\r\n     <name>" + name + "</name>\r\n     <visibility>" +
           std::to_string(visibility) +
           "</visibility><styleUrl>#roadStyle</styleUrl>\r\n     <Point>\r\n          "
           "<coordinates>" +
           coordinates + "</coordinates>\r\n     </Point>\r\n</Placemark>\r\n";
}

std::vector<int> visibilities(const std::string& kml) {
    std::vector<int> out;
    const std::string tag = "<visibility>";
    for (auto pos = kml.find(tag); pos != std::string::npos; pos = kml.find(tag, pos + 1))
        out.push_back(kml[pos + tag.size()] - '0');
    return out;
}

TEST(KmlWriter, HeaderAndTrailerHaveTheirFixedLayout) {
    ASSERT_EQ(kKmlHeader.size(), 374u);
    ASSERT_EQ(kKmlTrailer.size(), 46u);
    std::vector<std::size_t> lengths;
    std::size_t start = 0;
    for (std::size_t end; (end = kKmlHeader.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lengths.push_back(end - start);
    lengths.push_back(kKmlHeader.size() - start);
    EXPECT_EQ(lengths,
              (std::vector<std::size_t>{97, 15, 23, 41, 27, 15, 28, 22, 16, 13, 13, 26, 14}));
    EXPECT_NE(kKmlHeader.find("<kml xmlns=\"http://earth.google.com/kml/2.2\">"),
              std::string::npos);
    EXPECT_EQ(kKmlTrailer, "\r\n</Folder> \t\t\t   \r\n</Document> \t\t\t   \r\n</kml>");
}

TEST(KmlWriter, WorkedPlacemarkByteForByte) {
    const Track t = trackOf({point(93005, 45999, 123, 22.5, 114.25)}, 5);
    const std::string expected =
        std::string(kKmlHeader) + kTrackBlock +
        "\r\n<Placemark>\r\n     <name>09:30:05   45KM/H</name>\r\n     <visibility>0</visibility>"
        "<styleUrl>#roadStyle</styleUrl>\r\n     <Point>\r\n          <coordinates>"
        "114.250000,22.500000,12</coordinates>\r\n     </Point>\r\n</Placemark>\r\n" +
        std::string(kKmlTrailer);
    EXPECT_EQ(trackKml(t), expected);
}

TEST(KmlWriter, TrackWithoutPointsIsHeaderNameAndTrailer) {
    EXPECT_EQ(trackKml(trackOf({})),
              std::string(kKmlHeader) + kTrackBlock + std::string(kKmlTrailer));
}

TEST(KmlWriter, FieldConversionsTruncateAndIgnoreImperial) {
    Track t = trackOf({point(0, 999, -15, -33.865, -151.2), point(235959, 1000, -5, 1.0, 2.0),
                       point(120000, 0, 1234, 0.0, 0.0)},
                      0);
    t.unitFlag = 1;
    const std::string expected = std::string(kKmlHeader) + kTrackBlock +
                                 placemark("00:00:00   0KM/H", 0, "-151.200000,-33.865000,-1") +
                                 placemark("23:59:59   1KM/H", 0, "2.000000,1.000000,0") +
                                 placemark("12:00:00   0KM/H", 0, "0.000000,0.000000,123") +
                                 std::string(kKmlTrailer);
    EXPECT_EQ(trackKml(t), expected);
}

TEST(KmlWriter, AboutOnePlacemarkPer20SecondsIsVisible) {
    const std::vector<TrackPoint> fifteen(15, point(0, 0, 0, 1.0, 1.0));
    std::vector<int> expected(15, 0);
    expected[6] = expected[13] = 1; // points 7 and 14 at a step of 3 s
    EXPECT_EQ(visibilities(trackKml(trackOf(fifteen, 3))), expected);
    expected.assign(15, 0);
    expected[3] = expected[7] = expected[11] = 1;
    EXPECT_EQ(visibilities(trackKml(trackOf(fifteen, 5))), expected);
    EXPECT_EQ(visibilities(trackKml(trackOf(fifteen, 20))), std::vector<int>(15, 1));
    EXPECT_EQ(visibilities(trackKml(trackOf(fifteen, 0))), std::vector<int>(15, 0));
    const std::vector<int> oneSecond =
        visibilities(trackKml(trackOf(std::vector<TrackPoint>(40, fifteen[0]), 1)));
    EXPECT_EQ(oneSecond[19] + oneSecond[39], 2);
    EXPECT_EQ(std::count(oneSecond.begin(), oneSecond.end(), 1), 2);
}

TEST(KmlWriter, NameIsEscapedForXml) {
    Track t = trackOf({});
    t.name = "A&B <C>";
    EXPECT_NE(trackKml(t).find("\r\n<name>A&amp;B &lt;C&gt;</name>\r\n<open>1</open>"),
              std::string::npos);
}

TEST(KmlWriter, GpsbabelReadsEveryPlacemark) {
    if (!test::haveGpsbabel())
        GTEST_SKIP() << "gpsbabel is not installed";
    std::vector<TrackPoint> points;
    for (int i = 0; i < 50; ++i)
        points.push_back(point(80000 + i, 36000, 150 + i, -33.8 - i * 1e-4, 151.2 + i * 1e-4));
    const test::ScratchDir dir;
    bool ok = false;
    const auto rows =
        test::toUnicsv(dir, dir.write("track.kml", trackKml(trackOf(points, 3))), "-i kml", ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(rows.size(), points.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(std::stod(rows[i].at("Latitude")), points[i].latitude, 1e-6);
        EXPECT_NEAR(std::stod(rows[i].at("Longitude")), points[i].longitude, 1e-6);
    }
    EXPECT_EQ(rows[0].at("Name"), "08:00:00   36KM/H");
}

TEST(KmlFileName, ExtensionIsAppendedUnlessExactlyPresent) {
    EXPECT_EQ(withExtension("C:\\tracks\\ride", ".kml"), "C:\\tracks\\ride.kml");
    EXPECT_EQ(withExtension("ride.kml", ".kml"), "ride.kml");
    EXPECT_EQ(withExtension("ride.KML", ".kml"), "ride.KML.kml");
    EXPECT_EQ(withExtension("ride.kmlx", ".kml"), "ride.kmlx.kml");
    EXPECT_EQ(withExtension("kml", ".kml"), "kml.kml");
    EXPECT_EQ(withExtension("", ".gpl"), ".gpl");
    EXPECT_EQ(withExtension("/home/me/logs.gpl", ".gpl"), "/home/me/logs.gpl");
}

} // namespace
} // namespace tk
