// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagRun.h"

#include <string>
#include <vector>

namespace tk::cli {

// The text as a JSON string, quotes included.
std::string jsonString(const std::string& text);

// The JSON array of geotag --json: one object per image file found.
std::string geotagJson(const std::vector<photos::FoundPhoto>& found,
                       const std::vector<photos::PhotoResult>& results);
// The readable table (file, status, position or reason) and the summary line.
std::string geotagTable(const std::vector<photos::FoundPhoto>& found,
                        const std::vector<photos::PhotoResult>& results, bool dryRun);
// "12 photos: 10 tagged, 1 outside the tracks, 1 in gaps, 0 errors" and the other counts when
// there are any.
std::string geotagSummary(const std::vector<photos::PhotoResult>& results, bool dryRun);

std::string undoJson(const std::vector<photos::UndoResult>& results);
std::string undoTable(const std::vector<photos::UndoResult>& results);

} // namespace tk::cli
