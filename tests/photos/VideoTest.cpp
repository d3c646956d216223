// SPDX-License-Identifier: GPL-3.0-or-later
// Videos: their times and positions as MediaInfoLib gives them, and real videos geotagged through
// a sidecar at their UTC creation time, with exiftool as the independent reader.
#include "e2e/SimProcess.h"
#include "photos/ExivPhotoAccess.h"
#include "photos/PhotoSamples.h"
#include "photos/VideoMetadata.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace tk::photos {
namespace {

namespace fs = std::filesystem;
using e2e::TempDir;

std::string isoOf(std::string_view text) {
    bool utc = false;
    const auto time = parseVideoTime(text, utc);
    return time ? isoUtcText(time->asUtc()) + (utc ? " utc" : " local") : "none";
}

TEST(VideoMetadata, TimesAndPositionsInTheFormsMediaInfoGives) {
    EXPECT_EQ(isoOf("2005-10-28 17:46:46 UTC"), "2005-10-28T17:46:46Z utc");
    EXPECT_EQ(isoOf("UTC 2005-10-28 17:46:46"), "2005-10-28T17:46:46Z utc");
    EXPECT_EQ(isoOf("2020-01-05T13:19:45+0200"), "2020-01-05T11:19:45Z utc");
    EXPECT_EQ(isoOf("2020-01-01T01:30:00+05:30"), "2019-12-31T20:00:00Z utc");
    EXPECT_EQ(isoOf("2012-03-04 05:06:07"), "2012-03-04T05:06:07Z local");
    EXPECT_EQ(isoOf("1904-01-01 00:00:00 UTC"), "none");
    EXPECT_EQ(isoOf(""), "none");
    EXPECT_EQ(isoOf("yesterday"), "none");

    const auto phone = parseIso6709("+48.1000+011.5000+520.000/");
    ASSERT_TRUE(phone);
    EXPECT_DOUBLE_EQ(phone->latitude, 48.1);
    EXPECT_DOUBLE_EQ(phone->longitude, 11.5);
    EXPECT_DOUBLE_EQ(phone->altitude, 520);
    const auto south = parseIso6709("-33.5+151.25/");
    ASSERT_TRUE(south);
    EXPECT_DOUBLE_EQ(south->latitude, -33.5);
    EXPECT_DOUBLE_EQ(south->altitude, 0);
    for (const char* bad : {"", "/", "48.1+11.5/", "+91.0+011.0/", "+45.0+181.0/", "+45.0/"})
        EXPECT_FALSE(parseIso6709(bad)) << bad;
}

// The folder of real photos and videos (TK_REAL_PHOTOS, else the shared one beside the source
// tree), when it holds the two sample videos.
fs::path corpus() {
    std::vector<fs::path> folders;
    if (const char* given = std::getenv("TK_REAL_PHOTOS"))
        folders.emplace_back(given);
    folders.push_back(fs::path(TK_SOURCE_DIR) / ".." / "shared" / "photos");
    folders.push_back(fs::path(TK_SOURCE_DIR) / ".." / ".." / "shared" / "photos");
    for (const fs::path& folder : folders)
        if (fs::exists(folder / "sample_mpeg4.mp4") && fs::exists(folder / "xmp480qt.mov"))
            return folder;
    return {};
}

class Videos : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::haveExiftool())
            GTEST_SKIP() << "exiftool is not installed (Debian: libimage-exiftool-perl)";
        if (corpus().empty())
            GTEST_SKIP() << "no sample videos (set TK_REAL_PHOTOS)";
        // One fix a minute from 2020-01-05T11:00:00Z.
        FixTrack track{1, {}};
        for (int i = 0; i <= 60; ++i)
            track.fixes.push_back({kStart + 60.0 * i, 46.0 + 0.001 * i, 7.0 + 0.001 * i, 500, 4});
        tracks = {track};
        settings.zone = ZoneChoice{3 * 3600}; // a camera's zone, which a UTC time ignores
    }

    // A copy of a real video with tags changed by exiftool.
    fs::path video(const std::string& original, const std::string& name,
                   std::vector<std::string> tags = {}) {
        const fs::path path = dir / name;
        fs::copy_file(corpus() / original, path);
        fs::permissions(path, fs::perms(0644));
        if (!tags.empty()) {
            EXPECT_TRUE(test::exiftoolSet(path, tags)) << name;
        }
        return path;
    }

    std::vector<PhotoResult> geotag() {
        infos = readPhotos(access, findPhotos({dir.path().string()}));
        std::string error;
        auto results =
            matchPhotos(infos, tracks, settings, clockCorrection(settings, infos, error));
        writePhotos(access, infos, results, settings);
        return results;
    }

    static constexpr double kStart = 1578222000; // 2020-01-05T11:00:00Z
    TempDir dir;
    ExivPhotoAccess access;
    std::vector<FixTrack> tracks;
    std::vector<PhotoInfo> infos;
    GeotagSettings settings;
};

