// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/TripFigures.h"

#include <string>
#include <vector>

namespace tk::cli {

// One listed track of `stats`: its row number (as in `tracks`), name and figures.
struct TripStatsRow {
    int number = 0;
    std::string name;
    TripFigures figures;
};

// A readable table, lengths in km, speeds in km/h, altitudes in m, the thresholds named below it.
std::string tripStatsTable(const std::vector<TripStatsRow>& rows, const FigureSettings& settings);

// {"tracks": [{"track": N, "name": "...", "start": ..., ...}, ...]} and a newline.
std::string tripStatsJson(const std::vector<TripStatsRow>& rows);

} // namespace tk::cli
