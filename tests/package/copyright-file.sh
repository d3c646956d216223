#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The copyright file's generator over libraries of our own making: holders from every copyright
# line, the licence text whole (CRLF line ends, blank lines, semicolons, trailing blanks), the
# licence name from package.json; a library without a licence file or without a copyright line
# stops it.
#   copyright-file.sh SOURCE_DIR
set -uo pipefail
src=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

library() { # NAME LICENCE_NAME LICENCE_TEXT
    mkdir -p "$work/modules/$1"
    printf '{"name": "%s", "version": "2.0.1", "license": "%s"}\n' "$1" "$2" >"$work/modules/$1/package.json"
    [ -z "$3" ] || printf '%b' "$3" >"$work/modules/$1/LICENSE"
}
generate() { # BUNDLED -> status; the file in $work/copyright
    rm -f "$work/copyright"
    cmake -DTK_TEMPLATE="$src/res/package/copyright.in" -DTK_NODE_MODULES="$work/modules" \
        -DTK_BUNDLED="$1" -DTK_OUT="$work/copyright" -P "$src/cmake/Copyright.cmake" >"$work/log" 2>&1
}

library maps ISC 'Maps Licence\r\n\r\nCopyright (c) 2001-2003, First Holder  \r\n  Copyright \xc2\xa9 2004 Second; Holder\r\n\r\n\r\nUse it; keep this.\r\n'
library plain MIT 'The MIT Licence\n\nPermission is granted.\n'
library bare MIT ''

check "generated for a library with notices" 'generate maps=lib/maps'
expected='Files: web/node_modules/maps/*
Copyright: 2001-2003, First Holder
           2004 Second; Holder
Comment: the npm package maps 2.0.1, installed in /usr/share/trailkeep/lib/maps
License: ISC
 Maps Licence
 .
 Copyright (c) 2001-2003, First Holder
   Copyright © 2004 Second; Holder
 .
 .
 Use it; keep this.'
check "the library's stanza" '[ "$(sed -n "/^Files: web/,\$p" "$work/copyright")" = "$expected" ]'
check "our stanza first" '[ "$(grep -m1 "^License:" "$work/copyright")" = "License: GPL-3.0-or-later" ]'
check "no carriage return" '! grep -q $'"'"'\r'"'"' "$work/copyright"'
check "a licence without a copyright line stops it" '! generate maps=lib/maps,plain=lib/plain'
check "... and says which" 'grep -q "no copyright line in .*plain/LICENSE" "$work/log"'
check "a library without a licence file stops it" '! generate bare=lib/bare && grep -q "no licence file" "$work/log"'
[ $fail -eq 0 ] && echo "the copyright file is made from the libraries' own notices"
exit $fail
