// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tk {

constexpr std::size_t kRecordSize = 24;
constexpr std::size_t kRecordsPerPage = 11;
constexpr std::size_t kPageSize = kRecordSize * kRecordsPerPage;
constexpr std::size_t kPageCapacity = 2048;
constexpr std::size_t kRecordCapacity = kPageCapacity * kRecordsPerPage;

// One 24-byte record of the logger's memory, exactly as it lies in a page.
struct LogRecord {
    std::array<std::uint8_t, kRecordSize> bytes{};
};
static_assert(sizeof(LogRecord) == kRecordSize);

enum class RecordKind { TrackStart, TrackEnd, Empty, Fix };

RecordKind classifyRecord(std::span<const std::uint8_t, kRecordSize> record);

// The settings a track-start record carries in bytes 3 to 5.
struct TrackStartSettings {
    std::uint8_t stepSeconds = 0;
    std::uint8_t unitFlag = 0;
    std::uint8_t zoneCode = 0;
};

TrackStartSettings decodeTrackStart(std::span<const std::uint8_t, kRecordSize> record);

// The fields of a fix record, decoded but not yet checked.
struct FixFields {
    std::uint32_t speed = 0;   // metres per hour
    std::int32_t altitude = 0; // decimetres
    double latitude = 0.0;
    double longitude = 0.0;
    std::uint8_t year = 0; // years since 2000
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
};

FixFields decodeFix(std::span<const std::uint8_t, kRecordSize> record);

bool isValidFix(const FixFields& fix);

// Seconds since the epoch of the fix's UTC date and time; out-of-range fields (month 0, day 0,
// hour 24) roll over the way timegm rolls them.
std::int64_t fixUtcSeconds(const FixFields& fix);

} // namespace tk
