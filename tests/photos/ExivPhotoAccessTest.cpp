// SPDX-License-Identifier: GPL-3.0-or-later
// JPEGs made in the test, geotagged with exiv2 and read back with exiftool (the independent
// reader) and exiv2: the tags other programs read, everything else left as it was, undo, the
// capture time, and bad photos.
#include "photos/ExivPhotosFixture.h"
#include "photos/JpegSegments.h"

namespace tk::photos::exivtest {

TEST_F(ExivPhotos, TheTagsAreWhatExiftoolAndExiv2Read) {
    const fs::path north = richJpeg("north.jpg");
    // 20:00:05.5 at -04:00 is 00:00:05.5 UTC the next day.
    const fs::path south =
        jpeg("south.jpg", {"-DateTimeOriginal=2024:07:01 20:00:05", "-SubSecTimeOriginal=5",
                           "-OffsetTimeOriginal=-04:00"});
    const auto results = geotag({north.string(), south.string()});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(results[1].status, PhotoStatus::tagged) << results[1].reason;

    // 10:00:05.25 is 0.525 of the way from the first fix of track 1 to the second.
    const auto n = exiftoolJson(north);
    EXPECT_NEAR(number(n, "GPSLatitude"), 47.000525, 1e-9);
    EXPECT_NEAR(number(n, "GPSLongitude"), 8.00105, 1e-9);
    EXPECT_EQ(text(n, "GPSLatitudeRef"), "N");
    EXPECT_EQ(text(n, "GPSLongitudeRef"), "E");
    EXPECT_NEAR(number(n, "GPSAltitude"), 400.525, 1e-3);
    EXPECT_EQ(number(n, "GPSAltitudeRef"), 0);
    EXPECT_EQ(text(n, "GPSTimeStamp"), "10:00:05.25");
    EXPECT_EQ(text(n, "GPSDateStamp"), "2024:07:01");
    EXPECT_EQ(text(n, "GPSVersionID"), "2 3 0 0");
    EXPECT_EQ(text(n, "GPSMapDatum"), "WGS-84");
    EXPECT_EQ(text(n, "GPSSpeedRef"), "K");
    EXPECT_NEAR(number(n, "GPSSpeed"), 10.525, 1e-3);

    const auto s = exiftoolJson(south);
    EXPECT_NEAR(number(s, "GPSLatitude"), -33.00055, 1e-9);
    EXPECT_NEAR(number(s, "GPSLongitude"), -70.00165, 1e-9);
    EXPECT_EQ(text(s, "GPSLatitudeRef"), "S");
    EXPECT_EQ(text(s, "GPSLongitudeRef"), "W");
    EXPECT_EQ(number(s, "GPSAltitudeRef"), 1);
    EXPECT_NEAR(number(s, "GPSAltitude"), -5.55, 1e-3); // exiftool signs it by the reference
    EXPECT_EQ(text(s, "GPSTimeStamp"), "00:00:05.5");
    EXPECT_EQ(text(s, "GPSDateStamp"), "2024:07:02");

    // The embedded thumbnail is read for the window's table.
    EXPECT_EQ(infos[0].thumbnail, test::exiftoolBinary(north, "ThumbnailImage"));
    EXPECT_EQ(infos[1].thumbnail, "");

    // exiv2 reads the same position back.
    const PhotoInfo again = access.read(south.string());
    ASSERT_TRUE(again.position);
    EXPECT_NEAR(again.position->latitude, -33.00055, 1e-9);
    EXPECT_NEAR(again.position->altitude, -5.55, 1e-3);
}

TEST_F(ExivPhotos, NothingElseChanges) {
    const fs::path photo = richJpeg("rich.jpg");
    fs::permissions(photo, fs::perms(0640));
    test::setMtime(photo, 1500000000123456789LL);
    const std::string before = readAll(photo);
    const auto dumpBefore = exiftoolDump(photo, false);
    const std::string thumbnail = test::exiftoolBinary(photo, "ThumbnailImage");
    const std::string icc = test::exiftoolBinary(photo, "ICC_Profile");
    ASSERT_FALSE(thumbnail.empty());
    ASSERT_EQ(icc, test::tinyIccProfile());

    const auto results = geotag({photo.string()});
    ASSERT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    const std::string after = readAll(photo);
    EXPECT_NE(after, before);
    EXPECT_EQ(exiftoolDump(photo, false), dumpBefore);
    EXPECT_EQ(test::exiftoolBinary(photo, "ThumbnailImage"), thumbnail);
    EXPECT_EQ(test::exiftoolBinary(photo, "ICC_Profile"), icc);
    const JpegParts was = partsOf(before);
    const JpegParts is = partsOf(after);
    EXPECT_EQ(is.image, was.image) << "the image data must stay as it was";
    EXPECT_EQ(is.otherSegments, was.otherSegments) << "only the Exif segment may change";
    EXPECT_EQ(test::modeOf(photo), 0640u);
    EXPECT_EQ(test::mtimeNanoseconds(photo), 1500000000123456789LL);
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        EXPECT_TRUE(entry.path().filename() == "rich.jpg" ||
                    entry.path().filename() == ".trailkeep-geotag")
            << "left behind: " << entry.path();
    }

