// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/TrackDecoder.h"
#include "support/RecordBuilder.h"

#include <gtest/gtest.h>

namespace tk {
namespace {

using test::endRecord;
using test::Fix;
using test::fixRecord;
using test::startRecord;

constexpr double kDegreesPerMetre = 1.0 / (6378137.0 * 0.017453292222222222);

class Decoding : public ::testing::Test {
protected:
    void feed(const std::vector<LogRecord>& records) {
        for (const auto& r : records)
            decoder.feed(r.bytes);
    }
    void decode(const std::vector<LogRecord>& records) {
        decoder.beginPass();
        feed(records);
    }
    const Track& track(int i) { return table.tracks.at(static_cast<std::size_t>(i)); }

    TrackTable table;
    TrackDecoder decoder{table};
};

Fix at(int second, double latitude, double longitude, std::uint32_t speed = 0) {
    Fix f;
    f.second = second;
    f.latitude = latitude;
    f.longitude = longitude;
    f.speed = speed;
    return f;
}

TEST_F(Decoding, EmptySessionSlotIsReusedByTheNextStart) {
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0)), fixRecord(at(5, 22.5, 114.0)),
            endRecord(), startRecord(), endRecord(), startRecord(3, 1, 181),
            fixRecord(at(9, 22.5, 114.0))});
    EXPECT_EQ(table.lastTrack, 1);
    EXPECT_EQ(track(0).points.size(), 2u);
    EXPECT_EQ(track(1).points.size(), 1u);
    EXPECT_EQ(track(1).stepSeconds, 3);
    EXPECT_EQ(track(1).unitFlag, 1);
    EXPECT_EQ(track(1).zoneCode, 181);
}

TEST_F(Decoding, FixesOutsideATrackAreIgnoredAndCounted) {
    table.tracks.resize(1);
    table.tracks[0].name = "old";
    table.tracks[0].peakSpeed = 7;
    table.lastTrack = 0;
    decode({fixRecord(at(0, 22.5, 114.0)), endRecord(), fixRecord(at(1, 22.5, 114.0))});
    EXPECT_EQ(table.lastTrack, 0);
    EXPECT_TRUE(track(0).points.empty());
    EXPECT_EQ(track(0).name, "old");
    EXPECT_EQ(track(0).peakSpeed, 7u);
    EXPECT_EQ(table.fixesOutsideTrack, 2u);
}

TEST_F(Decoding, NoTrackLimit) {
    std::vector<LogRecord> records;
    for (int i = 0; i < 60; ++i) {
        records.push_back(startRecord());
        records.push_back(fixRecord(at(i % 60, 22.5, 114.0)));
    }
    decode(records);
    EXPECT_EQ(table.lastTrack, 59);
    EXPECT_EQ(track(59).points.size(), 1u);
}

TEST_F(Decoding, PositionJumpsAreDroppedWhateverTheCount) {
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0)), fixRecord(at(5, 22.7, 114.0)),
            fixRecord(at(10, 22.7, 114.0)), fixRecord(at(15, 22.7, 114.0)),
            fixRecord(at(20, 22.7, 114.0)), fixRecord(at(25, 22.7, 114.0))});
    EXPECT_EQ(track(0).points.size(), 1u);
    EXPECT_EQ(track(0).rejects.positionJump, 5u);
}

TEST_F(Decoding, AltitudeJumpAndTimeOrderAreChecked) {
    Fix high = at(5, 22.5, 114.0);
    high.altitude = 100 + 10001;
    decode({startRecord(), fixRecord(at(5, 22.5, 114.0)), fixRecord(high),
            fixRecord(at(5, 22.5, 114.0)), fixRecord(at(4, 22.5, 114.0))});
    EXPECT_EQ(track(0).points.size(), 1u);
    EXPECT_EQ(track(0).rejects.altitudeJump, 1u);
    EXPECT_EQ(track(0).rejects.timeNotIncreasing, 2u);
}

TEST_F(Decoding, SpeedMustExplainTheDistanceForTheFirstThreeFixes) {
    const double north300m = 22.5 + 300 * kDegreesPerMetre;
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0)),
            fixRecord(at(10, north300m, 114.0, 108000))});
    EXPECT_EQ(track(0).points.size(), 2u);
    decode(
        {startRecord(), fixRecord(at(0, 22.5, 114.0)), fixRecord(at(10, north300m, 114.0, 36000))});
    EXPECT_EQ(track(0).points.size(), 1u);
    EXPECT_EQ(track(0).rejects.speedMismatch, 1u);
    // From the fourth fix since the last accepted one the speed is no longer compared.
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0)), fixRecord(at(2, 22.55, 114.0)),
            fixRecord(at(3, 22.55, 114.0)), fixRecord(at(4, 22.55, 114.0)),
            fixRecord(at(10, north300m, 114.0, 0))});
    EXPECT_EQ(track(0).points.size(), 2u);
}

