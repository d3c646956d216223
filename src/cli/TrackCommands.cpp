// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/TrackCommands.h"

#include "cli/CliOutput.h"
#include "cli/TrackFileInput.h"
#include "cli/TrackJson.h"
#include "cli/TrackListing.h"
#include "cli/TripStats.h"
#include "demo/DemoMemory.h"
#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"
#include "tracks/FileIO.h"
#include "tracks/TrackDecoder.h"
#include "tracks/TripFigures.h"

#include <array>
#include <cstdio>

namespace tk::cli {
namespace {

struct Decoded {
    TrackTable table;
    std::int32_t pageCount = 0;
};

constexpr int kKeepEveryTrack = -1;

std::string inputFile(const CliArgs& args) {
    if (args.positional.size() != 1)
        throw UsageError{args.positional.empty() ? "missing FILE" : "too many arguments"};
    return args.positional[0];
}

// Feeds records to the decoder. Each new slot gets room for every record still to come, so a
// track's points are never copied while it grows; untouched room costs address space only,
// and a budget bounds it for memories with very many tracks. With one slot kept, the points
// of the other slots are let go once the decoder has moved past them (it only ever adds to the
// last slot), and the memory of one let-go track serves the next.
class RecordFeed {
public:
    RecordFeed(TrackTable& table, int keepSlot) : table_(table), decoder_(table), keep_(keepSlot) {
        decoder_.beginPass();
    }

    void feed(std::span<const std::uint8_t, kRecordSize> record) {
        decoder_.feed(record);
        ++fed_;
        for (; keep_ != kKeepEveryTrack && settled_ < table_.lastTrack; ++settled_)
            if (settled_ != keep_)
                std::vector<TrackPoint>().swap(slot(settled_).points);
        std::vector<TrackPoint>& points = slot(table_.lastTrack).points;
        if (points.capacity() == 0 && roomLeft_ >= kRecordCapacity - fed_) {
            points.reserve(kRecordCapacity - fed_);
            if (keep_ == kKeepEveryTrack)
                roomLeft_ -= points.capacity();
        }
    }
    std::size_t fed() const { return fed_; }

private:
    static constexpr std::size_t kRoomBudget = 16 * kRecordCapacity; // points, about 14 MB

    Track& slot(int index) { return table_.tracks[static_cast<std::size_t>(index)]; }