    // A second run changes no byte: the photo has a position now, and overwriting it with the
    // same one writes nothing either.
    EXPECT_EQ(geotag({photo.string()})[0].status, PhotoStatus::hasPosition);
    EXPECT_EQ(readAll(photo), after);
    settings.overwrite = true;
    EXPECT_EQ(geotag({photo.string()})[0].status, PhotoStatus::tagged);
    EXPECT_EQ(readAll(photo), after);
    EXPECT_EQ(test::mtimeNanoseconds(photo), 1500000000123456789LL);
}

// A multi-picture file: the first picture with an index (APP2 "MPF") put after segment number
// at, and a second picture after the first one's end, found through the index.
std::string multiPicture(const std::string& first, std::size_t at, const std::string& second) {
    auto le32 = [](std::uint32_t v) {
        return std::string{static_cast<char>(v), static_cast<char>(v >> 8),
                           static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
    };
    auto entry = [&](std::uint16_t tag, std::uint16_t type, std::uint32_t count,
                     std::uint32_t value) {
        return std::string{static_cast<char>(tag), static_cast<char>(tag >> 8),
                           static_cast<char>(type), static_cast<char>(type >> 8)} +
               le32(count) + le32(value);
    };
    JpegHead head;
    std::size_t wanted = 0;
    EXPECT_EQ(parseJpegHead(first, head, wanted), JpegHeadState::complete);
    const std::size_t place = head.segments[at].offset;
    // Header (8), a directory of three entries (42) at 8, the two 16-byte picture entries at 50.
    const std::size_t segmentSize = 2 + 2 + 4 + 8 + 42 + 32;
    const std::size_t secondAt = first.size() + segmentSize;
    const std::size_t headerAt = place + 8;
    std::string index = std::string("II*\0", 4) + le32(8) + std::string("\x03\x00", 2) +
                        entry(0xB000, 7, 4, 0x30303130) + entry(0xB001, 4, 1, 2) +
                        entry(0xB002, 7, 32, 50) + le32(0);
    index += le32(0x030000) + le32(static_cast<std::uint32_t>(secondAt)) + le32(0) + le32(0);
    index += le32(0x010002) + le32(static_cast<std::uint32_t>(second.size())) +
             le32(static_cast<std::uint32_t>(secondAt - headerAt)) + le32(0);
    const std::size_t length = 2 + 4 + index.size();
    const std::string segment = std::string("\xFF\xE2", 2) + static_cast<char>(length >> 8) +
                                static_cast<char>(length & 0xFF) + std::string("MPF\0", 4) + index;
    EXPECT_EQ(segment.size(), segmentSize);
    return first.substr(0, place) + segment + first.substr(place) + second;
}

TEST_F(ExivPhotos, AMultiPictureFileKeepsItsPicturesOrIsLeftAsItWas) {
    const fs::path plain =
        jpeg("plain.jpg", {"-DateTimeOriginal=2024:07:01 12:00:05", "-OffsetTimeOriginal=+02:00"});
    const std::string first = readAll(plain);
    fs::remove(plain);
    const std::string second = test::tinyJpeg();
    // The index after the Exif segment (JFIF, then Exif) moves with the pictures.
    const fs::path after = dir / "after.jpg";
    writeAll(after, multiPicture(first, 2, second));
    ASSERT_EQ(test::exiftoolBinary(after, "MPImage2:PreviewImage"), second);
    // Before it, the index would stay while the pictures moved.
    const fs::path before = dir / "before.jpg";
    writeAll(before, multiPicture(first, 1, second));
    ASSERT_EQ(test::exiftoolBinary(before, "MPImage2:PreviewImage"), second);
    const std::string beforeBytes = readAll(before);

    const auto results = geotag({after.string(), before.string()});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(test::exiftoolBinary(after, "MPImage2:PreviewImage"), second);
    EXPECT_NEAR(number(exiftoolJson(after), "GPSLatitude"), 47.0005, 1e-9);
    EXPECT_EQ(results[1].status, PhotoStatus::error);
    EXPECT_NE(results[1].reason.find("multi-picture"), std::string::npos) << results[1].reason;
    EXPECT_EQ(readAll(before), beforeBytes);
}

TEST_F(ExivPhotos, ADryRunChangesNothing) {
    const fs::path photo = richJpeg("dry.jpg");
    const std::string before = readAll(photo);
    const auto results = geotag({photo.string()}, false);
    EXPECT_EQ(results[0].status, PhotoStatus::wouldTag);
    EXPECT_EQ(readAll(photo), before);
    EXPECT_FALSE(fs::exists(dir / ".trailkeep-geotag"));
}

TEST_F(ExivPhotos, UndoGivesBackTheVeryBytes) {
    const fs::path rich = richJpeg("rich.jpg");
    // No Exif at all, its time only in XMP: the Exif segment is added, and undo takes it out.
    const fs::path bare = jpeg("bare.jpg", {"-XMP-exif:DateTimeOriginal=2024:07:01 10:01:00Z"});
    const std::string richBefore = readAll(rich);
    const std::string bareBefore = readAll(bare);
    ASSERT_FALSE(partsOf(bareBefore).otherSegments.empty());
    auto results = geotag({dir.path().string()});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].status, PhotoStatus::tagged) << results[0].reason;
    EXPECT_EQ(results[1].status, PhotoStatus::tagged) << results[1].reason;
    EXPECT_NEAR(number(exiftoolJson(bare), "GPSLatitude"), 47.006, 1e-9);
    // A second run with another offset changes the position again; undo goes back past both.
    settings.overwrite = true;
    settings.offset = 3;
    geotag({dir.path().string()});
    EXPECT_NEAR(number(exiftoolJson(bare), "GPSLatitude"), 47.0063, 1e-9);

    ASSERT_TRUE(undoRestores(dir.path(), 2));
    EXPECT_EQ(readAll(rich), richBefore);
    EXPECT_EQ(readAll(bare), bareBefore);
    EXPECT_FALSE(fs::exists(dir / ".trailkeep-geotag"));
}

