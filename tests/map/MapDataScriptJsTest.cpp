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

TEST(MapDataScriptJs, NodeReadsTheGlobalsThePagesUse) {
    if (!std::filesystem::exists(kNode))
        GTEST_SKIP() << "node is not installed";
    Track t;
    t.name = "2026-6-10 09:12:00";
    t.colour = 0x00336699;
    t.stepSeconds = 1;
    t.unitFlag = 1;
    t.peakSpeed = 16090;
    for (int i = 0; i < 5; ++i)
        t.points.push_back({91200 + i, 16090, -15, -33.865 + i * 0.001, -151.2 - i * 0.001, 0});
    test::ScratchDir dir;
    const auto file = dir.write("data.js", mapDataScript(t));
    const std::string printed =
        run(std::string(kNode) + " -e '" + "const vm = require(\"vm\"); const c = {};" +
            "vm.runInNewContext(require(\"fs\").readFileSync(\"" + file.string() +
            "\", \"latin1\"), c);" +
            "console.log(JSON.stringify([c.size.Height, c.line.color, c.line.weight, " +
            "c.locations.length, c.locations[1], c.data[4]]));' 2>&1");
    EXPECT_EQ(printed, "[600,\"#996633\",2,6,[-33.864,-151.201,\"-4 F\",\"10 MPH\",\"09:12:01\"],"
                       "[\"Peak Speed:\",\"10 MPH\"]]\n");
}

} // namespace
} // namespace tk
