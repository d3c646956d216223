// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/PhotoCommands.h"

#include "cli/CliOutput.h"
#include "cli/PhotoOutput.h"
#include "cli/PhotoSuggestion.h"
#include "cli/TrackFileInput.h"
#include "formats/TrackFile.h"
#include "photos/CameraClocks.h"
#include "photos/ExivPhotoAccess.h"
#include "tracks/ProjectFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>

namespace tk::cli {
namespace {

namespace fs = std::filesystem;
using namespace tk::photos;

// A decimal number of seconds (--offset may be negative); UsageError when malformed.
double secondsOption(const CliArgs& args, const std::string& name, double fallback,
                     bool signedValue) {
    const auto text = args.value(name);
    if (!text)
        return fallback;
    double value = 0;
    const char* begin = text->data();
    const char* end = begin + text->size();
    if (begin != end && *begin == '+' && signedValue)
        ++begin;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || std::abs(value) > 1e10 ||
        (!signedValue && value < 0))
        throw UsageError{"invalid value for " + name + ": '" + *text + "' (expected " +
                         (signedValue ? "seconds, e.g. -3600 or 12.5" : "seconds, 0 or more") +
                         ")"};
    return value;
}

ZoneChoice zoneOption(const CliArgs& args) {
    const std::string text = args.value("--zone").value_or("auto");
    const auto zone = ZoneChoice::parse(text);
    if (!zone)
        throw UsageError{"invalid value for --zone: '" + text +
                         "' (expected auto or an offset such as +02:00 or -05:30)"};
    return *zone;
}

struct SyncText {
    std::string photo;
    ZonedClockTime shown;
};

std::vector<SyncText> syncOptions(const CliArgs& args) {
    std::vector<SyncText> syncs;
    for (const std::string& text : args.valuesOf("--sync")) {
        const auto equals = text.rfind('=');
        if (equals == std::string::npos || equals == 0)
            throw UsageError{"invalid value for --sync: '" + text + "' (expected PHOTO=TIME)"};
        const auto shown = parseIsoTime(text.substr(equals + 1));
        if (!shown)
            throw UsageError{"invalid time in --sync: '" + text.substr(equals + 1) +
                             "' (expected YYYY-MM-DDTHH:MM:SS[.fff] with Z, +HH:MM or nothing)"};
        syncs.push_back({text.substr(0, equals), *shown});
    }
    return syncs;
}

std::string canonical(const std::string& path) {
    std::error_code error;
    const fs::path p = fs::weakly_canonical(path, error);
    return error ? path : p.string();
}

// The index of the sync photo among the photos found.
std::size_t syncPhotoIndex(const std::string& photo, const std::vector<FoundPhoto>& found) {
    const std::string wanted = canonical(photo);
    for (std::size_t i = 0; i < found.size(); ++i)
        if (found[i].path == photo || canonical(found[i].path) == wanted)
            return i;
    throw UsageError{"the --sync photo '" + photo + "' is not among the photos"};
}

// The tracks of a logger project or a track file, numbered in the order they are read.
TrackTable readTracks(const std::string& path) {
    if (std::optional<TrackTable> tracks = readTrackFileTable(path))
        return std::move(*tracks);
    auto buffer = std::make_unique<PageBuffer>();
    TrackTable table;
    TrackDecoder decoder(table);
    const ProjectLoad load = openProject(path, *buffer, decoder);
    if (!load.ok())
        throw CommandError{load.error};
    return table;
}

// The first word names tracks unless --tracks does and the first word is a photo or folder.
bool firstWordIsTracks(const CliArgs& args) {
    const std::string& first = args.positional[0];
    return args.valuesOf("--tracks").empty() || first.ends_with(".gpl") ||
           formats::isTrackFile(first);
}

std::vector<FixTrack> geotagTracks(const CliArgs& args, const std::vector<std::string>& sources) {
    std::optional<int> only;
    if (const auto number = args.number("--track", 1, 1L << 30))
        only = static_cast<int>(*number);
    TrackTable table;
    for (const std::string& source : sources)
        appendTracks(table, readTracks(source));
    std::vector<FixTrack> tracks = fixTracks(table, only);
    if (tracks.empty())
        throw CommandError{only ? "track " + std::to_string(*only) + " has no points"
                                : "no track with points in " + sources.front()};
    return tracks;
}

int runUndo(const CliArgs& args) {
    if (args.positional.empty())
        throw UsageError{"missing PHOTO|FOLDER to undo"};
    ExivPhotoAccess access;
    const std::vector<UndoResult> results = undoGeotagging(access, args.positional);
    const std::string text = args.has("--json") ? undoJson(results) : undoTable(results);
    std::fputs(text.c_str(), stdout);
    for (const UndoResult& r : results)
        if (r.status == "error")
            return 1;
    return 0;
}

// What runGeotag and runSuggest read before they work: options checked first, then the
// tracks and the photos.
struct GeotagInput {
    GeotagSettings settings;
    bool autoOffset = false;
    std::vector<FixTrack> tracks;
    std::vector<FoundPhoto> found;
    std::vector<PhotoInfo> photos;
};

GeotagInput readInput(const CliArgs& args, ExivPhotoAccess& access) {
    if (args.positional.empty())
        throw UsageError{"missing PROJECT.gpl or TRACKFILE"};
    std::vector<std::string> sources = args.valuesOf("--tracks");
    const std::size_t firstPhoto = firstWordIsTracks(args) ? 1 : 0;
    if (firstPhoto == 1)
        sources.insert(sources.begin(), args.positional[0]);
    if (args.positional.size() <= firstPhoto)
        throw UsageError{"missing PHOTO|FOLDER"};
    // Every option is checked before anything is read or written.
    GeotagInput in;
    GeotagSettings& settings = in.settings;
    settings.zone = zoneOption(args);
    in.autoOffset = args.value("--offset") == "auto";
    if (!in.autoOffset)
        settings.offset = secondsOption(args, "--offset", 0, true);
    settings.limits.maxGap = secondsOption(args, "--max-gap", 300, false);
    settings.limits.maxExtrapolate = secondsOption(args, "--max-extrapolate", 0, false);
    settings.overwrite = args.has("--overwrite");
    settings.sidecar = args.has("--sidecar");
    const std::vector<SyncText> syncs = syncOptions(args);
    if (!syncs.empty() && args.value("--offset") && !in.autoOffset)
        throw UsageError{"--offset and --sync cannot be given together"};
    args.number("--track", 1, 1L << 30);

    in.tracks = geotagTracks(args, sources);
    const std::vector<std::string> paths(
        args.positional.begin() + static_cast<std::ptrdiff_t>(firstPhoto), args.positional.end());
    in.found = findPhotos(paths);
    for (const SyncText& sync : syncs)
        settings.syncs.push_back({syncPhotoIndex(sync.photo, in.found), sync.shown});
    in.photos = readPhotos(access, in.found);
    return in;
}

// --suggest-offset: each camera's suggested correction; nothing is written.
int runSuggest(const CliArgs& args) {
    ExivPhotoAccess access(false);
    const GeotagInput in = readInput(args, access);
    const std::vector<CameraSuggestion> suggestions =
        suggestOffsets(in.photos, in.tracks, in.settings.zone, in.settings.limits.maxGap);
    const std::string text =
        args.has("--json") ? suggestionJson(in.found, suggestions) : suggestionTable(suggestions);
    std::fputs(text.c_str(), stdout);
    return 0;
}

} // namespace

