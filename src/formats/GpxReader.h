// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tracks/Track.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tk::formats {

// What a GPX document holds: its tracks (every trk with points, in file order, each completed
// by completeFileTrack), and what is not a track, named for the user's information.
struct GpxContent {
    std::vector<Track> tracks;
    std::vector<std::string> routeNames;
    std::size_t waypoints = 0;
};

// A streaming GPX 1.0/1.1 reader: the document arrives in pieces of any size and only the
// tracks are kept, so memory follows the number of points, not the size of the file. A document
// with a DOCTYPE or entity declarations is refused: entities are never expanded.
class GpxReader {
public:
    GpxReader();
    ~GpxReader();
    GpxReader(const GpxReader&) = delete;
    GpxReader& operator=(const GpxReader&) = delete;

    // Feeds the next piece; false once the document has failed (error() says why and where).
    bool feed(std::string_view piece);
    // Ends the document; false when it failed or was cut short.
    bool finish();
    const std::string& error() const;
    // The content read so far; the reader is spent afterwards.
    GpxContent take();

    struct State; // defined in the reader's source only: expat's callbacks reach it

private:
    std::unique_ptr<State> state_;
};

// Reads a whole document held in memory; error is empty on success.
GpxContent readGpx(std::string_view document, std::string& error);

} // namespace tk::formats
