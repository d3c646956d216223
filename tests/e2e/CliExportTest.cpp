// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli's exports against the library's own writers on the same project files: the
// command streams what the writers would build whole, decodes files as Open project does, and
// starts without the Qt libraries that only the logger commands need.
#include "e2e/SimProcess.h"
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"
#include "support/Contains.h"
#include "tracks/ProjectFile.h"

#include <gtest/gtest.h>

#include <charconv>
#include <memory>
#include <string>

namespace tk::e2e {
namespace {

using test::contains;

struct Opened {
    std::unique_ptr<PageBuffer> buffer = std::make_unique<PageBuffer>();
    TrackTable table;
    ProjectLoad load;
};

Opened openInProcess(const fs::path& file) {
    Opened o;
    TrackDecoder decoder(o.table);
    o.load = openProject(file.string(), *o.buffer, decoder);
    EXPECT_TRUE(o.load.ok()) << o.load.error;
    return o;
}

std::string textOf(const fs::path& file) {
    const Bytes bytes = readBytes(file);
    return std::string(bytes.begin(), bytes.end());
}

// Every export of every track with points, compared with the writers' whole documents.
void expectExportsMatchWriters(const TempDir& dir, const fs::path& file) {
    const Opened o = openInProcess(file);
    std::vector<const Track*> all;
    for (int i = 0; i <= o.table.lastTrack; ++i) {
        const Track& track = o.table.tracks[static_cast<std::size_t>(i)];
        if (track.points.empty())
            continue;
        all.push_back(&track);
        const std::string n = std::to_string(i + 1);
        ASSERT_EQ(
            runCli({"kml", file.string(), "--track", n, "-o", (dir / "t.kml").string()}).status, 0);
        EXPECT_EQ(textOf(dir / "t.kml"), trackKml(track)) << file << " track " << n;
        ASSERT_EQ(
            runCli({"gpx", file.string(), "--track", n, "-o", (dir / "t.gpx").string()}).status, 0);
        const Track* one[] = {&track};
        EXPECT_EQ(textOf(dir / "t.gpx"), tracksGpx(one)) << file << " track " << n;
        ASSERT_EQ(runCli({"datajs", file.string(), "--track", n, "-o", (dir / "data.js").string(),
                          "--color", "12ab34", "--weight", "5", "--speed", "-3"})
                      .status,
                  0);
        EXPECT_EQ(textOf(dir / "data.js"), mapDataScript(track, {0x34ab12, 5, -3}))
            << file << " track " << n;
    }
    ASSERT_FALSE(all.empty());
    ASSERT_EQ(runCli({"gpx", file.string(), "-o", (dir / "all.gpx").string()}).status, 0);
    EXPECT_EQ(textOf(dir / "all.gpx"), tracksGpx(all)) << file;
}

TEST(CliExport, ExportsAreTheWritersBytesForDemoAndFullMemories) {
    const TempDir dir;
    ASSERT_EQ(runCli({"demo", "-o", (dir / "demo.gpl").string(), "--seed", "3"}).status, 0);
    ASSERT_EQ(runCli({"demo", "-o", (dir / "full.gpl").string(), "--full"}).status, 0);
    expectExportsMatchWriters(dir, dir / "demo.gpl");
    expectExportsMatchWriters(dir, dir / "full.gpl");
}

TEST(CliExport, OversizedAndRaggedFilesDecodeAsOpenProjectDoes) {
    const TempDir dir;
    ASSERT_EQ(runCli({"demo", "-o", (dir / "full.gpl").string(), "--full"}).status, 0);
    const Bytes full = readBytes(dir / "full.gpl");
    Bytes oversized = full;
    oversized.insert(oversized.end(), full.begin(), full.begin() + 24 * 1000 + 7);
    writeBytes(dir / "big.gpl", oversized);
    writeBytes(dir / "ragged.gpl", Bytes(full.begin(), full.begin() + 24 * 5000 + 13));

    const Opened big = openInProcess(dir / "big.gpl");
    ASSERT_EQ(big.load.recordsDropped, 1000u);
    const CliResult listed = runCli({"tracks", (dir / "big.gpl").string(), "--json"});
    EXPECT_EQ(listed.status, 0);
    EXPECT_EQ(listed.err, "trailkeep-cli: " + (dir / "big.gpl").string() +
                              ": 1000 records beyond the 2048-page memory were ignored\n");
    EXPECT_EQ(listed.out.rfind("{\"pageCount\": " + std::to_string(big.buffer->pageCount) +
                                   ", \"lastTrack\": " + std::to_string(big.table.lastTrack) + ",",
                               0),
              0u)
        << listed.out.substr(0, 80);
    expectExportsMatchWriters(dir, dir / "big.gpl");
    expectExportsMatchWriters(dir, dir / "ragged.gpl");
}

// The point rows of `tracks --json` in order, as their text.
std::vector<std::string> pointRows(const std::string& json) {
    std::vector<std::string> rows;
    for (std::size_t at = json.find("\n    ["); at != std::string::npos;
         at = json.find("\n    [", at + 1))
        rows.push_back(json.substr(at + 5, json.find(']', at) - at - 4));
    return rows;
}

std::string shortest(double value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

TEST(CliExport, JsonListsEveryPointWithCoordinatesInTheirShortestText) {
    const TempDir dir;
    ASSERT_EQ(runCli({"demo", "-o", (dir / "full.gpl").string(), "--full"}).status, 0);
    const Opened o = openInProcess(dir / "full.gpl");
    const CliResult listed = runCli({"tracks", (dir / "full.gpl").string(), "--json"});
    ASSERT_EQ(listed.status, 0);
    const std::vector<std::string> rows = pointRows(listed.out);
    std::size_t row = 0;
    for (int i = 0; i <= o.table.lastTrack; ++i) {
        for (const TrackPoint& p : o.table.tracks[static_cast<std::size_t>(i)].points) {
            ASSERT_LT(row, rows.size());
            EXPECT_EQ(rows[row], "[" + std::to_string(p.timeOfDay) + ", " +
                                     std::to_string(p.speed) + ", " + std::to_string(p.altitude) +
                                     ", " + shortest(p.latitude) + ", " + shortest(p.longitude) +
                                     "]")
                << "track " << i + 1 << " row " << row;
            ++row;
        }
    }
    EXPECT_EQ(row, rows.size());
    EXPECT_GT(rows.size(), 20000u);
    EXPECT_EQ(listed.out.substr(listed.out.size() - 7), "]]}\n]}\n");
}

TEST(CliExport, AFailedExportLeavesNoFileBehind) {
    const TempDir dir;
    ASSERT_EQ(runCli({"demo", "-o", (dir / "demo.gpl").string()}).status, 0);
    EXPECT_EQ(runCli({"kml", (dir / "demo.gpl").string(), "--track", "99", "-o",
                      (dir / "out.kml").string()})
                  .status,
              1);
    const std::string elsewhere = (dir / "missing" / "out.gpx").string();
    const CliResult failed = runCli({"gpx", (dir / "demo.gpl").string(), "-o", elsewhere});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.err, "trailkeep-cli: " + elsewhere + ": No such file or directory\n");
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"demo.gpl"});
}

TEST(CliExport, TrackCommandsStartWithoutQtAndLoggerCommandsStillAnswer) {
    const CliResult libraries = runCli({"--help"}, {{"LD_TRACE_LOADED_OBJECTS", "1"}});
    EXPECT_EQ(libraries.status, 0);
    EXPECT_TRUE(contains(libraries.out, {"libc.so"}));
    EXPECT_FALSE(contains(libraries.out, {"Qt6"}));

    const CliResult clear = runCli({"clear"});
    EXPECT_EQ(clear.status, 2);
    EXPECT_EQ(clear.err, "trailkeep-cli: clear erases every track on the logger; add --yes to "
                         "confirm (see trailkeep-cli --help)\n");
}

} // namespace
} // namespace tk::e2e
