#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package's fields and files: the built .deb of a folder, looked at with dpkg-deb.
#   check-deb.sh DIR DESKTOP_ID
set -euo pipefail
dir=$1 id=$2
debs=("$dir"/trailkeep_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one trailkeep_VERSION_ARCH.deb in $dir"; exit 1; }
deb=${debs[0]}
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

field() { dpkg-deb -f "$deb" "$1"; }
version=$(sed -n 's/.*kVersionNumber\[\] = "\([0-9.]*\)".*/\1/p' "$(dirname "$0")/../../src/ui/Version.h")
check "named trailkeep_VERSION_ARCH.deb" '[ "$(basename "$deb")" = "trailkeep_${version}_$(dpkg --print-architecture).deb" ]'
check "Package is trailkeep" '[ "$(field Package)" = trailkeep ]'
check "Version is the program's ($version)" '[ "$(field Version)" = "$version" ]'
check "a Maintainer" '[[ "$(field Maintainer)" == *"<"*"@"*">" ]]'
check "a Description with a long part" '[ "$(field Description | wc -l)" -ge 2 ]'
# Depends from dpkg-shlibdeps: the C library and the Qt libraries the programs link, versioned.
depends=$(field Depends)
check "Depends from the linked libraries: $depends" \
    '[[ "$depends" == *"libc6 (>="* && "$depends" == *"libqt6webenginecore6"* && "$depends" == *"libqt6serialport6"* && "$depends" == *"libsqlite3-0"* ]]'

recommends=$(field Recommends)
check "Recommends a CJK font, gpsbabel and xdg-utils: $recommends" \
    '[[ "$recommends" == *"fonts-noto-cjk"* && "$recommends" == *"gpsbabel"* && "$recommends" == *"xdg-utils"* ]]'

files=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
for f in /usr/bin/trailkeep /usr/bin/trailkeep-cli /usr/bin/trailkeep-cli-device \
    /usr/bin/trailkeep-cli-photos /usr/bin/trailkeep-sim /usr/share/trailkeep/geotag.html \
    /usr/share/trailkeep/geotag-page.js \
    /usr/share/trailkeep/language.ini /usr/share/trailkeep/Custom.html /usr/share/trailkeep/print.html \
    /usr/share/trailkeep/track-page.js /usr/share/trailkeep/map-page.js /usr/share/trailkeep/print-page.js \
    /usr/share/trailkeep/figure-strip.js \
    /usr/share/trailkeep/profile-chart.js \
    /usr/share/trailkeep/track-page.css /usr/share/trailkeep/lib/leaflet/leaflet.js \
    /usr/share/trailkeep/lib/leaflet/leaflet.css /usr/share/trailkeep/lib/uplot/uPlot.iife.min.js \
    "/usr/share/applications/$id.desktop" "/usr/share/metainfo/$id.metainfo.xml" \
    "/usr/share/mime/packages/$id.xml" "/usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "/usr/share/icons/hicolor/48x48/apps/$id.png" "/usr/share/icons/hicolor/256x256/apps/$id.png" \
    /usr/share/doc/trailkeep/copyright /usr/share/doc/trailkeep/changelog.gz \
    /usr/share/bash-completion/completions/trailkeep-cli; do
    check "has $f" 'grep -qx "$f" <<<"$files"'
done
check "nothing outside /usr" '! grep -v "^/usr\(/\|$\)" <<<"$files" | grep -q .'
check "no data.js shipped" '! grep -q "data\.js$" <<<"$files"'

# The unpacked desktop files are the ones the validators pass, the icon PNGs are of their size.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -x "$deb" "$work"
check "desktop entry valid" 'desktop-file-validate "$work/usr/share/applications/$id.desktop"'
check "metainfo valid" 'appstreamcli validate --no-net "$work/usr/share/metainfo/$id.metainfo.xml" >/dev/null'
check "metainfo names release $version" 'grep -q "<release version=\"$version\"" "$work/usr/share/metainfo/$id.metainfo.xml"'
check "desktop entry uses the icon $id" 'grep -qx "Icon=$id" "$work/usr/share/applications/$id.desktop"'
for size in 16 48 256; do
    png="$work/usr/share/icons/hicolor/${size}x${size}/apps/$id.png"
    check "icon ${size}x${size} is a ${size}x${size} PNG" 'file "$png" | grep -q "PNG image data, $size x $size"'
done
check "programs stripped" 'file "$work/usr/bin/trailkeep" | grep -q ", stripped"'

# The documents: a manual page for every program that man renders without a warning, the
# changelog's newest entry the program's version, the copyright of our code and of every bundled
# library with its notice and full licence text as the library itself ships it.
for program in "$work"/usr/bin/*; do
    page="$work/usr/share/man/man1/$(basename "$program").1.gz"
    check "manual page of $(basename "$program") renders" \
        '[ -f "$page" ] && [ -z "$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)" ]'
done
cli_page=$(MANWIDTH=200 man -l "$work/usr/share/man/man1/trailkeep-cli.1.gz" 2>/dev/null)
for option in --max-extrapolate --sync --undo --climb-threshold --port --images; do
    check "trailkeep-cli's page describes $option" 'grep -q -- "$option" <<<"$cli_page"'
done
check "changelog's newest entry is $version" \
    'zcat "$work/usr/share/doc/trailkeep/changelog.gz" | head -n 1 | grep -q "^trailkeep ($version) "'
copyright=$work/usr/share/doc/trailkeep/copyright
check "copyright: machine-readable" 'head -n 1 "$copyright" | grep -q "^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"'
check "copyright: our code GPL-3.0-or-later" \
    'grep -A2 "^Files: \*$" "$copyright" | grep -q "^License: GPL-3.0-or-later$" && grep -q /usr/share/common-licenses/GPL-3 "$copyright"'
modules=$(dirname "$0")/../../web/node_modules
for library in leaflet:BSD-2-Clause uplot:MIT; do
    name=${library%%:*} licence=${library#*:}
    stanza=$(sed -n "/^Files: web\/node_modules\/$name\//,/^\$/p" "$copyright")
    check "copyright: $name under $licence" 'grep -q "^License: $licence$" <<<"$stanza"'
    holder=$(grep -m1 "^Copyright" "$modules/$name/LICENSE" | tr -d '\r' | sed 's/^Copyright *([cC]) *//')
    check "copyright: $name's holder $holder" 'grep -q "^Copyright: .*$holder" <<<"$stanza"'
    check "copyright: $name's full licence text" \
        '[ "$(sed -e "s/[[:space:]]*$//" -e "/^$/d" "$modules/$name/LICENSE")" = "$(sed -n "/^License:/,\$p" <<<"$stanza" | sed -e 1d -e "s/^ //" -e "/^\.$/d" -e "/^$/d" -e "s/[[:space:]]*$//")" ]'
done
[ $fail -eq 0 ] && echo "$(basename "$deb"): fields and files as expected"
exit $fail
