// SPDX-License-Identifier: GPL-3.0-or-later
// A file kept up to date from a thread of its own: the newest content wins, readers never see a
// mix, and failures are reported rather than lost.
#include "files/LatestFileWriter.h"
#include "files/FileFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <set>
#include <string>
#include <thread>

namespace tk {
namespace {

std::string contentNumber(int n) {
    return "version " + std::to_string(n) + '\n' +
           std::string(200000, static_cast<char>('a' + n % 26));
}

using LatestFileWriterTest = test::FileFolder;

TEST_F(LatestFileWriterTest, ABurstEndsWithTheLastContentAndReadersOnlyEverSeeWholeOnes) {
    const std::string file = path("data.js");
    std::set<std::string> asked;
    std::atomic<bool> done = false;
    std::atomic<int> mixed = 0;
    std::thread reader([&] {
        while (!done) {
            const std::string seen = contents(file);
            if (!seen.empty() && seen != contentNumber(std::stoi(seen.substr(8))))
                ++mixed;
        }
    });
    std::atomic<int> made = 0;
    {
        LatestFileWriter writer(file);
        for (int n = 0; n < 200; ++n)
            writer.write([n, &made] {
                ++made;
                return contentNumber(n);
            });
        EXPECT_EQ(writer.finish(), "");
        EXPECT_EQ(contents(file), contentNumber(199));
        writer.write([] { return contentNumber(7); });
    } // the destructor finishes the write asked last
    done = true;
    reader.join();
    EXPECT_EQ(contents(file), contentNumber(7));
    EXPECT_EQ(mixed, 0);
    EXPECT_LT(made, 201) << "content superseded before it was made is never made";
}

TEST_F(LatestFileWriterTest,
       AFailedWriteIsReportedUntilAWriteSucceedsAndEmptyContentWritesNothing) {
    const std::string folder = path("pages");
    LatestFileWriter writer(folder + "/data.js");
    writer.write([] { return std::string("first"); });
    EXPECT_NE(writer.finish().find("pages/data.js"), std::string::npos);

    std::filesystem::create_directory(folder);
    writer.write([] { return std::string(); });
    EXPECT_NE(writer.finish(), "") << "nothing written: the last write's error stands";
    EXPECT_FALSE(std::filesystem::exists(folder + "/data.js"));
    writer.write([] { return std::string("second"); });
    EXPECT_EQ(writer.finish(), "");
    EXPECT_EQ(contents(folder + "/data.js"), "second");
}

} // namespace
} // namespace tk
