// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/ClockSuggestion.h"
#include "photos/GeotagRun.h"

#include <map>
#include <string>
#include <vector>

namespace tk::photos {

// A camera's name from its Make, Model and serial number: "Canon Canon EOS 450D #1230456789".
// Empty when the photo names none of them.
std::string cameraName(const std::string& make, const std::string& model,
                       const std::string& serial);
// The name shown for a camera: its name, or "Unknown camera" for photos that name none.
std::string cameraLabel(const std::string& camera);

// The photos of one camera, by their indices, in the order of the photos.
struct CameraGroup {
    std::string camera;
    std::vector<std::size_t> photos;
};

// The cameras of the photos, in the order their first photos come.
std::vector<CameraGroup> cameraGroups(const std::vector<PhotoInfo>& photos);

struct CameraSuggestion {
    CameraGroup group;
    OffsetSuggestion suggestion;
};

// Each camera's suggested correction for the camera times read in the zone.
std::vector<CameraSuggestion> suggestOffsets(const std::vector<PhotoInfo>& photos,
                                             const std::vector<FixTrack>& tracks,
                                             const ZoneChoice& zone, double maxGap);

// The clock corrections of every camera.
struct CameraClocks {
    ClockCorrection common;                           // cameras not named below
    std::map<std::string, ClockCorrection> cameras;   // by camera name
    std::map<std::string, std::string> withoutOffset; // cameras without one, and why

    std::vector<PhotoClock> perPhoto(const std::vector<PhotoInfo>& photos) const;
};

// The settings' corrections: each sync photo's camera from its own sync photos, the others by
// the settings' offset. error is set when a camera's sync photos cannot give a correction.
CameraClocks cameraClocks(const GeotagSettings& settings, const std::vector<PhotoInfo>& photos,
                          std::string& error);

// Every camera without a correction of its own takes its suggestion where that is high; the
// others are left without an offset, with the suggestion's reason.
void applySuggestions(CameraClocks& clocks, const std::vector<CameraSuggestion>& suggestions);

} // namespace tk::photos