TEST_F(Decoding, SpeedTimesTimeWrapsInThirtyTwoBits) {
    Fix second = at(0, 22.5 + 50 * kDegreesPerMetre, 114.0, 2147484);
    second.minute = 33;
    second.second = 20; // 2000 s later: 2147484 * 2000 wraps to 704, so e is 0
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0)), fixRecord(second)});
    EXPECT_EQ(track(0).points.size(), 2u);
}

TEST_F(Decoding, StandStillPinsACoordinateAndRepeatsTheSpeed) {
    decode({startRecord(), fixRecord(at(0, 22.5, 114.0, 5000)),
            fixRecord(at(5, 22.5002, 114.000005, 9000))});
    ASSERT_EQ(track(0).points.size(), 2u);
    const TrackPoint& p = track(0).points[1];
    EXPECT_DOUBLE_EQ(p.longitude, track(0).points[0].longitude);
    EXPECT_NE(p.latitude, track(0).points[0].latitude);
    EXPECT_EQ(p.speed, 5000u);
}

// The track start's zone code (188 is UTC+8, 175 is UTC-5) shifts the name and the time of day
// but never the UTC time; without one (0) the zone is estimated from the first fix's longitude.
// Hour 24 rolls into the next day, the next year too.
TEST_F(Decoding, ZoneShiftsNameAndTimeOfDayButNotUtc) {
    struct Case {
        std::uint8_t zone;
        double latitude, longitude;
        int hour, minute, day, month;
        std::int32_t timeOfDay;
        const char* name;
        std::int64_t utc;
    };
    const Case cases[] = {
        {175, 22.5, 114.0, 3, 10, 7, 5, 221000, "2013-5-6 22:10:00", 1367896200},
        {0, 40.7, -74.0, 3, 10, 7, 5, 221000, "2013-5-6 22:10:00", 1367896200},
        {0, 22.5, 116.39, 3, 0, 7, 5, 110000, "2013-5-7 11:00:00", 1367895600},
        {0, 51.5, -0.001, 3, 0, 7, 5, 20000, "2013-5-7 02:00:00", 1367895600},
        {188, 22.5, 114.0, 24, 0, 31, 12, 80000, "2014-1-1 08:00:00", 1388534400},
    };
    for (const Case& c : cases) {
        Fix f = at(0, c.latitude, c.longitude);
        f.hour = c.hour;
        f.minute = c.minute;
        f.day = c.day;
        f.month = c.month;
        decode({startRecord(5, 0, c.zone), fixRecord(f)});
        EXPECT_EQ(track(0).points[0].timeOfDay, c.timeOfDay) << c.name;
        EXPECT_EQ(track(0).name, c.name);
        EXPECT_EQ(track(0).points[0].utcSeconds, c.utc) << c.name;
    }
}

TEST_F(Decoding, StatisticsFollowTheAcceptedPoints) {
    Fix a = at(0, 22.5, 114.0, 10000);
    Fix b = at(5, 22.5 + 14 * kDegreesPerMetre, 114.0 + 14 * kDegreesPerMetre, 10000);
    b.altitude = 250;
    Fix c = at(10, b.latitude, b.longitude, 3000);
    decode({startRecord(5), fixRecord(a), fixRecord(b), fixRecord(c)});
    ASSERT_EQ(track(0).points.size(), 3u);
    EXPECT_EQ(track(0).distance, 10 + 10 + 10); // the pinned third point repeats 10000 m/h
    EXPECT_EQ(track(0).peakSpeed, 10000u);
    EXPECT_EQ(track(0).peakAltitude, 250);
    Fix low = at(0, 22.5, 114.0);
    low.altitude = -100000;
    decode({startRecord(), fixRecord(low)});
    EXPECT_EQ(track(0).peakAltitude, -100000);
    EXPECT_EQ(track(0).distance, 0);
}

TEST(DistanceKm, HaversineRoundedUpToATenthOfAMetre) {
    EXPECT_DOUBLE_EQ(distanceKm(22.5, 114.0, 22.5, 114.0), 0.0);
    const double d = distanceKm(22.5, 114.0, 22.5 + 300 * kDegreesPerMetre, 114.0);
    EXPECT_NEAR(d, 0.3, 0.0002);
    EXPECT_NEAR(distanceKm(0.001, 0, -0.001, 180), 20037.5, 1.0); // half the equator, roughly
}

} // namespace
} // namespace tk
