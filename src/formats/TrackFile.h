// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <chrono>
#include <string>
#include <vector>

namespace tk::formats {

// The tracks of one track file, each named (the file's own name, else the file's name and its
// number) and carrying the file it came from; note tells what else the file held that is not a
// track (routes, waypoints), empty when nothing.
struct TrackFileContent {
    std::vector<Track> tracks;
    std::string note;
    std::string error; // empty on success; a success always has at least one track
};

struct TrackFileOptions {
    std::string babelProgram = "gpsbabel";
    std::chrono::milliseconds babelLimit{120'000};
};

// Whether path is to be read as a track file (GPX, FIT, TCX, ...) rather than a logger project;
// reads the start of the file. A file that cannot be read is left to the project reader, which
// reports it.
bool isTrackFile(const std::string& path);

// Reads a track file: GPX here, every other format through GPSBabel. A file that holds no track,
// is broken or cannot be read gives an error naming the file.
TrackFileContent readTrackFile(const std::string& path, const TrackFileOptions& options = {});

} // namespace tk::formats
