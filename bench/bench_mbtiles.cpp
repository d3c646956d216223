// SPDX-License-Identifier: GPL-3.0-or-later
// Opening an offline map and reading its tiles as the map pages ask for them: a file of every
// tile of zoom 0 to 9 (349,525 small tiles), as an area map of a few hundred megabytes has rows.

#include "map/MbTiles.h"

#include "../tests/support/MbTilesMaker.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>

namespace {

constexpr int kDeepest = 9;

const std::string& mapFile() {
    static const std::string path = [] {
        const auto file = std::filesystem::temp_directory_path() / "tk-bench-map.mbtiles";
        tk::test::MbTilesMaker maker(file.string());
        maker.meta("format", "png");
        maker.solidLevels(0, kDeepest, 0x336699, 8);
        return file.string();
    }();
    return path;
}

void BM_OpenOfflineMap(benchmark::State& state) {
    const std::string& path = mapFile();
    for (auto _ : state) {
        auto opened = tk::MbTiles::open(path);
        benchmark::DoNotOptimize(opened.map);
    }
}
BENCHMARK(BM_OpenOfflineMap)->Unit(benchmark::kMillisecond);

// One screenful of tiles is 20 to 40 of them.
void BM_ReadTile(benchmark::State& state) {
    auto opened = tk::MbTiles::open(mapFile());
    std::mt19937 random(1);
    std::uniform_int_distribution<std::int64_t> position(0, (1 << kDeepest) - 1);
    for (auto _ : state) {
        auto tile = opened.map->tile(kDeepest, position(random), position(random));
        benchmark::DoNotOptimize(tile);
    }
}
BENCHMARK(BM_ReadTile)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
