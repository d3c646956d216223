// SPDX-License-Identifier: GPL-3.0-or-later
// A run's matching: each photo's true time, its clock correction, and where the tracks put it.
#include "photos/GeotagRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace tk::photos {
namespace {

std::string wholeSeconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f", std::abs(seconds));
    return text;
}

std::string trackText(int number) {
    return "track " + std::to_string(number);
}

std::string outsideReason(const TrackMatch& match, bool anyTrack) {
    if (!anyTrack)
        return "no track has fixes";
    const double s = match.nearestSeconds;
    return "outside the tracks: " + wholeSeconds(s) + " s " + (s < 0 ? "before" : "after") +
           " the nearest fix";
}

} // namespace

std::string withoutPath(const std::string& reason, const std::string& path) {
    const std::string prefix = path + ": ";
    return reason.rfind(prefix, 0) == 0 ? reason.substr(prefix.size()) : reason;
}

bool writesSidecar(const PhotoInfo& info, const GeotagSettings& settings) {
    return settings.sidecar || info.mode == PhotoWriteMode::sidecarOnly;
}

const char* statusName(PhotoStatus status) {
    switch (status) {
    case PhotoStatus::tagged:
        return "tagged";
    case PhotoStatus::wouldTag:
        return "would-tag";
    case PhotoStatus::hasPosition:
        return "has-position";
    case PhotoStatus::gap:
        return "gap";
    case PhotoStatus::outside:
        return "outside";
    case PhotoStatus::noTime:
        return "no-time";
    case PhotoStatus::unsupported:
        return "unsupported";
    case PhotoStatus::noOffset:
        return "no-offset";
    case PhotoStatus::error:
        break;
    }
    return "error";
}

std::optional<double> cameraUtc(const PhotoInfo& info, const ZoneChoice& zone) {
    if (!info.error.empty() || !info.cameraTime)
        return std::nullopt;
    if (info.timeIsUtc)
        return info.cameraTime->asUtc();
    return info.cameraTime->asUtc() - zone.offsetFor(*info.cameraTime, info.ownOffset);
}

ClockCorrection clockCorrection(const GeotagSettings& settings,
                                const std::vector<PhotoInfo>& photos, std::string& error) {
    error.clear();
    if (settings.syncs.empty())
        return ClockCorrection(settings.offset);
    std::vector<std::pair<double, double>> points;
    for (const SyncPoint& sync : settings.syncs) {
        if (sync.photo >= photos.size()) {
            error = "the sync photo is not among the photos";
            return {};
        }
        const PhotoInfo& info = photos[sync.photo];
        const auto camera = cameraUtc(info, settings.zone);
        if (!camera) {
            error = info.path + ": the sync photo has no date and time" +
                    (info.error.empty() ? "" : " (" + info.error + ")");
            return {};
        }
        // A shown time without a zone is read in the camera's zone at that time.
        const int zone = sync.shown.offset
                             ? *sync.shown.offset
                             : settings.zone.offsetFor(sync.shown.time, info.ownOffset);
        const double shownUtc = sync.shown.time.asUtc() - zone;
        for (const auto& [t, offset] : points)
            if (t == *camera && std::abs(offset - (shownUtc - *camera)) > 1e-9) {
                error = info.path + ": two sync photos with the same camera time disagree";
                return {};
            }
        points.emplace_back(*camera, shownUtc - *camera);
    }
    return ClockCorrection::fromSyncPoints(std::move(points));
}

std::vector<PhotoResult> matchPhotos(const std::vector<PhotoInfo>& photos,
                                     const std::vector<FixTrack>& tracks,
                                     const GeotagSettings& settings,
                                     const ClockCorrection& correction) {
    return matchPhotos(photos, tracks, settings,
                       std::vector<PhotoClock>(photos.size(), PhotoClock{correction, {}}));
}

std::vector<PhotoResult> matchPhotos(const std::vector<PhotoInfo>& photos,
                                     const std::vector<FixTrack>& tracks,
                                     const GeotagSettings& settings,
                                     const std::vector<PhotoClock>& clocks) {
    std::vector<PhotoResult> results(photos.size());
    const bool anyTrack = std::any_of(tracks.begin(), tracks.end(),
                                      [](const FixTrack& t) { return !t.fixes.empty(); });
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const PhotoInfo& info = photos[i];
        PhotoResult& r = results[i];
        if (!info.error.empty()) {
            r.status = PhotoStatus::error;
            r.reason = withoutPath(info.error, info.path);
            continue;
        }
        if (info.mode == PhotoWriteMode::unsupported) {
            r.status = PhotoStatus::unsupported;
            r.reason = "exiv2 can neither read nor write " +
                       (info.format.empty() ? std::string("this format") : info.format);
            continue;
        }
        r.cameraUtc = cameraUtc(info, settings.zone);
        if (!r.cameraUtc) {
            r.status = PhotoStatus::noTime;
            r.reason =
                info.video ? "no date and time in the video" : "no date and time in the photo";
            continue;
        }
        const PhotoClock& clock = clocks.at(i);
        if (!clock.noOffset.empty()) {
            r.status = PhotoStatus::noOffset;
            r.reason = "no clock correction for its camera: " + clock.noOffset;
            continue;
        }
        r.utc = *r.cameraUtc + clock.correction.offsetAt(*r.cameraUtc);
        const bool sidecar = writesSidecar(info, settings);
        const std::optional<Position> existing =
            info.position ? info.position : info.sidecarPosition;
        const TrackMatch match = matchTime(tracks, *r.utc, settings.limits);
        if (match.track != 0)
            r.track = match.track;
        if (existing && !settings.overwrite) {
            r.status = PhotoStatus::hasPosition;
            r.position = existing;
            r.reason =
                info.position ? "already has a position" : "its sidecar already has a position";
            continue;
        }
        switch (match.placement) {
        case Placement::interpolated:
        case Placement::extrapolated:
            r.status = PhotoStatus::wouldTag;
            r.position = match.position;
            if (sidecar)
                r.sidecar = sidecarPath(info.path);
            if (match.placement == Placement::extrapolated)
                r.reason = "nearest fix, " + wholeSeconds(match.nearestSeconds) + " s " +
                           (match.nearestSeconds < 0 ? "before" : "after") + " it";
            break;
        case Placement::gap:
            r.status = PhotoStatus::gap;
            r.seconds = match.gapSeconds;
            r.reason = "in a gap of " + wholeSeconds(match.gapSeconds) + " s between fixes of " +
                       trackText(match.track);
            break;
        case Placement::outside:
            r.status = PhotoStatus::outside;
            r.seconds = std::abs(match.nearestSeconds);
            r.reason = outsideReason(match, anyTrack);
            break;
        }
    }
    return results;
}

} // namespace tk::photos
