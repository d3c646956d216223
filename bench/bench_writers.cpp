// SPDX-License-Identifier: GPL-3.0-or-later
// Time to write a full logger memory's worth of points (2,048 pages of 11 fixes) as one track.

#include "map/GpxWriter.h"
#include "map/KmlWriter.h"
#include "map/MapDataScript.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int kPoints = 22528;

tk::Track fullTrack() {
    tk::Track t;
    t.name = "2013-10-23 08:00:00";
    t.stepSeconds = 1;
    t.peakSpeed = 54000;
    t.distance = 30000;
    t.peakAltitude = 1200;
    t.points.reserve(kPoints);
    for (int i = 0; i < kPoints; ++i) {
        const int s = 8 * 3600 + i;
        tk::TrackPoint p;
        p.timeOfDay = s / 3600 % 24 * 10000 + s / 60 % 60 * 100 + s % 60;
        p.speed = 36000 + i % 18000;
        p.recordedSpeed = p.speed;
        p.altitude = 150 + i % 1000;
        p.latitude = 22.5 + i * 1e-4;
        p.longitude = 114.0 + i * 1.3e-4;
        p.utcSeconds = 1382486400 + s;
        t.points.push_back(p);
    }
    return t;
}

const tk::Track& track() {
    static const tk::Track t = fullTrack();
    return t;
}

void BM_MapDataScript(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tk::mapDataScript(track(), {0x00336699, 2, 2}));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_TrackKml(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(tk::trackKml(track()));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

void BM_TracksGpx(benchmark::State& state) {
    const tk::Track* tracks[] = {&track()};
    for (auto _ : state)
        benchmark::DoNotOptimize(tk::tracksGpx(tracks));
    state.SetItemsProcessed(state.iterations() * kPoints);
}

} // namespace

BENCHMARK(BM_MapDataScript)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackKml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TracksGpx)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
