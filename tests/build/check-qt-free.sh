#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a std-only library or program of the build in $1 includes or links Qt (or exiv2):
# every header its objects were compiled with (the compiler's dependency files), every symbol its
# objects leave undefined, and the shared libraries the programs load. The same probes must find
# Qt in the window library, or they are blind and the check fails too.
set -uo pipefail
build=${1:?usage: check-qt-free.sh BUILD_DIR}
std_only=(trailkeep_core trailkeep_demo trailkeep_cli trailkeep-cli trailkeep-sim)
std_programs=(trailkeep-cli trailkeep-sim)
qt_header='/(qt6|QtCore|QtGui|QtWidgets)/|/exiv2/'
qt_symbol='(^| )(Q[A-Z][A-Za-z]*::|q[A-Z][A-Za-z]*\(|qt_|Exiv2::)'
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

objects_of() { find "$build/CMakeFiles/$1.dir" -name '*.o' 2>/dev/null; }

# Headers that any object of the target was compiled with, one a line.
headers_of() {
    find "$build/CMakeFiles/$1.dir" -name '*.o.d' -exec cat {} + 2>/dev/null | tr ' \\' '\n\n' |
        grep -E '\.(h|hpp)$|/include/' | sort -u
}

for target in "${std_only[@]}"; do
    if [ -z "$(objects_of "$target")" ]; then
        fail "$target: no objects in $build (build it first)"
        continue
    fi
    found=$(headers_of "$target" | grep -E "$qt_header" | head -n 5)
    [ -z "$found" ] || fail "$target includes Qt or exiv2 headers:"$'\n'"$found"
    found=$(objects_of "$target" | xargs nm -C --undefined-only 2>/dev/null |
        grep -E "$qt_symbol" | head -n 5)
    [ -z "$found" ] || fail "$target uses Qt or exiv2 symbols:"$'\n'"$found"
done

for program in "${std_programs[@]}"; do
    path="$build/bin/$program"
    if [ ! -x "$path" ]; then
        fail "$program: not built in $build/bin"
        continue
    fi
    found=$(ldd "$path" | grep -E 'libQt|libexiv2')
    [ -z "$found" ] || fail "$program loads Qt or exiv2:"$'\n'"$found"
done

# The probes themselves: the window library includes and uses Qt.
if [ -n "$(objects_of trailkeep_gui)" ]; then
    headers_of trailkeep_gui | grep -E "$qt_header" >/dev/null ||
        fail "the header probe finds no Qt header in trailkeep_gui"
    objects_of trailkeep_gui | xargs nm -C --undefined-only 2>/dev/null | grep -E "$qt_symbol" >/dev/null ||
        fail "the symbol probe finds no Qt symbol in trailkeep_gui"
fi
[ ! -x "$build/bin/trailkeep" ] || ldd "$build/bin/trailkeep" | grep libQt6Core >/dev/null ||
    fail "the library probe finds no Qt in trailkeep"

[ "$failures" -eq 0 ] && echo "std-only libraries and programs: no Qt, no exiv2"
exit $((failures > 0))
