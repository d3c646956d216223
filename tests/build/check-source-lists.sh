#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a .cpp under src/, tests/, bench/ or fuzz/ is named in no sources.cmake: a file left
# out of every list would silently not be built, and a test file not run. $1 is the source tree,
# $2 the build folder (whose listed-sources.txt the configuration wrote).
set -uo pipefail
source_dir=${1:?usage: check-source-lists.sh SOURCE_DIR BUILD_DIR}
build=${2:?usage: check-source-lists.sh SOURCE_DIR BUILD_DIR}
listed="$build/listed-sources.txt"
[ -f "$listed" ] || { echo "FAIL: $listed is missing (configure first)"; exit 1; }
unlisted=$(cd "$source_dir" && find src tests bench fuzz -name '*.cpp' | sort |
    comm -23 - <(sort -u "$listed"))
if [ -n "$unlisted" ]; then
    echo "FAIL: in no sources.cmake (add each to the list of its folder, then configure again):"
    echo "$unlisted"
    exit 1
fi
echo "every source is listed: $(wc -l <"$listed") files"
