// SPDX-License-Identifier: GPL-3.0-or-later
#include "demo/DemoMemory.h"

#include "tracks/CivilTime.h"
#include "demo/DemoMotion.h"
#include "tracks/LogRecord.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace tk {
namespace {

using demo::Gait;
using demo::Pace;
using demo::Random;
using demo::TripKind;
using demo::uniform;

constexpr double kMetresPerDegree = 6378137.0 * 3.1415926 / 180.0;
constexpr double kCoordinateUnit = 1.0 / 600000.0; // the finest step a record can store
constexpr unsigned kTripsPerTown = 4;

struct Place {
    double latitude;
    double longitude;
    int altitude; // decimetres
};

// The towns, one after the other for every few trips; neighbours lie in different hemispheres
// so that every sign of the format turns up, and one town straddles the prime meridian.
constexpr Place kPlaces[] = {{22.5431, 114.0579, 120},  {47.3769, 8.5417, 4080},
                             {-22.9068, -43.1729, 50},  {39.9042, 116.4074, 440},
                             {-33.8688, 151.2093, 300}, {40.7128, -74.0060, 100},
                             {51.4779, -0.0015, 460},   {35.6762, 139.6503, 400}};

constexpr TripKind kKinds[] = {TripKind::Walk, TripKind::Bike, TripKind::Drive, TripKind::Errands};

void putBase100(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value / 10000 % 100);
    at[1] = static_cast<std::uint8_t>(value / 100 % 100);
    at[2] = static_cast<std::uint8_t>(value % 100);
}

// A coordinate as a record stores it: in steps of 1/600000 degree, signed. Exactly 0.0 reads as
// no fix, so a receiver on the equator or the meridian is taken to be one step off it.
std::int64_t toSteps(double degrees) {
    const std::int64_t steps = std::llround(degrees / kCoordinateUnit);
    return steps != 0 ? steps : (degrees < 0 ? -1 : 1);
}

// What the track builder reads back from those steps.
double fromSteps(std::int64_t steps) {
    const std::int64_t magnitude = std::llabs(steps);
    const double degrees =
        double(magnitude / 600000) + double(magnitude % 600000) * 1.6666666666666667e-06;
    return steps < 0 ? -degrees : degrees;
}

void putCoordinate(std::uint8_t* at, std::int64_t steps) {
    const std::int64_t magnitude = std::llabs(steps);
    at[0] = steps < 0 ? 1 : 0;
    at[1] = static_cast<std::uint8_t>(magnitude / 600000);
    putBase100(at + 2, static_cast<std::uint32_t>(magnitude % 600000));
}

struct StoredFix {
    std::int64_t latitude; // coordinate steps
    std::int64_t longitude;
    long altitude;       // decimetres
    std::uint32_t speed; // metres per hour
};

// Keeps stops looking like stops to the track builder. It pins a coordinate that moved by no
// more than 0.00001 degree and carries the last speed with it, so the fix that arrives at a stop
// must have moved its longitude further than that or the whole stop shows the speed before it;
// such an arrival is set a metre on, and the stop stays there, wavering by a step at most.
class StopKeeper {
public:
    void keep(StoredFix& fix, Random& random) {
        if (fix.speed != 0) {
            stopped_ = false;
        } else if (!stopped_) {
            if (known_ && !moves(fix.longitude))
                fix.longitude = avoidZero(pinned_ + (fix.longitude < pinned_ ? -8 : 8));
            stop_ = fix;
            stopped_ = true;
        } else {
            fix.latitude = avoidZero(stop_.latitude + waver(random));
            fix.longitude = avoidZero(stop_.longitude + waver(random));
        }
        if (!known_ || moves(fix.longitude)) {
            pinned_ = fix.longitude;
            known_ = true;
        }
    }

private:
    bool moves(std::int64_t longitude) const {
        return std::fabs(fromSteps(pinned_) - fromSteps(longitude)) > 0.00001;
    }
    static std::int64_t avoidZero(std::int64_t steps) { return steps != 0 ? steps : 1; }
    static int waver(Random& random) { return std::uniform_int_distribution<int>(-1, 1)(random); }

    bool known_ = false;
    bool stopped_ = false;
    std::int64_t pinned_ = 0;
    StoredFix stop_{};
};

std::uint8_t placeZone(const Place& p) {
    return static_cast<std::uint8_t>(180 + std::lround(p.longitude / 15.0));
}

struct TripPlan {
    const Place* place;
    unsigned town;
    TripKind kind;
    int fixes;
    std::uint8_t zone;
    std::int64_t utcStart;
};

