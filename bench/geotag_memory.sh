#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Geotagging's peak memory as the photos grow: trailkeep-cli geotag over folders of 1,000 to
# 40,000 small photos (copies of one camera-like JPEG: a 480x360 picture, a 160x120 thumbnail and
# Exif tags, about 30 kB), each a fresh folder, peak RSS from /usr/bin/time; then undo of the
# same folder. The goal: at most 100 MB for 40,000 photos, and no growth of about 60 KB a photo
# as before.
#   bench/geotag_memory.sh [BIN] [COUNTS...]
set -euo pipefail
bin=${1:-build/bin}
shift || true
counts=("$@")
[ ${#counts[@]} -eq 0 ] && counts=(1000 4000 40000)
for tool in exiftool convert; do
    command -v "$tool" >/dev/null || { echo "geotag_memory: $tool is missing"; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/trailkeep-cli" demo -o "$work/demo.gpl" >/dev/null
# Track 2 of the demo runs from 09:10:14 to 10:18:49 UTC on 2026-06-11.
convert -size 480x360 plasma:fractal -quality 80 "$work/base.jpg"
convert "$work/base.jpg" -resize 160x120 "$work/thumb.jpg"
exiftool -q -overwrite_original -Make=Bench -Model=Camera '-DateTimeOriginal=2026:06:11 09:11:00' \
    -ExposureTime=1/125 -FNumber=5.6 -ISO=200 -FocalLength=35 "-ThumbnailImage<=$work/thumb.jpg" \
    "$work/base.jpg"
echo "photo: $(stat -c %s "$work/base.jpg") bytes, $(exiftool -q -b -ThumbnailImage "$work/base.jpg" | wc -c) of them its thumbnail"

# count copies of the photo in $work/photos, a thousand names to a tee.
make_photos() {
    rm -rf "$work/photos"
    mkdir "$work/photos"
    seq -f "$work/photos/IMG_%05g.jpg" 1 "$1" | xargs -n 1000 sh -c 'tee "$@" <"$0" >/dev/null' "$work/base.jpg"
}

for count in "${counts[@]}"; do
    make_photos "$count"
    sync
    /usr/bin/time -f '%M %e' -o "$work/time" \
        "$bin/trailkeep-cli" geotag "$work/demo.gpl" "$work/photos" --zone +00:00 >"$work/out" || true
    read -r rss wall <"$work/time"
    tagged=$(grep -c ' tagged ' "$work/out" || true)
    undo=$(grep -c '^E' "$work/photos/.trailkeep-geotag" || true)
    printf '%6d photos: peak RSS %4d MB (%d kB), %5.1f s, %d tagged, %d journal entries (%d MB)\n' \
        "$count" $((rss / 1024)) "$rss" "$wall" "$tagged" "$undo" \
        $(($(stat -c %s "$work/photos/.trailkeep-geotag") / 1048576))
    /usr/bin/time -f '%M %e' -o "$work/time" \
        "$bin/trailkeep-cli" geotag --undo "$work/photos" >"$work/out" || true
    read -r rss wall <"$work/time"
    printf '%6s   undo: peak RSS %4d MB (%d kB), %5.1f s, %d restored\n' \
        "" $((rss / 1024)) "$rss" "$wall" "$(grep -c ' restored  ' "$work/out" || true)"
done
rm -rf "$work/photos"
