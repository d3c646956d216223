// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagMatch.h"

#include <array>
#include <optional>
#include <span>
#include <string>

namespace tk::photos {

// What the suggestion uses of one photo of a camera.
struct PhotoClue {
    double cameraUtc = 0;             // the camera's clock read in the chosen zone
    std::optional<double> gpsUtc;     // its GPS time stamp, UTC
    std::optional<Position> position; // a position it already carries
};

enum class Confidence { high, low, none };
// "high", "low", "none".
const char* confidenceName(Confidence confidence);

// Why a suggestion is what it is. Each has an English text with places for its numbers
// (reasonTemplate), which is also the key of its translation.
enum class Because {
    noPhotoTime,
    noFixes,
    gpsTimes,          // photos
    gpsTimesOutvoted,  // photos, disagreeing
    gpsDisagree,       // seconds
    positionsFar,      // photos far from the tracks, photos with a position
    positions,         // photos
    positionsLong,     // from, to (seconds of correction)
    positionsAgain,    //
    notInside,         // photos
    stopsClear,        // photos inside, photos, photos at stops
    stopsMoving,       // photos inside, photos, photos at stops
    stopsWide,         // photos inside, photos, photos at stops, from, to
    stopsNearlyAsWell, // photos inside, photos, photos at stops
};
const char* reasonTemplate(Because because);

// A camera's clock correction: true time = camera clock in the chosen zone + offset.
struct OffsetSuggestion {
    std::optional<double> offset; // whole seconds; nothing when no correction fits
    Confidence confidence = Confidence::none;
    Because because = Because::noPhotoTime;
    std::array<long, 5> numbers{};
    std::string reason; // reasonTemplate filled with the numbers

    // The reason in another wording of its template (a translation).
    std::string reasonIn(const std::string& wording) const;
};

// Corrections further than this from zero are not looked at: a zone set wrong and a drift
// together stay within it.
constexpr double kSuggestionRange = 14 * 3600.0;

// The correction of one camera's clock, from its photos and the tracks; a pure function.
// GPS time stamps give it directly; else positions, by when the track passed them; else the
// correction that puts the most photos inside the tracks and at the track's stops. maxGap is the
// longest time between fixes that still counts as inside a track.
OffsetSuggestion suggestOffset(std::span<const FixTrack> tracks, std::span<const PhotoClue> photos,
                               double maxGap);

} // namespace tk::photos
