// SPDX-License-Identifier: GPL-3.0-or-later
#include "tracks/TrackDecoder.h"

#include "tracks/CivilTime.h"

#include <cmath>
#include <cstdio>

namespace tk {
namespace {

constexpr std::int32_t kLowestAltitude = -100000;
constexpr double kStandStillDegrees = 0.00001;
constexpr double kJumpDegrees = 0.1;
constexpr std::int32_t kJumpDecimetres = 10000;
constexpr std::uint32_t kFixesBeforeSpeedCheckEnds = 4;

struct ZoneShift {
    std::int64_t seconds = 0; // added to the UTC time
    int hourShift = 0;        // added to the hour byte, 0..23 for real zones
};

// The stored zone code wins; without one the zone is estimated from the fix's longitude,
// one hour per 15 degrees, rounded away from Greenwich.
ZoneShift zoneShift(std::int32_t zoneCode, double longitude) {
    int hours = 0;
    if (zoneCode > 0) {
        hours = zoneCode - 180;
    } else {
        const double q = longitude * 0.06666666666666667;
        hours = static_cast<int>(longitude > 0 ? q + 1.0 : q - 1.0);
    }
    return {hours * 3600LL, hours < 0 ? hours + 24 : hours};
}

std::string trackName(std::int64_t localSeconds, const FixFields& fix) {
    const CivilTime t = civilTime(localSeconds);
    char text[64];
    std::snprintf(text, sizeof text, "%d-%d-%d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  fix.minute, fix.second);
    return text;
}

} // namespace

double distanceKm(double latitude1, double longitude1, double latitude2, double longitude2) {
    constexpr double kRadiansPerDegree = 0.017453292222222222;
    const double lat1 = latitude1 * kRadiansPerDegree;
    const double lon1 = longitude1 * kRadiansPerDegree;
    const double lat2 = latitude2 * kRadiansPerDegree;
    const double lon2 = longitude2 * kRadiansPerDegree;
    const double h = std::pow(std::sin((lat1 - lat2) * 0.5), 2.0) +
                     std::cos(lat1) * std::cos(lat2) * std::pow(std::sin((lon1 - lon2) * 0.5), 2.0);
    const double d = 2 * std::asin(std::sqrt(h)) * 6378.137;
    return std::ceil(d * 10000.0) * 0.0001;
}

void TrackDecoder::beginPass() {
    for (int i = 0; i <= table_.lastTrack && i < static_cast<int>(table_.tracks.size()); ++i) {
        table_.tracks[static_cast<std::size_t>(i)].points.clear();
        table_.tracks[static_cast<std::size_t>(i)].rejects = {};
    }
    if (table_.tracks.empty())
        table_.tracks.emplace_back();
    table_.lastTrack = 0;
    table_.fixesOutsideTrack = 0;
    inTrack_ = false;
    sinceAccepted_ = 0;
}

void TrackDecoder::feed(std::span<const std::uint8_t, kRecordSize> record) {
    switch (classifyRecord(record)) {
    case RecordKind::TrackStart:
        startTrack(record);
        break;
    case RecordKind::TrackEnd:
        inTrack_ = false;
        break;
    case RecordKind::Empty:
        break;
    case RecordKind::Fix:
        if (inTrack_)
            feedFix(record);
        else
            ++table_.fixesOutsideTrack;
        break;
    }
}

void TrackDecoder::startTrack(std::span<const std::uint8_t, kRecordSize> record) {
    if (!current().points.empty()) {
        ++table_.lastTrack;
        if (table_.tracks.size() <= static_cast<std::size_t>(table_.lastTrack))
            table_.tracks.emplace_back();
        current().points.clear();
        current().rejects = {};
    }
    Track& track = current();
    const TrackStartSettings settings = decodeTrackStart(record);
    track.peakSpeed = 0;
    track.distance = 0;
    track.peakAltitude = kLowestAltitude;
    track.stepSeconds = settings.stepSeconds;
    track.unitFlag = settings.unitFlag;
    track.zoneCode = settings.zoneCode;
    prevLatitude_ = 0.0;
    prevLongitude_ = 0.0;
    prevAltitude_ = kLowestAltitude;
    inTrack_ = true;
}

void TrackDecoder::feedFix(std::span<const std::uint8_t, kRecordSize> record) {
    ++sinceAccepted_;
    Track& track = current();
    const FixFields fix = decodeFix(record);
    if (!isValidFix(fix)) {
        ++track.rejects.invalidField;
        return;
    }
    const std::int64_t utc = fixUtcSeconds(fix);
    const ZoneShift shift = zoneShift(track.zoneCode, fix.longitude);
    const std::int64_t t = utc + shift.seconds;
    if (prevLongitude_ == 0.0 && prevLatitude_ == 0.0) {
        track.name = trackName(t, fix);
        prevLongitude_ = fix.longitude;
        prevLatitude_ = fix.latitude;
        prevSpeed_ = fix.speed;
    } else if (!passesJumpChecks(fix, t, track)) {
        return;
    }
    accept(fix, t, shift.hourShift, utc, track);
}

bool TrackDecoder::passesJumpChecks(const FixFields& fix, std::int64_t t, Track& track) const {
    const double dLon = std::fabs(prevLongitude_ - fix.longitude);
    const double dLat = std::fabs(prevLatitude_ - fix.latitude);
    const std::int32_t dAlt = std::abs(prevAltitude_ - fix.altitude);
    const std::int64_t dt = t - prevTime_;
    if (dLon > kJumpDegrees || dLat > kJumpDegrees) {
        ++track.rejects.positionJump;
        return false;
    }
    if (dAlt > kJumpDecimetres) {
        ++track.rejects.altitudeJump;
        return false;
    }
    if (dt <= 0) {
        ++track.rejects.timeNotIncreasing;
        return false;
    }
    if (sinceAccepted_ >= kFixesBeforeSpeedCheckEnds)
        return true;
    // The logger's speed over the elapsed time must explain the distance moved; the product
    // wraps in 32 bits as the logger's own arithmetic does.
    const double d =
        distanceKm(prevLatitude_, prevLongitude_, fix.latitude, fix.longitude) * 1000.0;
    const std::uint32_t e = fix.speed * static_cast<std::uint32_t>(dt) / 3600u;
    if (std::fabs(d - static_cast<double>(e)) <= 100.0)
        return true;
    ++track.rejects.speedMismatch;
    return false;
}

// A coordinate that moved by no more than kStandStillDegrees is pinned to its last value and the
// last speed repeats; a moving one becomes the new reference together with its own speed.
void TrackDecoder::applyStandStill(double& previous, double& coordinate, std::uint32_t& speed) {
    if (std::fabs(previous - coordinate) > kStandStillDegrees) {
        previous = coordinate;
        prevSpeed_ = speed;
    } else {
        coordinate = previous;
        speed = prevSpeed_;
    }
}

void TrackDecoder::accept(FixFields fix, std::int64_t t, int hourShift, std::int64_t utc,
                          Track& track) {
    sinceAccepted_ = 0;
    const std::uint32_t recordedSpeed = fix.speed;
    applyStandStill(prevLongitude_, fix.longitude, fix.speed);
    applyStandStill(prevLatitude_, fix.latitude, fix.speed);
    prevAltitude_ = fix.altitude;
    prevTime_ = t;
    auto hour = static_cast<std::uint8_t>(fix.hour + hourShift);
    if (hour >= 24)
        hour -= 24;
    const std::int32_t timeOfDay = hour * 10000 + fix.minute * 100 + fix.second;
    const std::uint32_t added = track.stepSeconds * (fix.speed / 3600u);
    track.distance = static_cast<std::int32_t>(static_cast<std::uint32_t>(track.distance) + added);
    if (fix.speed > track.peakSpeed)
        track.peakSpeed = fix.speed;
    if (fix.altitude > track.peakAltitude)
        track.peakAltitude = fix.altitude;
    TrackPoint point{timeOfDay, fix.speed, fix.altitude, fix.latitude, fix.longitude, utc};
    point.recordedSpeed = recordedSpeed;
    track.points.push_back(point);
}

} // namespace tk
