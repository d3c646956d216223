// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/LogRecord.h"
#include "tracks/Track.h"

#include <cstdint>
#include <span>

namespace tk {

double distanceKm(double latitude1, double longitude1, double latitude2, double longitude2);

// Turns a run of logger records into tracks, record by record.
class TrackDecoder {
public:
    explicit TrackDecoder(TrackTable& table) : table_(table) {}

    // Empties the point lists of the table's slots and starts with slot 0.
    void beginPass();
    void feed(std::span<const std::uint8_t, kRecordSize> record);

private:
    void startTrack(std::span<const std::uint8_t, kRecordSize> record);
    void feedFix(std::span<const std::uint8_t, kRecordSize> record);
    bool passesJumpChecks(const FixFields& fix, std::int64_t t, Track& track) const;
    void applyStandStill(double& previous, double& coordinate, std::uint32_t& speed);
    void accept(FixFields fix, std::int64_t t, int hourShift, std::int64_t utc, Track& track);
    Track& current() { return table_.tracks[static_cast<std::size_t>(table_.lastTrack)]; }

    TrackTable& table_;
    bool inTrack_ = false;
    std::uint32_t sinceAccepted_ = 0;
    double prevLatitude_ = 0.0;
    double prevLongitude_ = 0.0;
    std::int32_t prevAltitude_ = -100000;
    std::uint32_t prevSpeed_ = 0;
    std::int64_t prevTime_ = 0;
};

} // namespace tk
