// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/LogRecord.h"

#include "tracks/CivilTime.h"

namespace tk {
namespace {

constexpr std::uint8_t kStart = 0xEE;
constexpr std::uint8_t kEnd = 0xDD;
constexpr std::uint8_t kErased = 0xFF;
constexpr double kMinuteDigitsToDegrees = 1.6666666666666667e-06;

std::uint32_t base100(std::uint8_t high, std::uint8_t middle, std::uint8_t low) {
    return high * 10000u + middle * 100u + low;
}

double coordinate(std::span<const std::uint8_t, kRecordSize> r, std::size_t at) {
    const double value =
        r[at + 1] + base100(r[at + 2], r[at + 3], r[at + 4]) * kMinuteDigitsToDegrees;
    return r[at] == 1 ? -value : value;
}

} // namespace

RecordKind classifyRecord(std::span<const std::uint8_t, kRecordSize> r) {
    const std::uint8_t b0 = r[0], b1 = r[1], b2 = r[2];
    // The marker triples count only whole; any other record with an erased byte among its
    // first three is erased memory, whatever order the bytes are looked at in.
    if (b0 == kStart && b1 == kStart && b2 == kStart)
        return RecordKind::TrackStart;
    if (b0 == kEnd && b1 == kEnd && b2 == kEnd)
        return RecordKind::TrackEnd;
    if (b0 == kErased || b1 == kErased || b2 == kErased)
        return RecordKind::Empty;
    return RecordKind::Fix;
}

TrackStartSettings decodeTrackStart(std::span<const std::uint8_t, kRecordSize> r) {
    return {r[3], r[4], r[5]};
}

FixFields decodeFix(std::span<const std::uint8_t, kRecordSize> r) {
    FixFields fix;
    fix.hour = r[0];
    fix.minute = r[1];
    fix.second = r[2];
    fix.speed = base100(r[3], r[4], r[5]);
    fix.year = r[6];
    fix.month = r[7];
    fix.day = r[8];
    const auto altitude = static_cast<std::int32_t>(base100(r[11], r[12], r[13]));
    fix.altitude = r[10] == 0 ? -altitude : altitude;
    fix.longitude = coordinate(r, 14);
    fix.latitude = coordinate(r, 19);
    return fix;
}

bool isValidFix(const FixFields& f) {
    return f.altitude >= -100000 && f.altitude <= 100000 && f.longitude >= -180.0 &&
           f.longitude <= 180.0 && f.longitude != 0.0 && f.latitude >= -90.0 &&
           f.latitude <= 90.0 && f.latitude != 0.0 && f.month <= 12 && f.day <= 31 &&
           f.hour <= 24 && f.minute <= 59 && f.second <= 59;
}

std::int64_t fixUtcSeconds(const FixFields& f) {
    return utcSeconds(2000 + f.year, f.month, f.day, f.hour, f.minute, f.second);
}

} // namespace tk
