// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/TiffDirectory.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Writing GPS tags into TIFF data (a TIFF file, or a JPEG's Exif data) without moving a byte.
// Cameras' maker notes, thumbnails and previews are found through offsets that no program can
// fix for every maker, so the existing bytes stay where they are: a new GPS directory — and,
// when IFD0 has no GPS pointer yet, a copy of IFD0 with that pointer added — is appended after
// the end of the data, and one 4-byte pointer is changed to reach it (the header's IFD0 offset,
// or IFD0's GPS pointer).
namespace tk::photos {

enum class GpsMerge {
    keepOthers, // the GPS tags given replace theirs; other GPS tags of the photo stay
    replaceAll, // the GPS directory holds exactly the tags given (none: no GPS directory)
};

struct TiffAppend {
    std::string refusal;       // why nothing can be written; the rest is unset
    bool unchanged = false;    // the data already holds exactly these GPS tags: nothing to write
    std::size_t pointerAt = 0; // the 4-byte pointer in the old data that changes
    std::array<std::uint8_t, 4> pointer{}; // its new bytes
    std::string tail;                      // what goes after the old data

    // The old data with the pointer changed and the tail after it.
    std::string appliedTo(tiff::Bytes data) const;
};

// Appends the GPS fields to data. following are the first bytes of the followingTotal that
// come after the data in its file (a JPEG's next segments): a thumbnail or value that runs past
// the end of the Exif data is read from there by readers, so those bytes are copied to the start
// of the tail, and readers still find the very same bytes. Refused when the structure is broken
// (directories outside the data or in a loop), or a value lies after the data beyond what
// following holds (appending would move it).
TiffAppend appendGps(tiff::Bytes data, tiff::Bytes following, std::uint64_t followingTotal,
                     const std::vector<tiff::Field>& gps, GpsMerge merge);

// The resolution a new IFD0 records (Exif requires it of a JPEG): 72 dpi unless the JPEG's JFIF
// header says otherwise. unit: 1 none (an aspect ratio), 2 inches, 3 centimetres.
struct ImageResolution {
    std::uint16_t x = 72, y = 72;
    std::uint16_t unit = 2;
};

// Minimal TIFF data (little-endian) for a JPEG that has no Exif: IFD0 with the tags Exif requires
// of a JPEG (resolution, chroma siting centred as JFIF has it) and the GPS pointer, then the GPS
// fields.
std::string newGpsTiff(const std::vector<tiff::Field>& gps, const ImageResolution& resolution);

// The GPS fields of TIFF data; none when it has no GPS directory, nothing when it is broken.
std::optional<std::vector<tiff::Field>> gpsFieldsOf(tiff::Bytes data, std::string& error);

} // namespace tk::photos
