// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exiv2/exiv2.hpp>

#include "photos/GeotagRun.h"
#include "photos/GpsTags.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The tag work of geotagging with exiv2: reading a photo's time and position, setting the GPS
// tags, and the signatures that show nothing else changed.
namespace tk::photos::exiv {

// The XMP properties a sidecar's position is written to.
extern const char* const kXmpGpsKeys[9];

const Exiv2::byte* bytePointer(std::string_view bytes);
std::uint64_t hashOf(std::string_view bytes);

// An error about the photo or sidecar at path: "path: what".
inline std::string failure(const std::string& path, const std::string& what) {
    return path + ": " + what;
}

std::string exifText(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key);
std::string xmpText(const Exiv2::XmpData& xmp, const char* key);
// The Exif GPS position; nothing when there is none (or the receiver marked it void).
std::optional<Position> exifPosition(const Exiv2::ExifData& exif);
std::optional<Position> xmpPosition(const Exiv2::XmpData& xmp);
// The moment the photo was taken, the first real date of: Exif's DateTimeOriginal, its
// DateTimeDigitized (each with its sub-seconds and zone offset), XMP's exif:DateTimeOriginal or
// photoshop:DateCreated, IPTC's DateCreated with TimeCreated. Never ModifyDate: that is when the
// file was last edited. No time when none of them has one.
void readTime(const Exiv2::ExifData& exif, const Exiv2::XmpData* xmp, const Exiv2::IptcData* iptc,
              PhotoInfo& info);

// The thumbnail the Exif data carries (JPEG bytes); empty when none.
std::string embeddedThumbnail(const Exiv2::ExifData& exif);

void setExifGps(Exiv2::ExifData& exif, const ExifGpsTexts& texts);
void setXmpGps(Exiv2::XmpData& xmp, const XmpGpsTexts& texts);
void eraseXmpGps(Exiv2::XmpData& xmp);

// Every Exif tag but the GPS ones and the places in the file, with its type and value (and the
// data a thumbnail tag points to), sorted: equal signatures mean nothing else changed.
std::vector<std::string> exifSignature(const Exiv2::ExifData& exif);
// The GPS tags as "key type value" lines, in order: what the journal keeps.
std::vector<std::string> gpsTagLines(const Exiv2::ExifData& exif);
// The same GPS tags, in whatever order the directory lists them.
bool sameGps(std::vector<std::string> a, std::vector<std::string> b);
// The journal's lines as directory fields, for the Exif writer.
std::vector<tiff::Field> gpsFieldsOfLines(const std::vector<std::string>& lines);
// Replaces the GPS tags by the journal's lines.
void restoreGpsTags(Exiv2::ExifData& exif, const std::vector<std::string>& lines);
// The XMP properties as sorted "key value" lines: the GPS ones, or all the others.
std::vector<std::string> xmpLines(const Exiv2::XmpData& xmp, bool gps);
std::vector<std::string> iptcLines(const Exiv2::IptcData& iptc);
// Exif's TIFF data decoded (nothing for no data); false when it cannot be.
bool decodeExif(std::string_view tiff, Exiv2::ExifData& exif, Exiv2::ByteOrder& order);

} // namespace tk::photos::exiv
