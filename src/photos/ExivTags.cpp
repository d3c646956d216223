// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivTags.h"

#include "photos/GpsTags.h"

#include <algorithm>

namespace tk::photos::exiv {
const char* const kXmpGpsKeys[9] = {
    "Xmp.exif.GPSVersionID",   "Xmp.exif.GPSLatitude", "Xmp.exif.GPSLongitude",
    "Xmp.exif.GPSAltitudeRef", "Xmp.exif.GPSAltitude", "Xmp.exif.GPSTimeStamp",
    "Xmp.exif.GPSMapDatum",    "Xmp.exif.GPSSpeedRef", "Xmp.exif.GPSSpeed"};

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
// Reading tags

std::string exifText(const Exiv2::ExifData& exif, const Exiv2::ExifKey& key) {
    const auto it = exif.findKey(key);
    return it == exif.end() ? std::string() : it->toString();
}

std::string xmpText(const Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    return it == xmp.end() ? std::string() : it->toString();
}

// The index'th rational of the tag. Unsigned rationals are read as such: their numerators and
// denominators go up to 2^32 - 1, which exiv2's signed Rational would turn negative.
static std::optional<std::pair<std::int64_t, std::int64_t>> rationalAt(const Exiv2::Exifdatum& d,
                                                                       long index) {
    if (d.count() <= index)
        return std::nullopt;
    if (const auto* u = dynamic_cast<const Exiv2::URationalValue*>(&d.value())) {
        const Exiv2::URational r = u->value_.at(static_cast<std::size_t>(index));
        return std::pair<std::int64_t, std::int64_t>{r.first, r.second};
    }
    const Exiv2::Rational r = d.toRational(index);
    return std::pair<std::int64_t, std::int64_t>{r.first, r.second};
}

static std::optional<double> rationalValue(const Exiv2::Exifdatum& d, long index) {
    const auto r = rationalAt(d, index);
    if (!r || r->second == 0)
        return std::nullopt;
    return static_cast<double>(r->first) / static_cast<double>(r->second);
}

static std::optional<double> exifCoordinate(const Exiv2::ExifData& exif, const char* key,
                                            const char* refKey, char negative, char positive) {
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    const std::string ref = exifText(exif, Exiv2::ExifKey(refKey));
    if (it == exif.end() || it->count() < 3 || ref.empty())
        return std::nullopt;
    std::array<Rational, 3> dms{};
    for (long i = 0; i < 3; ++i) {
        const auto r = rationalAt(*it, i);
        if (!r || r->first < 0 || r->second <= 0)
            return std::nullopt;
        dms[static_cast<std::size_t>(i)] = {static_cast<std::uint32_t>(r->first),
                                            static_cast<std::uint32_t>(r->second)};
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

static std::optional<double> rationalText(const std::string& text) {
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

// A date and time from Exif: the text, its sub-seconds and its zone offset tags; nothing unless
// the text is a real date (blank fields and all zeros are how cameras say "not set").
static bool exifTime(const Exiv2::ExifData& exif, const std::string& dateTime,
                     std::uint16_t subSecondsTag, std::uint16_t offsetTag, PhotoInfo& info) {
    const std::string subSeconds = exifText(exif, Exiv2::ExifKey(subSecondsTag, "Photo"));
    info.cameraTime = parseExifDateTime(dateTime, subSeconds);
    if (!info.cameraTime)
        return false;
    info.ownOffset = parseZoneOffset(exifText(exif, Exiv2::ExifKey(offsetTag, "Photo")));
    return true;
}

// An ISO date and time with its zone when it has one; a time of year 0 is no time.
static bool zonedTime(std::string_view text, PhotoInfo& info) {
    const auto zoned = parseIsoTime(text);
    if (!zoned || zoned->time.civil.year == 0)
        return false;
    info.cameraTime = zoned->time;
    info.ownOffset = zoned->offset;
    return true;
}

// IPTC's DateCreated ("2009-09-09") and TimeCreated ("17:00:00+00:00") together; a date alone
// does not say when the photo was taken.
static bool iptcTime(const Exiv2::IptcData& iptc, PhotoInfo& info) {
    const auto date = iptc.findKey(Exiv2::IptcKey("Iptc.Application2.DateCreated"));
    const auto time = iptc.findKey(Exiv2::IptcKey("Iptc.Application2.TimeCreated"));
    if (date == iptc.end() || time == iptc.end())
        return false;
    return zonedTime(date->toString() + 'T' + time->toString(), info);
}

void readTime(const Exiv2::ExifData& exif, const Exiv2::XmpData* xmp, const Exiv2::IptcData* iptc,
              PhotoInfo& info) {
    info.cameraTime.reset();
    info.ownOffset.reset();
    std::string original = exifText(exif, Exiv2::ExifKey("Exif.Photo.DateTimeOriginal"));
    if (original.empty())
        original = exifText(exif, Exiv2::ExifKey(0x9003, "Image")); // TIFF/EP's place
    if (exifTime(exif, original, 0x9291, 0x9011, info))
        return;
    const std::string digitized = exifText(exif, Exiv2::ExifKey("Exif.Photo.DateTimeDigitized"));
    if (exifTime(exif, digitized, 0x9292, 0x9012, info))
        return;
    if (xmp)
        for (const char* key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"})
            if (zonedTime(xmpText(*xmp, key), info))
                return;
    if (iptc)
        iptcTime(*iptc, info);
}

// ---------------------------------------------------------------------------------------------
// Writing tags

static void setExifTag(Exiv2::ExifData& exif, const char* key, Exiv2::TypeId type,
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
static bool leftOutOfCheck(const Exiv2::Exifdatum& d) {
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

// One "key type value" line: its parts, and exiv2's value read from its text.
static bool parseGpsLine(const std::string& line, std::string& key, Exiv2::TypeId& type,
                         Exiv2::Value::AutoPtr& value) {
    const auto first = line.find(' ');
    const auto second = first == std::string::npos ? first : line.find(' ', first + 1);
    if (second == std::string::npos)
        return false;
    type = Exiv2::TypeInfo::typeId(line.substr(first + 1, second - first - 1));
    if (type == Exiv2::invalidTypeId)
        return false;
    key = line.substr(0, first);
    value = Exiv2::Value::create(type);
    return value->read(line.substr(second + 1)) == 0;
}

std::vector<tiff::Field> gpsFieldsOfLines(const std::vector<std::string>& lines) {
    std::vector<tiff::Field> fields;
    for (const std::string& line : lines) {
        std::string key;
        Exiv2::TypeId type = Exiv2::invalidTypeId;
        Exiv2::Value::AutoPtr value;
        if (!parseGpsLine(line, key, type, value))
            continue;
        const std::size_t size = tiff::typeSize(static_cast<std::uint16_t>(type));
        if (size == 0)
            continue;
        std::vector<Exiv2::byte> buffer(static_cast<std::size_t>(value->size()));
        value->copy(buffer.data(), Exiv2::littleEndian);
        tiff::Field f{Exiv2::ExifKey(key).tag(), static_cast<std::uint16_t>(type), {}, {}};
        const tiff::ByteOrder little{true};
        const tiff::Bytes bytes(buffer.data(), buffer.size());
        if (size == 1)
            f.bytes.assign(buffer.begin(), buffer.end());
        const std::size_t step = size == 2 ? 2 : 4;
        for (std::size_t at = 0; size > 1 && at + step <= buffer.size(); at += step)
            f.numbers.push_back(size == 2 ? little.u16(bytes, at) : little.u32(bytes, at));
        fields.push_back(std::move(f));
    }
    return fields;
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

void eraseXmpGps(Exiv2::XmpData& xmp) {
    for (const char* key : kXmpGpsKeys) {
        const Exiv2::XmpKey k(key);
        for (auto it = xmp.findKey(k); it != xmp.end(); it = xmp.findKey(k))
            xmp.erase(it);
    }
}

std::string embeddedThumbnail(const Exiv2::ExifData& exif) {
    const Exiv2::DataBuf bytes = Exiv2::ExifThumbC(exif).copy();
    if (bytes.size_ <= 0 || std::string(Exiv2::ExifThumbC(exif).mimeType()) != "image/jpeg")
        return {};
    return std::string(reinterpret_cast<const char*>(bytes.pData_),
                       static_cast<std::size_t>(bytes.size_));
}

} // namespace tk::photos::exiv
