// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivPhotoAccess.h"

#include "files/AtomicFile.h"
#include "files/FileIO.h"
#include "photos/ExifWrite.h"
#include "photos/ExivCamera.h"
#include "photos/ExivTags.h"
#include "photos/FileReplace.h"
#include "photos/GpsTags.h"
#include "photos/JpegSegments.h"
#include "photos/VideoMetadata.h"

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tk::photos {
namespace {

using namespace exiv;

constexpr std::size_t kFirstRead = 64 * 1024;
constexpr std::size_t kMaxHead = 32 * 1024 * 1024;

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

// ---------------------------------------------------------------------------------------------
// JPEG heads

struct JpegFile {
    std::string head; // bytes [0, layout.scanOffset) and perhaps a little more
    JpegHead layout;

    std::optional<std::string_view> exifSegmentBytes() const {
        if (!layout.exifIndex)
            return std::nullopt;
        const JpegHead::Segment& s = layout.segments[*layout.exifIndex];
        return std::string_view(head).substr(s.offset, s.size);
    }
    // The resolution a new Exif segment records: the JFIF header's, else 72 dpi.
    ImageResolution resolution() const {
        const auto density = jfifDensity(head, layout);
        return density ? ImageResolution{density->x, density->y, density->unit} : ImageResolution{};
    }
    // The first XMP packet (APP1); false when there is none or it cannot be read.
    bool decodeXmp(Exiv2::XmpData& xmp) const {
        constexpr std::string_view kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
        const auto bytes = segmentWith(0xE1, kXmpId);
        return bytes &&
               Exiv2::XmpParser::decode(xmp, std::string(bytes->substr(kXmpId.size()))) == 0;
    }
    // The IPTC record of the first Photoshop resource block (APP13); false when there is none or
    // it cannot be read.
    bool decodeIptc(Exiv2::IptcData& iptc) const {
        constexpr std::string_view kPhotoshopId("Photoshop 3.0\0", 14);
        const auto bytes = segmentWith(0xED, kPhotoshopId);
        if (!bytes)
            return false;
        const std::string_view resources = bytes->substr(kPhotoshopId.size());
        const Exiv2::byte* record = nullptr;
        std::uint32_t headerSize = 0;
        std::uint32_t dataSize = 0;
        if (Exiv2::Photoshop::locateIptcIrb(bytePointer(resources),
                                            static_cast<long>(resources.size()), &record,
                                            &headerSize, &dataSize) != 0 ||
            record == nullptr)
            return false;
        return Exiv2::IptcParser::decode(iptc, record + headerSize, dataSize) == 0;
    }
    // The payload (after the marker and length) of the first segment with that marker whose
    // payload starts with id.
    std::optional<std::string_view> segmentWith(unsigned marker, std::string_view id) const {
        for (const JpegHead::Segment& s : layout.segments) {
            const std::string_view bytes = std::string_view(head).substr(s.offset, s.size);
            if (s.marker == marker && bytes.size() > 4 + id.size() &&
                bytes.substr(4, id.size()) == id)
                return bytes.substr(4);
        }
        return std::nullopt;
    }
    // The bytes read after the Exif segment, and how many the file holds after it.
    std::string_view afterExif() const { return std::string_view(head).substr(layout.exifEnd()); }
    std::uint64_t sizeAfterExif(const FileStamp& stamp) const {
        return static_cast<std::uint64_t>(stamp.size) - layout.exifEnd();
    }
};

// Reads the JPEG's head (up to its start of scan); the error text, empty on success.
std::string loadJpeg(const std::string& path, JpegFile& file, std::string firstBytes = {}) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return fileErrorText(path);
    std::string& head = file.head;
    head = std::move(firstBytes);
    bool atEnd = false;
    auto readUpTo = [&](std::size_t size) -> bool {
        while (head.size() < size && !atEnd) {
            const std::size_t at = head.size();
            head.resize(size);
            const ssize_t n = ::pread(fd, head.data() + at, size - at, static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) {
                head.resize(at);
                continue;
            }
            if (n < 0) {
                head.resize(at);
                return false;
            }
            head.resize(at + static_cast<std::size_t>(n));
            if (n == 0)
                atEnd = true;
        }
        return true;
    };
    std::string error;
    if (!readUpTo(std::max(head.size(), kFirstRead)))
        error = fileErrorText(path);
    while (error.empty()) {
        std::size_t wanted = 0;
        const JpegHeadState state = parseJpegHead(head, file.layout, wanted);
        if (state == JpegHeadState::complete)
            break;
        if (state == JpegHeadState::notJpeg) {
            error = "not a JPEG image";
        } else if (state == JpegHeadState::malformed) {
            error = "not a valid JPEG image (a broken segment before the image data)";
        } else if (atEnd) {
            error = "the file is cut short inside its metadata";
        } else if (wanted > kMaxHead) {
            error = "the JPEG's metadata is too large";
        } else if (!readUpTo(std::max(wanted, head.size() * 2))) {
            error = fileErrorText(path);
        }
    }
    ::close(fd);
    return error;
}

// The JPEG's head with its Exif segment replaced by segment (or removed when segment is empty,
// or inserted when there was none), then the rest of the original.
std::string replaceExifSegment(const std::string& path, const FileStamp& stamp,
                               const JpegFile& file, const std::string& segment,
                               std::size_t insertAt) {
    std::size_t cutFrom = insertAt;
    std::size_t cutTo = insertAt;
    if (file.layout.exifIndex) {
        const JpegHead::Segment& s = file.layout.segments[*file.layout.exifIndex];
        cutFrom = s.offset;
        cutTo = s.offset + s.size;
    }
    const std::string_view head(file.head);
    const std::size_t scan = file.layout.scanOffset;
    return replaceFile(path, stamp,
                       {ContentPiece::memory(head.substr(0, cutFrom)),
                        ContentPiece::memory(segment),
                        ContentPiece::memory(head.substr(cutTo, scan - cutTo)),
                        ContentPiece::original(static_cast<std::int64_t>(scan),
                                               stamp.size - static_cast<std::int64_t>(scan))});
}

std::string failure(const std::string& path, const std::string& what) {
    return path + ": " + what;
}

// ---------------------------------------------------------------------------------------------
// Sidecars

std::string encodeXmp(const Exiv2::XmpData& xmp, std::string& packet) {
    if (Exiv2::XmpParser::encode(packet, xmp, Exiv2::XmpParser::useCompactFormat, 0) != 0)
        return "exiv2 cannot write the XMP sidecar";
    if (packet.rfind("<?xml", 0) != 0)
        packet = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + packet;
    return {};
}

std::string writeSidecar(const PhotoInfo& info, const Position& position, double utc,
                         const KeepBefore& keep, bool& unchanged) {
    const std::string path = sidecarPath(info.path);
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return fileErrorText(path);
    if (current.has_value() != info.sidecarExists ||
        (current && hashOf(*current) != info.sidecarHash))
        return failure(path, "the sidecar changed while the photo was being geotagged");
    Exiv2::XmpData xmp;
    if (current && !current->empty() && Exiv2::XmpParser::decode(xmp, *current) != 0)
        return failure(path, "the existing sidecar is not XMP that exiv2 can read");
    const std::vector<std::string> before = xmpLines(xmp, true);
    setXmpGps(xmp, xmpGpsTexts(position, utc));
    if (current && xmpLines(xmp, true) == before) {
        unchanged = true;
        return {};
    }
    std::string packet;
    std::string error = encodeXmp(xmp, packet);
    if (!error.empty())
        return failure(path, error);
    JournalEntry entry;
    entry.sidecar = nameOfPath(path);
    entry.sidecarCreated = !current;
    entry.sidecarBefore = current.value_or(std::string());
    error = keep(entry);
    return error.empty() ? writeFileAtomically(path, packet) : error;
}

std::string undoSidecar(const std::string& folder, const JournalEntry& entry, bool& unchanged) {
    unchanged = true;
    if (entry.sidecar.empty())
        return {};
    const std::string path = folder + "/" + entry.sidecar;
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return fileErrorText(path);
    if (entry.sidecarCreated) {
        if (!current)
            return {};
        Exiv2::XmpData xmp;
        if (!current->empty() && Exiv2::XmpParser::decode(xmp, *current) != 0)
            return failure(path, "the sidecar is no longer XMP that exiv2 can read; it was left");
        eraseXmpGps(xmp);
        unchanged = false;
        if (xmp.empty()) {
            if (::unlink(path.c_str()) != 0)
                return fileErrorText(path);
            return {};
        }
        std::string packet;
        const std::string error = encodeXmp(xmp, packet);
        return error.empty() ? writeFileAtomically(path, packet) : failure(path, error);
    }
    if (current && *current == entry.sidecarBefore)
        return {};
    unchanged = false;
    if (!current)
        return writeFileAtomically(path, entry.sidecarBefore);
    Exiv2::XmpData now;
    Exiv2::XmpData old;
    if ((!current->empty() && Exiv2::XmpParser::decode(now, *current) != 0) ||
        (!entry.sidecarBefore.empty() && Exiv2::XmpParser::decode(old, entry.sidecarBefore) != 0))
        return failure(path, "the sidecar is no longer XMP that exiv2 can read; it was left");
    if (xmpLines(now, false) == xmpLines(old, false))
        return writeFileAtomically(path, entry.sidecarBefore); // only the position differs
    // Changed since by someone else: only the GPS properties go back.
    eraseXmpGps(now);
    for (const Exiv2::Xmpdatum& d : old)
        if (std::find_if(std::begin(kXmpGpsKeys), std::end(kXmpGpsKeys),
                         [&](const char* k) { return d.key() == k; }) != std::end(kXmpGpsKeys))
            now.add(d);
    std::string packet;
    const std::string error = encodeXmp(now, packet);
    return error.empty() ? writeFileAtomically(path, packet) : failure(path, error);
}

// ---------------------------------------------------------------------------------------------
// Formats other than JPEG, written whole by exiv2

struct WholeImage {
    std::string bytes;
    Exiv2::Image::AutoPtr image;
};

std::string openWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole) {
    auto bytes = readFileBytes(path);
    if (!bytes)
        return fileErrorText(path);
    if (static_cast<std::int64_t>(bytes->size()) != stamp.size)
        return failure(path, "the file changed while it was being geotagged");
    whole.bytes = std::move(*bytes);
    whole.image =
        Exiv2::ImageFactory::open(bytePointer(whole.bytes), static_cast<long>(whole.bytes.size()));
    whole.image->readMetadata();
    return {};
}

