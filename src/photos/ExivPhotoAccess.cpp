// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a photo's position, and undoing it from the journal entry the write left.
#include "photos/ExivPhotoAccess.h"

#include "files/FileIO.h"
#include "photos/ExifWrite.h"
#include "photos/ExivJpeg.h"
#include "photos/ExivSidecar.h"
#include "photos/ExivTags.h"
#include "photos/ExivWholeImage.h"

namespace tk::photos {
namespace {

using namespace exiv;

// A JPEG's Exif segment grown by the GPS fields; the journal keeps the old segment.
std::string writeJpeg(const PhotoInfo& info, const std::vector<tiff::Field>& fields,
                      const Position& position, const KeepBefore& keep, bool& unchanged) {
    const std::string& path = info.path;
    JpegFile file;
    std::string error = loadJpeg(path, file);
    if (!error.empty())
        return failure(path, error);
    const auto segment = file.exifSegmentBytes();
    if (segment.has_value() != info.before.hadSegment ||
        (segment && hashOf(*segment) != info.exifHash))
        return failure(path, "the file changed while it was being geotagged");
    error = multiPictureRefusal(file.head, file.layout);
    if (!error.empty())
        return failure(path, error + "; it was left as it was");
    std::string newSegment;
    error = appendedExifSegment(segment, file.afterExif(), file.sizeAfterExif(info.stamp), fields,
                                file.resolution(), GpsMerge::keepOthers, newSegment, unchanged);
    if (!error.empty())
        return failure(path, error + "; it was left as it was");
    if (unchanged)
        return {};
    error = checkWrittenPosition(exifTiffData(newSegment), position);
    if (!error.empty())
        return failure(path, error);
    JournalEntry entry;
    entry.method = JournalEntry::Method::exifSegment;
    entry.hadSegment = segment.has_value();
    entry.segment = segment ? std::string(*segment) : std::string();
    entry.segmentOffset = file.exifOffset();
    error = keep(entry);
    if (!error.empty())
        return error;
    return replaceExifSegment(path, info.stamp, file, newSegment);
}

// A TIFF file with the GPS fields appended; the journal keeps the old tags and where to cut
// the file back to.
std::string writeTiff(const PhotoInfo& info, const std::vector<tiff::Field>& fields,
                      const Position& position, const KeepBefore& keep, bool& unchanged) {
    JournalEntry entry;
    entry.method = JournalEntry::Method::gpsTags;
    entry.gpsTags = info.before.gpsTags;
    return appendToTiffFile(
        info.path, info.stamp, fields, GpsMerge::keepOthers, &position,
        [&](const JournalEntry::Appended& cutBack) {
            entry.appended = cutBack;
            return keep(entry);
        },
        unchanged);
}

// Any other format exiv2 writes, written whole by it; the journal keeps the old GPS tags.
std::string writeWholeImage(const PhotoInfo& info, const ExifGpsTexts& tags, const KeepBefore& keep,
                            bool& unchanged) {
    WholeImage whole;
    const std::string error = openWhole(info.path, info.stamp, whole);
    if (!error.empty())
        return error;
    Exiv2::ExifData& exif = whole.image->exifData();
    const std::vector<std::string> gpsBefore = gpsTagLines(exif);
    const MetadataSignature expected = signatureOf(*whole.image);
    setExifGps(exif, tags);
    if (sameGps(gpsTagLines(exif), gpsBefore)) {
        unchanged = true;
        return {};
    }
    JournalEntry entry;
    entry.method = JournalEntry::Method::gpsTags;
    entry.gpsTags = gpsBefore;
    return saveWhole(info.path, info.stamp, whole, expected, keep, entry);
}

// The Exif segment a JPEG gets back: the journal's very bytes when the segment only grew since,
// else the current one with only the journal's GPS tags put back. Empty with an error text when
// the journal's segment cannot be read.
std::string restoredSegment(const std::string& path, const FileStamp& stamp, const JpegFile& file,
                            const JournalEntry& entry, std::string& restored) {
    const auto segment = file.exifSegmentBytes();
    const std::string_view oldTiff =
        entry.hadSegment ? exifTiffData(entry.segment) : std::string_view{};
    if (segment && grewFrom(exifTiffData(*segment), oldTiff)) {
        restored = entry.hadSegment ? entry.segment : std::string();
        return {};
    }
    // Changed since by someone else: only the GPS tags go back.
    std::string readError;
    const auto oldGps = gpsFieldsOf(tiff::bytesOf(oldTiff), readError);
    if (entry.hadSegment && !oldGps)
        return failure(path, "the journal's Exif data cannot be read: " + readError);
    bool same = false;
    const std::string appendError =
        appendedExifSegment(segment, file.afterExif(), file.sizeAfterExif(stamp),
                            oldGps.value_or(std::vector<tiff::Field>{}), file.resolution(),
                            GpsMerge::replaceAll, restored, same);
    if (!appendError.empty())
        return failure(path, appendError + "; it was left as it is");
    if (same)
        restored = segment ? std::string(*segment) : std::string();
    return {};
}

// Puts a JPEG's Exif segment back as the journal has it.
std::string undoExifSegment(const std::string& path, const JournalEntry& entry, bool& unchanged) {
    const auto stamp = fileStamp(path);
    if (!stamp)
        return fileErrorText(path);
    JpegFile file;
    std::string error = loadJpeg(path, file);
    if (!error.empty())
        return failure(path, error);
    const auto segment = file.exifSegmentBytes();
    if (entry.hadSegment ? (segment && *segment == entry.segment) : !segment)
        return {};
    std::string restored;
    error = restoredSegment(path, *stamp, file, entry, restored);
    if (error.empty())
        error = replaceExifSegment(path, *stamp, file, restored);
    if (error.empty())
        unchanged = false;
    return error;
}

// Puts a photo's GPS tags back as the journal has them: a TIFF file the writer appended to is
// cut back to its very bytes when nothing changed it since; otherwise the old tags are written
// again.
std::string undoGpsTags(const std::string& path, const JournalEntry& entry, bool& unchanged) {
    if (entry.appended) {
        bool restored = false;
        const std::string error = cutBackTiffFile(path, *entry.appended, restored);
        if (!error.empty() || restored) {
            unchanged = !restored;
            return error;
        }
    }
    const auto stamp = fileStamp(path);
    if (!stamp)
        return fileErrorText(path);
    WholeImage whole;
    const std::string error = openWhole(path, *stamp, whole);
    if (!error.empty())
        return error;
    Exiv2::ExifData& exif = whole.image->exifData();
    if (sameGps(gpsTagLines(exif), entry.gpsTags))
        return {};
    std::string writeError;
    if (appendsToTiff(formatName(whole.image->imageType()))) {
        bool same = false;
        writeError = appendToTiffFile(path, *stamp, gpsFieldsOfLines(entry.gpsTags),
                                      GpsMerge::replaceAll, nullptr, {}, same);
    } else {
        const MetadataSignature expected = signatureOf(*whole.image);
        restoreGpsTags(exif, entry.gpsTags);
        writeError = saveWhole(path, *stamp, whole, expected);
    }
    if (!writeError.empty())
        return writeError;
    unchanged = false;
    return {};
}

} // namespace

std::string ExivPhotoAccess::write(const PhotoInfo& info, const Position& position, double utc,
                                   bool sidecar, const KeepBefore& keep, bool& unchanged) {
    unchanged = false;
    try {
        if (sidecar)
            return writeSidecar(info, position, utc, keep, unchanged);
        const ExifGpsTexts tags = exifGpsTexts(position, utc);
        if (info.before.method == JournalEntry::Method::exifSegment)
            return writeJpeg(info, exifGpsFields(tags), position, keep, unchanged);
        if (appendsToTiff(info.format))
            return writeTiff(info, exifGpsFields(tags), position, keep, unchanged);
        return writeWholeImage(info, tags, keep, unchanged);
    } catch (const std::exception& e) {
        return failure(info.path, std::string("exiv2 cannot write it: ") + e.what());
    }
}

std::string ExivPhotoAccess::undo(const std::string& folder, const JournalEntry& entry,
                                  bool& unchanged) {
    unchanged = true;
    const std::string path = folder + "/" + entry.name;
    try {
        std::string error;
        if (entry.method == JournalEntry::Method::exifSegment)
            error = undoExifSegment(path, entry, unchanged);
        else if (entry.method == JournalEntry::Method::gpsTags)
            error = undoGpsTags(path, entry, unchanged);
        if (!error.empty())
            return error;
        bool sidecarUnchanged = true;
        error = undoSidecar(folder, entry, sidecarUnchanged);
        unchanged = unchanged && sidecarUnchanged;
        return error;
    } catch (const std::exception& e) {
        return failure(path, std::string("exiv2: ") + e.what());
    }
}

} // namespace tk::photos
