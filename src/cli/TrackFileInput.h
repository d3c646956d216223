// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <optional>
#include <string>

namespace tk::cli {

// The tracks of a track file (GPX, FIT, TCX, ...) as a table, one slot per track; nothing when
// path is a logger project instead. What else the file holds is said on stderr; a file that
// cannot be read or holds no track throws CommandError.
std::optional<TrackTable> readTrackFileTable(const std::string& path);

// Appends the tracks of a table after the slots of another.
void appendTracks(TrackTable& to, TrackTable&& from);

} // namespace tk::cli
