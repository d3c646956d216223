#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of a folder for the given number of seconds, each from its own corpus.
set -euo pipefail
bin=${1:-build-fuzz/bin}
seconds=${2:-60}
for target in "$bin"/fuzz_*; do
    name=$(basename "$target")
    corpus="fuzz-corpus/$name"
    mkdir -p "$corpus"
    echo "== $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -max_len=600000 -rss_limit_mb=4096 "$corpus" 2>&1 | tail -n 3
done