    TrackTable& table_;
    TrackDecoder decoder_;
    int keep_;
    int settled_ = 0;
    std::size_t fed_ = 0;
    std::size_t roomLeft_ = kRoomBudget;
};

// Decodes FILE as Open project does: the records of the first 2048 pages, the rest counted
// and reported. The file goes to the decoder in pieces, with no page buffer or copy of it in
// between; keepSlot as for RecordFeed. Throws CommandError when the file cannot be read.
// A track file (GPX, FIT, TCX, ...) is read whole instead, with no page count.
Decoded decodeFile(const std::string& path, int keepSlot) {
    Decoded d;
    if (std::optional<TrackTable> tracks = readTrackFileTable(path)) {
        d.table = std::move(*tracks);
        return d;
    }
    RecordFeed feed(d.table, keepSlot);
    std::size_t bytesRead = 0;
    std::array<char, kRecordSize * 1024> piece;
    const std::string error = readFileInPieces(path, piece, [&](std::string_view bytes) {
        bytesRead += bytes.size();
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
        for (std::size_t at = 0; at + kRecordSize <= bytes.size() && feed.fed() < kRecordCapacity;
             at += kRecordSize)
            feed.feed(std::span<const std::uint8_t, kRecordSize>(data + at, kRecordSize));
    });
    if (!error.empty())
        throw CommandError{error};
    d.pageCount = static_cast<std::int32_t>((feed.fed() + kRecordsPerPage - 1) / kRecordsPerPage);
    const std::size_t recordsDropped = bytesRead / kRecordSize - feed.fed();
    if (recordsDropped > 0)
        warn(path + ": " + std::to_string(recordsDropped) +
             " records beyond the 2048-page memory were ignored");
    return d;
}

Track& selectedTrack(const CliArgs& args, TrackTable& table) {
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

// The slot --track names; every slot while it is missing or malformed, which selectedTrack
// reports after decoding, so errors come in the same order for every command.
int wantedSlot(const CliArgs& args) {
    try {
        const auto number = args.number("--track", 1, 1L << 30);
        return number ? static_cast<int>(*number - 1) : kKeepEveryTrack;
    } catch (const UsageError&) {
        return kKeepEveryTrack;
    }
}

// Streams a writer's text into a temporary file that replaces path only once all of it is in.
template <typename Write> void writeOutput(const std::string& path, Write&& write) {
    AtomicFile file(path);
    text::TextOut out([&file](std::string_view bytes) { file.write(bytes); });
    write(out);
    const std::string error = file.commit();
    if (!error.empty())
        throw CommandError{error};
}

void printOutput(const auto& write) {
    text::TextOut out(
        [](std::string_view bytes) { std::fwrite(bytes.data(), 1, bytes.size(), stdout); });
    write(out);
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
    const Decoded d = decodeFile(inputFile(args), kKeepEveryTrack);
    const bool rejects = args.has("--rejects");
    if (args.has("--json"))
        printOutput(
            [&](text::TextOut& out) { writeTracksJson(out, d.table, d.pageCount, rejects); });
    else
        std::fputs(trackListing(d.table, rejects).c_str(), stdout);
    return 0;
}

int runStats(const CliArgs& args) {
    FigureSettings settings;
    settings.movingSpeedKmh =
        args.decimal("--moving-speed", 0.0, 1000.0).value_or(settings.movingSpeedKmh);
    settings.climbThresholdM =
        args.decimal("--climb-threshold", 0.0, 10000.0).value_or(settings.climbThresholdM);
    Decoded d = decodeFile(inputFile(args), wantedSlot(args));
    std::vector<TripStatsRow> rows;
    const auto add = [&](int slot) {
        const Track& t = d.table.tracks[static_cast<std::size_t>(slot)];
        rows.push_back({slot + 1, t.name, tripFigures(t.points, settings)});
    };
    if (args.value("--track")) {
        add(static_cast<int>(&selectedTrack(args, d.table) - d.table.tracks.data()));
    } else {
        for (int i = 0; i <= d.table.lastTrack; ++i)
            if (!d.table.tracks[static_cast<std::size_t>(i)].points.empty())
                add(i);
    }
    const std::string out =
        args.has("--json") ? tripStatsJson(rows) : tripStatsTable(rows, settings);
    std::fputs(out.c_str(), stdout);
    return 0;
}

int runKml(const CliArgs& args) {
    const std::string out = outputFile(args);
    Decoded d = decodeFile(inputFile(args), wantedSlot(args));
    const Track& track = selectedTrack(args, d.table);
    writeOutput(out, [&](text::TextOut& text) { writeTrackKml(text, track); });
    return 0;
}

int runDataJs(const CliArgs& args) {
    const std::string out = outputFile(args);
    const std::uint32_t colour = colourOption(args);
    const auto weight = args.number("--weight", 0, 255).value_or(2);
    const auto speed = args.number("--speed", -2147483647L, 2147483647L).value_or(2);
    Decoded d = decodeFile(inputFile(args), wantedSlot(args));
    const Track& track = selectedTrack(args, d.table);
    const TrackStyle style{colour, static_cast<std::uint8_t>(weight),
                           static_cast<std::int32_t>(speed)};
    writeOutput(out, [&](text::TextOut& text) { writeMapDataScript(text, track, style); });
    return 0;
}

int runGpx(const CliArgs& args) {
    const std::string out = outputFile(args);
    Decoded d = decodeFile(inputFile(args), wantedSlot(args));
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
    writeOutput(out, [&](text::TextOut& text) { writeTracksGpx(text, tracks); });
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
    const std::string error = writeFileAtomically(
        out, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
    if (!error.empty())
        throw CommandError{error};
    std::printf("%s: demo logger memory of %zu pages\n", out.c_str(), image.size() / kPageSize);
    return 0;
}

} // namespace tk::cli
