// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/TextAppend.h"
#include "tracks/Track.h"

#include <string>
#include <string_view>

namespace tk {

// The fixed opening of every KML export: XML declaration, document, the line style and the
// folder's own name and open flag; 374 bytes, no line end after its last line.
extern const std::string_view kKmlHeader;

// The closing of every KML export, 46 bytes, ending in "</kml>" without a line end.
extern const std::string_view kKmlTrailer;

// The exact bytes of the KML export of a track: header, the track's name, one point placemark
// per point (always in km/h and metres), trailer. About one placemark per 20 seconds of
// logging is marked visible.
std::string trackKml(const Track& track);
// The same bytes, handed out in pieces through out.
void writeTrackKml(text::TextOut& out, const Track& track);

} // namespace tk
