// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF files geotagged in place by appending, and undone: back to their very bytes when nothing
// changed them since, else only their GPS tags go back.
#include "photos/ExivPhotosFixture.h"

namespace tk::photos::exivtest {

TEST_F(ExivPhotos, TiffIsWrittenInPlace) {
    const fs::path tiff = dir / "scan.tif";
    writeAll(tiff, test::tinyTiff());
    ASSERT_TRUE(
        exiftoolSet(tiff, {"-DateTimeOriginal=2024:07:01 10:00:20", "-OffsetTimeOriginal=+00:00",
                           "-Make=Scanner", "-XMP-dc:Title=Scan", "-IPTC:Keywords=paper"}));
    auto withoutPlaces = [](std::vector<std::string> lines) {
        std::erase_if(lines, [](const std::string& l) {
            return l.find("StripOffsets=") != std::string::npos;
        });
        return lines;
    };
    const auto dumpBefore = withoutPlaces(exiftoolDump(tiff, true));
    const std::string pixels = test::pixelSignature(tiff);
    const auto results = geotag({tiff.string()});
    ASSERT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    const auto tags = exiftoolJson(tiff);
    EXPECT_NEAR(number(tags, "GPSLatitude"), 47.002, 1e-9);
    EXPECT_EQ(text(tags, "GPSTimeStamp"), "10:00:20");
    EXPECT_EQ(withoutPlaces(exiftoolDump(tiff, false)), [&] {
        auto d = dumpBefore;
        std::erase_if(d, [](const std::string& l) {
            return l.find(":ThumbnailOffset=") != std::string::npos;
        });
        return d;
    }());
    if (!pixels.empty()) {
        EXPECT_EQ(test::pixelSignature(tiff), pixels);
    }
    ASSERT_TRUE(undoRestores(tiff, 1));
    EXPECT_EQ(withoutPlaces(exiftoolDump(tiff, true)), dumpBefore);
}

// A TIFF the writer only appended to is cut back to its very bytes on undo, past an
// --overwrite run too; one changed since (or journaled without what cuts it back) gets its old
// GPS tags written again instead, keeping the other change.
TEST_F(ExivPhotos, TiffUndoGivesBackTheVeryBytes) {
    auto scan = [&](const std::string& name, std::vector<std::string> tags) {
        const fs::path path = dir / name;
        writeAll(path, test::tinyTiff());
        tags.push_back("-DateTimeOriginal=2024:07:01 10:00:20");
        tags.push_back("-OffsetTimeOriginal=+00:00");
        EXPECT_TRUE(exiftoolSet(path, tags)) << name;
        return path;
    };
    const fs::path plain = scan("plain.tif", {"-Make=Scanner"});
    const fs::path placed =
        scan("placed.tif", {"-GPSLatitude=10", "-GPSLatitudeRef=N", "-GPSLongitude=20",
                            "-GPSLongitudeRef=E", "-GPSAltitude=7"});
    const std::string plainBefore = readAll(plain);
    const std::string placedBefore = readAll(placed);
    auto results = geotag({dir.path().string()});
    ASSERT_EQ(results.size(), 2u);
    settings.overwrite = true;
    settings.offset = 3;
    results = geotag({dir.path().string()});
    for (const PhotoResult& r : results)
        EXPECT_EQ(r.status, PhotoStatus::tagged) << r.reason;
    EXPECT_NEAR(number(exiftoolJson(placed), "GPSLatitude"), 47.0023, 1e-9);

    ASSERT_TRUE(undoRestores(dir.path(), 2));
    EXPECT_TRUE(readAll(plain) == plainBefore);
    EXPECT_TRUE(readAll(placed) == placedBefore);
}

TEST_F(ExivPhotos, TiffChangedSinceOrJournaledEarlierGetsItsGpsTagsBack) {
    const fs::path changed = dir / "changed.tif";
    const fs::path older = dir / "older.tif";
    for (const fs::path& p : {changed, older}) {
        writeAll(p, test::tinyTiff());
        ASSERT_TRUE(exiftoolSet(
            p, {"-DateTimeOriginal=2024:07:01 10:00:20", "-OffsetTimeOriginal=+00:00"}));
    }
    const std::uintmax_t sizeBefore = fs::file_size(older);
    for (const PhotoResult& r : geotag({dir.path().string()}))
        ASSERT_EQ(r.status, PhotoStatus::tagged) << r.reason;
    ASSERT_TRUE(exiftoolSet(changed, {"-Artist=Someone else"}));
    // A journal written before entries knew how to cut a TIFF back.
    std::string error;
    auto journal = readJournal(dir.path().string(), error);
    ASSERT_EQ(journal.size(), 2u) << error;
    for (JournalEntry& e : journal) {
        EXPECT_TRUE(e.appended) << e.name;
        if (e.name == "older.tif")
            e.appended.reset();
    }
    ASSERT_EQ(writeJournal(dir.path().string(), journal), "");

    ASSERT_TRUE(undoRestores(dir.path(), 2));
    for (const fs::path& p : {changed, older})
        EXPECT_EQ(exiftoolJson(p).count("GPSLatitude"), 0u) << p;
    EXPECT_EQ(text(exiftoolJson(changed), "Artist"), "Someone else");
    EXPECT_GT(fs::file_size(older), sizeBefore) << "written again, as such entries always were";
}

} // namespace tk::photos::exivtest
