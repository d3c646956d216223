#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Geotagging speed: trailkeep-cli geotag beside gpscorrelate and one exiftool -geotag process,
# on the same photos (COUNT copies of a ~4 MB JPEG, one every 30 s of a demo track) and the same
# track (the demo project, and its GPX export for the other two), each on a fresh copy. The floor
# is replacing each photo safely without changing it (replace_floor: read, write, sync and rename
# each file whole, on as many threads as geotagging). Then the window: the geotag dialog's table
# over 1,000 photos, from the folder chosen to every row filled.
#   bench/geotag_bench.sh [BIN] [COUNT] [ROUNDS]
set -euo pipefail
bin=${1:-build/bin}
count=${2:-120}
rounds=${3:-3}
[ -x "$bin/replace_floor" ] || { echo "geotag_bench: $bin/replace_floor is missing (build it)"; exit 1; }
for tool in exiftool gpscorrelate convert bc; do
    command -v "$tool" >/dev/null || { echo "geotag_bench: $tool is missing"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/trailkeep-cli" demo -o "$work/demo.gpl" >/dev/null
"$bin/trailkeep-cli" gpx "$work/demo.gpl" -o "$work/demo.gpx"
# Track 2 of the demo runs from 09:10:14 to 10:18:49 UTC on 2026-06-11.
# Like a camera's: a 160x120 thumbnail in its Exif data.
convert -size 3000x2000 xc:gray +noise Random -quality 92 "$work/base.jpg"
convert "$work/base.jpg" -resize 160x120 "$work/thumb.jpg"
exiftool -q -overwrite_original -Make=Bench -Model=Camera '-DateTimeOriginal=2026:06:11 09:11:00' \
    "-ThumbnailImage<=$work/thumb.jpg" "$work/base.jpg"
mkdir "$work/photos"
for i in $(seq -w 1 "$count"); do cp "$work/base.jpg" "$work/photos/IMG_$i.jpg"; done
exiftool -q -overwrite_original '-DateTimeOriginal+<0:0:${filename;s/\D//g;$_*=30}' "$work/photos"
size=$(du -sm "$work/photos" | cut -f1)
echo "$count photos of $(($(stat -c %s "$work/base.jpg") / 1024)) kB ($size MB), track of $(grep -c '<trkpt' "$work/demo.gpx") fixes"

# Seconds of one run of the command on a fresh copy of the photos in $work/run.
timed() {
    rm -rf "$work/run"
    cp -r "$work/photos" "$work/run"
    sync
    local start end
    start=$(date +%s.%N)
    eval "$1" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}


best() { tr ' ' '\n' | grep . | sort -g | head -n 1; }

declare -A times
names=(floor in-kernel trailkeep gpscorrelate exiftool)
commands=(
    "'$bin/replace_floor' '$work/run'"
    "'$bin/replace_floor' '$work/run' --in-kernel"
    "'$bin/trailkeep-cli' geotag '$work/demo.gpl' '$work/run' --zone +00:00"
    "gpscorrelate -g '$work/demo.gpx' -z 0 '$work/run'/*.jpg"
    "exiftool -q -overwrite_original -geotag '$work/demo.gpx' '-geotime<\${DateTimeOriginal}+00:00' '$work/run'"
)
for r in $(seq "$rounds"); do
    for k in "${!names[@]}"; do
        t=$(timed "${commands[$k]}")
        times[${names[$k]}]="${times[${names[$k]}]:-} $t"
        if [ "$k" -gt 1 ]; then
            tagged=$(exiftool -q -n -p '$GPSLatitude' "$work/run" 2>/dev/null | grep -c . || true)
            lat=$(exiftool -q -n -p '$GPSLatitude' "$work/run/IMG_$(printf '%0*d' ${#count} 2).jpg" 2>/dev/null || true)
            [ "$r" -eq 1 ] && echo "  ${names[$k]}: $tagged of $count photos tagged; IMG 2 at latitude $lat"
        fi
    done
done
for n in "${names[@]}"; do
    printf '%-13s best %6.3f s   runs:%s\n' "$n" "$(echo "${times[$n]}" | best)" "${times[$n]}"
done
ours=$(echo "${times[trailkeep]}" | best)
printf 'trailkeep is %.2f x faster than gpscorrelate (goal 1.5) and %.2f x faster than exiftool (goal 3)\n' \
    "$(echo "$(echo "${times[gpscorrelate]}" | best) / $ours" | bc -l)" \
    "$(echo "$(echo "${times[exiftool]}" | best) / $ours" | bc -l)"
printf 'trailkeep takes %.2f x the floor of a safe replace (goal at most 1.3), %.2f x that floor with the bytes copied in the kernel\n' \
    "$(echo "$ours / $(echo "${times[floor]}" | best)" | bc -l)" \
    "$(echo "$ours / $(echo "${times[in-kernel]}" | best)" | bc -l)"

# The window: the geotag dialog's table over 1,000 photos (hard links to the photos above).
if [ -x "$bin/geotag_table_bench" ]; then
    mkdir "$work/table"
    for i in $(seq -w 1 1000); do
        ln "$work/photos/IMG_$(printf '%0*d' ${#count} $(( (10#$i - 1) % count + 1 ))).jpg" "$work/table/P$i.jpg"
    done
    "$bin/geotag_table_bench" "$bin" "$work/demo.gpl" "$work/table" 2>/dev/null
fi
