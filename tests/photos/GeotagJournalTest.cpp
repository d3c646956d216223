// SPDX-License-Identifier: GPL-3.0-or-later
// The undo journal's file (written whole, streamed by writers at once, thinned out again) and
// the JPEG head parser.
#include "photos/GeotagJournal.h"
#include "e2e/SimProcess.h"
#include "photos/JournalAppender.h"
#include "photos/JpegSegments.h"
#include "photos/PhotoSamples.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace tk::photos {
namespace {

using e2e::TempDir;

TEST(GeotagJournal, EntriesReadBackAsWritten) {
    const TempDir dir;
    JournalEntry a;
    a.run = newRunName();
    a.name = "IMG 1\t%weird\nname.jpg";
    a.method = JournalEntry::Method::exifSegment;
    a.hadSegment = true;
    a.segmentOffset = 20;
    a.segment = std::string("\xFF\xE1\x00\x08Exif\0\0", 10) + std::string(300, '\x7F');
    JournalEntry b;
    b.run = a.run;
    b.name = "b.tif";
    b.method = JournalEntry::Method::gpsTags;
    b.gpsTags = {"Exif.GPSInfo.GPSVersionID Byte 2 2 0 0", "Exif.GPSInfo.GPSLatitudeRef Ascii N"};
    b.sidecar = "b.tif.xmp";
    b.sidecarBefore = "<x:xmpmeta/>";
    b.appended =
        JournalEntry::Appended{5000000000ULL, 4, {0x00, 0xFF, 0x10, 0x08}, 0xFEDCBA9876543210ULL};
    ASSERT_EQ(appendJournal(dir.path().string(), {a}), "");
    ASSERT_EQ(appendJournal(dir.path().string(), {b}), "");
    std::string error;
    const auto entries = readJournal(dir.path().string(), error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, a.name);
    EXPECT_EQ(entries[0].segment, a.segment);
    EXPECT_EQ(entries[0].segmentOffset, 20u);
    EXPECT_TRUE(entries[0].hadSegment);
    EXPECT_EQ(entries[1].gpsTags, b.gpsTags);
    EXPECT_EQ(entries[1].sidecar, "b.tif.xmp");
    EXPECT_FALSE(entries[1].sidecarCreated);
    EXPECT_EQ(entries[1].sidecarBefore, "<x:xmpmeta/>");
    EXPECT_FALSE(entries[0].appended);
    ASSERT_TRUE(entries[1].appended);
    EXPECT_EQ(entries[1].appended->lengthBefore, 5000000000ULL);
    EXPECT_EQ(entries[1].appended->pointerAt, 4u);
    EXPECT_EQ(entries[1].appended->pointerBefore, b.appended->pointerBefore);
    EXPECT_EQ(entries[1].appended->hashAfter, 0xFEDCBA9876543210ULL);
    // The journal is hidden, and goes when its last entry does.
    EXPECT_TRUE(std::filesystem::exists(dir / ".trailkeep-geotag"));
    ASSERT_EQ(writeJournal(dir.path().string(), {}), "");
    EXPECT_FALSE(std::filesystem::exists(dir / ".trailkeep-geotag"));
    EXPECT_TRUE(readJournal(dir.path().string(), error).empty());
    EXPECT_EQ(error, "");
}

TEST(GeotagJournal, AJournalThatCannotBeUnderstoodIsAnError) {
    const TempDir dir;
    e2e::writeBytes(dir / ".trailkeep-geotag", {'E', '\t', 'x', '\n'});
    std::string error;
    EXPECT_TRUE(readJournal(dir.path().string(), error).empty());
    EXPECT_NE(error, "");
    EXPECT_NE(appendJournal(dir.path().string(), {JournalEntry{}}), "");
}

JournalEntry entryOf(const std::string& run, const std::string& name, std::size_t segmentSize) {
    JournalEntry e;
    e.run = run;
    e.name = name;
    e.method = JournalEntry::Method::exifSegment;
    e.hadSegment = true;
    e.segment = std::string(segmentSize, static_cast<char>(name.size()));
    return e;
}

TEST(GeotagJournal, WritersAppendingAtOnceKeepEveryEntryWhole) {
    const TempDir dir;
    const std::string folder = dir.path().string();
    ASSERT_EQ(appendJournal(folder, {entryOf("earlier", "a.jpg", 10)}), "");
    {
        JournalAppender appender(folder);
        std::vector<std::thread> writers;
        std::vector<std::string> errors(8);
        for (std::size_t t = 0; t < errors.size(); ++t)
            writers.emplace_back([&, t] {
                for (int i = 0; i < 50 && errors[t].empty(); ++i)
                    errors[t] = appender.append(entryOf(
                        "now", "p" + std::to_string(t) + "-" + std::to_string(i) + ".jpg", 5000));
            });
        for (std::thread& w : writers)
            w.join();
        for (const std::string& error : errors)
            EXPECT_EQ(error, "");
    }
    std::string error;
    const auto entries = readJournal(folder, error);
    ASSERT_EQ(error, "");
    ASSERT_EQ(entries.size(), 401u);
    EXPECT_EQ(entries[0].run, "earlier");
    std::set<std::string> names;
    for (const JournalEntry& e : entries) {
        names.insert(e.name);
        EXPECT_EQ(e.segment,
                  std::string(e.run == "now" ? 5000 : 10, static_cast<char>(e.name.size())));
    }
    EXPECT_EQ(names.size(), 401u);
}

TEST(GeotagJournal, EntriesOfARunGoAgainAndTheRestStaysByteForByte) {
    const TempDir dir;
    const std::string folder = dir.path().string();
    ASSERT_EQ(
        appendJournal(folder, {entryOf("first", "a.jpg", 100), entryOf("second", "a.jpg", 200),
                               entryOf("second", "b.jpg", 300), entryOf("first", "c.jpg", 400)}),
        "");
    const std::string before = test::readAll(dir / kJournalName);
    // Undo finds each entry's place and reads it alone.
    std::string error;
    const auto places = scanJournal(folder, error);
    ASSERT_EQ(places.size(), 4u);
    EXPECT_EQ(places[2].run + " " + places[2].name, "second b.jpg");
    const auto third = readJournalEntry(folder, places[2], error);
    ASSERT_TRUE(third) << error;
    EXPECT_EQ(third->segment, std::string(300, '\5'));
    // Another run's entry of the same photo stays; so do lines this program did not write.
    ASSERT_EQ(removeJournalEntries(folder, "second", {"a.jpg", "c.jpg"}), "");
    auto entries = readJournal(folder, error);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].run + entries[1].name + entries[2].name, "firstb.jpgc.jpg");
    const std::string second = journalLine(entryOf("second", "a.jpg", 200));
    std::string expected = before;
    expected.erase(expected.find(second), second.size());
    EXPECT_EQ(test::readAll(dir / kJournalName), expected);
    // Without entries the journal goes.
    ASSERT_EQ(removeJournalEntries(folder, "first", {"a.jpg", "c.jpg"}), "");
    ASSERT_EQ(removeJournalEntries(folder, "second", {"b.jpg"}), "");
    EXPECT_FALSE(std::filesystem::exists(dir / kJournalName));
    EXPECT_EQ(removeJournalEntries(folder, "second", {"b.jpg"}), "");
}

