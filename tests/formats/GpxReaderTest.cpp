// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/GpxReader.h"
#include "formats/XmlTime.h"
#include "tracks/TripFigures.h"

#include <gtest/gtest.h>

#include <cmath>

namespace tk::formats {
namespace {

std::string gpx11(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<gpx version=\"1.1\" creator=\"test\" xmlns=\"http://www.topografix.com/GPX/1/1\" "
           "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\">\n" +
           body + "</gpx>\n";
}

std::string point(double lat, double lon, const std::string& inner) {
    return "<trkpt lat=\"" + std::to_string(lat) + "\" lon=\"" + std::to_string(lon) + "\">" +
           inner + "</trkpt>\n";
}

GpxContent read(const std::string& document) {
    std::string error;
    GpxContent content = readGpx(document, error);
    EXPECT_EQ(error, "");
    return content;
}

// Reading the document fails with an error that names `part`.
::testing::AssertionResult failsNaming(const std::string& document, const std::string& part) {
    std::string error;
    readGpx(document, error);
    if (error.empty() || error.find(part) == std::string::npos)
        return ::testing::AssertionFailure() << "the error is '" << error << "'";
    return ::testing::AssertionSuccess();
}

TEST(XmlTime, ReadsZonesAndFractions) {
    const auto utc = parseXmlTime("2026-06-11T09:30:05Z");
    ASSERT_TRUE(utc);
    EXPECT_EQ(utc->seconds, 1781170205);
    EXPECT_EQ(utc->millis, 0);
    const auto east = parseXmlTime(" 2026-06-11T12:30:05.250+03:00\n");
    ASSERT_TRUE(east);
    EXPECT_EQ(east->seconds, utc->seconds);
    EXPECT_EQ(east->millis, 250);
    EXPECT_EQ(parseXmlTime("2026-06-11T04:00:05.2-0530")->seconds, utc->seconds);
    EXPECT_EQ(parseXmlTime("2026-06-11T04:00:05.2-0530")->millis, 200);
    EXPECT_EQ(parseXmlTime("2026-06-11T09:30:05.123987Z")->millis, 123);
    EXPECT_EQ(parseXmlTime("2026-06-11T09:30:05")->seconds, utc->seconds); // no zone: UTC
    for (const char* bad : {"", "2026-06-11", "2026-13-01T00:00:00Z", "2026-06-11T09:30:05.Z",
                            "2026-06-11T09:30:05+3", "2026-06-11T09:30:05Zjunk", "yesterday"})
        EXPECT_FALSE(parseXmlTime(bad)) << bad;
}

TEST(GpxReader, ATrackIsOneTrackWithItsSegmentsApart) {
    const GpxContent c =
        read(gpx11("<trk><name>Morning &amp; ride</name><trkseg>" +
                   point(50.0, 8.0, "<ele>100.25</ele><time>2026-06-11T09:00:00Z</time>") +
                   point(50.001, 8.0, "<ele>101</ele><time>2026-06-11T09:00:10Z</time>") +
                   "</trkseg><trkseg>" + point(50.01, 8.0, "<time>2026-06-11T09:10:00Z</time>") +
                   point(50.011, 8.0, "<time>2026-06-11T09:10:10Z</time>") +
                   "</trkseg></trk>\n"
                   "<trk><trkseg>" +
                   point(1, 2, "") + "</trkseg></trk><trk><name>empty</name></trk>"));
    ASSERT_EQ(c.tracks.size(), 2u);
    const Track& t = c.tracks[0];
    EXPECT_EQ(t.name, "Morning & ride");
    ASSERT_EQ(t.points.size(), 4u);
    EXPECT_FALSE(t.points[0].segmentStart);
    EXPECT_FALSE(t.points[1].segmentStart);
    EXPECT_TRUE(t.points[2].segmentStart);
    EXPECT_EQ(t.points[0].altitude, 1003); // decimetres, rounded
    EXPECT_EQ(t.points[2].altitude, 0);
    EXPECT_EQ(t.points[1].timeOfDay, 90010);
    // Two 0.001 degree steps of latitude, nothing for the 0.009 degrees between the segments.
    const double step = greatCircleMetres(50.0, 8.0, 50.001, 8.0);
    const TripFigures f = tripFigures(t.points, FigureSettings{});
    EXPECT_NEAR(f.length, step + greatCircleMetres(50.01, 8.0, 50.011, 8.0), 1e-6);
    EXPECT_EQ(f.movingTime, 20);
    EXPECT_EQ(t.distance, std::lround(f.length));
    EXPECT_EQ(t.stepSeconds, 10);
    // Speeds from distance over time, the first fix of a segment from the one after it.
    EXPECT_NEAR(t.points[1].speed, step / 10.0 * 3600.0, 1.0);
    EXPECT_EQ(t.points[0].speed, t.points[1].speed);
    EXPECT_EQ(t.peakAltitude, 1010);
}

TEST(GpxReader, SpeedsComeFromTheFileWhenItHasThem) {
    const GpxContent c =
        read("<gpx version=\"1.0\" xmlns=\"http://www.topografix.com/GPX/1/0\"><trk><trkseg>" +
             point(50, 8, "<time>2011-07-02T17:47:25.2Z</time><speed>13.8181</speed>") +
             point(50.0001, 8, "<time>2011-07-02T17:47:25.4Z</time><speed>2.5</speed>") +
             "</trkseg></trk></gpx>");
    ASSERT_EQ(c.tracks.size(), 1u);
    EXPECT_EQ(c.tracks[0].points[0].speed, 49745u); // 13.8181 m/s in metres per hour
    EXPECT_EQ(c.tracks[0].points[1].speed, 9000u);
    EXPECT_EQ(c.tracks[0].points[1].utcMillis, 400);
    const GpxContent ext = read(
        gpx11("<trk><trkseg>" +
              point(50, 8,
                    "<time>2026-01-01T00:00:00Z</time><extensions><gpxtpx:TrackPointExtension>"
                    "<gpxtpx:speed>5</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions>") +
              "</trkseg></trk>"));
    EXPECT_EQ(ext.tracks[0].points[0].speed, 18000u);
}

TEST(GpxReader, RoutesAndWaypointsAreNamedButAreNotTracks) {
    const GpxContent c =
        read(gpx11("<wpt lat=\"1\" lon=\"2\"><name>Hut</name></wpt><wpt lat=\"1\" lon=\"2\"/>"
                   "<rte><name>Plan</name><rtept lat=\"1\" lon=\"2\"/></rte><trk><trkseg>" +
                   point(1, 2, "") + "</trkseg></trk>"));
    EXPECT_EQ(c.tracks.size(), 1u);
    EXPECT_EQ(c.waypoints, 2u);
    EXPECT_EQ(c.routeNames, std::vector<std::string>{"Plan"});
}

TEST(GpxReader, PiecesOfAnySizeReadAsTheWhole) {
    std::string body = "<trk><name>n</name><trkseg>";
    for (int i = 0; i < 50; ++i)
        body +=
            point(10 + i * 0.001, 20,
                  "<time>2026-06-11T09:30:" + std::string(i < 10 ? "0" : "") + std::to_string(i) +
                      ".5+01:00</time><ele>" + std::to_string(i) + "</ele>");
    const std::string document = gpx11(body + "</trkseg></trk>");
    const GpxContent whole = read(document);
    GpxReader reader;
    for (std::size_t at = 0; at < document.size(); at += 7)
        ASSERT_TRUE(reader.feed(std::string_view(document).substr(at, 7)));
    ASSERT_TRUE(reader.finish()) << reader.error();
    const GpxContent pieces = reader.take();
    ASSERT_EQ(pieces.tracks.size(), 1u);
    ASSERT_EQ(pieces.tracks[0].points.size(), 50u);
    for (std::size_t i = 0; i < 50; ++i) {
        EXPECT_EQ(pieces.tracks[0].points[i].utcSeconds, whole.tracks[0].points[i].utcSeconds);
        EXPECT_EQ(pieces.tracks[0].points[i].altitude, whole.tracks[0].points[i].altitude);
    }
}

TEST(GpxReader, BrokenAndHostileDocumentsGiveAClearError) {
    const std::string laughs =
        "<?xml version=\"1.0\"?><!DOCTYPE gpx [<!ENTITY a \"aaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;\">]>"
        "<gpx><trk><name>&c;</name><trkseg><trkpt lat=\"1\" lon=\"2\"/></trkseg></trk></gpx>";
    EXPECT_TRUE(failsNaming(laughs, "document type declaration"));
    EXPECT_TRUE(failsNaming("<?xml version=\"1.0\"?><!DOCTYPE gpx SYSTEM \"/etc/passwd\"><gpx/>",
                            "document type declaration"));
    EXPECT_TRUE(failsNaming("<gpx><trk><name>&undefined;</name></trk></gpx>", "line 1"));
    EXPECT_TRUE(failsNaming("<kml><Document/></kml>", "its root element is <kml>"));
    EXPECT_TRUE(failsNaming(gpx11("<trk><trkseg><trkpt lat=\"95\" lon=\"2\"/></trkseg></trk>"),
                            "line 3: a track point without a valid lat and lon"));
    EXPECT_TRUE(failsNaming(gpx11("<trk><trkseg><trkpt lat=\"1\" lon=\"2\"><time>noon</time>"
                                  "</trkpt></trkseg></trk>"),
                            "unreadable time 'noon'"));
    EXPECT_TRUE(failsNaming(gpx11("<trk><trkseg>").substr(0, 150), ""));
    EXPECT_TRUE(failsNaming("", ""));
    EXPECT_TRUE(failsNaming(std::string("\x00\xff\xfe binary", 10), ""));
}

} // namespace
} // namespace tk::formats
