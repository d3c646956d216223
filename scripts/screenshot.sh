#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A screenshot of the main window with a demo track on the map, taken under Xvfb:
#   scripts/screenshot.sh [OUT.png] [--chinese]      (default docs/screenshot.png)
# The program runs from a copy of its folder (so the language setting and data.js of build/bin
# stay as they are) with its settings and caches in a temporary home, against the logger
# simulator, with a demo project opened at start; the first track row is clicked with the mouse
# and the picture is taken once the track's line is on the map and the profile has drawn.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=docs/screenshot.png
language=0
for arg in "$@"; do
    case $arg in
    --chinese) language=1 ;;
    *) out=$arg ;;
    esac
done
bin=$(cd "${TRAILKEEP_BIN:-$root/build/bin}" && pwd)
case $out in /*) ;; *) out=$(pwd)/$out ;; esac

if [ -z "${TK_SCREENSHOT_DISPLAY:-}" ]; then
    export TK_SCREENSHOT_DISPLAY=1 TRAILKEEP_BIN=$bin
    args=("$out")
    [ "$language" = 1 ] && args+=(--chinese)
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "${args[@]}"
fi

work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# The program's folder is relocatable: the executable with its pages, libraries and language file.
. "$root/scripts/private-program.sh"
private_program "$bin" "$work" "$language"
prog=$work/program
cp "$bin/trailkeep" "$prog/"

export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:-"--disable-gpu"}
[ "$(id -u)" -eq 0 ] && case $QTWEBENGINE_CHROMIUM_FLAGS in *--no-sandbox*) ;;
*) QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox $QTWEBENGINE_CHROMIUM_FLAGS" ;; esac
export TRAILKEEP_UPDATE_HOST=127.0.0.1:9 # no update question over the picture

"$bin/trailkeep-cli" demo -o "$work/demo.gpl" >/dev/null
"$bin/trailkeep-sim" --demo >"$work/port" &
pids+=($!)
for _ in $(seq 50); do grep -q '^PORT ' "$work/port" && break; sleep 0.1; done
port=$(awk '/^PORT /{print $2}' "$work/port")

"$prog/trailkeep" --port "$port" "$work/demo.gpl" >"$work/program.log" 2>&1 &
pids+=($!)
window=$(timeout 30 xdotool search --sync --onlyvisible --name 'V1\.' | head -1)
eval "$(xdotool getwindowgeometry --shell "$window")" # X Y WIDTH HEIGHT
sleep 3                                               # the start page

# Pixels of the map pane (left of the splitter) close to the colour.
map_pixels() {
    import -window root "$work/shot.png"
    convert "$work/shot.png" -crop "640x$((HEIGHT - 120))+$X+$((Y + 70))" +repage -alpha off \
        -fuzz 12% -fill black -opaque "$1" -fill white +opaque black -negate \
        -format '%[fx:round(mean*w*h)]' info:
}

# The first row of the track list: clicked from the header downwards until data.js is written.
for dy in $(seq 62 6 140); do
    xdotool mousemove --window "$window" 760 "$dy" click 1
    sleep 0.7
    [ -s "$prog/data.js" ] && break
done
[ -s "$prog/data.js" ] || { echo "screenshot: no track row answered the click" >&2; exit 1; }
colour=$(sed -n 's/.*color:"\(#[0-9a-fA-F]\{6\}\)".*/\1/p' "$prog/data.js" | head -1)
xdotool mousemove --window "$window" 330 300 # the pointer over the map: coordinates in the status bar
for _ in $(seq 60); do
    [ "$(map_pixels "$colour")" -gt 300 ] && break
    sleep 0.5
done
sleep 1.5 # the profile under the map and a few steps of the playback

mkdir -p "$(dirname "$out")"
import -window root "$work/shot.png"
convert "$work/shot.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -strip "$out"
echo "Screenshot: $out (${WIDTH}x${HEIGHT}, track colour $colour)"
