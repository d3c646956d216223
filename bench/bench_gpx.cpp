// SPDX-License-Identifier: GPL-3.0-or-later
// Time to read a GPX of 100,000 fixes (a long day's recording at one fix a second), whole and
// in the 64 KB pieces a file is read in.
#include "formats/GpxReader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kPoints = 100000;

std::string longGpx() {
    std::string gpx = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" "
                      "creator=\"bench\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
                      "<trk><name>Long day</name><trkseg>\n";
    char line[256];
    for (int i = 0; i < kPoints; ++i) {
        const int s = 6 * 3600 + i;
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.1f</ele>"
                      "<time>2026-06-%02dT%02d:%02d:%02d.250Z</time></trkpt>\n",
                      46.5 + i * 1e-5, 7.9 + i * 1.3e-5, 800.0 + i % 700 * 0.5, 11 + s / 86400,
                      s / 3600 % 24, s / 60 % 60, s % 60);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

const std::string& document() {
    static const std::string gpx = longGpx();
    return gpx;
}

void BM_ReadGpxWhole(benchmark::State& state) {
    for (auto _ : state) {
        std::string error;
        benchmark::DoNotOptimize(tk::formats::readGpx(document(), error));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(document().size()));
    state.counters["points"] = kPoints;
}
BENCHMARK(BM_ReadGpxWhole)->Unit(benchmark::kMillisecond);

void BM_ReadGpxInPieces(benchmark::State& state) {
    constexpr std::size_t kPiece = 1 << 16;
    const std::string_view gpx = document();
    for (auto _ : state) {
        tk::formats::GpxReader reader;
        for (std::size_t at = 0; at < gpx.size(); at += kPiece)
            reader.feed(gpx.substr(at, kPiece));
        reader.finish();
        benchmark::DoNotOptimize(reader.take());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gpx.size()));
}
BENCHMARK(BM_ReadGpxInPieces)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
