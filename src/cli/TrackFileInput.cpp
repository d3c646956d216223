// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TrackFileInput.h"

#include "cli/CliOutput.h"
#include "formats/TrackFile.h"

#include <cstdlib>

namespace tk::cli {
namespace {

// TRAILKEEP_GPSBABEL names another GPSBabel program (a build of its own, or a test's stand-in).
formats::TrackFileOptions trackFileOptions() {
    formats::TrackFileOptions options;
    if (const char* program = std::getenv("TRAILKEEP_GPSBABEL"); program && *program)
        options.babelProgram = program;
    return options;
}

} // namespace

std::optional<TrackTable> readTrackFileTable(const std::string& path) {
    if (!formats::isTrackFile(path))
        return std::nullopt;
    formats::TrackFileContent content = formats::readTrackFile(path, trackFileOptions());
    if (!content.error.empty())
        throw CommandError{content.error};
    if (!content.note.empty())
        warn(content.note);
    TrackTable table;
    table.tracks = std::move(content.tracks);
    table.lastTrack = static_cast<int>(table.tracks.size()) - 1;
    return table;
}

void appendTracks(TrackTable& to, TrackTable&& from) {
    to.tracks.resize(static_cast<std::size_t>(to.slotCount()));
    for (Track& t : from.tracks)
        to.tracks.push_back(std::move(t));
    to.lastTrack = static_cast<int>(to.tracks.size()) - 1;
    to.fixesOutsideTrack += from.fixesOutsideTrack;
}

} // namespace tk::cli
