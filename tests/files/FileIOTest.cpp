// SPDX-License-Identifier: GPL-3.0-or-later
// Files read back whole, in ranges and in pieces of a fixed size.
#include "files/FileIO.h"
#include "files/AtomicFile.h"
#include "files/FileFolder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace tk {
namespace {

namespace fs = std::filesystem;

using FileIO = test::FileFolder;

std::vector<std::string> piecesOf(const std::string& file, std::size_t size, std::string& error) {
    std::vector<std::string> pieces;
    std::vector<char> buffer(size);
    error = readFileInPieces(file, buffer, [&](std::string_view p) { pieces.emplace_back(p); });
    return pieces;
}

TEST_F(FileIO, ReadsInPiecesOfTheGivenSizeWithAShorterLastOne) {
    std::string bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += static_cast<char>(i * 7);
    ASSERT_EQ(writeFileAtomically(path("in"), bytes), "");
    std::string error;
    const auto pieces = piecesOf(path("in"), 24, error);
    EXPECT_EQ(error, "");
    ASSERT_EQ(pieces.size(), 42u);
    EXPECT_EQ(pieces.back().size(), 1000u - 41u * 24u);
    std::string joined;
    for (const auto& p : pieces) {
        if (&p != &pieces.back()) {
            EXPECT_EQ(p.size(), 24u);
        }
        joined += p;
    }
    EXPECT_EQ(joined, bytes);

    ASSERT_EQ(writeFileAtomically(path("exact"), bytes.substr(0, 48)), "");
    EXPECT_EQ(piecesOf(path("exact"), 24, error).size(), 2u);
    ASSERT_EQ(writeFileAtomically(path("empty"), ""), "");
    EXPECT_TRUE(piecesOf(path("empty"), 24, error).empty());
    EXPECT_EQ(error, "");
}

TEST_F(FileIO, ReadingGathersShortReadsFromAPipeIntoWholePieces) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::thread writer([fd = fds[1]] {
        for (int i = 0; i < 100; ++i) {
            const char bytes[5] = {'a', 'b', 'c', 'd', static_cast<char>(i)};
            EXPECT_EQ(::write(fd, bytes, sizeof bytes), 5);
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        ::close(fd);
    });
    std::string error;
    const auto pieces = piecesOf("/proc/self/fd/" + std::to_string(fds[0]), 24, error);
    writer.join();
    ::close(fds[0]);
    EXPECT_EQ(error, "");
    ASSERT_EQ(pieces.size(), 21u);
    for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
        EXPECT_EQ(pieces[i].size(), 24u) << "piece " << i;
    EXPECT_EQ(pieces.back().size(), 500u - 20u * 24u);
}

TEST_F(FileIO, ReadingAMissingFileOrAFolderGivesTheErrorText) {
    std::string error;
    EXPECT_TRUE(piecesOf(path("none.gpl"), 24, error).empty());
    EXPECT_EQ(error, path("none.gpl") + ": No such file or directory");
    EXPECT_TRUE(piecesOf(dir_.string(), 24, error).empty());
    EXPECT_EQ(error, dir_.string() + ": Is a directory");
}

TEST_F(FileIO, ReadsWholeFilesAndRangesShortAtTheEnd) {
    std::string bytes(200000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 13 + i / 256);
    ASSERT_EQ(writeFileAtomically(path("photo"), bytes), "");
    EXPECT_EQ(readFileBytes(path("photo")), bytes);
    EXPECT_EQ(readFileRange(path("photo"), 70000, 10), bytes.substr(70000, 10));
    EXPECT_EQ(readFileRange(path("photo"), 199995, 10), bytes.substr(199995));
    EXPECT_EQ(readFileRange(path("photo"), 300000, 10), "");
    ASSERT_EQ(writeFileAtomically(path("empty"), ""), "");
    EXPECT_EQ(readFileBytes(path("empty")), "");

    errno = 0;
    EXPECT_EQ(readFileBytes(path("none")), std::nullopt);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(readFileBytes(dir_.string()), std::nullopt);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_EQ(readFileRange(path("photo"), -1, 10), std::nullopt);
    EXPECT_EQ(errno, EINVAL);
}

} // namespace
} // namespace tk
