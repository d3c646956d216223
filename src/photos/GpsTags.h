// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "photos/GeotagMatch.h"
#include "photos/TiffDirectory.h"

#include <array>
#include <cstdint>
#include <string>

namespace tk::photos {

struct Rational {
    std::uint32_t numerator = 0;
    std::uint32_t denominator = 1;
};

// The texts of the Exif GPS tags for a position at a UTC time, in the forms exiv2 reads them
// ("48/1 51/1 2345678/1000000"): degrees, minutes and seconds to a millionth of a second (3 cm
// of longitude at most is 0.03 mm), altitude and speed to a thousandth, the time stamp to the
// millisecond.
struct ExifGpsTexts {
    std::string versionId = "2 3 0 0";
    std::string latitudeRef, latitude;
    std::string longitudeRef, longitude;
    std::string altitudeRef, altitude;
    std::string timeStamp, dateStamp;
    std::string mapDatum = "WGS-84";
    std::string speedRef = "K", speed;
};
ExifGpsTexts exifGpsTexts(const Position& position, double utc);
// The same tags as directory fields, in tag order: what the Exif writer appends.
std::vector<tiff::Field> exifGpsFields(const ExifGpsTexts& texts);

// The same in XMP's exif namespace: "48,51.12345678N", "2024-07-01T10:00:00.12Z".
struct XmpGpsTexts {
    std::string versionId = "2.3.0.0";
    std::string latitude, longitude;
    std::string altitudeRef, altitude;
    std::string timeStamp;
    std::string mapDatum = "WGS-84";
    std::string speedRef = "K", speed;
};
XmpGpsTexts xmpGpsTexts(const Position& position, double utc);

// Degrees, minutes and seconds of |degrees| as rationals, seconds to a millionth.
std::array<Rational, 3> dmsRationals(double degrees);

// A latitude or longitude from Exif's degree/minute/second rationals and its reference letter;
// nothing when a denominator is 0 or the reference is not one of the two letters.
std::optional<double> degreesFromRationals(const std::array<Rational, 3>& dms, char reference,
                                           char negative, char positive);
// "48,51.12345678N" or "48,51,7N" (XMP's GPSCoordinate); nothing when malformed.
std::optional<double> degreesFromXmp(const std::string& text);

} // namespace tk::photos
