// SPDX-License-Identifier: GPL-3.0-or-later
// Files written whole or not at all: what a replaced file keeps, what a new one gets, and every
// failure leaving what was there with no temporary file behind.
#include "files/AtomicFile.h"
#include "files/FileFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace tk {
namespace {

namespace fs = std::filesystem;

class AtomicFileTest : public test::FileFolder {
protected:
    static struct stat statOf(const std::string& file) {
        struct stat info {};
        EXPECT_EQ(::stat(file.c_str(), &info), 0);
        return info;
    }
    static void setTimes(const std::string& file, std::int64_t seconds) {
        const struct timespec times[2] = {{seconds, 123456789}, {seconds, 987654321}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
    }
};

TEST_F(AtomicFileTest, AppearsWholeOnCommitWithTheModeTheUmaskGives) {
    const std::string out = path("out.kml");
    const mode_t saved = ::umask(027);
    {
        AtomicFile file(out);
        file.write("<kml>");
        file.write(std::string(100000, 'x'));
        EXPECT_FALSE(fs::exists(out)) << "visible before commit";
        file.write("</kml>");
        EXPECT_EQ(file.commit(), "");
    }
    ::umask(saved);
    EXPECT_EQ(contents(out), "<kml>" + std::string(100000, 'x') + "</kml>");
    EXPECT_EQ(names(), std::vector<std::string>{"out.kml"}) << "temporary file left behind";
    EXPECT_EQ(statOf(out).st_mode & 0777, 0640u);
    ASSERT_EQ(writeFileAtomically(path("later.kml"), "x"), "");
    EXPECT_EQ(statOf(path("later.kml")).st_mode & 0777, 0666u & ~saved);
}

TEST_F(AtomicFileTest, AReplacedFileKeepsItsModeAttributesAndWhenAskedItsTimes) {
    const std::string out = path("project.gpl");
    ASSERT_EQ(writeFileAtomically(out, "old"), "");
    ASSERT_EQ(::chmod(out.c_str(), 0604), 0);
    const bool attributes = ::setxattr(out.c_str(), "user.note", "kept", 4, 0) == 0;
    setTimes(out, 1400000000);

    ASSERT_EQ(writeFileAtomically(out, "new", FileTimes::Kept), "");
    EXPECT_EQ(contents(out), "new");
    struct stat info = statOf(out);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_EQ(info.st_mtim.tv_sec, 1400000000);
    EXPECT_EQ(info.st_mtim.tv_nsec, 987654321);
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(out.c_str(), "user.note", value, sizeof value), 4);
        EXPECT_EQ(std::string(value), "kept");
    }

    ASSERT_EQ(writeFileAtomically(out, "newer"), "");
    info = statOf(out);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    EXPECT_GT(info.st_mtim.tv_sec, 1400000000) << "times are kept only when asked";
    EXPECT_EQ(names(), std::vector<std::string>{"project.gpl"});
}

TEST_F(AtomicFileTest, CopiesRangesOfAnOpenFileAndFailsOnOneCutShort) {
    const std::string original = path("photo.jpg");
    ASSERT_EQ(writeFileAtomically(original, "HEADER-old-tail of the image"), "");
    const int in = ::open(original.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(in, 0);
    {
        AtomicFile file(original);
        file.write("header-new");
        file.copy(in, 10, 18);
        EXPECT_EQ(file.commit(), "");
    }
    EXPECT_EQ(contents(original), "header-new-tail of the image");
    {
        AtomicFile file(original);
        file.copy(in, 0, 1000); // the descriptor still reads the first version
        EXPECT_NE(file.commit(), "");
    }
    ::close(in);
    EXPECT_EQ(contents(original), "header-new-tail of the image");
    EXPECT_EQ(names(), std::vector<std::string>{"photo.jpg"});
}

TEST_F(AtomicFileTest, ASymbolicLinkIsWrittenThroughAndStaysALink) {
    fs::create_directory(dir_ / "real");
    const std::string target = path("real/track.gpx");
    ASSERT_EQ(writeFileAtomically(target, "old"), "");
    fs::create_symlink(target, dir_ / "link.gpx");
    ASSERT_EQ(writeFileAtomically(path("link.gpx"), "new"), "");
    EXPECT_TRUE(fs::is_symlink(dir_ / "link.gpx"));
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(names(), (std::vector<std::string>{"link.gpx", "real"}));
}

TEST_F(AtomicFileTest, NeverCommittedKeepsWhatWasThere) {
    const std::string out = path("track.gpx");
    ASSERT_EQ(writeFileAtomically(out, "old"), "");
    {
        AtomicFile file(out);
        file.write("half of a new file");
    }
    EXPECT_EQ(contents(out), "old");
    EXPECT_EQ(names(), std::vector<std::string>{"track.gpx"});
}

TEST_F(AtomicFileTest, FailuresNameThePathAndLeaveNoTemporaryFile) {
    const std::string missing = path("missing/out.js");
    AtomicFile file(missing);
    file.write("ignored");
    EXPECT_EQ(file.commit(), missing + ": No such file or directory");
    EXPECT_EQ(writeFileAtomically(missing, "x"), missing + ": No such file or directory");

    fs::create_directory(path("taken"));
    AtomicFile overFolder(path("taken"));
    overFolder.write("bytes");
    EXPECT_NE(overFolder.commit(), "");
    EXPECT_NE(overFolder.commit(), "") << "a second commit must not report success";
    EXPECT_EQ(names(), std::vector<std::string>{"taken"});
}

} // namespace
} // namespace tk