struct MetadataSignature {
    std::vector<std::string> exif, iptc;
    std::string xmpPacket, comment;
    std::uint64_t icc = 0;

    bool operator==(const MetadataSignature&) const = default;
};

MetadataSignature signatureOf(Exiv2::Image& image) {
    MetadataSignature s;
    s.exif = exifSignature(image.exifData());
    s.iptc = iptcLines(image.iptcData());
    s.xmpPacket = image.xmpPacket();
    s.comment = image.comment();
    if (image.iccProfileDefined()) {
        const Exiv2::DataBuf* icc = image.iccProfile();
        s.icc = hashOf(std::string_view(reinterpret_cast<const char*>(icc->pData_),
                                        static_cast<std::size_t>(icc->size_)));
    }
    return s;
}

// Writes the image's metadata into its memory copy and the result over the file, after checking
// that every tag but the GPS ones reads back as before.
std::string saveWhole(const std::string& path, const FileStamp& stamp, WholeImage& whole,
                      const MetadataSignature& expected, const KeepBefore& keep = {},
                      JournalEntry entry = {}) {
    whole.image->writeXmpFromPacket(true);
    whole.image->writeMetadata();
    Exiv2::BasicIo& io = whole.image->io();
    if (io.open() != 0)
        return failure(path, "exiv2 could not give back the written image");
    std::string out(static_cast<std::size_t>(io.size()), '\0');
    const long got =
        io.read(reinterpret_cast<Exiv2::byte*>(out.data()), static_cast<long>(out.size()));
    io.close();
    if (got != static_cast<long>(out.size()))
        return failure(path, "exiv2 could not give back the written image");
    const std::vector<std::string> gps = gpsTagLines(whole.image->exifData());
    Exiv2::Image::AutoPtr check =
        Exiv2::ImageFactory::open(bytePointer(out), static_cast<long>(out.size()));
    check->readMetadata();
    if (!(signatureOf(*check) == expected))
        return failure(path,
                       "exiv2 would change other metadata of this photo; it was left as it was");
    if (!sameGps(gpsTagLines(check->exifData()), gps))
        return failure(path, "exiv2 did not keep the GPS tags; the photo was left as it was");
    if (keep) {
        const std::string error = keep(entry);
        if (!error.empty())
            return error;
    }
    return replaceFile(path, stamp, {ContentPiece::memory(out)});
}

