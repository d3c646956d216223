#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The project file type: the shared MIME database built from the package's type file alone
# names it for *.gpl, and the desktop entry opens that type.
#   mime-type.sh TYPE.xml ENTRY.desktop
set -euo pipefail
xml=$1 entry=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$xml")
[ -n "$type" ] || { echo "no mime-type in $xml"; exit 1; }
mkdir -p "$work/mime/packages"
cp "$xml" "$work/mime/packages/"
update-mime-database "$work/mime" >/dev/null 2>&1 || { echo "update-mime-database refused $xml"; exit 1; }
grep -q ":$type:\*\.gpl$" "$work/mime/globs2" || { echo "*.gpl is not $type"; cat "$work/mime/globs2"; exit 1; }
grep -qx "MimeType=$type;" "$entry" || { echo "$entry does not open $type"; exit 1; }
grep -q '^Exec=trailkeep %f$' "$entry" || { echo "$entry passes no file"; exit 1; }
echo "*.gpl is $type, opened by $(basename "$entry")"
