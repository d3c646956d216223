#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-program figures of a long GPX: `trailkeep-cli stats` on 100,000 fixes, its wall time and
# peak memory beside the file's size (the goals: within 0.5 s, within 3x the file).
set -euo pipefail
bin=${1:-build/bin}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python3 - "$work/long.gpx" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<gpx version="1.1" creator="bench" '
            'xmlns="http://www.topografix.com/GPX/1/1">\n<trk><name>Long day</name><trkseg>\n')
    for i in range(100000):
        s = 6 * 3600 + i
        f.write('<trkpt lat="%.7f" lon="%.7f"><ele>%.1f</ele>'
                '<time>2026-06-%02dT%02d:%02d:%02dZ</time></trkpt>\n'
                % (46.5 + i * 1e-5, 7.9 + i * 1.3e-5, 800 + i % 700 * 0.5, 11 + s // 86400,
                   s // 3600 % 24, s // 60 % 60, s % 60))
    f.write('</trkseg></trk></gpx>\n')
PY
size=$(stat -c %s "$work/long.gpx")
/usr/bin/time -f '%e %M' -o "$work/time" "$bin/trailkeep-cli" stats "$work/long.gpx" >/dev/null
read -r wall rss <"$work/time"
echo "stats, 100000-point GPX of $((size / 1024)) kB: wall ${wall}s, peak RSS ${rss} kB" \
     "($(awk -v r="$rss" -v s="$size" 'BEGIN{printf "%.2f", r * 1024 / s}')x the file)"
