#!/usr/bin/env bash
# The headless demo: a generated logger memory is listed and its first track exported.
set -euo pipefail
bin=${1:-build/bin}
out=${TRAILKEEP_DEMO_DIR:-$(pwd)/build/demo}
mkdir -p "$out"
"$bin/trailkeep-cli" demo -o "$out/demo.gpl"
"$bin/trailkeep-cli" tracks "$out/demo.gpl" --rejects
"$bin/trailkeep-cli" kml "$out/demo.gpl" --track 1 -o "$out/track1.kml"
"$bin/trailkeep-cli" gpx "$out/demo.gpl" --track 1 -o "$out/track1.gpx"
"$bin/trailkeep-cli" datajs "$out/demo.gpl" --track 1 -o "$out/data.js"
echo
echo "Demo files:"
ls -l "$out" | tail -n +2 | awk -v d="$out" '{print "  " d "/" $NF "  (" $5 " bytes)"}'
