// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <exiv2/exiv2.hpp>

#include "photos/GeotagRun.h"

#include <optional>

namespace tk::photos::exiv {

// The camera's name (Make, Model, serial number) and the GPS time stamp, into info.
void readCamera(const Exiv2::ExifData& exif, PhotoInfo& info);

// GPSDateStamp with GPSTimeStamp as UTC seconds; nothing when either is missing or malformed,
// or the receiver marked its measurement void.
std::optional<double> gpsTimeStamp(const Exiv2::ExifData& exif);

} // namespace tk::photos::exiv
