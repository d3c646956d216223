# SPDX-License-Identifier: GPL-3.0-or-later
# Google Benchmark programs, one executable each; the window's timings, the geotag table and the
# floor of a safe file replace have programs of their own.
tk_sources(TK_BENCH_SOURCES
    bench_decode.cpp
    bench_figures.cpp
    bench_gpx.cpp
    bench_mbtiles.cpp
    bench_suggest.cpp
    bench_writers.cpp
)
tk_sources(TK_GUI_BENCH_SOURCES
    gui_bench.cpp
    gui_bench_clicks.cpp
    gui_bench_memory.cpp
    gui_bench_read.cpp
    gui_bench_start.cpp
    gui_bench_support.cpp
)
tk_sources(TK_GEOTAG_TABLE_BENCH_SOURCES
    geotag_table_bench.cpp
)
tk_sources(TK_REPLACE_FLOOR_SOURCES
    replace_floor.cpp
)
