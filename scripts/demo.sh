#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make run: with a display, the desktop program on the logger simulator (scripts/run-desktop.sh).
# Without one, the headless demo: the simulator serves a generated memory, trailkeep-cli reads it
# over the pseudo-terminal, lists the tracks and exports the first one.
set -euo pipefail
bin=${1:-build/bin}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
    exec "$(dirname "$0")/run-desktop.sh" "$@"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are empty): running the headless demo with"
echo "trailkeep-cli instead of the desktop program."
echo
out=${TRAILKEEP_DEMO_DIR:-$(pwd)/build/demo}
mkdir -p "$out"

. "$(dirname "$0")/demo-sim.sh"
trap 'kill $sim 2>/dev/null || true' EXIT
echo "Logger simulator on $port"

"$bin/trailkeep-cli" settings --port "$port"
echo
"$bin/trailkeep-cli" read --port "$port" -o "$out/demo.gpl"
echo
"$bin/trailkeep-cli" tracks "$out/demo.gpl" --rejects
"$bin/trailkeep-cli" kml "$out/demo.gpl" --track 1 -o "$out/track1.kml"
"$bin/trailkeep-cli" gpx "$out/demo.gpl" --track 1 -o "$out/track1.gpx"
"$bin/trailkeep-cli" datajs "$out/demo.gpl" --track 1 -o "$out/data.js"
echo
echo "Demo files:"
for f in demo.gpl track1.kml track1.gpx data.js; do
    printf '  %s  (%s bytes)\n' "$out/$f" "$(stat -c %s "$out/$f")"
done
