#include "cli/TrackCommands.h"

#include "cli/CliOutput.h"
#include "cli/TrackJson.h"
#include "cli/TrackListing.h"
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"
#include "tracks/DemoMemory.h"
#include "tracks/FileIO.h"
#include "tracks/ProjectFile.h"

#include <cstdio>
#include <memory>

namespace tk::cli {
namespace {

struct Decoded {
    std::unique_ptr<PageBuffer> buffer = std::make_unique<PageBuffer>();
    TrackTable table;
};

std::string inputFile(const CliArgs& args) {
    if (args.positional.size() != 1)
        throw UsageError{args.positional.empty() ? "missing FILE" : "too many arguments"};
    return args.positional[0];
}

// Decodes FILE as Open project does; throws CommandError when it cannot be read.
Decoded decodeFile(const std::string& path) {
    Decoded d;
    TrackDecoder decoder(d.table);
    const ProjectLoad load = openProject(path, *d.buffer, decoder);
    if (!load.ok())
        throw CommandError{load.error};
    if (load.recordsDropped > 0)
        warn(path + ": " + std::to_string(load.recordsDropped) +
             " records beyond the 2048-page memory were ignored");
    return d;
}

const Track& selectedTrack(const CliArgs& args, const TrackTable& table) {
    const auto number = args.number("--track", 1, 1L << 30);
    if (!number)
        throw UsageError{"missing --track N"};
    const long index = *number - 1;
    if (index > table.lastTrack || table.tracks[static_cast<std::size_t>(index)].points.empty())
        throw CommandError{"track " + std::to_string(*number) + " has no points"};
    return table.tracks[static_cast<std::size_t>(index)];
}

std::string outputFile(const CliArgs& args) {
    const auto out = args.value("-o");
    if (!out)
        throw UsageError{"missing -o OUT"};
    return *out;
}

void writeOutput(const std::string& path, const std::string& bytes) {
    const std::string error = writeFileAtomically(path, bytes);
    if (!error.empty())
        throw CommandError{error};
}

std::uint32_t colourOption(const CliArgs& args) {
    const std::string text = args.value("--color").value_or("ff0000");
    unsigned rgb = 0;
    int used = 0;
    if (text.size() != 6 || std::sscanf(text.c_str(), "%6x%n", &rgb, &used) != 1 || used != 6)
        throw UsageError{"invalid value for --color: '" + text + "' (expected RRGGBB)"};
    // RRGGBB on the command line, 0x00BBGGRR inside.
    return ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
}

} // namespace

int runTracks(const CliArgs& args) {
    const Decoded d = decodeFile(inputFile(args));
    const bool rejects = args.has("--rejects");
    if (args.has("--json"))
        std::fputs(tracksJson(d.table, *d.buffer, rejects).c_str(), stdout);
    else
        std::fputs(trackListing(d.table, rejects).c_str(), stdout);
    return 0;
}

int runKml(const CliArgs& args) {
    const std::string out = outputFile(args);
    const Decoded d = decodeFile(inputFile(args));
    writeOutput(out, trackKml(selectedTrack(args, d.table)));
    return 0;
}

int runDataJs(const CliArgs& args) {
    const std::string out = outputFile(args);
    const std::uint32_t colour = colourOption(args);
    const auto weight = args.number("--weight", 0, 255).value_or(2);
    const auto speed = args.number("--speed", -2147483647L, 2147483647L).value_or(2);
    const Decoded d = decodeFile(inputFile(args));
    Track track = selectedTrack(args, d.table);
    track.colour = colour;
    track.lineWeight = static_cast<std::uint8_t>(weight);
    track.playSpeed = static_cast<std::int32_t>(speed);
    writeOutput(out, mapDataScript(track));
    return 0;
}

int runGpx(const CliArgs& args) {
    const std::string out = outputFile(args);
    const Decoded d = decodeFile(inputFile(args));
    std::vector<const Track*> tracks;
    if (args.value("--track")) {
        tracks.push_back(&selectedTrack(args, d.table));
    } else {
        for (int i = 0; i <= d.table.lastTrack; ++i)
            if (!d.table.tracks[static_cast<std::size_t>(i)].points.empty())
                tracks.push_back(&d.table.tracks[static_cast<std::size_t>(i)]);
        if (tracks.empty())
            throw CommandError{"no track with points in " + inputFile(args)};
    }
    writeOutput(out, tracksGpx(tracks));
    return 0;
}

} // namespace tk::cli

namespace tk::cli {

int runDemo(const CliArgs& args) {
    const std::string out = outputFile(args);
    const auto seed = static_cast<unsigned>(args.number("--seed", 0, 1L << 31).value_or(1));
    DemoOptions options;
    options.seed = seed;
    const auto image = args.has("--full") ? makeFullMemory(seed) : makeDemoMemory(options);
    writeOutput(out, std::string(image.begin(), image.end()));
    std::printf("%s: demo logger memory of %zu pages\n", out.c_str(), image.size() / kPageSize);
    return 0;
}

} // namespace tk::cli
