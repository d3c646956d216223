// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli geotag on photos made in the test and the demo project: the JSON and the table,
// options checked before anything is written, dry run, undo, bad photos, and the command's own
// program (trailkeep-cli starts without exiv2).
#include "e2e/SimProcess.h"
#include "photos/PhotoSamples.h"
#include "support/Contains.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace tk::e2e {
namespace {

using test::contains;
using test::exiftoolJson;
using test::exiftoolSet;
using test::readAll;
using test::writeAll;

class CliGeotag : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian: libimage-exiftool-perl)";
        ASSERT_EQ(runCli({"demo", "-o", project()}).status, 0);
        fs::create_directories(dir / "photos");
    }

    std::string project() const { return (dir / "demo.gpl").string(); }
    std::string folder() const { return (dir / "photos").string(); }

    // Track 2 of the demo runs from 09:10:14 to 10:18:49 UTC on 2026-06-11.
    fs::path photo(const std::string& name, const std::string& cameraTime) {
        const fs::path path = dir / "photos" / name;
        writeAll(path, test::tinyJpeg());
        EXPECT_TRUE(exiftoolSet(path, {"-DateTimeOriginal=" + cameraTime, "-Make=Test"}));
        return path;
    }

    std::map<fs::path, std::string> snapshot() {
        std::map<fs::path, std::string> files;
        for (const auto& e : fs::recursive_directory_iterator(dir / "photos"))
            files[e.path()] = readAll(e.path());
        return files;
    }

    TempDir dir;
};

TEST_F(CliGeotag, TagsPhotosAndPrintsOneJsonObjectPerPhoto) {
    const fs::path inside = photo("inside.jpg", "2026:06:11 11:30:00"); // +02:00: 09:30:00Z
    photo("late.jpg", "2026:06:11 23:00:00");
    const CliResult r = runCli({"geotag", project(), folder(), "--zone", "+02:00", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::regex tagged(
        R"(\{"file": "[^"]*inside\.jpg", "status": "tagged", "time": "2026-06-11T09:30:00Z", )"
        R"("track": 2, "latitude": (-?[0-9.]+), "longitude": (-?[0-9.]+), "altitude": -?[0-9.]+, )"
        R"("sidecar": null, "reason": null\})");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, tagged)) << r.out;
    const auto tags = exiftoolJson(inside);
    EXPECT_NEAR(std::stod(tags.at("GPSLatitude")), std::stod(m[1]), 1e-8);
    EXPECT_NEAR(std::stod(tags.at("GPSLongitude")), std::stod(m[2]), 1e-8);
    EXPECT_TRUE(contains(
        r.out,
        {R"("status": "outside", "time": "2026-06-11T21:00:00Z", "track": null, "latitude": null)"}));
    EXPECT_EQ(r.out.front(), '[');

    const CliResult again = runCli({"geotag", project(), folder(), "--zone", "+02:00"});
    EXPECT_EQ(again.status, 0);
    EXPECT_TRUE(
        contains(again.out,
                 {"has-position", "2 photos: 0 tagged, 1 outside the tracks, 0 in gaps, 0 errors, "
                                  "1 with a position already"}));
}

