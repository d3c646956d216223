// SPDX-License-Identifier: GPL-3.0-or-later
// The recordings of real devices in ../shared/tracks, read as the program reads them and compared
// with an independent reading: Python's XML parser over the GPX (the file itself, or GPSBabel's
// conversion of the other formats).
#include "formats/TrackFile.h"
#include "tracks/TripFigures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <unistd.h>

namespace tk::formats {
namespace {

namespace fs = std::filesystem;

// Beside the source tree; a worktree in a folder of worktrees looks one level further up.
fs::path recordingsDir() {
    const fs::path beside = fs::path(TK_SOURCE_DIR "/../shared/tracks");
    return fs::is_directory(beside) ? beside : fs::path(TK_SOURCE_DIR "/../../shared/tracks");
}

const fs::path kRecordings = recordingsDir();

struct Expected {
    std::size_t points = 0;
    std::int64_t firstMillis = 0;
    std::int64_t lastMillis = 0;
    double length = 0.0;
};

std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        pclose(pipe);
    }
    return out;
}

std::vector<Expected> pythonReading(const fs::path& gpx) {
    const fs::path script = fs::path(TK_SOURCE_DIR) / "tests/formats/gpx_reference.py";
    std::istringstream lines(commandOutput("python3 " + quoted(script) + " " + quoted(gpx)));
    std::vector<Expected> tracks;
    Expected e;
    while (lines >> e.points >> e.firstMillis >> e.lastMillis >> e.length)
        tracks.push_back(e);
    return tracks;
}

std::int64_t millisOf(const TrackPoint& p) {
    return p.utcSeconds * 1000 + p.utcMillis;
}

void expectSameTracks(const fs::path& file, const std::vector<Expected>& expected) {
    SCOPED_TRACE(file.filename().string());
    const TrackFileContent content = readTrackFile(file.string());
    ASSERT_EQ(content.error, "");
    ASSERT_EQ(content.tracks.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("track " + std::to_string(i + 1));
        const Track& t = content.tracks[i];
        const TripFigures figures = tripFigures(t.points, FigureSettings{});
        EXPECT_EQ(t.points.size(), expected[i].points);
        EXPECT_NEAR(millisOf(t.points.front()), expected[i].firstMillis, 1);
        EXPECT_NEAR(millisOf(t.points.back()), expected[i].lastMillis, 1);
        EXPECT_NEAR(figures.length, expected[i].length, 1e-6 * expected[i].length + 1e-6);
        EXPECT_EQ(t.distance, std::lround(expected[i].length));
        EXPECT_EQ(t.sourceFile, file.string());
    }
}

// Scratch files named after the process, so that runs of this test at once never share one.
std::string scratchName(const std::string& stem, const std::string& extension) {
    return stem + "-" + std::to_string(getpid()) + extension;
}

bool hasRecordings() {
    return fs::is_directory(kRecordings);
}

TEST(RealRecordings, EveryGpxFileReadsAsPythonReadsIt) {
    if (!hasRecordings())
        GTEST_SKIP() << kRecordings << " is not there";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(kRecordings)) {
        if (entry.path().extension() != ".gpx")
            continue;
        ++files;
        expectSameTracks(entry.path(), pythonReading(entry.path()));
    }
    EXPECT_GE(files, 5);
}

struct BabelCase {
    const char* file;
    const char* babelFormat;
};

TEST(RealRecordings, OtherFormatsReadAsGpsbabelConvertsThem) {
    if (!hasRecordings() || std::system("gpsbabel -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no recordings or no gpsbabel";
    const BabelCase cases[] = {
        {"garmin-edge-800.fit", "garmin_fit"},
        {"garmin-forerunner-10.fit", "garmin_fit"},
        {"garmin-oregon-700.fit", "garmin_fit"},
        {"bike.tcx", "gtrnctr"},
        {"course.tcx", "gtrnctr"},
        {"google_ext.kml", "kml"},
        {"27GLQKF3.igc", "igc"},
    };
    const fs::path converted =
        fs::temp_directory_path() / scratchName("tk-recording-reference", ".gpx");
    for (const BabelCase& c : cases) {
        const fs::path file = kRecordings / c.file;
        fs::remove(converted);
        commandOutput(std::string("gpsbabel -t -i ") + c.babelFormat + " -f " + quoted(file) +
                      " -o gpx -F " + quoted(converted));
        const std::vector<Expected> expected = pythonReading(converted);
        ASSERT_FALSE(expected.empty()) << c.file;
        expectSameTracks(file, expected);
    }
    fs::remove(converted);
}

TEST(RealRecordings, AKmzReadsAsTheKmlInside) {
    if (!hasRecordings() || std::system("gpsbabel -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no recordings or no gpsbabel";
    const fs::path kmz = fs::temp_directory_path() / scratchName("tk-recording", ".kmz");
    const fs::path empty = fs::temp_directory_path() / scratchName("tk-no-kml", ".kmz");
    commandOutput("python3 -c \"import sys, zipfile\n"
                  "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                  "    z.writestr('files/readme.txt', 'x')\n"
                  "    z.write(sys.argv[2], 'doc.kml')\n"
                  "with zipfile.ZipFile(sys.argv[3], 'w') as z:\n"
                  "    z.writestr('readme.txt', 'x')\" " +
                  quoted(kmz) + " " + quoted(kRecordings / "google_ext.kml") + " " + quoted(empty));
    const TrackFileContent inside = readTrackFile((kRecordings / "google_ext.kml").string());
    const TrackFileContent packed = readTrackFile(kmz.string());
    ASSERT_EQ(packed.error, "");
    ASSERT_EQ(packed.tracks.size(), inside.tracks.size());
    EXPECT_EQ(packed.tracks[0].points.size(), inside.tracks[0].points.size());
    EXPECT_EQ(packed.tracks[0].distance, inside.tracks[0].distance);
    EXPECT_EQ(readTrackFile(empty.string()).error,
              empty.string() + ": the KMZ archive holds no KML document");
    fs::remove(kmz);
    fs::remove(empty);
}

TEST(RealRecordings, AFitWithoutPositionsAndABrokenFitSayWhy) {
    if (!hasRecordings() || std::system("gpsbabel -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no recordings or no gpsbabel";
    const TrackFileContent band = readTrackFile((kRecordings / "garmin-vivosmart-hr.fit").string());
    EXPECT_NE(band.error.find("has no positions"), std::string::npos) << band.error;
    EXPECT_TRUE(band.tracks.empty());
    const TrackFileContent broken =
        readTrackFile((kRecordings / "lezyne_super_gps-garmin_fit-sample-bad-endian.fit").string());
    EXPECT_NE(broken.error.find("not a readable FIT file"), std::string::npos) << broken.error;
    const TrackFileContent dateless = readTrackFile((kRecordings / "adddate.nmea").string());
    EXPECT_NE(dateless.error.find("no track in it"), std::string::npos) << dateless.error;
}

} // namespace
} // namespace tk::formats
