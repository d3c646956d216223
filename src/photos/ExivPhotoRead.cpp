// SPDX-License-Identifier: GPL-3.0-or-later
// exiv2's one-time set-up, and reading a photo: its format, how it can be written, its time,
// position, camera and thumbnail, and its sidecar.
#include "photos/ExivPhotoAccess.h"

#include "files/FileIO.h"
#include "photos/ExivCamera.h"
#include "photos/ExivJpeg.h"
#include "photos/ExivTags.h"
#include "photos/ExivWholeImage.h"
#include "photos/VideoMetadata.h"

#include <mutex>
#include <sys/stat.h>

namespace tk::photos {
namespace {

using namespace exiv;

std::mutex& xmpMutex() {
    static std::mutex mutex;
    return mutex;
}

void xmpLockUnlock(void* data, bool lock) {
    auto* mutex = static_cast<std::mutex*>(data);
    if (lock)
        mutex->lock();
    else
        mutex->unlock();
}

void initialiseExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(xmpLockUnlock, &xmpMutex());
        Exiv2::enableBMFF(true);
    });
}

// A video takes its position only in a sidecar; false (and info.error set) when it cannot be
// read.
bool readVideo(PhotoInfo& info) {
    const VideoMetadata video = readVideoMetadata(info.path);
    if (!video.error.empty()) {
        info.error = video.error;
        return false;
    }
    info.video = true;
    info.format = video.format + " video";
    info.mode = PhotoWriteMode::sidecarOnly;
    info.cameraTime = video.time;
    info.timeIsUtc = video.utc;
    info.position = video.position;
    return true;
}

// The photo's stamp and first bytes; false (and info.error set) when it is no file or cannot
// be read.
bool readStamp(PhotoInfo& info, std::string& first) {
    const std::string& path = info.path;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        info.error = fileErrorText(path);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        info.error = failure(path, "not a file");
        return false;
    }
    const auto stamp = fileStamp(path);
    if (!stamp) {
        info.error = fileErrorText(path);
        return false;
    }
    info.stamp = *stamp;
    auto bytes = readFileRange(path, 0, kFirstRead);
    if (!bytes) {
        info.error = fileErrorText(path);
        return false;
    }
    first = std::move(*bytes);
    return true;
}

// A JPEG is written in place, its Exif segment grown; false (and info.error set) when its head
// or Exif cannot be read.
bool readJpeg(std::string first, bool keepThumbnails, PhotoInfo& info) {
    const std::string& path = info.path;
    JpegFile file;
    const std::string error = loadJpeg(path, file, std::move(first));
    if (!error.empty()) {
        info.error = failure(path, error);
        return false;
    }
    info.format = "JPEG";
    info.mode = PhotoWriteMode::inPlace;
    Exiv2::ExifData exif;
    Exiv2::ByteOrder order;
    const auto segment = file.exifSegmentBytes();
    if (segment && !decodeExif(exifTiffData(*segment), exif, order)) {
        info.error = failure(path, "its Exif data cannot be read");
        return false;
    }
    info.before.method = JournalEntry::Method::exifSegment;
    info.before.hadSegment = segment.has_value();
    info.exifHash = segment ? hashOf(*segment) : 0;
    info.before.segmentOffset = file.exifOffset();
    info.position = exifPosition(exif);
    if (keepThumbnails)
        info.thumbnail = embeddedThumbnail(exif);
    Exiv2::XmpData xmp;
    Exiv2::IptcData iptc;
    const bool hasXmp = file.decodeXmp(xmp);
    const bool hasIptc = file.decodeIptc(iptc);
    readTime(exif, hasXmp ? &xmp : nullptr, hasIptc ? &iptc : nullptr, info);
    readCamera(exif, info);
    return true;
}

// Any other image exiv2 reads; it is written in place when exiv2 writes its format, else it
// takes a sidecar. False when there is no more to read: info.error set when exiv2 does not know
// the file, mode unsupported when its format holds no Exif.
bool readImage(const std::string& first, bool keepThumbnails, PhotoInfo& info) {
    const std::string& path = info.path;
    const int type =
        Exiv2::ImageFactory::getType(bytePointer(first), static_cast<long>(first.size()));
    if (type == Exiv2::ImageType::none) {
        info.error = failure(path, "not an image that exiv2 can read");
        return false;
    }
    info.format = formatName(type);
    const Exiv2::AccessMode exifMode = Exiv2::ImageFactory::checkMode(type, Exiv2::mdExif);
    if (exifMode == Exiv2::amNone) {
        info.mode = PhotoWriteMode::unsupported;
        return false;
    }
    Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(path);
    image->readMetadata();
    const bool writable = (exifMode == Exiv2::amReadWrite || exifMode == Exiv2::amWrite) &&
                          (type != Exiv2::ImageType::tiff || writtenAsTiff(path));
    info.mode = writable ? PhotoWriteMode::inPlace : PhotoWriteMode::sidecarOnly;
    info.before.method = JournalEntry::Method::gpsTags;
    info.before.gpsTags = gpsTagLines(image->exifData());
    info.position = exifPosition(image->exifData());
    if (!info.position)
        info.position = xmpPosition(image->xmpData());
    readTime(image->exifData(), &image->xmpData(), &image->iptcData(), info);
    readCamera(image->exifData(), info);
    if (keepThumbnails)
        info.thumbnail = embeddedThumbnail(image->exifData());
    return true;
}

// The sidecar, if there is one: its hash (to see later that nobody changed it) and position.
void readSidecar(PhotoInfo& info) {
    const auto bytes = readFileBytes(sidecarPath(info.path));
    if (!bytes)
        return;
    info.sidecarExists = true;
    info.sidecarHash = hashOf(*bytes);
    Exiv2::XmpData xmp;
    if (!bytes->empty() && Exiv2::XmpParser::decode(xmp, *bytes) == 0)
        info.sidecarPosition = xmpPosition(xmp);
}

} // namespace

ExivPhotoAccess::ExivPhotoAccess(bool keepThumbnails) : keepThumbnails_(keepThumbnails) {
    initialiseExiv2();
}

PhotoInfo ExivPhotoAccess::read(const std::string& path) {
    PhotoInfo info;
    info.path = path;
    std::string first;
    if (!readStamp(info, first))
        return info;
    try {
        const bool jpeg = first.size() >= 2 && static_cast<unsigned char>(first[0]) == 0xFF &&
                          static_cast<unsigned char>(first[1]) == 0xD8;
        if (isVideoName(nameOfPath(path)) && !jpeg) {
            if (!readVideo(info))
                return info;
        } else if (jpeg) {
            if (!readJpeg(std::move(first), keepThumbnails_, info))
                return info;
        } else if (!readImage(first, keepThumbnails_, info)) {
            return info;
        }
        readSidecar(info);
    } catch (const std::exception& e) {
        info.error = failure(path, std::string("exiv2 cannot read it: ") + e.what());
    }
    return info;
}

} // namespace tk::photos
