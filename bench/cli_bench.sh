#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-program figures: peak memory of `tracks --json` on a full memory, and the full-memory
# download over a pseudo-terminal, unpaced and (with --paced) at the real 57,600 baud.
set -euo pipefail
bin=${1:-build/bin}
paced=${2:-}
work=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

"$bin/trailkeep-cli" demo --full -o "$work/full.gpl" >/dev/null

/usr/bin/time -f '%M' -o "$work/rss" "$bin/trailkeep-cli" tracks "$work/full.gpl" --json >/dev/null
echo "tracks --json, full memory: peak RSS $(( $(cat "$work/rss") / 1024 )) MB ($(cat "$work/rss") kB)"

start_sim() {
    "$bin/trailkeep-sim" --memory "$work/full.gpl" "$@" >"$work/port" &
    for _ in $(seq 50); do grep -q '^PORT ' "$work/port" && break; sleep 0.1; done
    awk '/^PORT /{print $2}' "$work/port"
}

download() {
    local label=$1
    shift
    local port
    port=$(start_sim "$@")
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$bin/trailkeep-cli" read --port "$port" -o "$work/read.gpl" >/dev/null
    read -r wall user sys <"$work/time"
    cmp -s "$work/read.gpl" "$work/full.gpl" && same=identical || same=DIFFERENT
    echo "$label: wall ${wall}s, CLI CPU $(awk -v u="$user" -v s="$sys" "BEGIN{print u+s}")s (user $user, sys $sys), file $same"
    kill %% 2>/dev/null || true
    wait 2>/dev/null || true
}

download "download 2048 pages unpaced"
if [ "$paced" = "--paced" ]; then
    download "download 2048 pages paced at 57600 baud (line time 97.78 s)" --pace
fi
