// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/ExifAppend.h"
#include "photos/FileReplace.h"
#include "photos/GeotagJournal.h"
#include "photos/GeotagMatch.h"
#include "photos/JpegSegments.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Writing GPS fields into a JPEG's Exif segment or a TIFF file by appending (ExifAppend), and
// reading the result back with exiv2.
namespace tk::photos {

// The Exif segment with the GPS fields appended to its TIFF data (or a new minimal one, at the
// resolution given, when the JPEG has none): every byte of the old data stays where it is.
// following are the bytes after the old segment, of followingTotal in the file. Returns the
// refusal text; unchanged when the tags were there already.
std::string appendedExifSegment(const std::optional<std::string_view>& oldSegment,
                                std::string_view following, std::uint64_t followingTotal,
                                const std::vector<tiff::Field>& fields,
                                const ImageResolution& resolution, GpsMerge merge,
                                std::string& segment, bool& unchanged);

// Whether now is old with data appended and at most one 4-byte pointer changed: what the Exif
// writer makes, so the old bytes can go back whole.
bool grewFrom(std::string_view now, std::string_view old);

// Why a multi-picture JPEG (head: its bytes up to the start of scan) cannot take a longer Exif
// segment; empty when it can (or is no multi-picture file).
std::string multiPictureRefusal(std::string_view head, const JpegHead& layout);

// Reads Exif TIFF data back with exiv2: it must decode and give the position written.
std::string checkWrittenPosition(std::string_view tiffData, const Position& position);

// The formats whose Exif is TIFF data from the file's first byte (exiv2's names for them).
bool appendsToTiff(const std::string& format);

// Appends the GPS fields to the TIFF file at path, which must still have the stamp: the file's
// bytes stay, one 4-byte pointer changes and the new directories follow its end. With position,
// the result must read it back. beforeReplace (when given) runs just before the file is
// replaced, with what cuts the file back to its old bytes, and its error text stops the write.
// Returns the error text.
std::string
appendToTiffFile(const std::string& path, const FileStamp& stamp,
                 const std::vector<tiff::Field>& fields, GpsMerge merge, const Position* position,
                 const std::function<std::string(const JournalEntry::Appended&)>& beforeReplace,
                 bool& unchanged);

// Cuts a TIFF file the writer appended to back to its bytes before, when it is still the file
// written (its hash); restored false, and nothing done, when it changed since. Returns the
// error text.
std::string cutBackTiffFile(const std::string& path, const JournalEntry::Appended& appended,
                            bool& restored);

} // namespace tk::photos
