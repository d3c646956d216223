// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exiv2/exiv2.hpp>

#include "photos/FileReplace.h"
#include "photos/GeotagRun.h"

#include <cstdint>
#include <string>
#include <vector>

// Formats other than JPEG that exiv2 writes itself (PNG, WebP, the raw formats it writes as
// TIFF): the whole file read into memory, changed there by exiv2, checked and written back.
namespace tk::photos::exiv {

struct WholeImage {
    std::string bytes;
    Exiv2::Image::AutoPtr image;
};

// Reads the file, which must still have the stamp's size, and its metadata; the error text.
std::string openWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole);

// Everything of an image's metadata that a geotag run must leave as it was.
struct MetadataSignature {
    std::vector<std::string> exif, iptc;
    std::string xmpPacket, comment;
    std::uint64_t icc = 0;

    bool operator==(const MetadataSignature&) const = default;
};

MetadataSignature signatureOf(Exiv2::Image& image);

// Writes the image's metadata into its memory copy and the result over the file, after checking
// that every tag but the GPS ones reads back as expected and the GPS ones as set; keep, when
// given, receives entry first. The error text, empty on success.
std::string saveWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole,
                      const MetadataSignature& expected, const KeepBefore& keep = {},
                      JournalEntry entry = {});

// exiv2 reads many raw formats as TIFF but writes only some of them; the others get a sidecar.
bool writtenAsTiff(const std::string& path);

// The name of an exiv2 image type, as the photo table shows it.
std::string formatName(int type);

} // namespace tk::photos::exiv
