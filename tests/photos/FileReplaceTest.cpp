// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a photo through a temporary file: the new content from memory and from ranges of the
// original, the original's permissions, times and extended attributes kept, and every failure
// leaving the original as it was with no temporary file behind.
#include "photos/FileReplace.h"
#include "e2e/SimProcess.h"
#include "files/AtomicFile.h"
#include "files/FileIO.h"
#include "photos/PhotoSamples.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <thread>
#include <unistd.h>

namespace tk::photos {
namespace {

namespace fs = std::filesystem;
using e2e::TempDir;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(FileReplace, PiecesFromMemoryAndTheOriginalKeepingModeTimesAndAttributes) {
    const TempDir dir;
    const fs::path file = dir / "photo.jpg";
    test::writeAll(file, "HEADER-old-tail of the image");
    fs::permissions(file, fs::perms(0604));
    test::setMtime(file, 1400000000987654321LL);
    const bool attributes = ::setxattr(file.c_str(), "user.rating", "5", 1, 0) == 0;
    const auto stamp = fileStamp(file.string());
    ASSERT_TRUE(stamp);
    const std::string error =
        replaceFile(file.string(), *stamp,
                    {ContentPiece::memory("header-new"), ContentPiece::original(10, 18)});
    ASSERT_EQ(error, "");
    EXPECT_EQ(test::readAll(file), "header-new-tail of the image");
    EXPECT_EQ(test::modeOf(file), 0604u);
    EXPECT_EQ(test::mtimeNanoseconds(file), 1400000000987654321LL);
    if (attributes) {
        char value[8] = {};
        EXPECT_EQ(::getxattr(file.c_str(), "user.rating", value, sizeof value), 1);
        EXPECT_EQ(value[0], '5');
    }
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(FileReplace, ASymbolicLinkIsWrittenThroughAndStaysALink) {
    const TempDir dir;
    fs::create_directories(dir / "originals");
    const fs::path target = dir / "originals" / "photo.jpg";
    test::writeAll(target, "old");
    const fs::path link = dir / "link.jpg";
    fs::create_symlink(target, link);
    const auto stamp = fileStamp(link.string());
    ASSERT_EQ(replaceFile(link.string(), *stamp, {ContentPiece::memory("new")}), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(test::readAll(target), "new");
}

TEST(FileReplace, FailuresLeaveTheOriginalAndNoTemporaryFile) {
    const TempDir dir;
    const fs::path file = dir / "photo.jpg";
    test::writeAll(file, "original bytes");
    const auto stamp = fileStamp(file.string());
    ASSERT_TRUE(stamp);
    // A range past the end of the original (it was cut short meanwhile).
    EXPECT_NE(replaceFile(file.string(), *stamp, {ContentPiece::original(0, 1000)}), "");
    EXPECT_EQ(test::readAll(file), "original bytes");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
    // Changed since it was read.
    test::writeAll(file, "changed by someone else");
    EXPECT_NE(replaceFile(file.string(), *stamp, {ContentPiece::memory("x")}).find("changed"),
              std::string::npos);
    EXPECT_EQ(test::readAll(file), "changed by someone else");
    // Read-only.
    fs::permissions(file, fs::perms(0444));
    const auto locked = fileStamp(file.string());
    EXPECT_NE(replaceFile(file.string(), *locked, {ContentPiece::memory("x")}).find("read-only"),
              std::string::npos);
    EXPECT_EQ(test::readAll(file), "changed by someone else");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"photo.jpg"});
}

TEST(FileReplace, WholeFilesKeepAnExistingFilesModeAndMakeNewOnesHidden) {
    const TempDir dir;
    const fs::path sidecar = dir / "a.jpg.xmp";
    ASSERT_EQ(writeFileAtomically(sidecar.string(), "<x/>"), "");
    EXPECT_EQ(test::readAll(sidecar), "<x/>");
    fs::permissions(sidecar, fs::perms(0600));
    ASSERT_EQ(writeFileAtomically(sidecar.string(), "<y/>"), "");
    EXPECT_EQ(test::readAll(sidecar), "<y/>");
    EXPECT_EQ(test::modeOf(sidecar), 0600u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.jpg.xmp"});
    EXPECT_NE(writeFileAtomically((dir / "missing" / "b.xmp").string(), "x"), "");
}

// The umask as the kernel reports it, read without changing it.
std::string reportedUmask() {
    const std::string status = test::readAll("/proc/self/status");
    const auto at = status.find("Umask:");
    return at == std::string::npos ? std::string() : status.substr(at, status.find('\n', at) - at);
}

// A folder in memory when the machine has one: writes there take no disk time, so thousands of
// them overlap the other thread's work.
struct MemoryFolder {
    fs::path path;
    MemoryFolder() {
        std::string pattern =
            (fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
            "tk-umask-XXXXXX";
        if (::mkdtemp(pattern.data()))
            path = pattern;
    }
    ~MemoryFolder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }
};

TEST(FileReplace, ParallelWritersNeverChangeTheUmask) {
    const MemoryFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const fs::path& dir = folder.path;
    const mode_t saved = ::umask(027);
    const std::string expected = reportedUmask();
    std::atomic<bool> done{false};
    std::vector<std::string> errors(8);
    std::vector<std::thread> writers;
    for (std::size_t t = 0; t < errors.size(); ++t)
        writers.emplace_back([&, t] {
            for (int i = 0; i < 4000 && errors[t].empty(); ++i)
                errors[t] = writeFileAtomically(
                    (dir / ("w" + std::to_string(t) + "-" + std::to_string(i))).string(), "x");
        });
    // Meanwhile another thread of the program makes files of its own and looks at the umask.
    int wrongModes = 0;
    int wrongMasks = 0;
    std::thread other([&] {
        for (int i = 0; !done; ++i) {
            const fs::path own = dir / ("own-" + std::to_string(i));
            const int fd = ::open(own.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
            ::close(fd);
            wrongModes += test::modeOf(own) != 0640;
            wrongMasks += !expected.empty() && reportedUmask() != expected;
        }
    });
    for (std::thread& w : writers)
        w.join();
    done = true;
    other.join();
    ::umask(saved);
    for (const std::string& error : errors)
        EXPECT_EQ(error, "");
    EXPECT_EQ(wrongModes, 0);
    EXPECT_EQ(wrongMasks, 0);
    // New files get 0666 less the umask, every one of them.
    for (const auto& e : fs::directory_iterator(dir))
        EXPECT_EQ(test::modeOf(e.path()), 0640u) << e.path();
}

} // namespace
} // namespace tk::photos
