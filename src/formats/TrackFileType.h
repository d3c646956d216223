// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace tk::formats {

// A kind of file tracks come in: GPX is read here, the others through GPSBabel (babelName is
// its name for the format). A logger project (.gpl) is not among them.
struct TrackFormat {
    std::string_view label;     // as the user knows it: "FIT", "TCX"
    std::string_view babelName; // GPSBabel's -i name; empty for GPX
    // Whether the first bytes of a file look like this format; formats without a recognisable
    // start accept anything and leave the judgement to GPSBabel.
    bool (*looksLike)(std::string_view head);
};

// How to read a file: by its name's extension, checked against its first bytes.
struct TrackFileType {
    const TrackFormat* format = nullptr; // nullptr: not a track file (a logger project, or unknown)
    std::string error;                   // the extension and the content disagree
};

// head is the start of the file (a few KB is plenty). A file whose extension names no track
// format but whose content is plainly GPX, FIT, TCX or KML is taken by its content; a file with
// a track extension whose content is plainly another known format is read as that one.
TrackFileType trackFileType(const std::string& path, std::string_view head);

} // namespace tk::formats
