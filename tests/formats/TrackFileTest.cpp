// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/TrackFile.h"
#include "formats/ChildProcess.h"
#include "formats/TrackFileType.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tk::formats {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kFitHead("\x0e\x10\x00\x00\x00\x00\x00\x00.FIT\x00\x00", 14);

class TrackFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("tk-trackfile-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, const std::string& bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path.string();
    }

    // The error of reading a FIT file through a gpsbabel that is this shell script.
    std::string errorThroughBabel(const std::string& script,
                                  std::chrono::milliseconds limit = TrackFileOptions{}.babelLimit) {
        TrackFileOptions options;
        options.babelProgram = write("gpsbabel", "#!/bin/sh\n" + script + "\n");
        fs::permissions(options.babelProgram, fs::perms::owner_all);
        options.babelLimit = limit;
        return readTrackFile(write("ride.fit", kFitHead), options).error;
    }

    fs::path dir_;
};

TEST(TrackFileType, ChosenByExtensionAndCheckedByContent) {
    EXPECT_EQ(trackFileType("a/trip.GPX", "<?xml?><gpx>").format->label, "GPX");
    EXPECT_EQ(trackFileType("ride.fit", kFitHead).format->babelName, "garmin_fit");
    EXPECT_EQ(trackFileType("run.tcx", "<TrainingCenterDatabase").format->babelName, "gtrnctr");
    EXPECT_EQ(trackFileType("f.igc", "AXCSAAA\r\nHFDTE010203\r\n").format->babelName, "igc");
    EXPECT_EQ(trackFileType("log.nmea", "$GPGGA,235600.000,5013").format->babelName, "nmea");
    // A logger project stays one, whatever it holds; an unknown name is taken by its content.
    EXPECT_EQ(trackFileType("memory.gpl", "<gpx>").format, nullptr);
    EXPECT_EQ(trackFileType("memory.bin", std::string(264, '\xff')).format, nullptr);
    EXPECT_EQ(trackFileType("download", "<gpx version=\"1.1\">").format->label, "GPX");
    // A misnamed file of a known format is read as what it is; anything else is refused.
    EXPECT_EQ(trackFileType("ride.gpx", kFitHead).format->label, "FIT");
    const TrackFileType wrong = trackFileType("ride.fit", "hello");
    EXPECT_EQ(wrong.format, nullptr);
    EXPECT_EQ(wrong.error, "not a FIT file (its content is not FIT)");
}

TEST_F(TrackFileTest, AFileWithoutTracksOrBrokenIsAnErrorNamingIt) {
    const std::string routes =
        write("plan.gpx", "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><rte><name>A</name>"
                          "</rte><wpt lat=\"1\" lon=\"1\"/></gpx>");
    EXPECT_EQ(readTrackFile(routes).error,
              routes + ": no track in it (only 1 route (A) and 1 waypoint, which are not tracks)");
    const std::string cut = write("cut.gpx", "<gpx><trk><trkseg><trkpt lat=\"1\" lon=\"2\">");
    EXPECT_NE(readTrackFile(cut).error.find(cut + ": not a readable GPX file: line 1"),
              std::string::npos);
    EXPECT_NE(readTrackFile((dir_ / "missing.gpx").string()).error, "");
}

TEST_F(TrackFileTest, TracksAreNamedAfterTheFileWhenTheyHaveNoName) {
    const std::string pt = "<trkpt lat=\"1\" lon=\"2\"/>";
    const std::string two = write("walk.gpx", "<gpx><trk><trkseg>" + pt +
                                                  "</trkseg></trk><trk>"
                                                  "<name>Back</name><trkseg>" +
                                                  pt +
                                                  "</trkseg></trk>"
                                                  "<wpt lat=\"1\" lon=\"1\"/></gpx>");
    const TrackFileContent c = readTrackFile(two);
    ASSERT_EQ(c.tracks.size(), 2u);
    EXPECT_EQ(c.tracks[0].name, "walk 1");
    EXPECT_EQ(c.tracks[1].name, "Back");
    EXPECT_EQ(c.tracks[1].sourceFile, two);
    EXPECT_EQ(c.note, two + " also holds 1 waypoint, which is not a track");
}

TEST_F(TrackFileTest, AMissingGpsbabelIsNamedAsThePackageToInstall) {
    const std::string fit = write("ride.fit", kFitHead);
    TrackFileOptions options;
    options.babelProgram = (dir_ / "no-such-gpsbabel").string();
    EXPECT_EQ(readTrackFile(fit, options).error,
              "reading FIT files needs GPSBabel, which is not installed: install the package "
              "gpsbabel (sudo apt install gpsbabel)");
}

TEST_F(TrackFileTest, AGpsbabelThatHangsOrGivesNoGpxIsAnError) {
    EXPECT_NE(errorThroughBabel("exec sleep 600", 300ms).find("was stopped"), std::string::npos);
    const std::string notGpx = errorThroughBabel("echo '<html>no</html>'; echo warning >&2");
    EXPECT_NE(notGpx.find("its root element is <html>"), std::string::npos) << notGpx;
}

TEST(ChildProcess, HandsOverOutputAndReportsTheEnd) {
    std::string out;
    const ChildOutcome ok = runChild({"sh", "-c",
                                      "printf 'a%.0s' $(seq 100000); echo oops >&2; "
                                      "exit 3"},
                                     10s, [&](std::string_view piece) {
                                         out += piece;
                                         return true;
                                     });
    EXPECT_TRUE(ok.started);
    EXPECT_EQ(ok.exitStatus, 3);
    EXPECT_EQ(out, std::string(100000, 'a'));
    EXPECT_EQ(ok.errorText, "oops\n");
    const ChildOutcome refused =
        runChild({"sh", "-c", "yes"}, 10s, [](std::string_view) { return false; });
    EXPECT_TRUE(refused.stopped);
    EXPECT_FALSE(refused.timedOut);
}

} // namespace
} // namespace tk::formats