Gait gaitOf(TripKind kind, Random& random) {
    switch (kind) {
    case TripKind::Walk:
        return {uniform(random, 1.2, 1.5), false, 0.5, 0.7, 100.0, 3.0, 0.08, 1.2};
    case TripKind::Bike:
        return {uniform(random, 5.0, 7.0), false, 0.8, 1.2, 2.0, 7.0, 0.06, 4.5};
    case TripKind::Drive:
        return {uniform(random, 0.92, 1.03), true, 1.8, 2.2, 2.5, 0.0, 0.04, 14.0};
    case TripKind::Errands:
        break;
    }
    return {uniform(random, 0.9, 1.0), true, 1.6, 2.2, 2.5, 0.0, 0.04, 6.0};
}

Pace paceOf(TripKind kind) {
    switch (kind) {
    case TripKind::Walk:
        return {1.1, 1.1};
    case TripKind::Bike:
        return {4.0, 5.0};
    case TripKind::Drive:
        return {7.0, 17.0};
    case TripKind::Errands:
        break;
    }
    return {6.0, 6.0};
}

// Walks are short, drives long; each trip a little different.
double lengthWeight(TripKind kind, Random& random) {
    static constexpr double kWeights[] = {0.7, 1.15, 1.3, 0.85};
    return kWeights[static_cast<int>(kind)] * uniform(random, 0.85, 1.15);
}

// Local time of day a trip of this kind sets off, in minutes.
double startMinute(TripKind kind, Random& random) {
    static constexpr double kFirst[] = {9 * 60, 14 * 60, 10 * 60, 16 * 60 + 30};
    return kFirst[static_cast<int>(kind)] + uniform(random, 0.0, 80.0);
}

// Which trips go where and when, and how the fixes share out: trips × fixesPerTrip in all.
std::vector<TripPlan> planTrips(const DemoOptions& o, Random& random) {
    const auto trips = static_cast<unsigned>(std::max(o.trips, 0));
    std::vector<TripPlan> plans;
    std::vector<double> weights;
    double sum = 0.0;
    for (unsigned t = 0; t < trips; ++t) {
        const unsigned town = t / kTripsPerTown;
        const Place& place = kPlaces[(o.seed + town) % std::size(kPlaces)];
        const TripKind kind = kKinds[(t + o.seed + town) % std::size(kKinds)];
        const std::uint8_t zone = o.zoneCode != 0 ? o.zoneCode : placeZone(place);
        const auto minute = static_cast<std::int64_t>(startMinute(kind, random) * 60.0);
        const std::int64_t local = utcSeconds(2026, 6, 10 + static_cast<int>(t), 0, 0, 0) + minute;
        plans.push_back({&place, town, kind, 0, zone, local - (zone - 180) * 3600LL});
        weights.push_back(lengthWeight(kind, random));
        sum += weights.back();
    }
    const long total = static_cast<long>(trips) * std::max(o.fixesPerTrip, 0);
    long given = 0;
    for (unsigned t = 0; t < trips; ++t) {
        plans[t].fixes = static_cast<int>(std::floor(double(total) * weights[t] / sum));
        given += plans[t].fixes;
    }
    for (unsigned t = 0; given < total; t = (t + 1) % trips, ++given)
        ++plans[t].fixes;
    return plans;
}

class TripWriter {
public:
    TripWriter(std::vector<std::uint8_t>& out, Random& random, const DemoOptions& options)
        : out_(out), random_(random), options_(options) {}

    void trip(const TripPlan& plan, const demo::Town& town) {
        marker(0xEE, {options_.stepSeconds, options_.unitFlag, plan.zone});
        const double tripSeconds = double(plan.fixes) * std::max<int>(options_.stepSeconds, 1);
        demo::Itinerary itinerary(town, plan.kind, paceOf(plan.kind), tripSeconds, random_);
        const Gait gait = gaitOf(plan.kind, random_);
        demo::Traveller traveller(itinerary, town, gait, options_.stepSeconds, random_);
        const std::vector<demo::Sample> samples = traveller.travel(plan.fixes);
        const std::vector<bool> glitch = glitches(samples);
        StopKeeper stops;
        for (std::size_t i = 0; i < samples.size(); ++i) {
            StoredFix f = stored(*plan.place, samples[i]);
            if (glitch[i])
                throwOff(f);
            else
                stops.keep(f, random_);
            write(plan, i, f);
        }
        marker(0xDD, {0, 0, 0});
    }

private:
    static StoredFix stored(const Place& place, const demo::Sample& s) {
        const double eastward = kMetresPerDegree * std::cos(place.latitude * 3.1415926 / 180.0);
        return {toSteps(place.latitude + s.at.y / kMetresPerDegree),
                toSteps(place.longitude + s.at.x / eastward),
                std::clamp(std::lround(s.altitude * 10.0), -99999L, 99999L),
                static_cast<std::uint32_t>(std::lround(s.speed * 3600.0))};
    }

