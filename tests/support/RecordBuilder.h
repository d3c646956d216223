// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/LogRecord.h"
#include "tracks/TrackDecoder.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tk::test {

// Builds logger records byte by byte for tests.
struct Fix {
    int hour = 8, minute = 0, second = 0;
    int year = 13, month = 5, day = 7;
    std::uint32_t speed = 0;
    std::int32_t altitude = 100;
    double latitude = 22.5;
    double longitude = 114.0;
};

inline void putBase100(std::uint8_t* at, std::uint32_t v) {
    at[0] = static_cast<std::uint8_t>(v / 10000);
    at[1] = static_cast<std::uint8_t>(v / 100 % 100);
    at[2] = static_cast<std::uint8_t>(v % 100);
}

inline void putCoordinate(std::uint8_t* at, double degrees) {
    const double m = std::fabs(degrees);
    const int whole = static_cast<int>(m);
    at[0] = degrees < 0 ? 1 : 0;
    at[1] = static_cast<std::uint8_t>(whole);
    putBase100(at + 2, static_cast<std::uint32_t>(std::lround((m - whole) * 600000.0)));
}

inline LogRecord fixRecord(const Fix& f) {
    LogRecord r;
    auto* b = r.bytes.data();
    b[0] = static_cast<std::uint8_t>(f.hour);
    b[1] = static_cast<std::uint8_t>(f.minute);
    b[2] = static_cast<std::uint8_t>(f.second);
    putBase100(b + 3, f.speed);
    b[6] = static_cast<std::uint8_t>(f.year);
    b[7] = static_cast<std::uint8_t>(f.month);
    b[8] = static_cast<std::uint8_t>(f.day);
    b[10] = f.altitude < 0 ? 0 : 1;
    putBase100(b + 11, static_cast<std::uint32_t>(std::abs(f.altitude)));
    putCoordinate(b + 14, f.longitude);
    putCoordinate(b + 19, f.latitude);
    return r;
}

inline LogRecord markerRecord(std::uint8_t kind, std::uint8_t b3 = 0, std::uint8_t b4 = 0,
                              std::uint8_t b5 = 0) {
    LogRecord r;
    r.bytes.fill(0xFF);
    r.bytes[0] = r.bytes[1] = r.bytes[2] = kind;
    r.bytes[3] = b3;
    r.bytes[4] = b4;
    r.bytes[5] = b5;
    return r;
}

inline LogRecord startRecord(std::uint8_t step = 5, std::uint8_t unit = 0,
                             std::uint8_t zone = 188) {
    return markerRecord(0xEE, step, unit, zone);
}
inline LogRecord endRecord() {
    return markerRecord(0xDD);
}

inline std::vector<std::uint8_t> concat(const std::vector<LogRecord>& records) {
    std::vector<std::uint8_t> out;
    for (const auto& r : records)
        out.insert(out.end(), r.bytes.begin(), r.bytes.end());
    return out;
}

// The tracks the decoder makes of the records in one pass, as a download makes them.
inline TrackTable decodeRecords(const std::vector<LogRecord>& records) {
    TrackTable table;
    TrackDecoder decoder(table);
    decoder.beginPass();
    for (const LogRecord& r : records)
        decoder.feed(r.bytes);
    return table;
}

} // namespace tk::test
