#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the built package with apt on a fresh minimal Debian 12 made with debootstrap, and
# checks that the programs run there: what a new user on a new machine gets. Needs root (sudo
# when not root), the network to Debian's archive and a few minutes.
#   check-fresh-debian.sh [BUILD]     (make check-fresh-debian)
# The system is made in a temporary folder; on the way out everything mounted in it is unmounted
# first, and it is removed only when nothing is mounted there any more, never across a mount.
set -euo pipefail
build=${1:-build}
mirror=${DEBIAN_MIRROR:-http://deb.debian.org/debian}

if [ "$(id -u)" -ne 0 ]; then
    exec sudo --preserve-env=DEBIAN_MIRROR "$0" "$@"
fi
debs=("$build"/trailkeep_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "expected one package in $build (make package)"; exit 1; }
deb=$(realpath "${debs[0]}")
command -v debootstrap >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap

started=$(date +%s)
root=$(mktemp -d /var/tmp/trailkeep-fresh-debian.XXXXXX)
chmod 755 "$root" # the system's root folder: its users (apt's _apt among them) must get in

# The mount points inside the system, deepest first.
mounts_inside() {
    awk -v root="$root" '$5 == root || index($5, root "/") == 1 { print $5 }' /proc/self/mountinfo |
        sort -r
}
cleanup() {
    local status=$? point
    for point in $(mounts_inside); do
        umount "$point" || umount -l "$point" || true
    done
    if [ -n "$(mounts_inside)" ]; then
        echo "still mounted under $root, left in place:" $(mounts_inside) >&2
        exit 1
    fi
    rm -rf --one-file-system "$root"
    echo "$(date +%s) $started" | awk '{ printf "fresh Debian check took %d min %d s\n", ($1-$2)/60, ($1-$2)%60 }'
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

echo "== a minimal Debian 12 in $root"
debootstrap --variant=minbase bookworm "$root" "$mirror" >"$root.log" 2>&1 ||
    { tail -20 "$root.log"; rm -f "$root.log"; exit 1; }
rm -f "$root.log"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
cp /etc/resolv.conf "$root/etc/resolv.conf"
cp "$deb" "$root/tmp/"
in_system() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
    LANG=C.UTF-8 "$@"; }

echo "== apt install ./$(basename "$deb")"
in_system sh -c "DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb") >/tmp/apt.log 2>&1 ||
    { tail -30 /tmp/apt.log; exit 1; }"

fail=0
check() {
    if in_system sh -c "$2" >"$root/tmp/out" 2>&1; then
        echo "ok: $1"
    else
        echo "FAIL: $1"
        sed 's/^/    /' "$root/tmp/out"
        fail=1
    fi
}
check "trailkeep-cli --help" 'trailkeep-cli --help | grep -q "^  geotag "'
check "trailkeep-cli demo, tracks, stats and gpx" 'cd /tmp && trailkeep-cli demo -o demo.gpl &&
    trailkeep-cli tracks demo.gpl | grep -q . && trailkeep-cli stats demo.gpl --json | grep -q length &&
    trailkeep-cli gpx demo.gpl -o demo.gpx && grep -q "<trkpt" demo.gpx'
check "trailkeep-cli-device answers (no logger there)" \
    'trailkeep-cli settings --port /dev/null-no-logger 2>&1 | grep -q "Get Uart Failed"'
check "trailkeep-cli-photos answers" \
    'mkdir -p /tmp/photos && trailkeep-cli geotag /tmp/demo.gpl /tmp/photos --dry-run | grep -q "^0 photos"'
check "trailkeep-sim --version" 'trailkeep-sim --version | grep -q "^trailkeep-sim "'
check "trailkeep --version (every library it links is there)" \
    'QT_QPA_PLATFORM=offscreen trailkeep --version | grep -q "^Trailkeep "'
check "no program misses a library" \
    '! for p in /usr/bin/trailkeep*; do ldd "$p"; done | grep "not found"'
check "a font with Chinese glyphs came with it" 'fc-list :lang=zh | grep -q .'
check "gpsbabel came with it" 'command -v gpsbabel'
check "the copyright file names the bundled libraries" \
    'grep -q "^License: BSD-2-Clause" /usr/share/doc/trailkeep/copyright &&
     grep -q "^License: MIT" /usr/share/doc/trailkeep/copyright'
exit $fail
