// SPDX-License-Identifier: GPL-3.0-or-later
// The trip figures of every track of a full logger memory (2,048 pages), as the panel and
// `trailkeep-cli stats` work them out, and the all-tracks view's thinned JSON of them all.
#include "demo/DemoMemory.h"
#include "map/TrackOverview.h"
#include "tracks/ProjectFile.h"
#include "tracks/TripFigures.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

struct FullMemory {
    tk::TrackTable table;
    FullMemory() {
        auto buffer = std::make_unique<tk::PageBuffer>();
        tk::TrackDecoder decoder(table);
        tk::loadProject(tk::makeFullMemory(), *buffer, decoder);
    }
};

const tk::TrackTable& fullMemory() {
    static const FullMemory memory;
    return memory.table;
}

void FiguresOfEveryTrack(benchmark::State& state) {
    const tk::TrackTable& table = fullMemory();
    std::size_t fixes = 0;
    for (int i = 0; i <= table.lastTrack; ++i)
        fixes += table.tracks[static_cast<std::size_t>(i)].points.size();
    for (auto _ : state) {
        for (int i = 0; i <= table.lastTrack; ++i) {
            const tk::TripFigures f =
                tk::tripFigures(table.tracks[static_cast<std::size_t>(i)].points, {});
            benchmark::DoNotOptimize(f.length);
        }
    }
    state.counters["tracks"] = table.lastTrack + 1;
    state.counters["fixes"] = static_cast<double>(fixes);
}
BENCHMARK(FiguresOfEveryTrack)->Unit(benchmark::kMillisecond);

void AllTracksViewJson(benchmark::State& state) {
    const tk::TrackTable& table = fullMemory();
    std::vector<tk::OverviewTrack> shown;
    for (int i = 0; i <= table.lastTrack; ++i)
        shown.push_back({i, &table.tracks[static_cast<std::size_t>(i)], 0x0000FF, 2});
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string json = tk::trackViewJson(shown, 0);
        bytes = json.size();
        benchmark::DoNotOptimize(json.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(AllTracksViewJson)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
