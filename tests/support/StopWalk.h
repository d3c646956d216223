// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A made-up walk with stops, as the logger records it: fixes every 5 s, walking at about 5 km/h
// with turns, and stops of half a minute to three minutes where the receiver wanders by less than a metre
// and the logger records speed 0. The true time of every fix is kept, so tests can place photos
// at stops or while walking and know where they were taken.

#include "support/RecordBuilder.h"
#include "tracks/CivilTime.h"

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace tk::test {

struct WalkFix {
    std::int64_t utc = 0;
    double latitude = 0;
    double longitude = 0;
    bool standing = false;
};

struct Stop {
    std::int64_t from = 0; // UTC of the first standing fix
    std::int64_t to = 0;   // ... of the last
};

struct StopWalk {
    std::vector<LogRecord> records; // one track: start, fixes, end
    std::vector<WalkFix> fixes;
    std::vector<Stop> stops;

    std::int64_t start() const { return fixes.front().utc; }
    std::int64_t end() const { return fixes.back().utc; }
    // The fix logged at (or just before) the UTC time.
    const WalkFix& at(std::int64_t utc) const {
        std::size_t i = 0;
        while (i + 1 < fixes.size() && fixes[i + 1].utc <= utc)
            ++i;
        return fixes[i];
    }
};

// `stops` stops between walks of two and a half to seven minutes, from startUtc; the same seed makes the
// same walk.
inline StopWalk stopWalk(std::int64_t startUtc, int stops, unsigned seed = 7) {
    constexpr int kStep = 5;
    constexpr double kDegreesPerMetre = 1.0 / 111320.0;
    std::mt19937 random(seed);
    auto uniform = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    StopWalk walk;
    walk.records.push_back(startRecord(kStep, 0, 182));
    double latitude = 46.5;
    double longitude = 7.5;
    double heading = 0.3;
    std::int64_t t = startUtc;
    auto log = [&](double lat, double lon, std::uint32_t speed, bool standing) {
        const CivilTime c = civilTime(t);
        Fix f;
        f.year = c.year % 100;
        f.month = c.month;
        f.day = c.day;
        f.hour = c.hour;
        f.minute = c.minute;
        f.second = c.second;
        f.latitude = lat;
        f.longitude = lon;
        f.speed = speed;
        f.altitude = 5000;
        walk.records.push_back(fixRecord(f));
        walk.fixes.push_back({t, lat, lon, standing});
        t += kStep;
    };
    auto walkFor = [&](int seconds) {
        for (int s = 0; s < seconds; s += kStep) {
            heading += (uniform(-10, 10)) * 0.02;
            const std::uint32_t speed = 4500 + static_cast<std::uint32_t>(uniform(0, 1000));
            const double metres = speed / 3600.0 * kStep;
            // Diagonal enough that both coordinates move by more than the decoder's pinning.
            latitude += metres * std::cos(heading) * kDegreesPerMetre * 0.7;
            longitude += metres * (0.7 + 0.3 * std::sin(heading)) * kDegreesPerMetre;
            log(latitude, longitude, speed, false);
        }
    };
    walkFor(uniform(150, 420));
    for (int i = 0; i < stops; ++i) {
        const int seconds = uniform(6, 36) * kStep;
        Stop stop{t, 0};
        for (int s = 0; s < seconds; s += kStep) {
            const double jitter = (s / kStep % 3 - 1) * 3e-6; // under the decoder's pinning
            log(latitude + jitter, longitude - jitter, 0, true);
        }
        stop.to = t - kStep;
        walk.stops.push_back(stop);
        walkFor(uniform(150, 420));
    }
    walk.records.push_back(endRecord());
    return walk;
}

} // namespace tk::test