TEST_F(CliGeotag, MalformedOptionsAreRefusedBeforeAnythingIsWritten) {
    photo("a.jpg", "2026:06:11 09:30:00");
    const auto before = snapshot();
    const std::vector<std::vector<std::string>> bad = {
        {"--zone", "+25:00"},
        {"--zone", "Berlin"},
        {"--offset", "ten"},
        {"--offset", "1e999"},
        {"--max-gap", "-5"},
        {"--sync", "a.jpg"},
        {"--sync", (dir / "photos" / "a.jpg").string() + "=yesterday"},
        {"--sync", (dir / "elsewhere.jpg").string() + "=2026-06-11T09:30:00Z"},
        {"--sync", (dir / "photos" / "a.jpg").string() + "=2026-06-11T09:30:00Z", "--offset", "3"},
    };
    for (const auto& options : bad) {
        std::vector<std::string> args = {"geotag", project(), folder()};
        args.insert(args.end(), options.begin(), options.end());
        const CliResult r = runCli(args);
        EXPECT_EQ(r.status, 2) << options[0] << " " << options[1];
        EXPECT_TRUE(contains(r.err, {"trailkeep-cli: "}));
        EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliGeotag, ASyncPhotoSetsTheClock) {
    // The camera is an hour and 5 s behind: its photo of the GPS clock shows 09:30:05 UTC.
    const fs::path clock = photo("clock.jpg", "2026:06:11 08:30:00");
    photo("later.jpg", "2026:06:11 08:40:00");
    const CliResult r = runCli({"geotag", project(), folder(), "--zone", "+00:00", "--dry-run",
                                "--json", "--sync", clock.string() + "=2026-06-11T11:30:05+02:00"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(contains(r.out, {R"("status": "would-tag", "time": "2026-06-11T09:30:05Z")",
                                 R"("status": "would-tag", "time": "2026-06-11T09:40:05Z")"}));
}

TEST_F(CliGeotag, DryRunWritesNothingAndUndoPutsEveryByteBack) {
    photo("a.jpg", "2026:06:11 09:30:00");
    photo("b.jpg", "2026:06:11 09:31:00");
    const auto before = snapshot();
    const CliResult dry = runCli({"geotag", project(), folder(), "--zone", "+00:00", "--dry-run"});
    EXPECT_EQ(dry.status, 0);
    EXPECT_TRUE(contains(dry.out, {"would-tag", "2 photos: 2 would be tagged"}));
    EXPECT_EQ(snapshot(), before);

    ASSERT_EQ(runCli({"geotag", project(), folder(), "--zone", "+00:00"}).status, 0);
    EXPECT_NE(snapshot(), before);
    EXPECT_TRUE(fs::exists(dir / "photos" / ".trailkeep-geotag"));
    const CliResult undo = runCli({"geotag", "--undo", folder(), "--json"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_TRUE(contains(undo.out, {R"("status": "restored")"}));
    EXPECT_EQ(snapshot(), before);
}

TEST_F(CliGeotag, ABadPhotoGivesExitOneAndTheOthersAreStillDone) {
    const fs::path good = photo("good.jpg", "2026:06:11 09:30:00");
    writeAll(dir / "photos" / "notes.jpg", "not a picture");
    const CliResult r = runCli({"geotag", project(), folder(), "--zone", "+00:00"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.out, {"error"}));
    EXPECT_EQ(readAll(dir / "photos" / "notes.jpg"), "not a picture");
    EXPECT_EQ(exiftoolJson(good).count("GPSLatitude"), 1u);
}

TEST_F(CliGeotag, AProjectWithoutTracksIsAFailure) {
    photo("a.jpg", "2026:06:11 09:30:00");
    writeAll(dir / "empty.gpl", "");
    const CliResult r = runCli({"geotag", (dir / "empty.gpl").string(), folder()});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(contains(r.err, {"no track with points"}));
    const CliResult missing = runCli({"geotag", project()});
    EXPECT_EQ(missing.status, 2);
}

TEST_F(CliGeotag, AGpxOfTheTracksTagsPhotosAsTheProjectDoes) {
    ASSERT_EQ(runCli({"gpx", project(), "-o", (dir / "demo.gpx").string()}).status, 0);
    const fs::path fromProject = photo("a.jpg", "2026:06:11 09:30:00");
    fs::create_directories(dir / "copy");
    const fs::path fromGpx = dir / "copy" / "a.jpg";
    fs::copy_file(fromProject, fromGpx);
    const CliResult p = runCli({"geotag", project(), folder(), "--zone", "+00:00", "--json"});
    // The photos alone as words, the tracks from --tracks.
    const CliResult g = runCli({"geotag", (dir / "copy").string(), "--tracks",
                                (dir / "demo.gpx").string(), "--zone", "+00:00", "--json"});
    ASSERT_EQ(p.status, 0) << p.err;
    ASSERT_EQ(g.status, 0) << g.err;
    EXPECT_TRUE(
        contains(g.out, {R"("status": "tagged", "time": "2026-06-11T09:30:00Z", "track": 2)"}));
    const auto a = exiftoolJson(fromProject);
    const auto b = exiftoolJson(fromGpx);
    // The export keeps 7 decimals of a degree (about a centimetre) and whole decimetres.
    EXPECT_NEAR(std::stod(a.at("GPSLatitude")), std::stod(b.at("GPSLatitude")), 1e-7);
    EXPECT_NEAR(std::stod(a.at("GPSLongitude")), std::stod(b.at("GPSLongitude")), 1e-7);
    for (const char* tag : {"GPSAltitude", "GPSAltitudeRef", "GPSTimeStamp", "GPSDateStamp"})
        EXPECT_EQ(a.at(tag), b.at(tag)) << tag;
}

TEST_F(CliGeotag, TracksOfSeveralFilesTagOneFolderTogether) {
    writeAll(dir / "phone.gpx",
             "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\"><trk><trkseg>"
             "<trkpt lat=\"10.0\" lon=\"20.0\"><time>2026-06-12T08:00:00Z</time></trkpt>"
             "<trkpt lat=\"10.1\" lon=\"20.0\"><time>2026-06-12T08:01:00Z</time></trkpt>"
             "</trkseg></trk></gpx>");
    photo("logger.jpg", "2026:06:11 09:30:00");
    photo("phone.jpg", "2026:06:12 08:00:30");
    const CliResult r = runCli({"geotag", project(), folder(), "--tracks",
                                (dir / "phone.gpx").string(), "--zone", "+00:00", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::regex phone(R"("[^"]*phone\.jpg", "status": "tagged", [^}]*"track": ([0-9]+), )"
                           R"("latitude": 10\.05)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, phone)) << r.out;
    EXPECT_GT(std::stoi(m[1]), 2);
    EXPECT_TRUE(
        contains(r.out, {R"(logger.jpg", "status": "tagged", "time": "2026-06-11T09:30:00Z", )"
                         R"("track": 2)"}));
}

TEST(CliGeotagProgram, TrailkeepCliStartsWithoutExiv2) {
    const CliResult libraries = runCli({"--help"}, {{"LD_TRACE_LOADED_OBJECTS", "1"}});
    EXPECT_FALSE(contains(libraries.out, {"exiv2"}));
    EXPECT_TRUE(fs::exists(programPath("trailkeep-cli-photos")));
    const CliResult help = runCli({"--help"});
    EXPECT_TRUE(contains(help.out, {"geotag [FILE] PHOTO|FOLDER..."}));
}

} // namespace
} // namespace tk::e2e
