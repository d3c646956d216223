// SPDX-License-Identifier: GPL-3.0-or-later
// data.js as a JavaScript engine reads it: the globals the map pages use, with their values.
#include "map/Gpsbabel.h"
#include "map/MapDataScript.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>

namespace tk {
namespace {

constexpr const char* kNode = "/usr/bin/node";

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buffer;
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe))
            out.append(buffer.data(), n);
        ::pclose(pipe);
    }
    return out;
}

// What node prints running the script (given between single quotes), with its errors.
std::string node(const std::string& script) {
    return run(std::string(kNode) + " -e '" + script + "' 2>&1");
}

TEST(MapDataScriptJs, NodeReadsTheGlobalsThePagesUse) {
    if (!std::filesystem::exists(kNode))
        GTEST_SKIP() << "node is not installed";
    Track t;
    t.name = "2026-6-10 09:12:00";
    t.stepSeconds = 1;
    t.unitFlag = 1;
    t.peakSpeed = 16090;
    for (int i = 0; i < 5; ++i)
        t.points.push_back({91200 + i, 16090, -15, -33.865 + i * 0.001, -151.2 - i * 0.001, 0});
    test::ScratchDir dir;
    const auto file = dir.write("data.js", mapDataScript(t, {0x00336699, 2, 2}));
    const std::string printed =
        node("const vm = require(\"vm\"); const c = {};"
             "vm.runInNewContext(require(\"fs\").readFileSync(\"" +
             file.string() +
             "\", \"latin1\"), c);"
             "console.log(JSON.stringify([c.size.Height, c.line.color, c.line.weight, "
             "c.locations.length, c.locations[1], c.data[4]]));");
    EXPECT_EQ(printed, "[600,\"#996633\",2,6,[-33.864,-151.201,\"-4 F\",\"10 MPH\",\"09:12:01\"],"
                       "[\"Peak Speed:\",\"10 MPH\"]]\n");
}

// What the map page draws from in the program holds the very values of data.js, also for a name
// with quotes, backslashes and control characters (data.js escapes them for a script, the page's
// JSON for JSON).
TEST(MapDataScriptJs, TrackPageJsonHoldsWhatDataJsDeclares) {
    if (!std::filesystem::exists(kNode))
        GTEST_SKIP() << "node is not installed";
    Track t;
    t.name = "a\"b\\c\nd\x01 \xe5\x9c\xb0";
    t.stepSeconds = 5;
    t.peakSpeed = 40000;
    t.distance = 55;
    for (int i = 0; i < 7; ++i)
        t.points.push_back({80000 + 5 * i, 36000u + 1000u * static_cast<unsigned>(i), 150 + i,
                            22.5 + i * 0.0004, 114.0 + i * 0.0003, 0});
    const TrackStyle style{0x00336699, 4, -3};
    test::ScratchDir dir;
    const auto script = dir.write("data.js", mapDataScript(t, style));
    const auto json = dir.write("track.json", trackPageJson(t, style));
    const std::string printed =
        node("const fs = require(\"fs\"); const c = {};"
             "require(\"vm\").runInNewContext(fs.readFileSync(\"" +
             script.string() + "\", \"utf8\"), c); const j = JSON.parse(fs.readFileSync(\"" +
             json.string() +
             "\", \"utf8\"));"
             "console.log(JSON.stringify([c.line, c.locations, c.data]) === "
             "JSON.stringify([j.line, j.locations, j.data]) && j.data[0][1].length === 10);");
    EXPECT_EQ(printed, "true\n");
    EXPECT_EQ(trackPageJson(Track{}, style), "") << "no points, nothing to draw";
}

// A file's track in segments: the page is told at which rows of locations to lift the pen, also
// when the first fix of a segment is one the rows leave out for moving too little.
TEST(MapDataScriptJs, SegmentsOfAFileTrackReachThePageAsBreaks) {
    Track t;
    for (int i = 0; i < 6; ++i)
        t.points.push_back({80000 + i, 0, 0, 22.5 + i * 0.001, 114.0 + i * 0.001, 0});
    EXPECT_EQ(trackPageJson(t, {}).find("breaks"), std::string::npos) << "one line, as before";
    t.points[3].segmentStart = true;
    EXPECT_EQ(segmentBreakRows(t.points), std::vector<std::size_t>{3});
    EXPECT_NE(trackPageJson(t, {}).find("]],\"breaks\":[3],\"data\":"), std::string::npos);
    // The segment's first fix has hardly moved: it is left out, the break goes to the next row.
    t.points[3].latitude = t.points[2].latitude;
    EXPECT_EQ(segmentBreakRows(t.points), std::vector<std::size_t>{3});
    EXPECT_EQ(mapDataRowPoints(t.points)[3], 4u);
    EXPECT_EQ(mapDataScript(t, {}).find("breaks"), std::string::npos) << "data.js stays as it is";
}

} // namespace
} // namespace tk
