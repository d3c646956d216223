// SPDX-License-Identifier: GPL-3.0-or-later
// trailkeep-cli geotag --suggest-offset and --offset auto on a walk with stops and photos of four
// cameras whose clock errors it is not told.
#include "e2e/SimProcess.h"
#include "photos/WalkPhotos.h"
#include "support/Contains.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>

namespace tk::e2e {
namespace {

using test::contains;
using test::WalkPhotos;

class CliSuggest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian: libimage-exiftool-perl)";
        photos = test::makeWalkPhotos(dir.path());
    }

    // The camera's JSON object: its offset text, confidence and reason.
    std::smatch camera(const std::string& out, const std::string& name) {
        const std::regex object("\\{\"camera\": \"" + name +
                                "\", \"files\": \\[[^\\]]*\\], \"photos\": ([0-9]+), \"offset\": "
                                "(-?[0-9]+|null), \"confidence\": \"([a-z]+)\", \"reason\": "
                                "\"([^\"]*)\"\\}");
        std::smatch m;
        EXPECT_TRUE(std::regex_search(out, m, object)) << name << " in " << out;
        return m;
    }

    TempDir dir;
    WalkPhotos photos;
};

TEST_F(CliSuggest, EachCameraGetsItsCorrectionAndItsConfidence) {
    const CliResult r = runCli({"geotag", "--suggest-offset", photos.project.string(),
                                photos.folder.string(), "--zone", "+00:00", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.rfind("{\"cameras\": [", 0), 0u) << r.out;

    const std::smatch canon = camera(r.out, WalkPhotos::kCanon);
    EXPECT_EQ(canon[1], "16");
    EXPECT_NEAR(std::stod(canon[2]), WalkPhotos::kCanonOffset, 10);
    EXPECT_EQ(canon[3], "high") << canon[4];
    const std::smatch phone = camera(r.out, WalkPhotos::kPhone);
    EXPECT_EQ(phone[2], "-3");
    EXPECT_EQ(phone[3], "high");
    EXPECT_EQ(phone[4], "from the GPS time stamps of 3 photos");
    const std::smatch nikon = camera(r.out, "NIKON CORPORATION NIKON D90");
    EXPECT_EQ(nikon[2], "null");
    EXPECT_EQ(nikon[3], "none");
    const std::smatch plain = camera(r.out, "Unknown camera");
    EXPECT_EQ(plain[3], "low") << plain[4];

    // Nothing was written.
    EXPECT_EQ(test::exiftoolJson(photos.canon.front().first).count("GPSLatitude"), 0u);

    const CliResult table = runCli({"geotag", "--suggest-offset", photos.project.string(),
                                    photos.folder.string(), "--zone", "+00:00"});
    ASSERT_EQ(table.status, 0) << table.err;
    EXPECT_TRUE(contains(table.out, {"CAMERA"}));
    EXPECT_TRUE(std::regex_search(table.out, std::regex("Apple iPhone 12 +3 +-3 +high +from")))
        << table.out;
}

TEST_F(CliSuggest, OffsetAutoTagsWhereThePhotosWereTakenAndLeavesTheUnsureAlone) {
    const CliResult r = runCli({"geotag", photos.project.string(), photos.folder.string(), "--zone",
                                "+00:00", "--offset", "auto", "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& [path, utc] : photos.canon) {
        const auto tags = test::exiftoolJson(path);
        ASSERT_EQ(tags.count("GPSLatitude"), 1u) << path << "\n" << r.out;
        const test::WalkFix& truth = photos.walk.at(static_cast<std::int64_t>(utc));
        // A stop's position: within a few metres of where the photo was taken.
        EXPECT_NEAR(std::stod(tags.at("GPSLatitude")), truth.latitude, 5e-5);
        EXPECT_NEAR(std::stod(tags.at("GPSLongitude")), truth.longitude, 5e-5);
    }
    EXPECT_TRUE(contains(r.out, {"\"status\": \"no-offset\"",
                                 "no clock correction for its camera: none confidence: "}));
    EXPECT_EQ(test::exiftoolJson(photos.folder / "nikon-3.jpg").count("GPSLatitude"), 0u);
    EXPECT_EQ(test::exiftoolJson(photos.folder / "plain-2.jpg").count("GPSLatitude"), 0u);

    const CliResult table = runCli({"geotag", photos.project.string(), photos.folder.string(),
                                    "--zone", "+00:00", "--offset", "auto"});
    EXPECT_TRUE(contains(table.out, {"without a clock correction"}));
}

} // namespace
} // namespace tk::e2e
