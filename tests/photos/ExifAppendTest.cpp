// SPDX-License-Identifier: GPL-3.0-or-later
// The Exif writer on TIFF data made in the test: old bytes never move (one 4-byte pointer
// changes), IFD0 entries keep their order, values read past the end stay readable, the
// interoperability pointer some cameras aim at IFD0, and refusals for broken structures.
#include "photos/ExifAppend.h"

#include <gtest/gtest.h>

namespace tk::photos {
namespace {

using tiff::Field;

constexpr std::uint16_t kRational = 5;
constexpr std::uint16_t kAscii = 2;
constexpr std::uint16_t kLong = 4;

// Little-endian TIFF data built entry by entry; values are given as their 4 bytes.
struct Builder {
    std::string bytes = std::string("II*\0\0\0\0\0", 8);

    void put16(std::size_t at, std::uint16_t v) {
        bytes[at] = static_cast<char>(v & 0xFF);
        bytes[at + 1] = static_cast<char>(v >> 8);
    }
    void put32(std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    struct E {
        std::uint16_t tag, type;
        std::uint32_t count, value;
    };
    // A directory at the end; returns its offset.
    std::size_t directory(const std::vector<E>& entries, std::uint32_t next = 0) {
        if (bytes.size() % 2)
            bytes += '\0';
        const std::size_t at = bytes.size();
        bytes.resize(at + 2 + 12 * entries.size() + 4);
        put16(at, static_cast<std::uint16_t>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            const std::size_t e = at + 2 + 12 * i;
            put16(e, entries[i].tag);
            put16(e + 2, entries[i].type);
            put32(e + 4, entries[i].count);
            put32(e + 8, entries[i].value);
        }
        put32(at + 2 + 12 * entries.size(), next);
        return at;
    }
    tiff::Bytes data() const { return tiff::bytesOf(bytes); }
};

const std::vector<Field> kGps = {
    {0x0001, kAscii, {}, std::string("N\0", 2)},
    {0x0002, kRational, {47, 1, 30, 1, 1234567, 1000000}, {}},
    {0x0003, kAscii, {}, std::string("E\0", 2)},
    {0x0004, kRational, {8, 1, 15, 1, 0, 1}, {}},
};

std::vector<Field> gpsOf(const std::string& data) {
    std::string error;
    const auto fields = gpsFieldsOf(tiff::bytesOf(data), error);
    EXPECT_TRUE(fields.has_value()) << error;
    return fields.value_or(std::vector<Field>{});
}

std::vector<std::uint16_t> ifd0Tags(const std::string& data) {
    std::string error;
    const auto s = tiff::readStructure(tiff::bytesOf(data), error);
    std::vector<std::uint16_t> tags;
    if (s)
        for (const tiff::Entry& e : s->ifd0.entries)
            tags.push_back(e.tag);
    return tags;
}

// Everything but the 4 bytes at pointerAt is as it was, and the data only grew.
void expectOnlyAppended(const std::string& before, const std::string& after, std::size_t at) {
    ASSERT_GE(after.size(), before.size());
    EXPECT_EQ(after.substr(0, at), before.substr(0, at));
    EXPECT_EQ(after.substr(at + 4, before.size() - at - 4), before.substr(at + 4));
}

TEST(ExifAppend, IfdZeroIsCopiedWithTheGpsPointerInTagOrderAndNothingMoves) {
    Builder b;
    // Out of tag order, as some cameras write it; an out-of-line value (the make) stays put.
    const std::size_t make = b.bytes.size();
    b.bytes += std::string("Camera\0\0", 8);
    const std::size_t ifd0 = b.directory({{0x0110, kAscii, 4, 0x00434241},
                                          {0x010F, kAscii, 7, static_cast<std::uint32_t>(make)},
                                          {0x9000, 7, 4, 0x30333230}});
    b.put32(4, static_cast<std::uint32_t>(ifd0));
    const TiffAppend a = appendGps(b.data(), {}, 0, kGps, GpsMerge::keepOthers);
    ASSERT_EQ(a.refusal, "");
    EXPECT_EQ(a.pointerAt, 4u);
    const std::string after = a.appliedTo(b.data());
    expectOnlyAppended(b.bytes, after, 4);
    EXPECT_EQ(ifd0Tags(after), (std::vector<std::uint16_t>{0x0110, 0x010F, 0x8825, 0x9000}));
    EXPECT_EQ(gpsOf(after), kGps);

    // Again with a new position: only IFD0's GPS pointer changes now.
    std::vector<Field> moved = kGps;
    moved[1].numbers[4] = 7654321;
    const TiffAppend again = appendGps(tiff::bytesOf(after), {}, 0, moved, GpsMerge::keepOthers);
    ASSERT_EQ(again.refusal, "");
    EXPECT_NE(again.pointerAt, 4u);
    const std::string twice = again.appliedTo(tiff::bytesOf(after));
    expectOnlyAppended(after, twice, again.pointerAt);
    EXPECT_EQ(gpsOf(twice), moved);
    // The same tags a third time: nothing to write.
    EXPECT_TRUE(appendGps(tiff::bytesOf(twice), {}, 0, moved, GpsMerge::keepOthers).unchanged);
}

TEST(ExifAppend, OtherGpsTagsStayButAVoidStatusGoesAndReplaceAllCanRemoveTheDirectory) {
    Builder b;
    const std::size_t gps = b.directory({{0x0000, 1, 4, 0x00000302}, // version 2.3
                                         {0x0009, kAscii, 2, 'V'},   // void
                                         {0x0010, kAscii, 2, 'T'}}); // image direction ref
    const std::size_t ifd0 = b.directory(
        {{0x010F, kAscii, 4, 0x00434241}, {0x8825, kLong, 1, static_cast<std::uint32_t>(gps)}});
    b.put32(4, static_cast<std::uint32_t>(ifd0));
    const std::string merged =
        appendGps(b.data(), {}, 0, kGps, GpsMerge::keepOthers).appliedTo(b.data());
    std::vector<std::uint16_t> tags;
    for (const Field& f : gpsOf(merged))
        tags.push_back(f.tag);
    EXPECT_EQ(tags, (std::vector<std::uint16_t>{0x0000, 0x0001, 0x0002, 0x0003, 0x0004, 0x0010}));

    const TiffAppend removed = appendGps(tiff::bytesOf(merged), {}, 0, {}, GpsMerge::replaceAll);
    ASSERT_EQ(removed.refusal, "");
    const std::string without = removed.appliedTo(tiff::bytesOf(merged));
    EXPECT_EQ(ifd0Tags(without), (std::vector<std::uint16_t>{0x010F}));
    EXPECT_TRUE(gpsOf(without).empty());
}

TEST(ExifAppend, BytesReadPastTheEndAreCarriedIntoTheTail) {
    Builder b;
    // IFD1's thumbnail runs 3 bytes past the end of the data: readers take them from the file.
    const std::size_t ifd1 = b.directory({{0x0201, kLong, 1, 0}, {0x0202, kLong, 1, 0}});
    const std::size_t ifd0 = b.directory({{0x010F, kAscii, 4, 0x00434241}}, 0);
    b.put32(4, static_cast<std::uint32_t>(ifd0));
    b.put32(ifd0 + 2 + 12, static_cast<std::uint32_t>(ifd1));
    const std::size_t thumbnail = b.bytes.size() - 2;
    b.put32(ifd1 + 2 + 8, static_cast<std::uint32_t>(thumbnail));
    b.put32(ifd1 + 2 + 12 + 8, 5);
    const std::string following = "\xD9\xFF\xDB\x00\x43";
    const TiffAppend a =
        appendGps(b.data(), tiff::bytesOf(following), 1000, kGps, GpsMerge::keepOthers);
    ASSERT_EQ(a.refusal, "");
    const std::string after = a.appliedTo(b.data());
    EXPECT_EQ(after.substr(thumbnail, 5), b.bytes.substr(thumbnail, 2) + following.substr(0, 3));
    EXPECT_EQ(gpsOf(after), kGps);

    // A value further on than the bytes given would move: refused.
    b.put32(ifd1 + 2 + 12 + 8, 500);
    EXPECT_NE(
        appendGps(b.data(), tiff::bytesOf(following), 1000, kGps, GpsMerge::keepOthers).refusal,
        "");
    // One that points past the end of the file points nowhere before or after.
    b.put32(ifd1 + 2 + 8, 5000);
    EXPECT_EQ(
        appendGps(b.data(), tiff::bytesOf(following), 1000, kGps, GpsMerge::keepOthers).refusal,
        "");
}

TEST(ExifAppend, AnInteropPointerAtIfdZeroMeetsTheNewCopy) {
    Builder b;
    const std::size_t exif = b.directory({{0x9000, 7, 4, 0x30333230}, {0xA005, kLong, 1, 0}});
    const std::size_t ifd0 = b.directory({{0x8769, kLong, 1, static_cast<std::uint32_t>(exif)}});
    b.put32(4, static_cast<std::uint32_t>(ifd0));
    b.put32(exif + 2 + 12 + 8, static_cast<std::uint32_t>(ifd0));
    const std::string after =
        appendGps(b.data(), {}, 0, kGps, GpsMerge::keepOthers).appliedTo(b.data());
    expectOnlyAppended(b.bytes, after, 4);
    std::string error;
    const auto s = tiff::readStructure(tiff::bytesOf(after), error);
    ASSERT_TRUE(s) << error;
    ASSERT_TRUE(s->exif);
    EXPECT_NE(s->exif->offset, exif); // a copy, whose interop pointer is the new IFD0's offset
    EXPECT_EQ(s->exif->find(0xA005)->valueField, s->ifd0.offset);
    EXPECT_EQ(s->exif->find(0x9000)->valueField, 0x30333230u);
    EXPECT_EQ(gpsOf(after), kGps);
}

TEST(ExifAppend, BrokenStructuresAreRefused) {
    auto refusal = [](const Builder& b) {
        return appendGps(b.data(), {}, 0, kGps, GpsMerge::keepOthers).refusal;
    };
    Builder outside;
    outside.put32(4, 4000);
    EXPECT_NE(refusal(outside), "");
    Builder loop;
    const std::size_t ifd0 = loop.directory({{0x010F, kAscii, 4, 0x00434241}});
    loop.put32(4, static_cast<std::uint32_t>(ifd0));
    loop.put32(ifd0 + 2 + 12, static_cast<std::uint32_t>(ifd0));
    EXPECT_NE(refusal(loop), "");
    Builder selfExif;
    const std::size_t self = selfExif.directory({{0x8769, kLong, 1, 0}});
    selfExif.put32(4, static_cast<std::uint32_t>(self));
    selfExif.put32(self + 2 + 8, static_cast<std::uint32_t>(self));
    EXPECT_NE(refusal(selfExif), "");
    Builder huge;
    const std::size_t counted = huge.directory({});
    huge.put32(4, static_cast<std::uint32_t>(counted));
    huge.put16(counted, 0xFFFF); // 65,535 entries in a few bytes
    EXPECT_NE(refusal(huge), "");
    Builder notTiff;
    notTiff.bytes[0] = 'X';
    EXPECT_NE(refusal(notTiff), "");
}

TEST(ExifAppend, ANewMinimalExifHasTheTagsAJpegNeeds) {
    const std::string data = newGpsTiff(kGps, {300, 300, 2});
    EXPECT_EQ(ifd0Tags(data), (std::vector<std::uint16_t>{0x011A, 0x011B, 0x0128, 0x0213, 0x8825}));
    EXPECT_EQ(gpsOf(data), kGps);
    std::string error;
    const auto s = tiff::readStructure(tiff::bytesOf(data), error);
    ASSERT_TRUE(s);
    const auto fields = tiff::fieldsOf(tiff::bytesOf(data), s->order, s->ifd0);
    EXPECT_EQ(fields[0].numbers, (std::vector<std::uint32_t>{300, 1}));
}

} // namespace
} // namespace tk::photos
