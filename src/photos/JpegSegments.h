// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tk::photos {

// The metadata part of a JPEG file: the segments from the start of image to the start of scan.
// Geotagging changes only the Exif APP1 segment; everything from the start of scan on (the
// image data) is copied as it is.
struct JpegHead {
    struct Segment {
        std::size_t offset = 0; // of its marker's 0xFF
        std::size_t size = 0;   // marker, length field and payload
        std::uint8_t marker = 0;
    };
    std::vector<Segment> segments;
    std::size_t scanOffset = 0; // the start-of-scan marker: the head is bytes [0, scanOffset)
    std::optional<std::size_t> exifIndex; // the first APP1 segment with "Exif\0\0"

    // Where a new Exif segment goes when there is none: after the start of image and any APP0
    // (JFIF) segments that open the file.
    std::size_t exifInsertOffset() const;
    // Where the Exif segment ends, or where a new one goes.
    std::size_t exifEnd() const;
};

enum class JpegHeadState {
    complete,  // head parsed up to the start of scan
    needMore,  // the bytes end before the start of scan: read more and parse again
    notJpeg,   // no start-of-image marker
    malformed, // a segment that cannot be (bad marker, end of image before any scan)
};

// Parses the head in bytes (the file's first bytes). For needMore, wanted says how many bytes
// would let parsing go on.
JpegHeadState parseJpegHead(std::string_view bytes, JpegHead& head, std::size_t& wanted);

inline constexpr std::size_t kExifPrefixSize = 6;        // "Exif\0\0"
inline constexpr std::size_t kMaxSegmentPayload = 65533; // after the length field
inline constexpr char kExifPrefix[] = "Exif\0\0";

// The pixel density of the JPEG's JFIF header (APP0), as Exif records a resolution; nothing when
// it has none.
struct JfifDensity {
    std::uint16_t x = 0, y = 0;
    std::uint16_t unit = 0; // Exif's: 1 none (an aspect ratio), 2 inches, 3 centimetres
};
std::optional<JfifDensity> jfifDensity(std::string_view bytes, const JpegHead& head);

// An APP1 segment (marker, length and payload) around Exif's TIFF data; nothing when too large.
std::optional<std::string> exifSegment(std::string_view tiff);
// The TIFF data inside an Exif APP1 segment.
std::string_view exifTiffData(std::string_view segment);

} // namespace tk::photos
