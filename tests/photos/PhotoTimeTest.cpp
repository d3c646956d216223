// SPDX-License-Identifier: GPL-3.0-or-later
// Camera times, zones and clock readings: Exif's texts, the camera's zone at the photo's own date,
// and the UTC texts the command line prints.
#include "photos/PhotoTime.h"
#include "photos/ZoneGuard.h"

#include <gtest/gtest.h>

namespace tk::photos {
namespace {

double utc(int y, int mo, int d, int h, int mi, int s) {
    return static_cast<double>(utcSeconds(y, mo, d, h, mi, s));
}

TEST(PhotoTime, ExifDateTimeWithSubSeconds) {
    const auto t = parseExifDateTime("2024:07:01 12:34:56", "12");
    ASSERT_TRUE(t);
    EXPECT_EQ(t->civil.year, 2024);
    EXPECT_EQ(t->civil.second, 56);
    EXPECT_DOUBLE_EQ(t->fraction, 0.12);
    EXPECT_DOUBLE_EQ(t->asUtc(), utc(2024, 7, 1, 12, 34, 56) + 0.12);
    EXPECT_DOUBLE_EQ(parseExifDateTime("2024:07:01 12:34:56", "5")->fraction, 0.5);
    EXPECT_DOUBLE_EQ(parseExifDateTime("2024:07:01 12:34:56", "054 ")->fraction, 0.054);
    EXPECT_DOUBLE_EQ(parseExifDateTime("2024:07:01 12:34:56", "")->fraction, 0.0);
    EXPECT_DOUBLE_EQ(parseExifDateTime("2024:07:01 12:34:56", "x1")->fraction, 0.0);
    EXPECT_TRUE(parseExifDateTime(std::string("2024:07:01 12:34:56\0", 20), ""));
}

TEST(PhotoTime, NoDateOrZerosOrGarbageGiveNoTime) {
    EXPECT_FALSE(parseExifDateTime("", ""));
    EXPECT_FALSE(parseExifDateTime("0000:00:00 00:00:00", ""));
    EXPECT_FALSE(parseExifDateTime("    :  :     :  :  ", ""));
    EXPECT_FALSE(parseExifDateTime("2024:13:01 00:00:00", ""));
    EXPECT_FALSE(parseExifDateTime("2023:02:29 00:00:00", ""));
    EXPECT_TRUE(parseExifDateTime("2024:02:29 00:00:00", ""));
    EXPECT_FALSE(parseExifDateTime("2024:07:01 24:00:00", ""));
    EXPECT_FALSE(parseExifDateTime("2024-07-01 12:00:00", ""));
    EXPECT_FALSE(parseExifDateTime("2024:07:01 12:00", ""));
}

TEST(PhotoTime, ZoneOffsets) {
    EXPECT_EQ(parseZoneOffset("+02:00"), 7200);
    EXPECT_EQ(parseZoneOffset("-05:30"), -19800);
    EXPECT_EQ(parseZoneOffset("+14:00"), 14 * 3600);
    EXPECT_EQ(parseZoneOffset("+00:00"), 0);
    EXPECT_FALSE(parseZoneOffset("+14:01"));
    EXPECT_FALSE(parseZoneOffset("02:00"));
    EXPECT_FALSE(parseZoneOffset("+2:00"));
    EXPECT_FALSE(parseZoneOffset("+02:60"));
    EXPECT_FALSE(parseZoneOffset("Z"));
    EXPECT_EQ(parseZoneOffset("Z", true), 0);
    EXPECT_EQ(zoneOffsetText(-19800), "-05:30");
    EXPECT_EQ(zoneOffsetText(3600), "+01:00");
}

TEST(PhotoTime, IsoClockReadings) {
    const auto z = parseIsoTime("2024-07-01T10:00:05.25Z");
    ASSERT_TRUE(z);
    EXPECT_EQ(z->offset, 0);
    EXPECT_DOUBLE_EQ(z->time.asUtc(), utc(2024, 7, 1, 10, 0, 5) + 0.25);
    const auto east = parseIsoTime("2024-07-01T12:00:05+02:00");
    ASSERT_TRUE(east);
    EXPECT_EQ(east->offset, 7200);
    const auto local = parseIsoTime("2024-07-01 12:00:05.1");
    ASSERT_TRUE(local);
    EXPECT_FALSE(local->offset);
    EXPECT_DOUBLE_EQ(local->time.fraction, 0.1);
    EXPECT_FALSE(parseIsoTime("2024-07-01T12:00:05."));
    EXPECT_FALSE(parseIsoTime("2024-07-01T12:00:05+2"));
    EXPECT_FALSE(parseIsoTime("2024-07-01T12:00"));
    EXPECT_FALSE(parseIsoTime("yesterday"));
}

TEST(PhotoTime, ZoneChoice) {
    EXPECT_FALSE(ZoneChoice::parse("auto")->fixedOffset);
    EXPECT_EQ(ZoneChoice::parse("-03:00")->fixedOffset, -10800);
    EXPECT_FALSE(ZoneChoice::parse("Berlin"));
    EXPECT_FALSE(ZoneChoice::parse("+3"));
    const ClockTime july = *parseExifDateTime("2024:07:01 12:00:00", "");
    // A fixed zone wins over the photo's own; the photo's own over the computer's.
    EXPECT_EQ(ZoneChoice{3600}.offsetFor(july, 7200), 3600);
    EXPECT_EQ(ZoneChoice{}.offsetFor(july, -14400), -14400);
}

TEST(PhotoTime, ComputerZoneFollowsDaylightSavingAtThePhotosDate) {
    const test::ZoneGuard zone("Europe/Berlin");
    const ClockTime july = *parseExifDateTime("2024:07:01 12:00:00", "");
    const ClockTime december = *parseExifDateTime("2024:12:01 12:00:00", "");
    EXPECT_EQ(ZoneChoice{}.offsetFor(july, std::nullopt), 7200);
    EXPECT_EQ(ZoneChoice{}.offsetFor(december, std::nullopt), 3600);
    // The last Sunday of March 2024 (the 31st) changes at 02:00 local time.
    EXPECT_EQ(systemZoneOffset(parseExifDateTime("2024:03:31 01:59:59", "")->civil), 3600);
    EXPECT_EQ(systemZoneOffset(parseExifDateTime("2024:03:31 03:00:00", "")->civil), 7200);
    const test::ZoneGuard south("Australia/Sydney");
    EXPECT_EQ(systemZoneOffset(july.civil), 10 * 3600);
    EXPECT_EQ(systemZoneOffset(december.civil), 11 * 3600);
}

TEST(PhotoTime, UtcTexts) {
    EXPECT_EQ(isoUtcText(utc(2024, 7, 1, 10, 0, 0)), "2024-07-01T10:00:00Z");
    EXPECT_EQ(isoUtcText(utc(2024, 7, 1, 10, 0, 0) + 0.25), "2024-07-01T10:00:00.250Z");
    // Rounding to the millisecond carries into the next day.
    EXPECT_EQ(isoUtcText(utc(2024, 12, 31, 23, 59, 59) + 0.9996), "2025-01-01T00:00:00Z");
    EXPECT_EQ(isoUtcText(-0.5), "1969-12-31T23:59:59.500Z");
    EXPECT_EQ(secondsText(12.5), "+12.5");
    EXPECT_EQ(secondsText(-3600), "-3600");
    EXPECT_EQ(secondsText(0), "0");
}

} // namespace
} // namespace tk::photos