// exiv2 reads many raw formats as TIFF but writes only these of them; the others (ARW, SR2,
// SRW, 3FR, ERF, IIQ, MEF, MOS, KDC, DCR...) get a sidecar.
bool writtenAsTiff(const std::string& path) {
    const auto dot = path.rfind('.');
    std::string extension = dot == std::string::npos ? std::string() : path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const char* writable : {"tif", "tiff", "dng", "nef", "nrw", "pef"})
        if (extension == writable)
            return true;
    return false;
}

std::string formatName(int type) {
    switch (type) {
    case Exiv2::ImageType::jpeg:
        return "JPEG";
    case Exiv2::ImageType::tiff:
        return "TIFF";
    case Exiv2::ImageType::png:
        return "PNG";
    case Exiv2::ImageType::webp:
        return "WebP";
    case Exiv2::ImageType::cr2:
        return "CR2";
    case Exiv2::ImageType::crw:
        return "CRW";
    case Exiv2::ImageType::orf:
        return "ORF";
    case Exiv2::ImageType::rw2:
        return "RW2";
    case Exiv2::ImageType::raf:
        return "RAF";
    case Exiv2::ImageType::mrw:
        return "MRW";
    case Exiv2::ImageType::bmff:
        return "BMFF (CR3, HEIF, AVIF)";
    case Exiv2::ImageType::gif:
        return "GIF";
    case Exiv2::ImageType::bmp:
        return "BMP";
    case Exiv2::ImageType::psd:
        return "PSD";
    default:
        break;
    }
    return "image type " + std::to_string(type);
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

} // namespace

