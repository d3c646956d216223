// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exiv2/exiv2.hpp>

#include "photos/ExifAppend.h"
#include "photos/FileReplace.h"
#include "photos/JpegSegments.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A JPEG's head (everything before its image data) read into memory, its metadata segments
// decoded with exiv2, and the file written again with only its Exif segment replaced.
namespace tk::photos::exiv {

// The most a photo's first read takes; a JPEG's head beyond it is read as its segments ask.
constexpr std::size_t kFirstRead = 64 * 1024;

struct JpegFile {
    std::string head; // bytes [0, layout.scanOffset) and perhaps a little more
    JpegHead layout;

    std::optional<std::string_view> exifSegmentBytes() const;
    // The offset of the Exif segment, or where a new one goes when there is none.
    std::size_t exifOffset() const;
    // The resolution a new Exif segment records: the JFIF header's, else 72 dpi.
    ImageResolution resolution() const;
    // The first XMP packet (APP1); false when there is none or it cannot be read.
    bool decodeXmp(Exiv2::XmpData& xmp) const;
    // The IPTC record of the first Photoshop resource block (APP13); false when there is none or
    // it cannot be read.
    bool decodeIptc(Exiv2::IptcData& iptc) const;
    // The payload (after the marker and length) of the first segment with that marker whose
    // payload starts with id.
    std::optional<std::string_view> segmentWith(unsigned marker, std::string_view id) const;
    // The bytes read after the Exif segment, and how many the file holds after it.
    std::string_view afterExif() const { return std::string_view(head).substr(layout.exifEnd()); }
    std::uint64_t sizeAfterExif(const FileStamp& stamp) const {
        return static_cast<std::uint64_t>(stamp.size) - layout.exifEnd();
    }
};

// Reads the JPEG's head (up to its start of scan), starting from firstBytes when the caller has
// read them already; the error text, empty on success.
std::string loadJpeg(const std::string& path, JpegFile& file, std::string firstBytes = {});

// Writes the JPEG again with its Exif segment replaced by segment (removed when segment is
// empty, inserted when there was none); the error text, empty on success.
std::string replaceExifSegment(const std::string& path, const FileStamp& stamp,
                               const JpegFile& file, const std::string& segment);

} // namespace tk::photos::exiv