int runGeotag(const CliArgs& args) {
    if (args.has("--undo"))
        return runUndo(args);
    if (args.has("--suggest-offset"))
        return runSuggest(args);
    const bool dryRun = args.has("--dry-run");
    ExivPhotoAccess access(false);
    GeotagInput in = readInput(args, access);
    std::string syncError;
    CameraClocks clocks = cameraClocks(in.settings, in.photos, syncError);
    if (!syncError.empty())
        throw UsageError{syncError};
    if (in.autoOffset)
        applySuggestions(clocks, suggestOffsets(in.photos, in.tracks, in.settings.zone,
                                                in.settings.limits.maxGap));
    std::vector<PhotoResult> results =
        matchPhotos(in.photos, in.tracks, in.settings, clocks.perPhoto(in.photos));
    if (!dryRun) {
        WriteControl control;
        control.waiting = [](const std::string& folder) {
            std::fprintf(stderr, "waiting for another geotagging run in %s to end\n",
                         folder.c_str());
        };
        writePhotos(access, in.photos, results, in.settings, control);
    }
    // What was read goes before the report is made: a large run never holds both.
    std::vector<PhotoInfo>().swap(in.photos);

    const std::string text =
        args.has("--json") ? geotagJson(in.found, results) : geotagTable(in.found, results, dryRun);
    std::fputs(text.c_str(), stdout);
    for (const PhotoResult& r : results)
        if (r.status == PhotoStatus::error)
            return 1;
    return 0;
}

} // namespace tk::cli
