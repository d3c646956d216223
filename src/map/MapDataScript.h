// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/TextAppend.h"
#include "tracks/Track.h"
#include "tracks/TrackStyle.h"

#include <cstddef>
#include <string>
#include <vector>

namespace tk {

// The seven property texts the track panel shows for a track; all but altitude also form the
// summary table of the map data script.
struct MapTexts {
    std::string name, start, end, step, speed, distance, altitude;
};

// The panel texts of a track, in the track's own units (unitFlag 1: mph and feet). Start and end
// are the times of the first and last point, empty for a track without points.
MapTexts mapTexts(const Track& track);

// The exact bytes of "data.js" for a track drawn in the style: the globals size, line, locations
// and data, four lines ending in CR LF. The pages need at least two rows in locations, so a track
// without points gives an empty string, which the caller must refuse to write. When texts is
// given it receives mapTexts(track) in either case.
std::string mapDataScript(const Track& track, const TrackStyle& style, MapTexts* texts = nullptr);
// What the map page draws a track from: data.js's line, locations and data as one JSON object
// ({"line": {...}, "locations": [...], "data": [...]}) with the same values; empty for a track
// without points.
std::string trackPageJson(const Track& track, const TrackStyle& style);
// The index in points of each row of locations in data.js, the closing row included: the page's
// row numbers turned back into the track's fixes. Empty for a track without points.
std::vector<std::size_t> mapDataRowPoints(const std::vector<TrackPoint>& points);
// The rows of locations at which a new segment of the track begins (none for the logger's).
std::vector<std::size_t> segmentBreakRows(const std::vector<TrackPoint>& points);
// The same bytes, handed out in pieces through out; nothing for a track without points.
void writeMapDataScript(text::TextOut& out, const Track& track, const TrackStyle& style);

} // namespace tk
