// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <string>

namespace tk::cli {

// A readable table of the tracks that have points, figures in each track's own units; with
// rejects, why fixes were dropped per track and how many lay outside any track.
std::string trackListing(const TrackTable& table, bool withRejects);

} // namespace tk::cli