TEST_F(ExivPhotos, UndoAfterAnotherProgramChangedThePhotoPutsOnlyTheGpsTagsBack) {
    const fs::path photo = richJpeg("rich.jpg");
    ASSERT_EQ(geotag({photo.string()})[0].status, PhotoStatus::tagged);
    ASSERT_TRUE(exiftoolSet(photo, {"-Artist=Someone else"}));
    ASSERT_TRUE(undoRestores(photo, 1));
    const auto tags = exiftoolJson(photo);
    EXPECT_EQ(tags.count("GPSLatitude"), 0u);
    EXPECT_EQ(text(tags, "Artist"), "Someone else");
}

TEST_F(ExivPhotos, BadPhotosAreReportedAndLeftAsTheyWere) {
    const fs::path good = richJpeg("good.jpg");
    const fs::path text = dir / "notes.jpg";
    writeAll(text, "this is not a picture\n");
    const std::string rich = readAll(good);
    const fs::path cut = dir / "cut.jpg";
    writeAll(cut, rich.substr(0, 40)); // inside the Exif segment
    const fs::path zeros = jpeg("zeros.jpg", {"-DateTimeOriginal#=0000:00:00 00:00:00"});
    const fs::path nodate = jpeg("nodate.jpg", {"-Make=NoClock"});
    const fs::path locked = dir / "locked.jpg";
    writeAll(locked, rich);
    fs::permissions(locked, fs::perms(0444));
    std::map<fs::path, std::string> before;
    for (const fs::path& p : {text, cut, zeros, nodate, locked})
        before[p] = readAll(p);

    const auto results = geotag({dir.path().string()});
    std::map<std::string, PhotoResult> byName;
    for (std::size_t i = 0; i < results.size(); ++i)
        byName[fs::path(infos[i].path).filename().string()] = results[i];
    EXPECT_EQ(byName["good.jpg"].status, PhotoStatus::tagged);
    EXPECT_EQ(byName["notes.jpg"].status, PhotoStatus::error);
    EXPECT_EQ(byName["cut.jpg"].status, PhotoStatus::error);
    EXPECT_NE(byName["cut.jpg"].reason.find("cut short"), std::string::npos)
        << byName["cut.jpg"].reason;
    EXPECT_EQ(byName["zeros.jpg"].status, PhotoStatus::noTime);
    EXPECT_EQ(byName["nodate.jpg"].status, PhotoStatus::noTime);
    EXPECT_EQ(byName["locked.jpg"].status, PhotoStatus::error);
    EXPECT_NE(byName["locked.jpg"].reason.find("read-only"), std::string::npos)
        << byName["locked.jpg"].reason;
    for (const auto& [path, bytes] : before)
        EXPECT_EQ(readAll(path), bytes) << path;
    std::string error;
    const auto journal = readJournal(dir.path().string(), error);
    ASSERT_EQ(journal.size(), 1u) << "only the photo that was written is in the journal";
    EXPECT_EQ(journal[0].name, "good.jpg");
}

