// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/CameraClocks.h"

#include <algorithm>

namespace tk::photos {
namespace {

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

} // namespace

std::string cameraName(const std::string& make, const std::string& model,
                       const std::string& serial) {
    std::string name = trimmed(make);
    const std::string m = trimmed(model);
    if (!m.empty())
        name += (name.empty() ? "" : " ") + m;
    const std::string s = trimmed(serial);
    if (!s.empty())
        name += (name.empty() ? "#" : " #") + s;
    return name;
}

std::string cameraLabel(const std::string& camera) {
    return camera.empty() ? "Unknown camera" : camera;
}

std::vector<CameraGroup> cameraGroups(const std::vector<PhotoInfo>& photos) {
    std::vector<CameraGroup> groups;
    std::map<std::string, std::size_t> index;
    for (std::size_t i = 0; i < photos.size(); ++i) {
        const auto [it, added] = index.emplace(photos[i].camera, groups.size());
        if (added)
            groups.push_back({photos[i].camera, {}});
        groups[it->second].photos.push_back(i);
    }
    return groups;
}

std::vector<CameraSuggestion> suggestOffsets(const std::vector<PhotoInfo>& photos,
                                             const std::vector<FixTrack>& tracks,
                                             const ZoneChoice& zone, double maxGap) {
    std::vector<CameraSuggestion> result;
    for (CameraGroup& group : cameraGroups(photos)) {
        std::vector<PhotoClue> clues;
        for (const std::size_t i : group.photos) {
            const PhotoInfo& info = photos[i];
            if (const auto camera = cameraUtc(info, zone))
                clues.push_back(
                    {*camera, info.gpsUtc, info.position ? info.position : info.sidecarPosition});
        }
        result.push_back({std::move(group), suggestOffset(tracks, clues, maxGap)});
    }
    return result;
}

std::vector<PhotoClock> CameraClocks::perPhoto(const std::vector<PhotoInfo>& photos) const {
    std::vector<PhotoClock> clocks;
    clocks.reserve(photos.size());
    for (const PhotoInfo& info : photos) {
        if (const auto missing = withoutOffset.find(info.camera); missing != withoutOffset.end())
            clocks.push_back({{}, missing->second});
        else if (const auto own = cameras.find(info.camera); own != cameras.end())
            clocks.push_back({own->second, {}});
        else
            clocks.push_back({common, {}});
    }
    return clocks;
}

CameraClocks cameraClocks(const GeotagSettings& settings, const std::vector<PhotoInfo>& photos,
                          std::string& error) {
    error.clear();
    CameraClocks clocks;
    clocks.common = ClockCorrection(settings.offset);
    std::map<std::string, GeotagSettings> syncsByCamera;
    for (const SyncPoint& sync : settings.syncs) {
        if (sync.photo >= photos.size()) {
            error = "the sync photo is not among the photos";
            return {};
        }
        GeotagSettings& own = syncsByCamera[photos[sync.photo].camera];
        own.zone = settings.zone;
        own.syncs.push_back(sync);
    }
    for (const auto& [camera, own] : syncsByCamera) {
        clocks.cameras[camera] = clockCorrection(own, photos, error);
        if (!error.empty())
            return {};
    }
    return clocks;
}

void applySuggestions(CameraClocks& clocks, const std::vector<CameraSuggestion>& suggestions) {
    for (const CameraSuggestion& s : suggestions) {
        const std::string& camera = s.group.camera;
        if (clocks.cameras.count(camera))
            continue;
        if (s.suggestion.confidence == Confidence::high && s.suggestion.offset)
            clocks.cameras[camera] = ClockCorrection(*s.suggestion.offset);
        else
            clocks.withoutOffset[camera] = std::string(confidenceName(s.suggestion.confidence)) +
                                           " confidence: " + s.suggestion.reason;
    }
}

} // namespace tk::photos
