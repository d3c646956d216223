// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/TripFigures.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tk {

// "YYYY-MM-DDTHH:MM:SSZ" of UTC seconds since the epoch.
std::string utcTimeText(std::int64_t seconds);

// JSON pieces: a string with quote, backslash and control bytes escaped; a number as the
// shortest text that reads back as the same double (finite values only; anything else as 0).
void appendJsonString(std::string& out, std::string_view text);
void appendJsonNumber(std::string& out, double value);

// The members of the figures, without braces: "start": "...", "end": "...", "duration": ...,
// "length": ..., ..., "splits": [...].
void appendFigureMembers(std::string& out, const TripFigures& figures);

} // namespace tk
