#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark program of a build's bin folder.
set -euo pipefail
bin=${1:-build/bin}
for b in "$bin"/bench_*; do
    echo "== $(basename "$b")"
    "$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
done
echo "== export_bench.sh"
"$(dirname "$0")/../bench/export_bench.sh" "$bin"
echo "== cli_bench.sh"
"$(dirname "$0")/../bench/cli_bench.sh" "$bin" ${BENCH_PACED:+--paced}
echo "== gpx_stats_bench.sh"
"$(dirname "$0")/../bench/gpx_stats_bench.sh" "$bin"
echo "== geotag_bench.sh"
"$(dirname "$0")/../bench/geotag_bench.sh" "$bin"
echo "== gui_bench.sh"
"$(dirname "$0")/../bench/gui_bench.sh" "$bin"
