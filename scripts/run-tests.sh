#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every registered test of a build folder and ends with one summary line.
set -uo pipefail
build=${1:-build}
log=$(mktemp)
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -n 1)
total=$(sed -nE 's/.* out of ([0-9]+).*/\1/p' <<<"$summary")
failed=$(sed -nE 's/.*, ([0-9]+) tests? failed.*/\1/p' <<<"$summary")
rm -f "$log"
if [ -z "$total" ]; then
    echo "0 passed, 1 failed"
    exit 1
fi
echo "$((total - failed)) passed, ${failed} failed"
exit "$status"
