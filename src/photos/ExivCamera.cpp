// SPDX-License-Identifier: GPL-3.0-or-later
#include "photos/ExivCamera.h"

#include "photos/CameraClocks.h"
#include "photos/ExivTags.h"

#include <cmath>

namespace tk::photos::exiv {
namespace {

// The body's serial number: Exif's own tag, else the maker's where exiv2 knows it.
std::string bodySerial(const Exiv2::ExifData& exif) {
    std::string serial = exifText(exif, Exiv2::ExifKey("Exif.Photo.BodySerialNumber"));
    if (serial.empty()) {
        const auto it = Exiv2::serialNumber(exif);
        if (it != exif.end())
            serial = it->toString();
    }
    return serial;
}

} // namespace

void readCamera(const Exiv2::ExifData& exif, PhotoInfo& info) {
    info.camera = cameraName(exifText(exif, Exiv2::ExifKey("Exif.Image.Make")),
                             exifText(exif, Exiv2::ExifKey("Exif.Image.Model")), bodySerial(exif));
    info.gpsUtc = gpsTimeStamp(exif);
}

std::optional<double> gpsTimeStamp(const Exiv2::ExifData& exif) {
    if (exifText(exif, Exiv2::ExifKey("Exif.GPSInfo.GPSStatus")).rfind('V', 0) == 0)
        return std::nullopt;
    const std::string date = exifText(exif, Exiv2::ExifKey("Exif.GPSInfo.GPSDateStamp"));
    const auto time = exif.findKey(Exiv2::ExifKey("Exif.GPSInfo.GPSTimeStamp"));
    if (time == exif.end() || time->count() < 3)
        return std::nullopt;
    const auto day = parseExifDateTime(date + " 00:00:00", "");
    if (!day)
        return std::nullopt;
    double seconds = 0;
    for (long i = 0; i < 3; ++i) {
        const Exiv2::Rational r = time->toRational(i);
        if (r.first < 0 || r.second <= 0)
            return std::nullopt;
        seconds = seconds * 60 + static_cast<double>(r.first) / r.second;
    }
    if (!std::isfinite(seconds) || seconds >= 86400 + 1)
        return std::nullopt;
    return day->asUtc() + seconds;
}

} // namespace tk::photos::exiv
