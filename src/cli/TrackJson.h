#pragma once

#include "tracks/PageBuffer.h"
#include "tracks/Track.h"

#include <string>

namespace tk::cli {

// One JSON document with every slot 0..lastTrack and its points in raw units; coordinates with
// the shortest text that reads back as the same double.
std::string tracksJson(const TrackTable& table, const PageBuffer& buffer, bool withRejects);

} // namespace tk::cli
