#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop demo: the logger simulator serves a demo memory on a pseudo-terminal and the
# program starts pointed at it; press Read and click a trip. The program runs in the foreground,
# so closing its window (or Ctrl-C) ends this script, and the simulator is stopped with it.
#   scripts/run-desktop.sh [BIN] [PROGRAM ARGUMENTS...]
set -euo pipefail
bin=${1:-build/bin}
shift || true

. "$(dirname "$0")/demo-sim.sh"
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT
[ -n "$port" ] || { echo "The logger simulator did not start" >&2; exit 1; }

# The embedded browser's sandbox cannot run as root, and without a usable GPU (a virtual X
# server, no render node) it is told to draw in software. A value the user set is left alone.
if [ -z "${QTWEBENGINE_CHROMIUM_FLAGS:-}" ]; then
    flags=()
    [ "$(id -u)" -eq 0 ] && flags+=(--no-sandbox)
    display=${DISPLAY:-}
    display=${display#*:}
    display=${display%%.*}
    no_gpu=1
    for node in /dev/dri/renderD*; do [ -r "$node" ] && [ -w "$node" ] && no_gpu=0; done
    # Xvfb offers no GPU even on a machine that has one.
    if [ -n "${DISPLAY:-}" ] && ps -eo args= | grep -Eq "^(\S*/)?Xvfb( .*)? :$display( |\$)"; then
        no_gpu=1
    fi
    [ "$no_gpu" = 1 ] && flags+=(--disable-gpu)
    if [ ${#flags[@]} -gt 0 ]; then
        export QTWEBENGINE_CHROMIUM_FLAGS="${flags[*]}"
    fi
fi

echo "Logger simulator with the demo trips on $port."
echo "Starting Trailkeep on it: press Read, then click a trip. Close the window to stop."
"$bin/trailkeep" --port "$port" "$@"
