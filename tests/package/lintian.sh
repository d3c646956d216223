#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# lintian over the built package: any error or warning fails.
#   lintian.sh LINTIAN DIR
set -euo pipefail
lintian=$1 dir=$2
debs=("$dir"/trailkeep_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one trailkeep_VERSION_ARCH.deb in $dir"; exit 1; }
# Informational tags are shown but do not fail; --fail-on covers errors and warnings.
"$lintian" --fail-on error,warning --display-info --no-tag-display-limit "${debs[0]}"
echo "lintian: no error and no warning in $(basename "${debs[0]}")"
