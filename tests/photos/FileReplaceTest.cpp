// SPDX-License-Identifier: GPL-3.0-or-later
// Replacing a photo through a temporary file: the new content from memory and from ranges of the
// original, the original's permissions, times and extended attributes kept, and every failure
// leaving the original as it was with no temporary file behind.
#include "photos/FileReplace.h"
#include "e2e/SimProcess.h"
#include "photos/PhotoSamples.h"

#include <gtest/gtest.h>

#include <sys/xattr.h>

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
    ASSERT_EQ(writeWholeFile(sidecar.string(), "<x/>"), "");
    EXPECT_EQ(test::readAll(sidecar), "<x/>");
    fs::permissions(sidecar, fs::perms(0600));
    ASSERT_EQ(writeWholeFile(sidecar.string(), "<y/>"), "");
    EXPECT_EQ(test::readAll(sidecar), "<y/>");
    EXPECT_EQ(test::modeOf(sidecar), 0600u);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.jpg.xmp"});
    EXPECT_NE(writeWholeFile((dir / "missing" / "b.xmp").string(), "x"), "");
}

} // namespace
} // namespace tk::photos
