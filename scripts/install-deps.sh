#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -euo pipefail

packages=(
    cmake make g++ pkg-config ccache
    qt6-base-dev qt6-serialport-dev qt6-webengine-dev qt6-webchannel-dev qt6-positioning-dev qt6-pdf-dev
    libqt6webenginecore6-bin qt6-qpa-plugins libqt6svg6 qt6-translations-l10n
    xvfb xauth imagemagick fonts-noto-cjk xdotool
    libgtest-dev libgmock-dev libbenchmark-dev
    gpsbabel tzdata
    poppler-utils
    clang-14 libclang-rt-14-dev
    libexiv2-dev libmediainfo-dev libimage-exiftool-perl gpscorrelate
    libsqlite3-dev libexpat1-dev libzip-dev
    dpkg-dev fakeroot file desktop-file-utils appstream librsvg2-bin shared-mime-info
    lintian help2man bash-completion man-db
)

# Node.js and npm fetch the map pages' libraries; any installed Node 18 or later will do.
command -v npm >/dev/null 2>&1 || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