ExivPhotoAccess::ExivPhotoAccess(bool keepThumbnails) : keepThumbnails_(keepThumbnails) {
    initialiseExiv2();
}

PhotoInfo ExivPhotoAccess::read(const std::string& path) {
    PhotoInfo info;
    info.path = path;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        info.error = fileErrorText(path);
        return info;
    }
    if (!S_ISREG(st.st_mode)) {
        info.error = failure(path, "not a file");
        return info;
    }
    const auto stamp = fileStamp(path);
    if (!stamp) {
        info.error = fileErrorText(path);
        return info;
    }
    info.stamp = *stamp;
    const auto first = readFileRange(path, 0, kFirstRead);
    if (!first) {
        info.error = fileErrorText(path);
        return info;
    }
    try {
        const bool jpeg = first->size() >= 2 && static_cast<unsigned char>((*first)[0]) == 0xFF &&
                          static_cast<unsigned char>((*first)[1]) == 0xD8;
        if (isVideoName(nameOfPath(path)) && !jpeg) {
            if (!readVideo(info))
                return info;
        } else if (jpeg) {
            JpegFile file;
            const std::string error = loadJpeg(path, file, *first);
            if (!error.empty()) {
                info.error = failure(path, error);
                return info;
            }
            info.format = "JPEG";
            info.mode = PhotoWriteMode::inPlace;
            Exiv2::ExifData exif;
            Exiv2::ByteOrder order;
            const auto segment = file.exifSegmentBytes();
            if (segment && !decodeExif(exifTiffData(*segment), exif, order)) {
                info.error = failure(path, "its Exif data cannot be read");
                return info;
            }
            info.before.method = JournalEntry::Method::exifSegment;
            info.before.hadSegment = segment.has_value();
            info.exifHash = segment ? hashOf(*segment) : 0;
            info.before.segmentOffset = segment
                                            ? file.layout.segments[*file.layout.exifIndex].offset
                                            : file.layout.exifInsertOffset();
            info.position = exifPosition(exif);
            if (keepThumbnails_)
                info.thumbnail = embeddedThumbnail(exif);
            Exiv2::XmpData xmp;
            Exiv2::IptcData iptc;
            const bool hasXmp = file.decodeXmp(xmp);
            const bool hasIptc = file.decodeIptc(iptc);
            readTime(exif, hasXmp ? &xmp : nullptr, hasIptc ? &iptc : nullptr, info);
            readCamera(exif, info);
        } else {
            const int type =
                Exiv2::ImageFactory::getType(bytePointer(*first), static_cast<long>(first->size()));
            if (type == Exiv2::ImageType::none) {
                info.error = failure(path, "not an image that exiv2 can read");
                return info;
            }
            info.format = formatName(type);
            const Exiv2::AccessMode exifMode = Exiv2::ImageFactory::checkMode(type, Exiv2::mdExif);
            if (exifMode == Exiv2::amNone) {
                info.mode = PhotoWriteMode::unsupported;
                return info;
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
            if (keepThumbnails_)
                info.thumbnail = embeddedThumbnail(image->exifData());
        }
        // The sidecar, if there is one.
        const std::string sidecar = sidecarPath(path);
        if (const auto bytes = readFileBytes(sidecar)) {
            info.sidecarExists = true;
            info.sidecarHash = hashOf(*bytes);
            Exiv2::XmpData xmp;
            if (!bytes->empty() && Exiv2::XmpParser::decode(xmp, *bytes) == 0)
                info.sidecarPosition = xmpPosition(xmp);
        }
    } catch (const std::exception& e) {
        info.error = failure(path, std::string("exiv2 cannot read it: ") + e.what());
    }
    return info;
}

