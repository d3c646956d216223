// SPDX-License-Identifier: GPL-3.0-or-later
// XMP sidecars: for formats exiv2 only reads, and beside a photo when asked; undo takes the
// position out again.
#include "photos/ExivPhotosFixture.h"

namespace tk::photos::exivtest {

TEST_F(ExivPhotos, AFormatExiv2OnlyReadsGetsASidecar) {
    // A Sony ARW is a TIFF that exiv2 reads but does not write.
    const fs::path raw = dir / "DSC0001.ARW";
    writeAll(raw, test::tinyTiff());
    ASSERT_TRUE(
        exiftoolSet(raw, {"-DateTimeOriginal=2024:07:01 10:00:30", "-OffsetTimeOriginal=+00:00"}));
    const std::string rawBefore = readAll(raw);
    const auto results = geotag({raw.string()});
    ASSERT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(results[0].sidecar, raw.string() + ".xmp");
    EXPECT_EQ(readAll(raw), rawBefore);
    const auto tags = exiftoolJson(raw.string() + ".xmp");
    EXPECT_NEAR(number(tags, "GPSLatitude"), 47.003, 1e-9);
    EXPECT_NEAR(number(tags, "GPSLongitude"), 8.006, 1e-9);
    EXPECT_NEAR(number(tags, "GPSAltitude"), 403, 1e-3);
    EXPECT_EQ(text(tags, "GPSDateTime").rfind("2024:07:01 10:00:30", 0), 0u)
        << text(tags, "GPSDateTime");
    // The sidecar counts as a position for the next run.
    EXPECT_EQ(geotag({raw.string()})[0].status, PhotoStatus::hasPosition);
    ASSERT_TRUE(undoRestores(raw, 1));
    EXPECT_FALSE(fs::exists(raw.string() + ".xmp"));
}

TEST_F(ExivPhotos, AnExistingSidecarIsMergedAndGivenBackOnUndo) {
    const fs::path photo = richJpeg("side.jpg");
    const fs::path sidecar = photo.string() + ".xmp";
    ASSERT_TRUE(exiftoolSet(sidecar, {"-XMP-dc:Title=Kept", "-XMP-xmp:Rating=4"}));
    const std::string sidecarBefore = readAll(sidecar);
    const std::string photoBefore = readAll(photo);
    settings.sidecar = true;
    const auto results = geotag({photo.string()});
    ASSERT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(readAll(photo), photoBefore) << "--sidecar leaves the photo itself alone";
    const auto tags = exiftoolJson(sidecar);
    EXPECT_EQ(text(tags, "Title"), "Kept");
    EXPECT_EQ(text(tags, "Rating"), "4");
    EXPECT_NEAR(number(tags, "GPSLatitude"), 47.000525, 1e-9);
    ASSERT_TRUE(undoRestores(dir.path(), 1));
    EXPECT_EQ(readAll(sidecar), sidecarBefore);
}

} // namespace tk::photos::exivtest
