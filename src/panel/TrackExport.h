#pragma once

class CTrailkeepApp;
class QWidget;

enum class TrackFileFormat { Kml, Gpx };

// SaveToKML / SaveToGPX: asks for a file name and writes the track there whole or not at all;
// a file that cannot be written is reported with the system's reason. Answers whether a file
// was written.
bool saveTrackFile(CTrailkeepApp& app, int track, TrackFileFormat format, QWidget* window);
