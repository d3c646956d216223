#!/usr/bin/env bash
# Whole-process figures of the export commands beside GPSBabel converting the same points from
# GPX to KML, measured side by side: every round runs each command once, in turn, and each
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
points() { grep -c '<trkpt' "$1"; }

labels=() commands=()
add() {
    labels+=("$1")
    commands+=("$2")
}
add "trailkeep-cli --help" "$cli --help"
add "trailkeep-cli tracks FULL --json" "$cli tracks $work/full.gpl --json"
add "trailkeep-cli kml FULL --track 1" "$cli kml $work/full.gpl --track 1 -o $work/out.kml"
add "trailkeep-cli datajs FULL --track 1" "$cli datajs $work/full.gpl --track 1 -o $work/out.js"
add "trailkeep-cli gpx FULL --track 1" "$cli gpx $work/full.gpl --track 1 -o $work/out.gpx"
add "trailkeep-cli gpx FULL (every track)" "$cli gpx $work/full.gpl -o $work/all.gpx"
babel=$(command -v gpsbabel || true)
if [ -n "$babel" ]; then
    add "gpsbabel gpx->kml, FULL ($(points "$work/full.gpx") points)" \
        "$babel -i gpx -f $work/full.gpx -o kml -F $work/babel-full.kml"
    add "gpsbabel gpx->kml, track 1 ($(points "$work/track1.gpx") points)" \
        "$babel -i gpx -f $work/track1.gpx -o kml -F $work/babel-1.kml"
fi
count=${#commands[@]}

# Wall time in microseconds of one whole process, started straight from this shell.
run_once() {
    local start=$EPOCHREALTIME
    $1 >/dev/null 2>&1
    local end=$EPOCHREALTIME
    echo $(( ${end/./} - ${start/./} ))
}

for i in $(seq 0 $((count - 1))); do ${commands[$i]} >/dev/null 2>&1 || true; done
for _ in $(seq "$rounds"); do
    for i in $(seq 0 $((count - 1))); do
        run_once "${commands[$i]}" >>"$work/t$i"
    done
done
median_ms() { sort -n "$1" | awk '{v[NR]=$1} END {m = NR % 2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2; printf "%.2f", m/1000}'; }
peak_mb() {
    local peak=0 kb
    for _ in 1 2 3; do
        /usr/bin/time -f '%M' -o "$work/rss" $1 >/dev/null 2>&1
        kb=$(tail -1 "$work/rss")
        (( kb > peak )) && peak=$kb
    done
    awk -v k="$peak" 'BEGIN{printf "%.1f", k/1024}'
}

declare -a ms
printf '%-46s %10s %12s\n' "command (median of $rounds rounds)" "wall ms" "peak RSS MB"
for i in $(seq 0 $((count - 1))); do
    ms[$i]=$(median_ms "$work/t$i")
    printf '%-46s %10s %12s\n' "${labels[$i]}" "${ms[$i]}" "$(peak_mb "${commands[$i]}")"
done
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.1f", a/b}'; }
echo
echo "tracks --json / --help: $(ratio "${ms[1]}" "${ms[0]}") (must stay under 3)"
if [ -n "$babel" ]; then
    for i in 2 3 4; do
        echo "${labels[$i]#trailkeep-cli }: GPSBabel FULL ${ms[6]} ms vs ours ${ms[$i]} ms =" \
            "$(ratio "${ms[6]}" "${ms[$i]}")x; GPSBabel track 1 ${ms[7]} ms =" \
            "$(ratio "${ms[7]}" "${ms[$i]}")x (20x wanted)"
    done
fi
