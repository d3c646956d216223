// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/LogRecord.h"
#include "support/RecordBuilder.h"
#include "tracks/CivilTime.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

LogRecord bytes(std::initializer_list<std::uint8_t> head) {
    LogRecord r;
    std::copy(head.begin(), head.end(), r.bytes.begin());
    return r;
}

TEST(LogRecord, ClassifiesOnlyWholeMarkerTriples) {
    EXPECT_EQ(classifyRecord(bytes({0xEE, 0xEE, 0xEE}).bytes), RecordKind::TrackStart);
    EXPECT_EQ(classifyRecord(bytes({0xDD, 0xDD, 0xDD}).bytes), RecordKind::TrackEnd);
    EXPECT_EQ(classifyRecord(bytes({0xEE, 0xEE, 0x05}).bytes), RecordKind::Fix);
    EXPECT_EQ(classifyRecord(bytes({0xEE, 0xDD, 0xDD}).bytes), RecordKind::Fix);
    EXPECT_EQ(classifyRecord(bytes({0xDD, 0xEE, 0xEE}).bytes), RecordKind::Fix);
    EXPECT_EQ(classifyRecord(bytes({0xEE, 0xEE, 0xFF}).bytes), RecordKind::Empty);
    EXPECT_EQ(classifyRecord(bytes({0xDD, 0xFF, 0x00}).bytes), RecordKind::Empty);
    EXPECT_EQ(classifyRecord(bytes({0x01, 0x02, 0xFF}).bytes), RecordKind::Empty);
    EXPECT_EQ(classifyRecord(bytes({0xFF, 0x02, 0x03}).bytes), RecordKind::Empty);
    EXPECT_EQ(classifyRecord(bytes({0x08, 0x04, 0x09}).bytes), RecordKind::Fix);
}

TEST(LogRecord, DecodesFieldsFromBase100Digits) {
    LogRecord r =
        bytes({8, 4, 9, 1, 2, 3, 13, 5, 7, 0, 0, 0, 12, 34, 0, 116, 23, 45, 67, 0, 22, 30, 0, 0});
    FixFields f = decodeFix(r.bytes);
    EXPECT_EQ(f.speed, 10203u);
    EXPECT_EQ(f.altitude, -1234);
    EXPECT_DOUBLE_EQ(f.longitude, 116 + 234567 * 1.6666666666666667e-06);
    EXPECT_NEAR(f.longitude, 116.390945, 1e-9);
    EXPECT_DOUBLE_EQ(f.latitude, 22.5);
    r.bytes[10] = 1;
    r.bytes[14] = 1;
    r.bytes[19] = 1;
    f = decodeFix(r.bytes);
    EXPECT_EQ(f.altitude, 1234);
    EXPECT_NEAR(f.longitude, -116.390945, 1e-9);
    EXPECT_DOUBLE_EQ(f.latitude, -22.5);
}

TEST(LogRecord, DigitBytesAbove99StillAddUp) {
    LogRecord r = bytes({0, 0, 0, 200, 150, 120});
    EXPECT_EQ(decodeFix(r.bytes).speed, 200u * 10000 + 150 * 100 + 120);
}

TEST(LogRecord, TrackStartCarriesStepUnitAndZone) {
    const auto s = decodeTrackStart(test::startRecord(5, 1, 0xBC).bytes);
    EXPECT_EQ(s.stepSeconds, 5);
    EXPECT_EQ(s.unitFlag, 1);
    EXPECT_EQ(s.zoneCode, 188);
}

TEST(LogRecord, ValidityBoundsIncludeTheirEdges) {
    FixFields f;
    f.latitude = 22.5;
    f.longitude = 114.0;
    f.month = 0;
    f.day = 0;
    f.hour = 24;
    f.altitude = -100000;
    EXPECT_TRUE(isValidFix(f));
    auto with = [&](auto change) {
        FixFields g = f;
        change(g);
        return isValidFix(g);
    };
    EXPECT_FALSE(with([](FixFields& g) { g.hour = 25; }));
    EXPECT_FALSE(with([](FixFields& g) { g.minute = 60; }));
    EXPECT_FALSE(with([](FixFields& g) { g.second = 60; }));
    EXPECT_FALSE(with([](FixFields& g) { g.month = 13; }));
    EXPECT_FALSE(with([](FixFields& g) { g.day = 32; }));
    EXPECT_FALSE(with([](FixFields& g) { g.altitude = 100001; }));
    EXPECT_FALSE(with([](FixFields& g) { g.latitude = 0.0; }));
    EXPECT_FALSE(with([](FixFields& g) { g.longitude = 0.0; }));
    EXPECT_FALSE(with([](FixFields& g) { g.longitude = -180.5; }));
    EXPECT_FALSE(with([](FixFields& g) { g.latitude = 90.1; }));
    EXPECT_TRUE(with([](FixFields& g) { g.longitude = -180.0; }));
}

TEST(CivilTime, RollsOverOutOfRangeFieldsLikeTimegm) {
    EXPECT_EQ(utcSeconds(2013, 5, 7, 3, 10, 0), 1367896200);
    EXPECT_EQ(utcSeconds(2013, 0, 15, 0, 0, 0), utcSeconds(2012, 12, 15, 0, 0, 0));
    EXPECT_EQ(utcSeconds(2013, 3, 0, 0, 0, 0), utcSeconds(2013, 2, 28, 0, 0, 0));
    EXPECT_EQ(utcSeconds(2012, 3, 0, 0, 0, 0), utcSeconds(2012, 2, 29, 0, 0, 0));
    EXPECT_EQ(utcSeconds(2013, 12, 31, 24, 0, 0), utcSeconds(2014, 1, 1, 0, 0, 0));
    const CivilTime t = civilTime(utcSeconds(2000, 2, 29, 23, 59, 58));
    EXPECT_EQ(t.year, 2000);
    EXPECT_EQ(t.month, 2);
    EXPECT_EQ(t.day, 29);
    EXPECT_EQ(t.hour, 23);
    EXPECT_EQ(t.minute, 59);
    EXPECT_EQ(t.second, 58);
    EXPECT_EQ(civilTime(-1).year, 1969);
}

} // namespace
} // namespace tk
