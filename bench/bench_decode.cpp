// SPDX-License-Identifier: GPL-3.0-or-later
// Decoding a full logger memory (2,048 pages of realistic tracks), as Open project and a
// download do it.
#include "demo/DemoMemory.h"
#include "tracks/ProjectFile.h"

#include <benchmark/benchmark.h>

namespace {

void DecodeFullMemory(benchmark::State& state) {
    const auto image = tk::makeFullMemory();
    tk::PageBuffer buffer;
    tk::TrackTable table;
    tk::TrackDecoder decoder(table);
    for (auto _ : state) {
        tk::loadProject(image, buffer, decoder);
        benchmark::DoNotOptimize(table.tracks.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(tk::kRecordCapacity));
    state.counters["records/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * tk::kRecordCapacity), benchmark::Counter::kIsRate);
}
BENCHMARK(DecodeFullMemory)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