// The capture time is the first real one of DateTimeOriginal, DateTimeDigitized, XMP's and
// IPTC's dates; blank or zero dates are passed over and ModifyDate is never taken.
TEST_F(ExivPhotos, TheCaptureTimeIsTheFirstRealDateOfItsTags) {
    struct Case {
        std::string name;
        std::vector<std::string> tags;
        std::string expected; // "" for no time
        std::optional<int> offset;
    };
    const std::vector<Case> cases = {
        {"blank.jpg",
         {"-DateTimeOriginal#=    :  :     :  :  ", "-CreateDate=2003:09:10 20:59:18",
          "-SubSecTimeDigitized=5", "-OffsetTimeDigitized=-03:00"},
         "2003-09-10T20:59:18.5",
         -3 * 3600},
        {"zeros.jpg",
         {"-DateTimeOriginal#=0000:00:00 00:00:00", "-CreateDate#=0000:00:00 00:00:00",
          "-XMP-exif:DateTimeOriginal=2020:01:02 03:04:05+05:30"},
         "2020-01-02T03:04:05",
         5 * 3600 + 1800},
        {"original.jpg",
         {"-DateTimeOriginal=2024:07:01 12:00:05", "-CreateDate=2024:07:01 12:30:00",
          "-XMP-photoshop:DateCreated=2020:01:01 00:00:00"},
         "2024-07-01T12:00:05",
         std::nullopt},
        {"photoshop.jpg",
         {"-XMP-photoshop:DateCreated=2019:05:06 07:08:09"},
         "2019-05-06T07:08:09",
         std::nullopt},
        {"iptc.jpg",
         {"-XMP-photoshop:DateCreated=garbage", "-IPTC:DateCreated=2009:09:09",
          "-IPTC:TimeCreated=17:00:00+01:00"},
         "2009-09-09T17:00:00",
         3600},
        {"iptcdate.jpg", {"-IPTC:DateCreated=2009:09:09"}, "", std::nullopt},
        {"modified.jpg", {"-ModifyDate=2023:01:04 12:40:17"}, "", std::nullopt},
    };
    ExivPhotoAccess access(false);
    for (const Case& c : cases) {
        const PhotoInfo info = access.read(jpeg(c.name, c.tags).string());
        ASSERT_TRUE(info.error.empty()) << c.name << ": " << info.error;
        if (c.expected.empty()) {
            EXPECT_FALSE(info.cameraTime) << c.name;
            continue;
        }
        ASSERT_TRUE(info.cameraTime) << c.name;
        const auto expected = parseIsoTime(c.expected);
        EXPECT_EQ(info.cameraTime->asUtc(), expected->time.asUtc()) << c.name;
        EXPECT_EQ(info.ownOffset, c.offset) << c.name;
    }
}

TEST_F(ExivPhotos, ManyPhotosAreWrittenInParallel) {
    const fs::path first =
        jpeg("p000.jpg", {"-DateTimeOriginal=2024:07:01 10:00:00", "-OffsetTimeOriginal=+00:00"});
    const std::string bytes = readAll(first);
    std::vector<std::string> paths;
    for (int i = 1; i < 60; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "p%03d.jpg", i);
        writeAll(dir / name, bytes);
        paths.push_back((dir / name).string());
    }
    settings.offset = 0;
    const auto results = geotag({dir.path().string()});
    ASSERT_EQ(results.size(), 60u);
    for (const PhotoResult& r : results)
        EXPECT_EQ(r.status, PhotoStatus::tagged) << r.reason;
    EXPECT_NEAR(number(exiftoolJson(dir / "p059.jpg"), "GPSLatitude"), 47.0, 1e-9);
    std::string error;
    EXPECT_EQ(readJournal(dir.path().string(), error).size(), 60u);
}

} // namespace tk::photos::exivtest