std::string ExivPhotoAccess::write(const PhotoInfo& info, const Position& position, double utc,
                                   bool sidecar, const KeepBefore& keep, bool& unchanged) {
    unchanged = false;
    const std::string& path = info.path;
    try {
        if (sidecar)
            return writeSidecar(info, position, utc, keep, unchanged);
        const std::vector<tiff::Field> fields = exifGpsFields(exifGpsTexts(position, utc));
        if (info.before.method == JournalEntry::Method::exifSegment) {
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
            error = appendedExifSegment(segment, file.afterExif(), file.sizeAfterExif(info.stamp),
                                        fields, file.resolution(), GpsMerge::keepOthers, newSegment,
                                        unchanged);
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
            entry.segmentOffset = segment ? file.layout.segments[*file.layout.exifIndex].offset
                                          : file.layout.exifInsertOffset();
            error = keep(entry);
            if (!error.empty())
                return error;
            return replaceExifSegment(path, info.stamp, file, newSegment,
                                      file.layout.exifInsertOffset());
        }
        if (appendsToTiff(info.format)) {
            JournalEntry entry;
            entry.method = JournalEntry::Method::gpsTags;
            entry.gpsTags = info.before.gpsTags;
            return appendToTiffFile(
                path, info.stamp, fields, GpsMerge::keepOthers, &position,
                [&](const JournalEntry::Appended& cutBack) {
                    entry.appended = cutBack;
                    return keep(entry);
                },
                unchanged);
        }
        const ExifGpsTexts tags = exifGpsTexts(position, utc);
        WholeImage whole;
        std::string error = openWhole(path, info.stamp, whole);
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
        return saveWhole(path, info.stamp, whole, expected, keep, entry);
    } catch (const std::exception& e) {
        return failure(path, std::string("exiv2 cannot write it: ") + e.what());
    }
}

// Puts a photo's GPS tags back as the journal has them: a TIFF file the writer appended to is
// cut back to its very bytes when nothing changed it since; otherwise the old tags are written
// again.
static std::string undoGpsTags(const std::string& path, const JournalEntry& entry,
                               bool& unchanged) {
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

std::string ExivPhotoAccess::undo(const std::string& folder, const JournalEntry& entry,
                                  bool& unchanged) {
    unchanged = true;
    const std::string path = folder + "/" + entry.name;
    try {
        if (entry.method == JournalEntry::Method::exifSegment) {
            const auto stamp = fileStamp(path);
            if (!stamp)
                return fileErrorText(path);
            JpegFile file;
            const std::string error = loadJpeg(path, file);
            if (!error.empty())
                return failure(path, error);
            const auto segment = file.exifSegmentBytes();
            const bool asBefore =
                entry.hadSegment ? (segment && *segment == entry.segment) : !segment;
            if (!asBefore) {
                std::string restored;
                const std::string_view oldTiff =
                    entry.hadSegment ? exifTiffData(entry.segment) : std::string_view{};
                if (segment && grewFrom(exifTiffData(*segment), oldTiff)) {
                    restored = entry.hadSegment ? entry.segment : std::string();
                } else {
                    // Changed since by someone else: only the GPS tags go back.
                    std::string readError;
                    const auto oldGps = gpsFieldsOf(tiff::bytesOf(oldTiff), readError);
                    if (entry.hadSegment && !oldGps)
                        return failure(path,
                                       "the journal's Exif data cannot be read: " + readError);
                    bool same = false;
                    const std::string appendError = appendedExifSegment(
                        segment, file.afterExif(), file.sizeAfterExif(*stamp),
                        oldGps.value_or(std::vector<tiff::Field>{}), file.resolution(),
                        GpsMerge::replaceAll, restored, same);
                    if (!appendError.empty())
                        return failure(path, appendError + "; it was left as it is");
                    if (same)
                        restored = segment ? std::string(*segment) : std::string();
                }
                const std::string writeError = replaceExifSegment(path, *stamp, file, restored,
                                                                  file.layout.exifInsertOffset());
                if (!writeError.empty())
                    return writeError;
                unchanged = false;
            }
        } else if (entry.method == JournalEntry::Method::gpsTags) {
            const std::string error = undoGpsTags(path, entry, unchanged);
            if (!error.empty())
                return error;
        }
        bool sidecarUnchanged = true;
        const std::string error = undoSidecar(folder, entry, sidecarUnchanged);
        unchanged = unchanged && sidecarUnchanged;
        return error;
    } catch (const std::exception& e) {
        return failure(path, std::string("exiv2: ") + e.what());
    }
}

} // namespace tk::photos
