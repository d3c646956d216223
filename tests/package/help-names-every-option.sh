#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every option the command-line programs' sources take is named in their --help, which the
# manual pages and the completion are made from: an option added without its help line fails.
#   help-names-every-option.sh SOURCE_DIR BIN_DIR
set -uo pipefail
src=$1 bin=$2
fail=0
for pair in "cli:trailkeep-cli" "sim:trailkeep-sim"; do
    folder=${pair%%:*} program=${pair#*:}
    help=$("$bin/$program" --help) || { echo "FAIL: $program --help"; fail=1; continue; }
    for option in $(grep -ohE '"--?[a-z][a-z-]*' "$src/src/$folder"/*.cpp | tr -d '"' | sort -u); do
        [ "$option" = -h ] && continue
        if ! grep -qE -- "(^|[ [])$option([][ =|]|\$)" <<<"$help"; then
            echo "FAIL: $program --help does not name $option"
            fail=1
        fi
    done
done
[ $fail -eq 0 ] && echo "every option is named in the programs' --help"
exit $fail
