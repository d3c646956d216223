// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace tk {
struct TrackTable;
}
class QWidget;

enum class TrackFileFormat { Kml, Gpx };

// SaveToKML / SaveToGPX: asks for a file name and writes the track there whole or not at all;
// a file that cannot be written is reported with the system's reason. Answers whether a file
// was written.
bool saveTrackFile(const tk::TrackTable& table, int track, TrackFileFormat format, QWidget* window);
