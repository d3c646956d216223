// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagRun.h"

namespace tk::photos {

// Photos read with exiv2. A JPEG's Exif and a TIFF file (also DNG, NEF, NRW, PEF, CR2) take
// their position by appending (ExifAppend): no existing byte of their TIFF data moves, so maker
// notes, thumbnails and previews keep their offsets; a JPEG is written segment by segment, with
// only its Exif APP1 segment grown (or added), and the undo journal keeps the old segment, so
// undoing gives back the very same bytes. What is written is read back with exiv2 and must give
// the position. The other formats exiv2 writes (PNG, WebP...) are written whole by exiv2 and
// checked afterwards: every tag but the GPS ones must read back as before. Formats exiv2 only
// reads (CR3, ARW, RAF, RW2, HEIC...) get an XMP sidecar; so do videos, whose time and position
// MediaInfoLib reads (VideoMetadata).
//
// Safe to use from several threads at once.
class ExivPhotoAccess : public PhotoAccess {
public:
    // keepThumbnails: read the embedded thumbnails (for the window's table); a run without a
    // window leaves them, so that its memory does not grow with the photos.
    explicit ExivPhotoAccess(bool keepThumbnails = true);

    PhotoInfo read(const std::string& path) override;
    std::string write(const PhotoInfo& info, const Position& position, double utc, bool sidecar,
                      const KeepBefore& keep, bool& unchanged) override;
    std::string undo(const std::string& folder, const JournalEntry& entry,
                     bool& unchanged) override;

private:
    bool keepThumbnails_;
};

} // namespace tk::photos
