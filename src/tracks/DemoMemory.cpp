#include "tracks/DemoMemory.h"

#include "tracks/CivilTime.h"
#include "tracks/LogRecord.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace tk {
namespace {

constexpr double kMetresPerDegree = 6378137.0 * 3.1415926 / 180.0;

struct Place {
    double latitude;
    double longitude;
    int altitude; // decimetres
};

// Trip starting points: a mix of hemispheres so every sign of the format is exercised.
constexpr Place kPlaces[] = {{22.5431, 114.0579, 120}, {39.9042, 116.4074, 440},
                             {47.3769, 8.5417, 4080},  {-33.8688, 151.2093, 300},
                             {40.7128, -74.0060, 100}, {-22.9068, -43.1729, 50},
                             {51.4779, -0.0015, 460},  {35.6762, 139.6503, 400}};

void putBase100(std::uint8_t* at, std::uint32_t value) {
    at[0] = static_cast<std::uint8_t>(value / 10000 % 100);
    at[1] = static_cast<std::uint8_t>(value / 100 % 100);
    at[2] = static_cast<std::uint8_t>(value % 100);
}

void putCoordinate(std::uint8_t* at, double degrees) {
    const double magnitude = std::fabs(degrees);
    int whole = static_cast<int>(magnitude);
    auto minuteDigits = static_cast<std::uint32_t>(std::lround((magnitude - whole) * 600000.0));
    if (minuteDigits >= 600000) {
        minuteDigits -= 600000;
        ++whole;
    }
    at[0] = degrees < 0 ? 1 : 0;
    at[1] = static_cast<std::uint8_t>(whole);
    putBase100(at + 2, minuteDigits);
}

std::uint8_t placeZone(const Place& p);

class TripWriter {
public:
    TripWriter(std::vector<std::uint8_t>& out, std::mt19937& random) : out_(out), random_(random) {}

    void trip(const DemoOptions& o, const Place& from, std::int64_t utcStart, int fixes) {
        const auto zone = o.zoneCode != 0 ? o.zoneCode : placeZone(from);
        marker(0xEE, {o.stepSeconds, o.unitFlag, zone});
        Place at = from;
        double heading = uniform(0.0, 6.283);
        double speed = 0; // metres per hour
        for (int i = 0; i < fixes; ++i) {
            const std::int64_t t = utcStart + static_cast<std::int64_t>(i) * o.stepSeconds;
            speed = nextSpeed(speed, i, fixes);
            heading += uniform(-0.15, 0.15);
            const double metres = static_cast<std::uint32_t>(speed) * o.stepSeconds / 3600.0;
            at.latitude += metres * std::cos(heading) / kMetresPerDegree;
            at.longitude += metres * std::sin(heading) /
                            (kMetresPerDegree * std::cos(at.latitude * 3.1415926 / 180.0));
            at.altitude = std::clamp(at.altitude + static_cast<int>(uniform(-8, 8)), -200, 30000);
            if (o.glitches && i % 397 == 200)
                fix(t, static_cast<std::uint32_t>(speed),
                    {at.latitude + 0.3, at.longitude, at.altitude});
            else
                fix(t, static_cast<std::uint32_t>(speed), at);
        }
        marker(0xDD, {0, 0, 0});
    }

    void fix(std::int64_t utc, std::uint32_t speed, const Place& at) {
        const CivilTime c = civilTime(utc);
        std::uint8_t r[kRecordSize] = {};
        r[0] = static_cast<std::uint8_t>(c.hour);
        r[1] = static_cast<std::uint8_t>(c.minute);
        r[2] = static_cast<std::uint8_t>(c.second);
        putBase100(r + 3, speed);
        r[6] = static_cast<std::uint8_t>(c.year - 2000);
        r[7] = static_cast<std::uint8_t>(c.month);
        r[8] = static_cast<std::uint8_t>(c.day);
        r[9] = 0x08; // satellites in view; the program does not read it
        r[10] = at.altitude < 0 ? 0 : 1;
        putBase100(r + 11, static_cast<std::uint32_t>(std::abs(at.altitude)));
        putCoordinate(r + 14, at.longitude);
        putCoordinate(r + 19, at.latitude);
        out_.insert(out_.end(), r, r + kRecordSize);
    }

private:
    void marker(std::uint8_t kind, std::array<std::uint8_t, 3> settings) {
        std::uint8_t r[kRecordSize];
        std::fill(r, r + kRecordSize, 0xFF);
        r[0] = r[1] = r[2] = kind;
        std::copy(settings.begin(), settings.end(), r + 3);
        out_.insert(out_.end(), r, r + kRecordSize);
    }

    // Speeds up from rest, cruises with some variation, pauses now and then, slows at the end.
    double nextSpeed(double speed, int i, int fixes) {
        if (i % 150 > 140 || i + 5 >= fixes)
            return std::max(0.0, speed - 9000.0);
        const double target = uniform(25000.0, 55000.0);
        return std::clamp(speed + (target - speed) * 0.2 + uniform(-2000.0, 2000.0), 0.0, 120000.0);
    }

    double uniform(double lo, double hi) {
        return std::uniform_real_distribution<>(lo, hi)(random_);
    }

    std::vector<std::uint8_t>& out_;
    std::mt19937& random_;
};

std::uint8_t placeZone(const Place& p) {
    return static_cast<std::uint8_t>(180 + std::lround(p.longitude / 15.0));
}

std::int64_t tripStart(int trip) {
    return utcSeconds(2026, 6, 10 + trip % 18, 1 + trip % 9, 12 + trip % 40, trip % 60);
}

} // namespace

std::vector<std::uint8_t> makeDemoMemory(const DemoOptions& options) {
    std::vector<std::uint8_t> out;
    std::mt19937 random(options.seed);
    TripWriter writer(out, random);
    for (int trip = 0; trip < options.trips; ++trip) {
        const Place& from = kPlaces[(trip + options.seed) % std::size(kPlaces)];
        writer.trip(options, from, tripStart(trip), options.fixesPerTrip);
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
