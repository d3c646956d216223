// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli's track commands on track files: a GPX with two segments listed, figured and
// exported, and files without tracks, broken ones and a missing GPSBabel answered with exit 1.
#include "e2e/SimProcess.h"
#include "formats/GpxReader.h"
#include "photos/PhotoSamples.h"
#include "support/Contains.h"
#include "tracks/TripFigures.h"

#include <gtest/gtest.h>

namespace tk::e2e {
namespace {

using test::contains;
using test::readAll;
using test::writeAll;

// A walk in two segments: four fixes ten seconds apart, then a pause, then three more.
const std::string kWalk = R"(<?xml version="1.0" encoding="UTF-8"?>
<gpx version="1.1" creator="phone" xmlns="http://www.topografix.com/GPX/1/1">
 <wpt lat="47.1" lon="8.1"><name>Start</name></wpt>
 <trk><name>Lake walk</name>
  <trkseg>
   <trkpt lat="47.1000" lon="8.1000"><ele>410.5</ele><time>2026-06-11T11:00:00+02:00</time></trkpt>
   <trkpt lat="47.1003" lon="8.1000"><ele>411.0</ele><time>2026-06-11T11:00:10+02:00</time></trkpt>
   <trkpt lat="47.1006" lon="8.1001"><ele>412.0</ele><time>2026-06-11T11:00:20+02:00</time></trkpt>
   <trkpt lat="47.1009" lon="8.1002"><ele>413.0</ele><time>2026-06-11T11:00:30+02:00</time></trkpt>
  </trkseg>
  <trkseg>
   <trkpt lat="47.1100" lon="8.1100"><ele>420.0</ele><time>2026-06-11T09:10:00Z</time></trkpt>
   <trkpt lat="47.1103" lon="8.1100"><ele>421.0</ele><time>2026-06-11T09:10:10.500Z</time></trkpt>
   <trkpt lat="47.1106" lon="8.1100"><ele>422.0</ele><time>2026-06-11T09:10:20Z</time></trkpt>
  </trkseg>
 </trk>
</gpx>
)";

class CliTrackFile : public ::testing::Test {
protected:
    void SetUp() override { writeAll(dir / "walk.gpx", kWalk); }
    std::string path(const std::string& name) const { return (dir / name).string(); }
    TempDir dir;
};

TEST_F(CliTrackFile, AGpxIsListedFiguredAndExportedWithItsSegments) {
    const CliResult list = runCli({"tracks", path("walk.gpx")});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_TRUE(contains(list.out, {"Lake walk", "09:00:00  09:10:20"}));
    EXPECT_TRUE(contains(list.err, {"also holds 1 waypoint, which is not a track"}));

    const CliResult stats = runCli({"stats", path("walk.gpx"), "--json"});
    ASSERT_EQ(stats.status, 0) << stats.err;
    std::string error;
    const formats::GpxContent walk = formats::readGpx(kWalk, error);
    const TripFigures f = tripFigures(walk.tracks.at(0).points, FigureSettings{});
    EXPECT_TRUE(
        contains(stats.out, {"\"name\": \"Lake walk\", \"start\": \"2026-06-11T09:00:00Z\", "
                             "\"end\": \"2026-06-11T09:10:20Z\", \"duration\": 620",
                             "\"length\": " + std::to_string(f.length).substr(0, 6)}));

    ASSERT_EQ(runCli({"gpx", path("walk.gpx"), "-o", path("out.gpx")}).status, 0);
    const std::string exported = readAll(dir / "out.gpx");
    EXPECT_TRUE(
        contains(exported, {"</trkseg>\n    <trkseg>\n", "<time>2026-06-11T09:10:10.500Z</time>"}));
    const formats::GpxContent back = formats::readGpx(exported, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(back.tracks.size(), 1u);
    EXPECT_EQ(tripFigures(back.tracks[0].points, FigureSettings{}).length, f.length);

    EXPECT_EQ(runCli({"kml", path("walk.gpx"), "--track", "1", "-o", path("walk.kml")}).status, 0);
    EXPECT_TRUE(contains(readAll(dir / "walk.kml"), {"Lake walk"}));
    EXPECT_EQ(runCli({"datajs", path("walk.gpx"), "--track", "1", "-o", path("data.js")}).status,
              0);
    EXPECT_TRUE(contains(readAll(dir / "data.js"), {"[47.110600, 8.110000"}));
}

TEST_F(CliTrackFile, FilesWithoutTracksAndBrokenFilesExitWithTheirOwnError) {
    writeAll(dir / "plan.gpx", "<gpx><rte><name>Ridge</name></rte></gpx>");
    writeAll(dir / "cut.gpx", kWalk.substr(0, 400));
    writeAll(dir / "ride.fit", std::string("\x0e\x10\x00\x00\x00\x00\x00\x00.FIT\x00\x00", 14));
    writeAll(dir / "notes.fit", "shopping list");
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"stats", path("plan.gpx")},
         "no track in it (only 1 route (Ridge), which is not a track)"},
        {{"tracks", path("cut.gpx")}, "not a readable GPX file: line "},
        {{"gpx", path("notes.fit"), "-o", path("x.gpx")}, "not a FIT file"},
    };
    for (const auto& [args, message] : cases) {
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, 1) << args[1];
        EXPECT_TRUE(contains(r.err, {message}));
        EXPECT_EQ(r.out, "");
    }
    const CliResult noBabel =
        runCli({"stats", path("ride.fit")}, {{"TRAILKEEP_GPSBABEL", path("no-gpsbabel")}});
    EXPECT_EQ(noBabel.status, 1);
    EXPECT_TRUE(contains(noBabel.err, {"install the package gpsbabel"}));
    EXPECT_FALSE(fs::exists(dir / "x.gpx"));
}

} // namespace
} // namespace tk::e2e
