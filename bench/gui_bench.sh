#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop program's figures under Xvfb, as a table:
#   start to start page loaded against a bare browser view loading a blank page (whole processes,
#   alternating runs, medians); Read of the whole 2,048-page memory from the simulator (unpaced)
#   through the progress dialog; memory of all the program's processes with that memory loaded and
#   a track shown; Show all of that memory to every track's line drawn; click on a 22,528-point
#   track to its line and its profile drawn.
#   bench/gui_bench.sh [BIN] [RUNS]
set -euo pipefail
bin=$(cd "${1:-build/bin}" && pwd)
runs=${2:-7}

if [ -z "${TK_GUI_BENCH_DISPLAY:-}" ]; then
    export TK_GUI_BENCH_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$bin" "$runs"
fi

work=$(mktemp -d)
sim=""
trap '[ -n "$sim" ] && kill "$sim" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

# A copy of the program's folder and a home of its own, so the run neither writes data.js into
# the build nor fills the user's browser cache.
. "$(dirname "$0")/../scripts/private-program.sh"
private_program "$bin" "$work" 0
prog=$work/program
export QTWEBENGINE_CHROMIUM_FLAGS=${QTWEBENGINE_CHROMIUM_FLAGS:-"--no-sandbox --disable-gpu"}
export QT_LOGGING_RULES="qt.webenginecontext.debug=false"

"$bin/trailkeep-sim" --demo-full >"$work/port" &
sim=$!
for _ in $(seq 50); do grep -q '^PORT ' "$work/port" && break; sleep 0.1; done
port=$(awk '/^PORT /{print $2}' "$work/port")

echo "Desktop program under Xvfb ($(nproc) cores, load $(cut -d' ' -f1 /proc/loadavg))"
echo
echo "| Figure | Value | Goal |"
echo "|---|---|---|"
# The browser's start-up notes are left out of what a failure shows.
failed() {
    grep -v -e '^ ' -e '^$' -e 'GL' -e '^Surface' -e '^QSG' -e '^Using' -e '^Init' \
        -e 'webenginecontext' "$1" >&2
    exit 1
}
"$bin/gui_bench" start "$prog" "$runs" 2>"$work/start.log" || failed "$work/start.log"
"$bin/gui_bench" session "$prog" "$port" 5 2>"$work/session.log" || failed "$work/session.log"
