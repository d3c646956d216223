// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tk {

// One track of the all-tracks view, in the colour (0x00BBGGRR, as drawn) and weight of its line.
struct OverviewTrack {
    int index = 0;
    const Track* track = nullptr;
    std::uint32_t drawColour = 0;
    int weight = 2;
    // The track's overviewShapeJson when worked out before, else nullptr.
    const std::string* shape = nullptr;
};

// Douglas-Peucker: the indices of the points to keep so that no point left out lies farther than
// tolerance (degrees of latitude, longitude scaled by the cosine of the latitude) from the line
// through the kept ones. The first and the last point are always kept.
std::vector<std::size_t> thinnedPoints(std::span<const TrackPoint> points, double tolerance);

// The overview thins with a tolerance of 3 m: less than a pixel up to street level (zoom 15), as
// close as one looks at many tracks at once; the clicked track is drawn in full detail anyway.
constexpr double kOverviewToleranceMetres = 3.0;
constexpr double kMetresPerDegreeOfLatitude = 111320.0;

// The members of a track's overview that depend on its fixes alone: "bounds" and "points" (see
// trackViewJson). Thinning takes most of the view's time, so a caller may keep these per track.
std::string overviewShapeJson(const std::vector<TrackPoint>& points);

// The page's all-tracks view as one JSON object: "selected" (the track drawn in full detail from
// data.js, -1 for none) and "tracks", each with "track", "name", "color" ("#rrggbb"), "weight",
// "bounds" ([south, west, north, east] of every fix) and "points" (thinned, as flat
// [lat, lon, lat, lon, ...] with six decimals).
std::string trackViewJson(std::span<const OverviewTrack> tracks, int selected);

} // namespace tk
