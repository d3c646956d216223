# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the demo scripts: starts trailkeep-sim --demo from $bin in the background and sets
# $sim (its process) and $port (its pseudo-terminal). The caller's EXIT trap must stop it.
portfile=$(mktemp)
"$bin/trailkeep-sim" --demo >"$portfile" &
sim=$!
for _ in $(seq 50); do
    grep -q '^PORT ' "$portfile" && break
    sleep 0.1
done
port=$(awk '/^PORT /{print $2}' "$portfile")
rm -f "$portfile"
