#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package unpacked with dpkg-deb -x into a temporary folder runs from there, as a user would
# run it, under Xvfb and without any tile server: the command-line tool finds its helper and its
# language file in ../share/trailkeep, the window shows an offline map (solid-colour tiles, looked
# for on the screen), a broken map file gets a message and the program goes on, and nothing is
# written into the unpacked folder.
#   run-unpacked.sh DIR MAKE_MBTILES
set -euo pipefail
dir=$1 make_mbtiles=$2
if [ -z "${TK_IN_XVFB:-}" ]; then
    export TK_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1024x700x24" "$0" "$@"
fi
debs=("$dir"/trailkeep_*_*.deb)
deb=${debs[0]}

work=$(mktemp -d)
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

root=$work/root
dpkg-deb -x "$deb" "$root"
bin=$root/usr/bin
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_CACHE_HOME=$work/home/.cache
export XDG_DATA_HOME=$work/home/.local/share XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$XDG_CONFIG_HOME/Trailkeep" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu"
[ "$(id -u)" -eq 0 ] && QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox $QTWEBENGINE_CHROMIUM_FLAGS"
unset QT_QPA_PLATFORM

# The command-line tool: its own work, its device helper beside it, the package's language file.
"$bin/trailkeep-cli" demo -o "$work/demo.gpl" >/dev/null || fail "trailkeep-cli demo"
listed=$("$bin/trailkeep-cli" tracks "$work/demo.gpl") && [ -n "$listed" ] || fail "trailkeep-cli tracks"
sed -i 's/^Language=0/Language=1/' "$root/usr/share/trailkeep/language.ini"
said=$("$bin/trailkeep-cli" settings --port /dev/null-no-logger 2>&1 || true)
grep -q "未找到记录仪串口" <<<"$said" || fail "trailkeep-cli-device did not answer in the package's language: $said"
sed -i 's/^Language=1/Language=0/' "$root/usr/share/trailkeep/language.ini"
mkdir -p "$work/photos"
tagged=$("$bin/trailkeep-cli" geotag "$work/demo.gpl" "$work/photos" --dry-run 2>&1) || true
grep -q "^0 photos" <<<"$tagged" || fail "trailkeep-cli geotag did not run its photo helper: $tagged"
"$bin/trailkeep-sim" --demo >"$work/sim.out" &
pid=$!
for _ in $(seq 100); do grep -q '^PORT ' "$work/sim.out" && break; sleep 0.1; done
grep -q '^PORT /dev/pts/' "$work/sim.out" || fail "trailkeep-sim did not start"
kill "$pid" && wait "$pid" 2>/dev/null || true
pid=""
touch "$work/before-window"
sleep 1 # file times: anything written from now on is newer than the mark

settings() {
    printf '[Map]\nTileUrl=http://127.0.0.1:9/{z}/{x}/{y}.png\nOfflineMap=%s\n' "$1" \
        >"$XDG_CONFIG_HOME/Trailkeep/trailkeep.ini"
}

# The share of the screen in the colour (0 to 1).
screen_share() {
    import -window root "$work/shot.png" 2>/dev/null || { echo 0; return; }
    convert "$work/shot.png" -fuzz 4% -fill black +opaque "#$1" -fill white -opaque "#$1" \
        -colorspace gray -format '%[fx:mean]' info:
}

# On a busy machine the X server may still be coming up when xvfb-run hands over: wait for it.
for _ in $(seq 60); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    sleep 0.5
done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "the X server on $DISPLAY did not come up"

# The desktop program with an offline map of solid teal tiles, a project given on its command line.
"$make_mbtiles" "$work/teal.mbtiles" 2a9d8f 0 3
settings "$work/teal.mbtiles"
"$bin/trailkeep" "$work/demo.gpl" >"$work/gui.log" 2>&1 &
pid=$!
share=0
for _ in $(seq 90); do
    kill -0 "$pid" 2>/dev/null || { cat "$work/gui.log"; fail "the program ended"; }
    share=$(screen_share 2a9d8f)
    awk "BEGIN { exit !($share > 0.2) }" && break
    sleep 1
done
awk "BEGIN { exit !($share > 0.2) }" || { cp "$work/shot.png" /tmp/trailkeep-unpacked.png; fail "no offline map on screen (share $share, see /tmp/trailkeep-unpacked.png)"; }
echo "offline map on $(awk "BEGIN { printf \"%d\", $share * 100 }")% of the screen"
# The browser draws without the GPU here, so the program loads no OpenGL driver at all, and says
# nothing about the OpenGL it did not open.
gl=$(grep -E -o '[^/]*(swrast_dri|libLLVM|libGLX_mesa)[^ ]*' "/proc/$pid/maps" | sort -u | head -n 3 || true)
[ -z "$gl" ] || fail "the program loaded an OpenGL driver without the GPU: $gl"
! grep -E "OpenGL context|graphics backend" "$work/gui.log" || fail "warnings about OpenGL in the program's output"
[ -f "$XDG_DATA_HOME/Trailkeep/Custom.html" ] && [ -f "$XDG_DATA_HOME/Trailkeep/lib/leaflet/leaflet.js" ] ||
    fail "the pages were not copied to the per-user folder"
kill "$pid" && wait "$pid" 2>/dev/null || true
pid=""
# The user's language setting lives in the per-user copy; the command-line tool follows it.
sed -i 's/^Language=0/Language=1/' "$XDG_DATA_HOME/Trailkeep/language.ini"
said=$("$bin/trailkeep-cli" settings --port /dev/null-no-logger 2>&1 || true)
grep -q "未找到记录仪串口" <<<"$said" || fail "trailkeep-cli did not follow the user's language: $said"
sed -i 's/^Language=1/Language=0/' "$XDG_DATA_HOME/Trailkeep/language.ini"

# A map file that is not one: a message, and the program goes on.
echo "not a map" >"$work/broken.mbtiles"
settings "$work/broken.mbtiles"
"$bin/trailkeep" >"$work/gui.log" 2>&1 &
pid=$!
box=""
for _ in $(seq 60); do
    kill -0 "$pid" 2>/dev/null || { cat "$work/gui.log"; fail "the program ended over a broken map"; }
    box=$(xdotool search --onlyvisible --name '^Trailkeep$' 2>/dev/null | head -n 1 || true)
    [ -n "$box" ] && break
    sleep 1
done
[ -n "$box" ] || fail "no message about the broken map"
xdotool windowfocus "$box" 2>/dev/null || true
xdotool key Return
for _ in $(seq 20); do
    xdotool search --onlyvisible --name '^Trailkeep$' >/dev/null 2>&1 || break
    sleep 0.5
done
xdotool search --onlyvisible --name '^Trailkeep$' >/dev/null 2>&1 && fail "the message did not close"
kill -0 "$pid" 2>/dev/null || fail "the program ended after the message"
xdotool search --onlyvisible --name '^Trailkeep  V' >/dev/null || fail "no main window after the message"
kill "$pid" && wait "$pid" 2>/dev/null || true
pid=""

written=$(find "$root" -newer "$work/before-window" | head -n 5)
[ -z "$written" ] || fail "the program wrote into its unpacked folder: $written"
echo "the unpacked package runs from $root"
