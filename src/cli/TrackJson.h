// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "map/TextAppend.h"
#include "tracks/Track.h"

#include <cstdint>

namespace tk::cli {

// One JSON document with the page count, every slot 0..lastTrack and its points in raw units;
// coordinates with the shortest text that reads back as the same double.
void writeTracksJson(text::TextOut& out, const TrackTable& table, std::int32_t pageCount,
                     bool withRejects);

} // namespace tk::cli
