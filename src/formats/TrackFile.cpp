// SPDX-License-Identifier: GPL-3.0-or-later
#include "formats/TrackFile.h"

#include "formats/ChildProcess.h"
#include "formats/GpxReader.h"
#include "formats/KmzArchive.h"
#include "formats/TrackFileType.h"
#include "tracks/FileIO.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tk::formats {
namespace {

constexpr std::size_t kHeadSize = 4096;
constexpr std::size_t kPieceSize = 1 << 16;

std::string fileHead(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kHeadSize, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return head;
}

// The first lines of what a program said on stderr, on one line.
std::string firstLines(const std::string& text) {
    constexpr std::size_t kLongest = 300;
    std::string line;
    for (const char c : text.substr(0, kLongest))
        line += (c == '\n' || c == '\r') ? ' ' : c;
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

struct Read {
    GpxContent content;
    std::string error;
    std::string babelSaid; // GPSBabel's stderr, when it read the file
};

Read readGpxFile(const std::string& path) {
    Read r;
    GpxReader reader;
    std::array<char, kPieceSize> piece;
    bool ok = true;
    const std::string error = readFileInPieces(
        path, piece, [&](std::string_view bytes) { ok = ok && reader.feed(bytes); });
    if (!error.empty())
        r.error = error;
    else if (!ok || !reader.finish())
        r.error = path + ": not a readable GPX file: " + reader.error();
    else
        r.content = reader.take();
    return r;
}

// GPSBabel reads input (path itself, or the KML unpacked from it); messages name path.
Read readThroughBabel(const std::string& path, const std::string& input, const TrackFormat& format,
                      const TrackFileOptions& options) {
    Read r;
    GpxReader reader;
    const std::vector<std::string> argv{options.babelProgram,
                                        "-t",
                                        "-i",
                                        std::string(format.babelName),
                                        "-f",
                                        input,
                                        "-o",
                                        "gpx",
                                        "-F",
                                        "-"};
    const ChildOutcome run = runChild(argv, options.babelLimit,
                                      [&](std::string_view piece) { return reader.feed(piece); });
    const std::string label(format.label);
    r.babelSaid = firstLines(run.errorText);
    if (run.notFound)
        r.error = "reading " + label +
                  " files needs GPSBabel, which is not installed: install "
                  "the package gpsbabel (sudo apt install gpsbabel)";
    else if (!run.started)
        r.error = "could not start " + options.babelProgram + ": " + run.startError;
    else if (run.timedOut)
        r.error = path + ": GPSBabel was still reading it after " +
                  std::to_string(options.babelLimit.count() / 1000) + " s and was stopped";
    else if (!run.stopped && run.exitStatus != 0)
        r.error = path + ": not a readable " + label + " file" +
                  (r.babelSaid.empty() ? "" : " (GPSBabel: " + r.babelSaid + ")");
    else if (run.stopped || !reader.finish())
        r.error = path + ": GPSBabel's reading of it was not readable GPX: " + reader.error();
    else
        r.content = reader.take();
    return r;
}

// A temporary file that removes itself.
class TemporaryFile {
public:
    explicit TemporaryFile(const char* suffix) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "trailkeep-XXXXXX").string();
        pattern += suffix;
        const int fd = mkstemps(pattern.data(), static_cast<int>(std::strlen(suffix)));
        if (fd >= 0) {
            ::close(fd);
            path_ = pattern;
        }
    }
    ~TemporaryFile() {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

Read readKmz(const std::string& path, const TrackFormat& format, const TrackFileOptions& options) {
    TemporaryFile kml(".kml");
    if (kml.path().empty())
        return {{}, "no room for a temporary file to unpack " + path, {}};
    if (const std::string error = extractKmzDocument(path, kml.path()); !error.empty())
        return {{}, path + ": " + error, {}};
    return readThroughBabel(path, kml.path(), format, options);
}

Read readFile(const std::string& path, const TrackFormat& format, const TrackFileOptions& options) {
    if (format.babelName.empty())
        return readGpxFile(path);
    if (format.label == "KMZ")
        return readKmz(path, format, options);
    return readThroughBabel(path, path, format, options);
}

std::string plural(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// What the file holds besides tracks; empty when nothing.
std::string otherContent(const GpxContent& content) {
    std::string note;
    if (!content.routeNames.empty()) {
        note = plural(content.routeNames.size(), "route", "routes");
        std::string names;
        for (const std::string& name : content.routeNames)
            if (!name.empty())
                names += (names.empty() ? "" : ", ") + name;
        if (!names.empty())
            note += " (" + names + ")";
    }
    if (content.waypoints > 0)
        note += (note.empty() ? "" : " and ") + plural(content.waypoints, "waypoint", "waypoints");
    return note;
}

std::string notTracks(const GpxContent& content) {
    return content.routeNames.size() + content.waypoints == 1 ? "which is not a track"
                                                              : "which are not tracks";
}

std::string noTrackError(const std::string& path, const TrackFormat& format, const Read& r) {
    if (format.label == "FIT")
        return path + ": the FIT file has no positions: it holds no GPS track";
    std::string error = path + ": no track in it";
    if (const std::string other = otherContent(r.content); !other.empty())
        error += " (only " + other + ", " + notTracks(r.content) + ")";
    if (!r.babelSaid.empty())
        error += " (GPSBabel: " + r.babelSaid + ")";
    return error;
}

void nameTracks(std::vector<Track>& tracks, const std::string& path) {
    const std::string stem = std::filesystem::path(path).stem().string();
    for (std::size_t i = 0; i < tracks.size(); ++i) {
        Track& t = tracks[i];
        if (t.name.empty())
            t.name = tracks.size() == 1 ? stem : stem + " " + std::to_string(i + 1);
        t.sourceFile = path;
    }
}

} // namespace

bool isTrackFile(const std::string& path) {
    const TrackFileType type = trackFileType(path, fileHead(path));
    return type.format != nullptr || !type.error.empty();
}

TrackFileContent readTrackFile(const std::string& path, const TrackFileOptions& options) {
    TrackFileContent result;
    const TrackFileType type = trackFileType(path, fileHead(path));
    if (!type.error.empty()) {
        result.error = path + ": " + type.error;
        return result;
    }
    if (!type.format) {
        result.error = path + ": not a track file of a known format";
        return result;
    }
    Read r = readFile(path, *type.format, options);
    if (r.error.empty() && r.content.tracks.empty())
        r.error = noTrackError(path, *type.format, r);
    if (!r.error.empty()) {
        result.error = r.error;
        return result;
    }
    result.tracks = std::move(r.content.tracks);
    nameTracks(result.tracks, path);
    if (const std::string other = otherContent(r.content); !other.empty())
        result.note = path + " also holds " + other + ", " + notTracks(r.content);
    return result;
}

} // namespace tk::formats
