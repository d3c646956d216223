// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"
#include "tracks/TripFigures.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tk {

// What the map page's figures are made from: the fixes of the track it shows, which fix each row
// of data.js's locations is, the track's units and the thresholds in force.
struct ShownTrack {
    std::vector<TrackPoint> points;
    std::vector<std::size_t> rowPoints;
    bool imperial = false;
    FigureSettings settings;
};

ShownTrack shownTrack(const Track& track, const FigureSettings& settings);

// The figures of the fixes from row firstRow to row lastRow of the page (rows out of range are
// brought into it, the two may come in either order) as one JSON object: "first" and "last"
// (the rows used), "texts" (FigureTexts by member name), "movingSpeed" and "climbThreshold"
// (the thresholds in the track's units), "splitUnit" ("km" or "mi") and "figures" (the numbers,
// splits every kilometre or mile). "{}" for a track without points.
std::string stretchFiguresJson(const ShownTrack& shown, long firstRow, long lastRow);

} // namespace tk
