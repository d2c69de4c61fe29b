#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get into a freshly bootstrapped Debian 12 (a chroot
# made with debootstrap, needs root and the machine's own Debian mirror, as its apt sources name it) and runs
# the installed program's demo there.
# Usage: ./scripts/check-deb-fresh.sh [ROOT_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
root=${1:-/tmp/pelorin-deb12}
bash scripts/deps.sh
command -v debootstrap >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap; }
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELORIN_BUILD_TESTS=OFF >/dev/null
cmake --build build-release
(cd build-release && cpack -G DEB >/dev/null)
deb=$(ls build-release/pelorin_*.deb | head -n 1)

# The mirror this machine already uses for bookworm: a one-line entry of sources.list, or a deb822 stanza.
machine_mirror() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        awk '$1 == "deb" { for (i = 2; i < NF; i++) if ($i !~ /^\[/ && $i !~ /\]$/ && $(i + 1) == "bookworm") { print $i; exit } }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" } {
                uri = ""; suites = ""
                for (i = 1; i <= NF; i++) {
                    if ($i ~ /^URIs:/) { uri = $i; sub(/^URIs:[ \t]*/, "", uri); sub(/[ \t].*/, "", uri) }
                    if ($i ~ /^Suites:/) suites = " " substr($i, 8) " "
                }
                if (uri != "" && suites ~ /[ \t]bookworm[ \t]/) { print uri; exit }
            }' "$f"
    done
}
if [ ! -x "$root/usr/bin/apt-get" ]; then
    mirror=$(machine_mirror | head -n 1)
    [ -n "$mirror" ] || { echo "No bookworm entry in this machine's apt sources." >&2; exit 1; }
    debootstrap --variant=minbase bookworm "$root" "$mirror"
fi
cp "$deb" "$root/tmp/"
mount --bind /proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" /bin/sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb")"
chroot "$root" /bin/sh -c "rm -rf /tmp/x && pelorin --version && pelorin --demo /tmp/x"
echo "Installed and ran in a fresh Debian 12: $root"
