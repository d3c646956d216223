// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExifWrite.h"

#include "files/FileIO.h"
#include "photos/ExivTags.h"
#include "photos/MultiPicture.h"

#include <algorithm>
#include <cmath>

namespace tk::photos {

bool grewFrom(std::string_view now, std::string_view old) {
    if (now.size() < old.size())
        return false;
    const auto first = std::mismatch(old.begin(), old.end(), now.begin()).first;
    if (first == old.end())
        return true;
    const std::size_t at = static_cast<std::size_t>(first - old.begin());
    const std::size_t after = std::min(old.size(), at + 4);
    return old.substr(after) == now.substr(after, old.size() - after);
}

std::string appendedExifSegment(const std::optional<std::string_view>& oldSegment,
                                std::string_view following, std::uint64_t followingTotal,
                                const std::vector<tiff::Field>& fields,
                                const ImageResolution& resolution, GpsMerge merge,
                                std::string& segment, bool& unchanged) {
    unchanged = false;
    std::string tiffData;
    if (oldSegment) {
        const std::string_view oldTiff = exifTiffData(*oldSegment);
        const TiffAppend appended = appendGps(tiff::bytesOf(oldTiff), tiff::bytesOf(following),
                                              followingTotal, fields, merge);
        if (!appended.refusal.empty())
            return appended.refusal;
        if (appended.unchanged) {
            unchanged = true;
            return {};
        }
        tiffData = appended.appliedTo(tiff::bytesOf(oldTiff));
    } else if (!fields.empty()) {
        tiffData = newGpsTiff(fields, resolution);
    }
    if (tiffData.empty()) {
        segment.clear();
        return {};
    }
    const auto made = exifSegment(tiffData);
    if (!made)
        return "its Exif data would not fit in a JPEG segment (64 KB) with the position added";
    segment = *made;
    return {};
}

// A multi-picture file's further pictures lie after the image, and a longer Exif segment moves
// them. Their index finds them again when it moves with them (it follows the Exif segment), but
// an index before the Exif segment, or a pointer in the Exif data (a maker note's preview) at
// one of them, would be left pointing at the old place. Returns the refusal, if any.
std::string multiPictureRefusal(std::string_view head, const JpegHead& layout) {
    const auto index = multiPictureIndex(head, layout);
    if (!index)
        return {};
    if (index->segmentOffset < layout.exifEnd())
        return "its multi-picture index comes before its Exif data, and the pictures it points "
               "to would move";
    const auto segment = layout.exifIndex
                             ? std::optional(head.substr(layout.segments[*layout.exifIndex].offset,
                                                         layout.segments[*layout.exifIndex].size))
                             : std::nullopt;
    std::string error;
    const std::string_view tiffData = segment ? exifTiffData(*segment) : std::string_view{};
    const auto structure = tiff::readStructure(tiff::bytesOf(tiffData), error);
    if (!structure)
        return {};
    const std::size_t tiffStart = layout.exifEnd() - segment->size() + 4 + kExifPrefixSize;
    for (const std::uint64_t picture : index->pictures) {
        if (picture < tiffStart || picture - tiffStart > 0xFFFFFFFFu)
            continue;
        std::string pointer;
        structure->order.put32(pointer, static_cast<std::uint32_t>(picture - tiffStart));
        if (tiffData.find(pointer) != std::string_view::npos)
            return "its Exif data points at a picture after the image (a preview), which "
                   "writing would move";
    }
    return {};
}

std::string checkWrittenPosition(std::string_view tiffData, const Position& position) {
    Exiv2::ExifData check;
    Exiv2::ByteOrder order;
    if (!exiv::decodeExif(tiffData, check, order))
        return "exiv2 cannot read the Exif data made; the photo was left as it was";
    const auto read = exiv::exifPosition(check);
    if (!read || std::abs(read->latitude - position.latitude) > 1e-7 ||
        std::abs(read->longitude - position.longitude) > 1e-7 ||
        std::abs(read->altitude - position.altitude) > 1e-3)
        return "the position does not read back as written; the photo was left as it was";
    return {};
}

bool appendsToTiff(const std::string& format) {
    return format == "TIFF" || format == "CR2";
}

std::string
appendToTiffFile(const std::string& path, const FileStamp& stamp,
                 const std::vector<tiff::Field>& fields, GpsMerge merge, const Position* position,
                 const std::function<std::string(const JournalEntry::Appended&)>& beforeReplace,
                 bool& unchanged) {
    unchanged = false;
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return fileErrorText(path);
    if (static_cast<std::int64_t>(bytes->size()) != stamp.size)
        return path + ": the file changed while it was being geotagged";
    const TiffAppend appended = appendGps(tiff::bytesOf(*bytes), {}, 0, fields, merge);
    if (!appended.refusal.empty())
        return path + ": " + appended.refusal + "; it was left as it was";
    if (appended.unchanged) {
        unchanged = true;
        return {};
    }
    const std::string written = appended.appliedTo(tiff::bytesOf(*bytes));
    if (position) {
        const std::string error = checkWrittenPosition(written, *position);
        if (!error.empty())
            return path + ": " + error;
    }
    if (beforeReplace) {
        JournalEntry::Appended cutBack;
        cutBack.lengthBefore = bytes->size();
        cutBack.pointerAt = appended.pointerAt;
        std::copy_n(bytes->begin() + static_cast<std::ptrdiff_t>(appended.pointerAt), 4,
                    cutBack.pointerBefore.begin());
        cutBack.hashAfter = exiv::hashOf(written);
        const std::string error = beforeReplace(cutBack);
        if (!error.empty())
            return error;
    }
    const auto at = static_cast<std::int64_t>(appended.pointerAt);
    const std::string_view pointer(reinterpret_cast<const char*>(appended.pointer.data()), 4);
    return replaceFile(path, stamp,
                       {ContentPiece::original(0, at), ContentPiece::memory(pointer),
                        ContentPiece::original(at + 4, stamp.size - at - 4),
                        ContentPiece::memory(appended.tail)});
}

std::string cutBackTiffFile(const std::string& path, const JournalEntry::Appended& appended,
                            bool& restored) {
    restored = false;
    const auto stamp = fileStamp(path);
    if (!stamp)
        return fileErrorText(path);
    const auto bytes = readFileBytes(path);
    if (!bytes)
        return fileErrorText(path);
    if (static_cast<std::int64_t>(bytes->size()) != stamp->size)
        return path + ": the file changed while it was being put back";
    if (bytes->size() < appended.lengthBefore || exiv::hashOf(*bytes) != appended.hashAfter)
        return {};
    const auto at = static_cast<std::int64_t>(appended.pointerAt);
    const auto length = static_cast<std::int64_t>(appended.lengthBefore);
    const std::string_view pointer(reinterpret_cast<const char*>(appended.pointerBefore.data()), 4);
    const std::string error =
        replaceFile(path, *stamp,
                    {ContentPiece::original(0, at), ContentPiece::memory(pointer),
                     ContentPiece::original(at + 4, length - at - 4)});
    restored = error.empty();
    return error;
}

} // namespace tk::photos
