// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/JpegSegments.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace tk::photos {

// A JPEG's multi-picture index (an APP2 "MPF" segment): the further pictures of the file (a
// large preview, the other half of a stereo pair) lie after the first picture's end, found
// through offsets counted from the index's own header.
struct MultiPictureIndex {
    std::size_t segmentOffset = 0;       // where the APP2 segment is in the file
    std::vector<std::uint64_t> pictures; // where each picture after the first starts in the file
};

// The index of the JPEG whose head (up to its start of scan) is bytes; nothing when it has none
// or it cannot be read.
std::optional<MultiPictureIndex> multiPictureIndex(std::string_view bytes, const JpegHead& head);

} // namespace tk::photos