TEST(GeotagJournal, ALastLineCutShortIsLeftOutAndWrittenOver) {
    const TempDir dir;
    const std::string folder = dir.path().string();
    const std::string whole = journalHeader() + journalLine(entryOf("run", "a.jpg", 3000));
    const std::string cut = journalLine(entryOf("run", "b.jpg", 3000)).substr(0, 2500);
    test::writeAll(dir / kJournalName, whole + cut);
    std::string error;
    EXPECT_EQ(readJournal(folder, error).size(), 1u);
    EXPECT_EQ(error, "");
    ASSERT_EQ(JournalAppender(folder).append(entryOf("run", "c.jpg", 10)), "");
    EXPECT_EQ(test::readAll(dir / kJournalName), whole + journalLine(entryOf("run", "c.jpg", 10)));
}

TEST(GeotagJournal, Base64) {
    for (const std::string s : {"", "f", "fo", "foo", "foob", "fooba", "foobar"}) {
        std::string back;
        ASSERT_TRUE(base64Decode(base64Encode(s), back));
        EXPECT_EQ(back, s);
    }
    EXPECT_EQ(base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(base64Encode("fo"), "Zm8=");
    std::string out;
    EXPECT_FALSE(base64Decode("Zm9", out));
    EXPECT_FALSE(base64Decode("Z=9v", out));
}

std::string bytes(std::initializer_list<int> values) {
    std::string s;
    for (const int v : values)
        s += static_cast<char>(v);
    return s;
}

TEST(JpegSegmentsTest, HeadUpToTheStartOfScan) {
    const std::string jfif = bytes({0xFF, 0xE0, 0x00, 0x04, 1, 2});
    const std::string exif = bytes({0xFF, 0xE1, 0x00, 0x0A}) + std::string("Exif\0\0", 6) + "II";
    const std::string file = bytes({0xFF, 0xD8}) + jfif + exif +
                             bytes({0xFF, 0xFF, 0xDB, 0x00, 0x02}) +
                             bytes({0xFF, 0xDA, 0x00, 0x02, 0x11, 0x22, 0xFF, 0xD9});
    JpegHead head;
    std::size_t wanted = 0;
    ASSERT_EQ(parseJpegHead(file, head, wanted), JpegHeadState::complete);
    ASSERT_EQ(head.segments.size(), 3u);
    EXPECT_EQ(head.exifIndex, 1u);
    EXPECT_EQ(head.segments[1].offset, 8u);
    EXPECT_EQ(head.segments[1].size, 12u);
    EXPECT_EQ(head.segments[2].size, 5u); // a fill byte before the marker
    EXPECT_EQ(head.scanOffset, 25u);
    EXPECT_EQ(head.exifInsertOffset(), 8u);
    EXPECT_EQ(exifTiffData(file.substr(8, 12)), "II");
    EXPECT_EQ(*exifSegment("II"), file.substr(8, 12));
    EXPECT_FALSE(exifSegment(std::string(65528, 'x')));
    // Cut short inside the Exif segment: more is needed, and there is no more.
    EXPECT_EQ(parseJpegHead(file.substr(0, 15), head, wanted), JpegHeadState::needMore);
    EXPECT_GT(wanted, 15u);
    EXPECT_EQ(parseJpegHead("GIF89a", head, wanted), JpegHeadState::notJpeg);
    EXPECT_EQ(parseJpegHead(bytes({0xFF, 0xD8, 0xFF, 0xD9}), head, wanted),
              JpegHeadState::malformed);
    EXPECT_EQ(parseJpegHead(bytes({0xFF, 0xD8, 0x00, 0x00}), head, wanted),
              JpegHeadState::malformed);
}

} // namespace
} // namespace tk::photos
