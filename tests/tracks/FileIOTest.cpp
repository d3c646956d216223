// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all, and files read back in pieces of a fixed size.
#include "tracks/FileIO.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tk {
namespace {

namespace fs = std::filesystem;

class FileIO : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tk-fileio-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }
    static std::string contents(const std::string& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    std::vector<std::string> names() const {
        std::vector<std::string> list;
        for (const auto& entry : fs::directory_iterator(dir_))
            list.push_back(entry.path().filename().string());
        return list;
    }

    fs::path dir_;
};

TEST_F(FileIO, AtomicFileAppearsWholeOnCommitWithTheUsualMode) {
    const std::string out = path("out.kml");
    {
        AtomicFile file(out);
        file.write("<kml>");
        file.write(std::string(100000, 'x'));
        EXPECT_FALSE(fs::exists(out)) << "visible before commit";
        file.write("</kml>");
        EXPECT_EQ(file.commit(), "");
    }
    EXPECT_EQ(contents(out), "<kml>" + std::string(100000, 'x') + "</kml>");
    EXPECT_EQ(names(), std::vector<std::string>{"out.kml"}) << "temporary file left behind";
    struct stat info {};
    ASSERT_EQ(::stat(out.c_str(), &info), 0);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
}

TEST_F(FileIO, AtomicFileNeverCommittedKeepsWhatWasThere) {
    const std::string out = path("track.gpx");
    ASSERT_EQ(writeFileAtomically(out, "old"), "");
    {
        AtomicFile file(out);
        file.write("half of a new file");
    }
    EXPECT_EQ(contents(out), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"track.gpx"});
    ASSERT_EQ(writeFileAtomically(out, "new"), "");
    EXPECT_EQ(contents(out), "new");
}

TEST_F(FileIO, AtomicFileInAMissingFolderReportsThePathAndWritesNothing) {
    const std::string out = path("missing/out.js");
    AtomicFile file(out);
    file.write("ignored");
    EXPECT_EQ(file.commit(), out + ": No such file or directory");
    EXPECT_EQ(writeFileAtomically(out, "x"), out + ": No such file or directory");
    EXPECT_TRUE(names().empty());
}

TEST_F(FileIO, AtomicFileOverAFolderFailsAndLeavesNoTemporaryFile) {
    fs::create_directory(path("taken"));
    AtomicFile file(path("taken"));
    file.write("bytes");
    EXPECT_NE(file.commit(), "");
    EXPECT_NE(file.commit(), "") << "a second commit must not report success";
    EXPECT_EQ(names(), std::vector<std::string>{"taken"});
}

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

} // namespace
} // namespace tk
