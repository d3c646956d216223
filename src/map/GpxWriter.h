// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/TextAppend.h"
#include "tracks/Track.h"

#include <span>
#include <string>

namespace tk {

// A GPX 1.1 document (UTF-8, LF line ends) with one trk per track, in the given order: the
// track's name, one trkseg, and one trkpt per point with its elevation in metres and its UTC
// time. Null entries are skipped; a track without points keeps an empty trkseg.
std::string tracksGpx(std::span<const Track* const> tracks);
// The same bytes, handed out in pieces through out.
void writeTracksGpx(text::TextOut& out, std::span<const Track* const> tracks);

} // namespace tk
