#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Whole-process figures of the export commands beside GPSBabel converting the same points from
# GPX to KML, measured side by side: every round starts each command once, in turn, and each
# figure is the median over the rounds. Also the bare start-up (--help) against `tracks --json`,
# and the peak memory of every command.
#   bench/export_bench.sh [BIN_DIR] [ROUNDS]
set -euo pipefail
bin=${1:-build/bin}
rounds=${2:-21}
cli="$bin/trailkeep-cli"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cli" demo --full -o "$work/full.gpl" >/dev/null
"$cli" gpx "$work/full.gpl" -o "$work/full.gpx"
"$cli" gpx "$work/full.gpl" --track 1 -o "$work/track1.gpx"

# Processes start from Python (vfork and exec) and are timed from start to reaping: a fork of
# the shell would cost more than our commands do. Peak memory comes from GNU time.
python3 - "$cli" "$work" "$rounds" "$(command -v gpsbabel || true)" <<'PY'
import os, statistics, subprocess, sys, time

cli, work, rounds, babel = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
full, gpl = f"{work}/full.gpx", f"{work}/full.gpl"
points = lambda gpx: open(gpx).read().count("<trkpt")
runs = [
    ("/bin/true (spawning alone)", ["/bin/true"]),
    ("trailkeep-cli --help", [cli, "--help"]),
    ("trailkeep-cli tracks FULL --json", [cli, "tracks", gpl, "--json"]),
    ("trailkeep-cli kml FULL --track 1", [cli, "kml", gpl, "--track", "1", "-o", f"{work}/o.kml"]),
    ("trailkeep-cli datajs FULL --track 1", [cli, "datajs", gpl, "--track", "1", "-o", f"{work}/o.js"]),
    ("trailkeep-cli gpx FULL --track 1", [cli, "gpx", gpl, "--track", "1", "-o", f"{work}/o.gpx"]),
    ("trailkeep-cli gpx FULL (every track)", [cli, "gpx", gpl, "-o", f"{work}/all.gpx"]),
]
if babel:
    for label, gpx in (("FULL", full), ("track 1", f"{work}/track1.gpx")):
        runs.append((f"gpsbabel gpx->kml, {label} ({points(gpx)} points)",
                     [babel, "-i", "gpx", "-f", gpx, "-o", "kml", "-F", f"{work}/babel.kml"]))

null = subprocess.DEVNULL
def run(argv):
    start = time.perf_counter()
    subprocess.run(argv, stdout=null, stderr=null, check=True)
    return (time.perf_counter() - start) * 1000

def peak_mb(argv):
    report = f"{work}/rss"
    subprocess.run(["/usr/bin/time", "-f", "%M", "-o", report] + argv, stdout=null, stderr=null,
                   check=True)
    return int(open(report).read().split()[-1]) / 1024

for _, argv in runs:
    run(argv)
times = {label: [] for label, _ in runs}
for _ in range(rounds):
    for label, argv in runs:
        times[label].append(run(argv))
peaks = {label: max(peak_mb(argv) for _ in range(3)) for label, argv in runs}
median = {label: statistics.median(t) for label, t in times.items()}

print(f"{'command (median of %d rounds)' % rounds:<46} {'wall ms':>9} {'peak RSS MB':>12}")
for label, _ in runs:
    print(f"{label:<46} {median[label]:9.2f} {peaks[label]:12.1f}")
print()
json, bare = median["trailkeep-cli tracks FULL --json"], median["trailkeep-cli --help"]
print(f"tracks --json / --help: {json / bare:.2f} (must stay under 3)")
babels = [label for label, _ in runs if label.startswith("gpsbabel")]
if babels:
    print("GPSBabel (20x wanted): " + "; ".join(f"{label.split(', ')[1]} {median[label]:.1f} ms"
                                               for label in babels))
for command in ("kml FULL --track 1", "datajs FULL --track 1", "gpx FULL --track 1",
                "gpx FULL (every track)"):
    ours = median[f"trailkeep-cli {command}"]
    print(f"  {command:<24} {ours:7.2f} ms: " + ", ".join(
        f"{median[label] / ours:.1f}x faster than on {label.split(', ')[1].split(' (')[0]}"
        for label in babels if "track 1" in command or "FULL" in label))
PY