    void throwOff(StoredFix& f) {
        const double north = uniform(random_, 0.15, 0.45) * (demo::chance(random_, 0.5) ? 1 : -1);
        f.latitude = toSteps(fromSteps(f.latitude) + north);
        f.longitude = toSteps(fromSteps(f.longitude) + uniform(random_, -0.2, 0.2));
        f.altitude += std::lround(uniform(random_, -300.0, 2000.0));
    }

    void write(const TripPlan& plan, std::size_t index, const StoredFix& f) {
        const CivilTime c =
            civilTime(plan.utcStart + static_cast<std::int64_t>(index) * options_.stepSeconds);
        std::uint8_t r[kRecordSize] = {};
        r[0] = static_cast<std::uint8_t>(c.hour);
        r[1] = static_cast<std::uint8_t>(c.minute);
        r[2] = static_cast<std::uint8_t>(c.second);
        putBase100(r + 3, f.speed);
        r[6] = static_cast<std::uint8_t>(c.year - 2000);
        r[7] = static_cast<std::uint8_t>(c.month);
        r[8] = static_cast<std::uint8_t>(c.day);
        r[9] = 0x08; // satellites in view; the program does not read it
        r[10] = f.altitude < 0 ? 0 : 1;
        putBase100(r + 11, static_cast<std::uint32_t>(std::labs(f.altitude)));
        putCoordinate(r + 14, f.longitude);
        putCoordinate(r + 19, f.latitude);
        out_.insert(out_.end(), r, r + kRecordSize);
    }

    // Now and then a fix far off the way, as real receivers give; placed where the fix after it
    // still agrees with its speed, so the track builder drops the glitch and nothing else.
    std::vector<bool> glitches(const std::vector<demo::Sample>& samples) const {
        std::vector<bool> glitch(samples.size(), false);
        if (!options_.glitches)
            return glitch;
        const double span = 2.0 * options_.stepSeconds;
        for (std::size_t due = 200; due < samples.size(); due += 397)
            for (std::size_t g = due; g + 1 < samples.size() && g < due + 100; ++g) {
                const double moved = demo::length(samples[g + 1].at - samples[g - 1].at);
                const double told = std::round(samples[g + 1].speed * 3600.0) * span / 3600.0;
                if (std::fabs(moved - told) <= 60.0) {
                    glitch[g] = true;
                    break;
                }
            }
        return glitch;
    }

    void marker(std::uint8_t kind, std::array<std::uint8_t, 3> settings) {
        std::uint8_t r[kRecordSize];
        std::fill(r, r + kRecordSize, 0xFF);
        r[0] = r[1] = r[2] = kind;
        std::copy(settings.begin(), settings.end(), r + 3);
        out_.insert(out_.end(), r, r + kRecordSize);
    }

    std::vector<std::uint8_t>& out_;
    Random& random_;
    const DemoOptions& options_;
};

} // namespace

std::vector<std::uint8_t> makeDemoMemory(const DemoOptions& options) {
    std::vector<std::uint8_t> out;
    Random random(options.seed);
    TripWriter writer(out, random, options);
    std::optional<demo::Town> town;
    std::optional<unsigned> townOf;
    for (const TripPlan& plan : planTrips(options, random)) {
        if (townOf != plan.town) {
            Random ground(options.seed * 7919u + plan.town);
            town.emplace(ground, plan.place->altitude / 10.0);
            townOf = plan.town;
        }
        writer.trip(plan, *town);
    }
    const std::size_t pages = (out.size() + kPageSize - 1) / kPageSize + options.erasedPages;
    out.resize(std::min(pages, kPageCapacity) * kPageSize, 0xFF);
    return out;
}

std::vector<std::uint8_t> makeFullMemory(unsigned seed) {
    constexpr int kTrips = 8;
    DemoOptions options;
    options.seed = seed;
    options.trips = kTrips;
    options.stepSeconds = 1;
    options.fixesPerTrip = static_cast<int>((kRecordCapacity - 2 * kTrips) / kTrips);
    options.erasedPages = 0;
    return makeDemoMemory(options);
}

} // namespace tk