TEST_F(Videos, RealVideosGetASidecarAtTheirUtcTimeAndKeepTheirOwnPosition) {
    // The QuickTime file as it is (11:19:45Z); an MP4 at 11:30:00Z; a phone's MP4 with its own
    // zoned time (11:40:00Z) and position; an MP4 whose times are all zero.
    const fs::path mov = video("xmp480qt.mov", "a.mov");
    const fs::path mp4 =
        video("sample_mpeg4.mp4", "b.mp4", {"-QuickTime:CreateDate=2020:01:05 11:30:00"});
    const fs::path phone = video(
        "sample_mpeg4.mp4", "c.mp4",
        {"-Keys:CreationDate=2020:01:05 12:40:00+01:00", "-Keys:GPSCoordinates=48.1, 11.5, 520"});
    const fs::path timeless =
        video("sample_mpeg4.mp4", "d.mp4",
              {"-QuickTime:CreateDate=", "-QuickTime:ModifyDate=", "-Track*Date=", "-Media*Date="});
    const std::string movBytes = test::readAll(mov);
    // Given by name, a video is read like one found in a folder.
    const PhotoInfo byName = access.read(mov.string());
    EXPECT_EQ(byName.error, "");
    EXPECT_EQ(byName.mode, PhotoWriteMode::sidecarOnly);
    auto results = geotag();
    ASSERT_EQ(results.size(), 4u);
    EXPECT_EQ(infos[0].format, "MPEG-4 video");
    EXPECT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(isoUtcText(*results[0].utc), "2020-01-05T11:19:45Z");
    EXPECT_EQ(results[1].status, PhotoStatus::tagged) << results[1].reason;
    EXPECT_EQ(isoUtcText(*results[1].utc), "2020-01-05T11:30:00Z");
    EXPECT_EQ(results[2].status, PhotoStatus::hasPosition);
    EXPECT_EQ(isoUtcText(*results[2].utc), "2020-01-05T11:40:00Z");
    EXPECT_NEAR(results[2].position->latitude, 48.1, 1e-9);
    EXPECT_EQ(results[3].status, PhotoStatus::noTime);
    EXPECT_EQ(results[3].reason, "no date and time in the video");

    // The sidecar holds the track's position at that moment; the video is not touched.
    const auto tags = test::exiftoolJson(dir / "a.mov.xmp");
    EXPECT_NEAR(std::stod(tags.at("GPSLatitude")), 46.0 + 0.001 * (19 + 45.0 / 60), 1e-6);
    EXPECT_NEAR(std::stod(tags.at("GPSLongitude")), 7.0 + 0.001 * (19 + 45.0 / 60), 1e-6);
    EXPECT_EQ(test::readAll(mov), movBytes);
    EXPECT_TRUE(fs::exists(dir / "b.mp4.xmp"));
    EXPECT_FALSE(fs::exists(dir / "c.mp4.xmp"));
    EXPECT_FALSE(fs::exists(dir / "d.mp4.xmp"));

    // --overwrite gives the phone's video the track's position, in a sidecar; undo takes the
    // sidecars away again.
    settings.overwrite = true;
    results = geotag();
    EXPECT_EQ(results[2].status, PhotoStatus::tagged) << results[2].reason;
    EXPECT_NEAR(std::stod(test::exiftoolJson(dir / "c.mp4.xmp").at("GPSLatitude")), 46.04, 1e-6);
    for (const UndoResult& r : undoGeotagging(access, {dir.path().string()}))
        EXPECT_EQ(r.status, "restored") << r.file << ": " << r.reason;
    for (const char* sidecar : {"a.mov.xmp", "b.mp4.xmp", "c.mp4.xmp"})
        EXPECT_FALSE(fs::exists(dir / sidecar)) << sidecar;
}

TEST_F(Videos, AFileNamedAsAVideoThatIsNoneIsAnError) {
    test::writeAll(dir / "broken.mp4", "not a video at all");
    const auto results = geotag();
    ASSERT_EQ(results.size(), 1u);
    EXPECT_EQ(results[0].status, PhotoStatus::error);
    EXPECT_NE(results[0].reason.find("not a video"), std::string::npos) << results[0].reason;
}

} // namespace
} // namespace tk::photos
