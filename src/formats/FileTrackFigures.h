// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <cstdint>
#include <limits>

namespace tk::formats {

// A point's speed while a file's track is read, when the file gave none for it.
constexpr std::uint32_t kSpeedUnknown = std::numeric_limits<std::uint32_t>::max();

// Makes a track read from a file look like one the logger recorded: speeds the file did not
// give come from distance over time within its segment, times of day are UTC, and the step,
// peak speed, peak altitude and distance (haversine within segments, as the trip figures
// measure it) are filled in.
void completeFileTrack(Track& track);

} // namespace tk::formats
