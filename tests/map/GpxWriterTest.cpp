// SPDX-License-Identifier: GPL-3.0-or-later
#include "map/GpxWriter.h"

#include "map/Gpsbabel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tk {
namespace {

constexpr std::int64_t k20131023 = 1382486400; // 2013-10-23T00:00:00Z

Track trackOf(std::string name, std::vector<TrackPoint> points) {
    Track t;
    t.name = std::move(name);
    t.points = std::move(points);
    return t;
}

std::string gpxOf(std::initializer_list<const Track*> tracks) {
    return tracksGpx(std::span<const Track* const>(tracks.begin(), tracks.size()));
}

TEST(GpxWriter, DocumentHasOneTrkPerTrackWithItsPoints) {
    const Track a =
        trackOf("2013-10-23 08:00:00", {{80000, 0, 150, 22.5, 114.0, k20131023},
                                        {80005, 0, -15, -33.865, -151.2, k20131023 + 5}});
    const Track empty = trackOf("empty", {});
    EXPECT_EQ(gpxOf({&a, nullptr, &empty}),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<gpx version=\"1.1\" creator=\"Trailkeep\" xmlns=\"http://www.topografix.com/GPX/"
              "1/1\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xsi:schemaLocation="
              "\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\n"
              "  <trk>\n    <name>2013-10-23 08:00:00</name>\n    <trkseg>\n"
              "      <trkpt lat=\"22.5000000\" lon=\"114.0000000\"><ele>15.0</ele>"
              "<time>2013-10-23T00:00:00Z</time></trkpt>\n"
              "      <trkpt lat=\"-33.8650000\" lon=\"-151.2000000\"><ele>-1.5</ele>"
              "<time>2013-10-23T00:00:05Z</time></trkpt>\n"
              "    </trkseg>\n  </trk>\n"
              "  <trk>\n    <name>empty</name>\n    <trkseg>\n    </trkseg>\n  </trk>\n"
              "</gpx>\n");
}

TEST(GpxWriter, ElevationAndTimeAreExact) {
    const Track t = trackOf("t", {{0, 0, -5, 1, 1, 1456790399}, // leap day, last second
                                  {0, 0, 1234, 1, 1, 1456790400},
                                  {0, 0, 0, 1, 1, -1}});
    const std::string gpx = gpxOf({&t});
    EXPECT_NE(gpx.find("<ele>-0.5</ele><time>2016-02-29T23:59:59Z</time>"), std::string::npos);
    EXPECT_NE(gpx.find("<ele>123.4</ele><time>2016-03-01T00:00:00Z</time>"), std::string::npos);
    EXPECT_NE(gpx.find("<ele>0.0</ele><time>1969-12-31T23:59:59Z</time>"), std::string::npos);
}

TEST(GpxWriter, NameIsEscaped) {
    const Track t = trackOf("Tom & \"Jerry\" <1>\x01", {});
    EXPECT_NE(gpxOf({&t}).find("<name>Tom &amp; &quot;Jerry&quot; &lt;1&gt;</name>"),
              std::string::npos);
}

TEST(GpxWriter, GpsbabelReadsEveryPointBack) {
    if (!test::haveGpsbabel())
        GTEST_SKIP() << "gpsbabel is not installed";
    std::vector<TrackPoint> points;
    for (int i = 0; i < 200; ++i)
        points.push_back({80000 + i, 0, -20 + i, -33.8 + i * 1.7e-6, -151.2 - i * 1.3e-6,
                          k20131023 + 8 * 3600 + i});
    const Track first = trackOf("first", {points.begin(), points.begin() + 120});
    const Track second = trackOf("second & last", {points.begin() + 120, points.end()});
    const test::ScratchDir dir;
    bool ok = false;
    const auto rows =
        test::toUnicsv(dir, dir.write("tracks.gpx", gpxOf({&first, &second})), "-t -i gpx", ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(rows.size(), points.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_NEAR(std::stod(rows[i].at("Latitude")), points[i].latitude, 1e-6);
        EXPECT_NEAR(std::stod(rows[i].at("Longitude")), points[i].longitude, 1e-6);
        EXPECT_NEAR(std::stod(rows[i].at("Altitude")), points[i].altitude / 10.0, 1e-9);
    }
    EXPECT_EQ(rows[0].at("Date") + " " + rows[0].at("Time"), "2013/10/23 08:00:00");
    EXPECT_EQ(rows[199].at("Date") + " " + rows[199].at("Time"), "2013/10/23 08:03:19");
}

} // namespace
} // namespace tk
