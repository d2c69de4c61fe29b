#!/usr/bin/env bash
# Builds the Debian package, installs it with apt-get into a freshly bootstrapped Debian 12 (a chroot
# made with debootstrap, needs root and the Debian mirror) and runs the installed program's demo there.
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

if [ ! -x "$root/usr/bin/apt-get" ]; then
    debootstrap --variant=minbase bookworm "$root" http://deb.debian.org/debian
fi
cp "$deb" "$root/tmp/"
mount --bind /proc "$root/proc"
trap 'umount "$root/proc"' EXIT
chroot "$root" /bin/sh -c "apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq /tmp/$(basename "$deb")"
chroot "$root" /bin/sh -c "rm -rf /tmp/x && pelorin --version && pelorin --demo /tmp/x"
echo "Installed and ran in a fresh Debian 12: $root"
