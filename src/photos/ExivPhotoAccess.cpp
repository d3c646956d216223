#include "photos/ExivPhotoAccess.h"

#include "photos/FileReplace.h"
#include "photos/GpsTags.h"
#include "photos/JpegSegments.h"

#include <exiv2/exiv2.hpp>
#include <exiv2/webpimage.hpp>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace tk::photos {
namespace {

constexpr std::size_t kFirstRead = 64 * 1024;
constexpr std::size_t kMaxHead = 32 * 1024 * 1024;

const char* const kXmpGpsKeys[] = {
    "Xmp.exif.GPSVersionID",   "Xmp.exif.GPSLatitude", "Xmp.exif.GPSLongitude",
    "Xmp.exif.GPSAltitudeRef", "Xmp.exif.GPSAltitude", "Xmp.exif.GPSTimeStamp",
    "Xmp.exif.GPSMapDatum",    "Xmp.exif.GPSSpeedRef", "Xmp.exif.GPSSpeed"};

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

const Exiv2::byte* bytePointer(std::string_view bytes) {
    return reinterpret_cast<const Exiv2::byte*>(bytes.data());
}

std::uint64_t hashOf(std::string_view bytes) {
    std::uint64_t h = 1469598103934665603ULL;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    return h;
}

bool endsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
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
};

// Reads the JPEG's head (up to its start of scan); the error text, empty on success.
std::string loadJpeg(const std::string& path, JpegFile& file, std::string firstBytes = {}) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(path);
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
        error = systemErrorText(path);
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
            error = systemErrorText(path);
        }
    }
    ::close(fd);
    return error;
}

// ---------------------------------------------------------------------------------------------
// Reading tags

std::string exifText(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key) {
    const auto it = exif.findKey(key);
    return it == exif.end() ? std::string() : it->toString();
}

std::string xmpText(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    return it == xmp.end() ? std::string() : it->toString();
}

std::optional<double> rationalValue(const Exiv2::Exifdatum& d, long index) {
    if (d.count() <= index)
        return std::nullopt;
    const Exiv2::Rational r = d.toRational(index);
    if (r.second == 0)
        return std::nullopt;
    return static_cast<double>(r.first) / r.second;
}

std::optional<double> exifCoordinate(const Exiv2::ExifData& exif, const char* key,
                                     const char* refKey, char negative, char positive) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    const std::string ref = exifText(exif, Exiv2::ExifKey(refKey));
    if (it == exif.end() || it->count() < 3 || ref.empty())
        return std::nullopt;
    std::array<Rational, 3> dms{};
    for (long i = 0; i < 3; ++i) {
        const Exiv2::Rational r = it->toRational(i);
        if (r.first < 0 || r.second <= 0)
            return std::nullopt;
        dms[static_cast<std::size_t>(i)] = {static_cast<std::uint32_t>(r.first),
                                            static_cast<std::uint32_t>(r.second)};
    }
    return degreesFromRationals(dms, ref[0], negative, positive);
}

std::optional<Position> exifPosition(const Exiv2::ExifData& exif) {
    if (exifText(exif, Exiv2::ExifKey("Exif.GPSInfo.GPSStatus")).rfind('V', 0) == 0)
        return std::nullopt; // the receiver said its measurement was void
    const auto latitude =
        exifCoordinate(exif, "Exif.GPSInfo.GPSLatitude", "Exif.GPSInfo.GPSLatitudeRef", 'S', 'N');
    const auto longitude =
        exifCoordinate(exif, "Exif.GPSInfo.GPSLongitude", "Exif.GPSInfo.GPSLongitudeRef", 'W', 'E');
    if (!latitude || !longitude)
        return std::nullopt;
    Position p;
    p.latitude = *latitude;
    p.longitude = *longitude;
    const auto altitude = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSAltitude"));
    if (altitude != exif.end())
        if (const auto value = rationalValue(*altitude, 0))
            p.altitude = exifText(exif, Exiv2::ExifKey("Exif.GPSInfo.GPSAltitudeRef")) == "1"
                             ? -*value
                             : *value;
    const auto speed = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSSpeed"));
    if (speed != exif.end())
        p.speed = rationalValue(*speed, 0).value_or(0);
    return p;
}

