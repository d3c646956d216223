// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/CameraClocks.h"
#include "photos/PhotoFiles.h"

#include <string>
#include <vector>

namespace tk::cli {

// geotag --suggest-offset --json: {"cameras": [...]}, one object per camera.
std::string suggestionJson(const std::vector<photos::FoundPhoto>& found,
                           const std::vector<photos::CameraSuggestion>& suggestions);
// The readable table: camera, photos, offset, confidence, reason.
std::string suggestionTable(const std::vector<photos::CameraSuggestion>& suggestions);

} // namespace tk::cli
