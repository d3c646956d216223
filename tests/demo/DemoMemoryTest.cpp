// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoMemory.h"
#include "tracks/TrackDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <span>

namespace tk {
namespace {

constexpr double kUnit = 1.0 / 600000.0; // the finest coordinate step of a record
constexpr double kPi = 3.14159265358979;

using Image = std::vector<std::uint8_t>;

std::span<const std::uint8_t, kRecordSize> record(const Image& image, std::size_t index) {
    return std::span<const std::uint8_t, kRecordSize>(image.data() + index * kRecordSize,
                                                      kRecordSize);
}

// The fixes of each trip as the memory holds them, before the track builder sees them.
std::vector<std::vector<FixFields>> rawTrips(const Image& image) {
    std::vector<std::vector<FixFields>> trips;
    for (std::size_t i = 0; i < image.size() / kRecordSize; ++i) {
        const RecordKind kind = classifyRecord(record(image, i));
        if (kind == RecordKind::TrackStart)
            trips.emplace_back();
        else if (kind == RecordKind::Fix)
            trips.back().push_back(decodeFix(record(image, i)));
    }
    return trips;
}

TrackTable decode(const Image& image) {
    TrackTable table;
    TrackDecoder decoder(table);
    decoder.beginPass();
    for (std::size_t i = 0; i < image.size() / kRecordSize; ++i)
        decoder.feed(record(image, i));
    return table;
}

bool farOff(const FixFields& a, const FixFields& b) {
    return std::fabs(a.latitude - b.latitude) > 0.1 || std::fabs(a.longitude - b.longitude) > 0.1;
}

// Fixes far off both their neighbours: the deliberate glitches.
std::size_t glitchesIn(const std::vector<FixFields>& fixes) {
    std::size_t count = 0;
    for (std::size_t i = 1; i + 1 < fixes.size(); ++i)
        count += farOff(fixes[i], fixes[i - 1]) && farOff(fixes[i], fixes[i + 1]);
    return count;
}

double metresBetween(const TrackPoint& a, const TrackPoint& b) {
    return distanceKm(a.latitude, a.longitude, b.latitude, b.longitude) * 1000.0;
}

bool samePlace(const TrackPoint& a, const TrackPoint& b) {
    return a.latitude == b.latitude && a.longitude == b.longitude;
}

// Points standing still between two points at the same place that still show a speed.
std::size_t stoppedButMoving(const Track& track) {
    std::size_t count = 0;
    for (std::size_t i = 1; i + 1 < track.points.size(); ++i)
        count += samePlace(track.points[i - 1], track.points[i]) &&
                 samePlace(track.points[i], track.points[i + 1]) && track.points[i].speed != 0;
    return count;
}

// Changes of direction by more than 20 degrees between stretches of at least 3 m.
int turnsIn(const Track& track) {
    int turns = 0;
    double last = 1e9;
    const TrackPoint* from = &track.points.front();
    for (const TrackPoint& p : track.points) {
        if (metresBetween(*from, p) < 3.0)
            continue;
        const double heading =
            std::atan2((p.longitude - from->longitude) * std::cos(p.latitude * kPi / 180.0),
                       p.latitude - from->latitude);
        if (last < 1e9 && std::fabs(std::remainder(heading - last, 2 * kPi)) > 20 * kPi / 180)
            ++turns;
        last = heading;
        from = &p;
    }
    return turns;
}

// The longest run of points at one position that starts and ends well inside the track.
std::size_t longestStopInside(const Track& track) {
    const auto& p = track.points;
    std::size_t longest = 0;
    for (std::size_t i = p.size() / 10, run = 0; i < p.size() * 9 / 10; ++i) {
        run = samePlace(p[i], p[i - 1]) && p[i].speed == 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

TEST(DemoMemory, OnlyTheGlitchesAreDroppedAtEveryStepAndPlace) {
    for (unsigned seed = 1; seed <= 8; ++seed)
        for (std::uint8_t step : {1, 5, 10}) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " step " << int(step));
            DemoOptions options;
            options.seed = seed;
            options.stepSeconds = step;
            const Image image = makeDemoMemory(options);
            const auto trips = rawTrips(image);
            const TrackTable table = decode(image);
            ASSERT_EQ(table.slotCount(), 4);
            for (std::size_t t = 0; t < trips.size(); ++t) {
                const Track& track = table.tracks[t];
                const std::size_t glitches = glitchesIn(trips[t]);
                EXPECT_GE(glitches, 1u);
                EXPECT_EQ(track.rejects.positionJump, glitches);
                EXPECT_EQ(track.rejects.total(), track.rejects.positionJump);
                EXPECT_EQ(track.points.size() + glitches, trips[t].size());
            }
        }
}

TEST(DemoMemory, WithoutGlitchesEveryFixIsKept) {
    DemoOptions options;
    options.glitches = false;
    options.seed = 6; // a town on the prime meridian: no fix may read as exactly 0.0
    const Image image = makeDemoMemory(options);
    const TrackTable table = decode(image);
    const auto trips = rawTrips(image);
    bool west = false, east = false;
    for (int t = 0; t < table.slotCount(); ++t) {
        EXPECT_EQ(table.tracks[t].rejects.total(), 0u);
        EXPECT_EQ(table.tracks[t].points.size(), trips[t].size());
        for (const TrackPoint& p : table.tracks[t].points)
            (p.longitude < 0 ? west : east) = true;
    }
    EXPECT_TRUE(west && east);
}

TEST(DemoMemory, TripsAreWalksRidesAndDrivesOfDifferentLengths) {
    const TrackTable table = decode(makeDemoMemory());
    std::set<std::size_t> pointCounts;
    std::int32_t shortest = 1 << 30, longest = 0;
    std::uint32_t slowest = ~0u, fastest = 0;
    for (int t = 0; t < table.slotCount(); ++t) {
        const Track& track = table.tracks[t];
        pointCounts.insert(track.points.size());
        shortest = std::min(shortest, track.distance);
        longest = std::max(longest, track.distance);
        slowest = std::min(slowest, track.peakSpeed);
        fastest = std::max(fastest, track.peakSpeed);
        // Local time by the zone of the town: out in the daytime.
        EXPECT_GE(track.points.front().timeOfDay, 80000);
        EXPECT_LE(track.points.back().timeOfDay, 200000);
    }
    EXPECT_EQ(pointCounts.size(), 4u);
    EXPECT_GT(longest, 10 * shortest);
    EXPECT_LT(slowest, 8000u);  // a walk
    EXPECT_GT(fastest, 70000u); // a drive out of town
    EXPECT_LT(fastest, 130000u);
}

TEST(DemoMemory, TripsWindTurnAndStopOnTheWay) {
    for (unsigned seed : {1u, 2u, 3u}) {
        DemoOptions options;
        options.seed = seed;
        const TrackTable table = decode(makeDemoMemory(options));
        for (int t = 0; t < table.slotCount(); ++t) {
            SCOPED_TRACE(testing::Message() << "seed " << seed << " trip " << t);
            const Track& track = table.tracks[t];
            EXPECT_GE(turnsIn(track), 8);
            EXPECT_GE(longestStopInside(track), 3u);
            EXPECT_EQ(stoppedButMoving(track), 0u);
            double lowest = 1e9, highest = -1e9, steepest = 0.0;
            for (std::size_t i = 1; i < track.points.size(); ++i) {
                const TrackPoint& p = track.points[i];
                lowest = std::min(lowest, p.altitude / 10.0);
                highest = std::max(highest, p.altitude / 10.0);
                steepest =
                    std::max(steepest, std::fabs(p.altitude - track.points[i - 1].altitude) / 10.0);
            }
            EXPECT_GT(highest - lowest, 3.0);
            EXPECT_LT(steepest, 20.0); // metres between two fixes, a glitch's gap included
        }
    }
}

TEST(DemoMemory, StoppedFixesHoldTheirPosition) {
    for (const auto& fixes : rawTrips(makeDemoMemory())) {
        std::size_t stopped = 0;
        for (std::size_t i = 1; i < fixes.size(); ++i) {
            if (fixes[i].speed != 0 || fixes[i - 1].speed != 0 || farOff(fixes[i], fixes[i - 1]))
                continue;
            ++stopped;
            EXPECT_LE(std::fabs(fixes[i].latitude - fixes[i - 1].latitude), 2.5 * kUnit);
            EXPECT_LE(std::fabs(fixes[i].longitude - fixes[i - 1].longitude), 2.5 * kUnit);
        }
        EXPECT_GE(stopped, 10u);
    }
}

TEST(DemoMemory, SameSeedSameImageOtherSeedOtherTrips) {
    DemoOptions options;
    options.seed = 3;
    EXPECT_EQ(makeDemoMemory(options), makeDemoMemory(options));
    const Image three = makeDemoMemory(options);
    options.seed = 4;
    const Image four = makeDemoMemory(options);
    EXPECT_NE(rawTrips(three)[0][0].latitude, rawTrips(four)[0][0].latitude);
}

TEST(DemoMemory, OptionsShapeTheImage) {
    DemoOptions options;
    options.trips = 6;
    options.fixesPerTrip = 300;
    options.stepSeconds = 3;
    options.unitFlag = 1;
    options.erasedPages = 3;
    const Image image = makeDemoMemory(options);
    const std::size_t records = 6 * 2 + 6 * 300;
    const std::size_t used = (records + kRecordsPerPage - 1) / kRecordsPerPage;
    ASSERT_EQ(image.size(), (used + 3) * kPageSize);
    EXPECT_TRUE(std::all_of(image.begin() + records * kRecordSize, image.end(),
                            [](std::uint8_t b) { return b == 0xFF; }));
    const TrackTable table = decode(image);
    ASSERT_EQ(table.slotCount(), 6);
    std::set<std::int32_t> zones;
    for (int t = 0; t < 6; ++t) {
        EXPECT_EQ(table.tracks[t].stepSeconds, 3);
        EXPECT_EQ(table.tracks[t].unitFlag, 1);
        zones.insert(table.tracks[t].zoneCode);
    }
    EXPECT_EQ(zones.size(), 2u) << "two towns, each with its own zone";

    options.zoneCode = 175;
    const TrackTable zoned = decode(makeDemoMemory(options));
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(zoned.tracks[t].zoneCode, 175);

    options.trips = 0;
    options.erasedPages = 1;
    EXPECT_EQ(makeDemoMemory(options), Image(kPageSize, 0xFF));
}

TEST(DemoMemory, FullMemoryUsesEveryRecord) {
    const Image image = makeFullMemory();
    ASSERT_EQ(image.size(), kPageCapacity * kPageSize);
    std::size_t starts = 0, ends = 0, fixes = 0;
    for (std::size_t i = 0; i < kRecordCapacity; ++i) {
        const RecordKind kind = classifyRecord(record(image, i));
        starts += kind == RecordKind::TrackStart;
        ends += kind == RecordKind::TrackEnd;
        fixes += kind == RecordKind::Fix;
    }
    EXPECT_EQ(starts, 8u);
    EXPECT_EQ(ends, 8u);
    EXPECT_EQ(fixes, 22528u - 16u);
    const TrackTable table = decode(image);
    ASSERT_EQ(table.slotCount(), 8);
    const auto trips = rawTrips(image);
    for (int t = 0; t < 8; ++t)
        EXPECT_EQ(table.tracks[t].rejects.total(), glitchesIn(trips[t]));
    EXPECT_NE(makeFullMemory(2), image);
}

} // namespace
} // namespace tk
