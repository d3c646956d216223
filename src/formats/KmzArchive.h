// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace tk::formats {

// A KMZ is a zip archive around a KML document (doc.kml by convention). Copies that document
// into a new file at kmlPath; returns an empty string, else why not. A document larger than
// 256 MB unpacked is refused, so a crafted archive cannot fill the disk.
std::string extractKmzDocument(const std::string& kmzPath, const std::string& kmlPath);

} // namespace tk::formats