std::optional<double> rationalText(const std::string& text) {
    const auto slash = text.find('/');
    try {
        if (slash == std::string::npos)
            return std::stod(text);
        const double d = std::stod(text.substr(slash + 1));
        return d == 0 ? std::nullopt : std::optional<double>(std::stod(text.substr(0, slash)) / d);
    } catch (...) {
        return std::nullopt;
    }
}

std::optional<Position> xmpPosition(const Exiv2::XmpData& xmp) {
    const auto latitude = degreesFromXmp(xmpText(xmp, "Xmp.exif.GPSLatitude"));
    const auto longitude = degreesFromXmp(xmpText(xmp, "Xmp.exif.GPSLongitude"));
    if (!latitude || !longitude)
        return std::nullopt;
    Position p;
    p.latitude = *latitude;
    p.longitude = *longitude;
    if (const auto altitude = rationalText(xmpText(xmp, "Xmp.exif.GPSAltitude")))
        p.altitude = xmpText(xmp, "Xmp.exif.GPSAltitudeRef") == "1" ? -*altitude : *altitude;
    if (const auto speed = rationalText(xmpText(xmp, "Xmp.exif.GPSSpeed")))
        p.speed = *speed;
    return p;
}

void readTime(const Exiv2::ExifData& exif, const Exiv2::XmpData* xmp, PhotoInfo& info) {
    std::string dateTime = exifText(exif, Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
    if (dateTime.empty())
        dateTime = exifText(exif, Exiv2::ExifKey(0x9003, "Image")); // TIFF/EP's place
    const std::string subSeconds = exifText(exif, Exiv2::ExifKey("Exif.Photo.SubSecTimeOriginal"));
    info.cameraTime = parseExifDateTime(dateTime, subSeconds);
    info.ownOffset = parseZoneOffset(exifText(exif, Exiv2::ExifKey(0x9011, "Photo")));
    if (info.cameraTime || !xmp || !dateTime.empty())
        return;
    for (const char* key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"}) {
        const auto zoned = parseIsoTime(xmpText(*xmp, key));
        if (!zoned)
            continue;
        if (zoned->time.civil.year == 0)
            continue;
        info.cameraTime = zoned->time;
        info.ownOffset = zoned->offset;
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Writing tags

void setExifTag(Exiv2::ExifData& exif, const char* key, Exiv2::TypeId type,
                const std::string& text) {
    const Exiv2::ExifKey k(key);
    for (auto it = exif.findKey(k); it != exif.end(); it = exif.findKey(k))
        exif.erase(it);
    const Exiv2::Value::AutoPtr value = Exiv2::Value::create(type);
    value->read(text);
    exif.add(k, value.get());
}

void setExifGps(Exiv2::ExifData& exif, const ExifGpsTexts& t) {
    using Exiv2::asciiString;
    using Exiv2::unsignedByte;
    using Exiv2::unsignedRational;
    setExifTag(exif, "Exif.GPSInfo.GPSVersionID", unsignedByte, t.versionId);
    setExifTag(exif, "Exif.GPSInfo.GPSLatitudeRef", asciiString, t.latitudeRef);
    setExifTag(exif, "Exif.GPSInfo.GPSLatitude", unsignedRational, t.latitude);
    setExifTag(exif, "Exif.GPSInfo.GPSLongitudeRef", asciiString, t.longitudeRef);
    setExifTag(exif, "Exif.GPSInfo.GPSLongitude", unsignedRational, t.longitude);
    setExifTag(exif, "Exif.GPSInfo.GPSAltitudeRef", unsignedByte, t.altitudeRef);
    setExifTag(exif, "Exif.GPSInfo.GPSAltitude", unsignedRational, t.altitude);
    setExifTag(exif, "Exif.GPSInfo.GPSTimeStamp", unsignedRational, t.timeStamp);
    setExifTag(exif, "Exif.GPSInfo.GPSMapDatum", asciiString, t.mapDatum);
    setExifTag(exif, "Exif.GPSInfo.GPSDateStamp", asciiString, t.dateStamp);
    setExifTag(exif, "Exif.GPSInfo.GPSSpeedRef", asciiString, t.speedRef);
    setExifTag(exif, "Exif.GPSInfo.GPSSpeed", unsignedRational, t.speed);
}

void setXmpGps(Exiv2::XmpData& xmp, const XmpGpsTexts& t) {
    const std::pair<const char*, const std::string*> values[] = {
        {"Xmp.exif.GPSVersionID", &t.versionId}, {"Xmp.exif.GPSLatitude", &t.latitude},
        {"Xmp.exif.GPSLongitude", &t.longitude}, {"Xmp.exif.GPSAltitudeRef", &t.altitudeRef},
        {"Xmp.exif.GPSAltitude", &t.altitude},   {"Xmp.exif.GPSTimeStamp", &t.timeStamp},
        {"Xmp.exif.GPSMapDatum", &t.mapDatum},   {"Xmp.exif.GPSSpeedRef", &t.speedRef},
        {"Xmp.exif.GPSSpeed", &t.speed}};
    for (const auto& [key, text] : values) {
        const Exiv2::XmpKey k(key);
        for (auto it = xmp.findKey(k); it != xmp.end(); it = xmp.findKey(k))
            xmp.erase(it);
        const Exiv2::XmpTextValue value(*text);
        xmp.add(k, &value);
    }
}

// Tags whose values are places in the file (they move when the layout changes) or belong to
// the GPS directory; the check that nothing else changed leaves them out.
bool leftOutOfCheck(const Exiv2::Exifdatum& d) {
    const std::string group = d.groupName();
    if (group == "GPSInfo" || group == "MakerNote")
        return true;
    const std::string name = d.tagName();
    for (const std::string_view end :
         {"Offset", "Offsets", "Start", "IFD", "SubIFDs", "Tag", "JPEGInterchangeFormat"})
        if (endsWith(name, end))
            return true;
    return false;
}

// Every Exif tag but the GPS ones and the places, with its type and value (and the data a
// thumbnail tag points to), sorted: equal signatures mean nothing else changed.
std::vector<std::string> exifSignature(const Exiv2::ExifData& exif) {
    std::vector<std::string> lines;
    for (const Exiv2::Exifdatum& d : exif) {
        std::string line;
        if (!leftOutOfCheck(d))
            line = d.key() + " " + std::to_string(d.typeId()) + " " + std::to_string(d.count()) +
                   " " + std::to_string(hashOf(d.toString()));
        if (d.sizeDataArea() > 0) {
            const Exiv2::DataBuf area = d.dataArea();
            line +=
                d.key() + " area " +
                std::to_string(hashOf(std::string_view(reinterpret_cast<const char*>(area.pData_),
                                                       static_cast<std::size_t>(area.size_))));
        }
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The GPS tags as "key type value" lines, in order: what the journal keeps.
std::vector<std::string> gpsTagLines(const Exiv2::ExifData& exif) {
    std::vector<std::string> lines;
    for (const Exiv2::Exifdatum& d : exif)
        if (d.groupName() == "GPSInfo")
            lines.push_back(d.key() + " " + Exiv2::TypeInfo::typeName(d.typeId()) + " " +
                            d.toString());
    return lines;
}

// The same GPS tags, in whatever order the directory lists them.
bool sameGps(std::vector<std::string> a, std::vector<std::string> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    return a == b;
}

void restoreGpsTags(Exiv2::ExifData& exif, const std::vector<std::string>& lines) {
    exif.erase(std::remove_if(exif.begin(), exif.end(),
                              [](const Exiv2::Exifdatum& d) { return d.groupName() == "GPSInfo"; }),
               exif.end());
    for (const std::string& line : lines) {
        const auto first = line.find(' ');
        const auto second = first == std::string::npos ? first : line.find(' ', first + 1);
        if (second == std::string::npos)
            continue;
        const Exiv2::TypeId type =
            Exiv2::TypeInfo::typeId(line.substr(first + 1, second - first - 1));
        if (type == Exiv2::invalidTypeId)
            continue;
        const Exiv2::Value::AutoPtr value = Exiv2::Value::create(type);
        value->read(line.substr(second + 1));
        exif.add(Exiv2::ExifKey(line.substr(0, first)), value.get());
    }
}

std::vector<std::string> xmpLines(const Exiv2::XmpData& xmp, bool gps) {
    std::vector<std::string> lines;
    for (const Exiv2::Xmpdatum& d : xmp) {
        const bool ours =
            std::find_if(std::begin(kXmpGpsKeys), std::end(kXmpGpsKeys),
                         [&](const char* k) { return d.key() == k; }) != std::end(kXmpGpsKeys);
        if (ours == gps)
            lines.push_back(d.key() + " " + d.toString());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> iptcLines(const Exiv2::IptcData& iptc) {
    std::vector<std::string> lines;
    for (const Exiv2::Iptcdatum& d : iptc)
        lines.push_back(d.key() + " " + d.toString());
    return lines;
}

// The Exif TIFF data of a segment decoded; false when it cannot be.
bool decodeExif(std::string_view tiff, Exiv2::ExifData& exif, Exiv2::ByteOrder& order) {
    exif.clear();
    if (tiff.empty()) {
        order = Exiv2::littleEndian;
        return true;
    }
    order =
        Exiv2::ExifParser::decode(exif, bytePointer(tiff), static_cast<std::uint32_t>(tiff.size()));
    return order != Exiv2::invalidByteOrder;
}

// A new Exif segment for the tags, checked: it reads back with every tag but the GPS ones as
// `expected` says and the GPS tags as `gps`. Returns the error text.
std::string encodeExifSegment(std::string_view oldTiff, Exiv2::ByteOrder order,
                              const Exiv2::ExifData& exif, const std::vector<std::string>& expected,
                              std::string& segment) {
    // Non-intrusive writing changes exiv2's copy of the old data in place and leaves the blob
    // empty; intrusive writing makes the new data in the blob.
    std::string inPlace(oldTiff);
    Exiv2::Blob blob;
    const Exiv2::WriteMethod method = Exiv2::ExifParser::encode(
        blob, inPlace.empty() ? nullptr : reinterpret_cast<const Exiv2::byte*>(inPlace.data()),
        static_cast<std::uint32_t>(inPlace.size()), order, exif);
    const std::string_view tiff =
        method == Exiv2::wmIntrusive
            ? std::string_view(reinterpret_cast<const char*>(blob.data()), blob.size())
            : std::string_view(inPlace);
    Exiv2::ExifData check;
    Exiv2::ByteOrder checkOrder = Exiv2::invalidByteOrder;
    if (tiff.empty() && exif.empty()) {
        segment.clear();
        return {};
    }
    if (!decodeExif(tiff, check, checkOrder))
        return "exiv2 made Exif data that it cannot read back; the photo was left as it was";
    if (exifSignature(check) != expected)
        return "writing the position would change other Exif tags of this photo (its Exif "
               "data would not fit in a JPEG segment, or exiv2 cannot keep them); it was left as "
               "it was";
    if (!sameGps(gpsTagLines(check), gpsTagLines(exif)))
        return "exiv2 did not keep the GPS tags; the photo was left as it was";
    const auto made = exifSegment(tiff);
    if (!made)
        return "the Exif data would not fit in a JPEG segment; the photo was left as it was";
    segment = *made;
    return {};
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

void eraseXmpGps(Exiv2::XmpData& xmp) {
    for (const char* key : kXmpGpsKeys) {
        const Exiv2::XmpKey k(key);
        for (auto it = xmp.findKey(k); it != xmp.end(); it = xmp.findKey(k))
            xmp.erase(it);
    }
}

std::string writeSidecar(const PhotoInfo& info, const Position& position, double utc,
                         bool& unchanged) {
    const std::string path = sidecarPath(info.path);
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return systemErrorText(path);
    if (current.has_value() != info.sidecarExists ||
        (current && *current != info.before.sidecarBefore))
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
    const std::string error = encodeXmp(xmp, packet);
    if (!error.empty())
        return failure(path, error);
    return writeWholeFile(path, packet);
}

std::string undoSidecar(const std::string& folder, const JournalEntry& entry, bool& unchanged) {
    unchanged = true;
    if (entry.sidecar.empty())
        return {};
    const std::string path = folder + "/" + entry.sidecar;
    const auto current = readFileBytes(path);
    if (!current && errno != ENOENT)
        return systemErrorText(path);
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
                return systemErrorText(path);
            return {};
        }
        std::string packet;
        const std::string error = encodeXmp(xmp, packet);
        return error.empty() ? writeWholeFile(path, packet) : failure(path, error);
    }
    if (current && *current == entry.sidecarBefore)
        return {};
    unchanged = false;
    if (!current)
        return writeWholeFile(path, entry.sidecarBefore);
    Exiv2::XmpData now;
    Exiv2::XmpData old;
    if ((!current->empty() && Exiv2::XmpParser::decode(now, *current) != 0) ||
        (!entry.sidecarBefore.empty() && Exiv2::XmpParser::decode(old, entry.sidecarBefore) != 0))
        return failure(path, "the sidecar is no longer XMP that exiv2 can read; it was left");
    if (xmpLines(now, false) == xmpLines(old, false))
        return writeWholeFile(path, entry.sidecarBefore); // only the position differs
    // Changed since by someone else: only the GPS properties go back.
    eraseXmpGps(now);
    for (const Exiv2::Xmpdatum& d : old)
        if (std::find_if(std::begin(kXmpGpsKeys), std::end(kXmpGpsKeys),
                         [&](const char* k) { return d.key() == k; }) != std::end(kXmpGpsKeys))
            now.add(d);
    std::string packet;
    const std::string error = encodeXmp(now, packet);
    return error.empty() ? writeWholeFile(path, packet) : failure(path, error);
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
        return systemErrorText(path);
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
                      const MetadataSignature& expected) {
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

} // namespace

ExivPhotoAccess::ExivPhotoAccess() {
    initialiseExiv2();
}

PhotoInfo ExivPhotoAccess::read(const std::string& path) {
    PhotoInfo info;
    info.path = path;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        info.error = systemErrorText(path);
        return info;
    }
    if (!S_ISREG(st.st_mode)) {
        info.error = failure(path, "not a file");
        return info;
    }
    const auto stamp = fileStamp(path);
    if (!stamp) {
        info.error = systemErrorText(path);
        return info;
    }
    info.stamp = *stamp;
    const auto first = readFileRange(path, 0, kFirstRead);
    if (!first) {
        info.error = systemErrorText(path);
        return info;
    }
    try {
        const bool jpeg = first->size() >= 2 && static_cast<unsigned char>((*first)[0]) == 0xFF &&
                          static_cast<unsigned char>((*first)[1]) == 0xD8;
        if (jpeg) {
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
            info.before.segment = segment ? std::string(*segment) : std::string();
            info.before.segmentOffset = segment
                                            ? file.layout.segments[*file.layout.exifIndex].offset
                                            : file.layout.exifInsertOffset();
            info.position = exifPosition(exif);
            Exiv2::XmpData xmp;
            const Exiv2::XmpData* xmpPointer = nullptr;
            for (const JpegHead::Segment& s : file.layout.segments) {
                constexpr std::string_view kXmpId("http://ns.adobe.com/xap/1.0/\0", 29);
                const std::string_view bytes = std::string_view(file.head).substr(s.offset, s.size);
                if (s.marker == 0xE1 && bytes.size() > 4 + kXmpId.size() &&
                    bytes.substr(4, kXmpId.size()) == kXmpId) {
                    if (Exiv2::XmpParser::decode(xmp,
                                                 std::string(bytes.substr(4 + kXmpId.size()))) == 0)
                        xmpPointer = &xmp;
                    break;
                }
            }
            readTime(exif, xmpPointer, info);
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
            readTime(image->exifData(), &image->xmpData(), info);
        }
        // The sidecar, if there is one.
        const std::string sidecar = sidecarPath(path);
        if (const auto bytes = readFileBytes(sidecar)) {
            info.sidecarExists = true;
            info.before.sidecarBefore = *bytes;
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
                                   bool sidecar, bool& unchanged) {
    unchanged = false;
    const std::string& path = info.path;
    try {
        if (sidecar)
            return writeSidecar(info, position, utc, unchanged);
        const ExifGpsTexts tags = exifGpsTexts(position, utc);
        if (info.before.method == JournalEntry::Method::exifSegment) {
            JpegFile file;
            std::string error = loadJpeg(path, file);
            if (!error.empty())
                return failure(path, error);
            const auto segment = file.exifSegmentBytes();
            if (segment.has_value() != info.before.hadSegment ||
                (segment && *segment != info.before.segment))
                return failure(path, "the file changed while it was being geotagged");
            const std::string_view oldTiff = segment ? exifTiffData(*segment) : std::string_view{};
            Exiv2::ExifData exif;
            Exiv2::ByteOrder order;
            if (!decodeExif(oldTiff, exif, order))
                return failure(path, "its Exif data cannot be read");
            const std::vector<std::string> expected = exifSignature(exif);
            setExifGps(exif, tags);
            std::string newSegment;
            error = encodeExifSegment(oldTiff, order, exif, expected, newSegment);
            if (!error.empty())
                return failure(path, error);
            if (segment && newSegment == *segment) {
                unchanged = true;
                return {};
            }
            return replaceExifSegment(path, info.stamp, file, newSegment,
                                      file.layout.exifInsertOffset());
        }
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
        return saveWhole(path, info.stamp, whole, expected);
    } catch (const std::exception& e) {
        return failure(path, std::string("exiv2 cannot write it: ") + e.what());
    }
}

std::string ExivPhotoAccess::undo(const std::string& folder, const JournalEntry& entry,
                                  bool& unchanged) {
    unchanged = true;
    const std::string path = folder + "/" + entry.name;
    try {
        if (entry.method == JournalEntry::Method::exifSegment) {
            const auto stamp = fileStamp(path);
            if (!stamp)
                return systemErrorText(path);
            JpegFile file;
            const std::string error = loadJpeg(path, file);
            if (!error.empty())
                return failure(path, error);
            const auto segment = file.exifSegmentBytes();
            const bool asBefore =
                entry.hadSegment ? (segment && *segment == entry.segment) : !segment;
            if (!asBefore) {
                Exiv2::ExifData now;
                Exiv2::ExifData old;
                Exiv2::ByteOrder nowOrder;
                Exiv2::ByteOrder oldOrder;
                const std::string_view nowTiff =
                    segment ? exifTiffData(*segment) : std::string_view{};
                if (!decodeExif(nowTiff, now, nowOrder) ||
                    !decodeExif(exifTiffData(entry.segment), old, oldOrder))
                    return failure(path, "its Exif data cannot be read");
                std::string restored;
                if (exifSignature(now) == exifSignature(old)) {
                    restored = entry.hadSegment ? entry.segment : std::string();
                } else {
                    // Changed since by someone else: only the GPS tags go back.
                    const std::vector<std::string> expected = exifSignature(now);
                    restoreGpsTags(now, gpsTagLines(old));
                    const std::string encodeError =
                        encodeExifSegment(nowTiff, nowOrder, now, expected, restored);
                    if (!encodeError.empty())
                        return failure(path, encodeError);
                }
                const std::string writeError = replaceExifSegment(path, *stamp, file, restored,
                                                                  file.layout.exifInsertOffset());
                if (!writeError.empty())
                    return writeError;
                unchanged = false;
            }
        } else if (entry.method == JournalEntry::Method::gpsTags) {
            const auto stamp = fileStamp(path);
            if (!stamp)
                return systemErrorText(path);
            WholeImage whole;
            const std::string error = openWhole(path, *stamp, whole);
            if (!error.empty())
                return error;
            Exiv2::ExifData& exif = whole.image->exifData();
            if (!sameGps(gpsTagLines(exif), entry.gpsTags)) {
                const MetadataSignature expected = signatureOf(*whole.image);
                restoreGpsTags(exif, entry.gpsTags);
                const std::string writeError = saveWhole(path, *stamp, whole, expected);
                if (!writeError.empty())
                    return writeError;
                unchanged = false;
            }
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
