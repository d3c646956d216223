// SPDX-License-Identifier: GPL-3.0-or-later
// A camera's suggested clock correction over a full logger memory (2,048 pages): 1,000 photos
// with times only (the search over ±14 hours for the stops), and 1,000 photos that carry
// positions (when the track passed them).
#include "demo/DemoMemory.h"
#include "photos/ClockSuggestion.h"
#include "tracks/ProjectFile.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <random>

namespace {

using tk::photos::FixTrack;
using tk::photos::PhotoClue;

constexpr double kCameraBehind = 3600 + 37;

const std::vector<FixTrack>& fullMemory() {
    static const std::vector<FixTrack> tracks = [] {
        tk::TrackTable table;
        auto buffer = std::make_unique<tk::PageBuffer>();
        tk::TrackDecoder decoder(table);
        tk::loadProject(tk::makeFullMemory(), *buffer, decoder);
        return tk::photos::fixTracks(table);
    }();
    return tracks;
}

// 1,000 photos at fixes of the memory, three in four where the logger stood.
std::vector<PhotoClue> photos(bool withPositions) {
    std::vector<const tk::photos::Fix*> standing;
    std::vector<const tk::photos::Fix*> moving;
    for (const FixTrack& t : fullMemory())
        for (const tk::photos::Fix& f : t.fixes)
            (f.standing ? standing : moving).push_back(&f);
    std::mt19937 random(5);
    std::vector<PhotoClue> clues;
    for (int i = 0; i < 1000; ++i) {
        const auto& from = (i % 4 != 0 && !standing.empty()) ? standing : moving;
        const tk::photos::Fix& f =
            *from[std::uniform_int_distribution<std::size_t>(0, from.size() - 1)(random)];
        PhotoClue clue{f.utc - kCameraBehind, {}, {}};
        if (withPositions)
            clue.position = tk::photos::Position{f.latitude, f.longitude, f.altitude, 0};
        clues.push_back(clue);
    }
    return clues;
}

void SuggestFromStops(benchmark::State& state) {
    const std::vector<PhotoClue> clues = photos(false);
    for (auto _ : state) {
        const auto s = tk::photos::suggestOffset(fullMemory(), clues, 300);
        benchmark::DoNotOptimize(s.offset);
    }
}
BENCHMARK(SuggestFromStops)->Unit(benchmark::kMillisecond);

void SuggestFromPositions(benchmark::State& state) {
    const std::vector<PhotoClue> clues = photos(true);
    for (auto _ : state) {
        const auto s = tk::photos::suggestOffset(fullMemory(), clues, 300);
        benchmark::DoNotOptimize(s.offset);
    }
}
BENCHMARK(SuggestFromPositions)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
