#!/usr/bin/env bash
# Installs the Debian packages Pelorin needs to build, run and test.
# Skips apt-get entirely when everything is present already.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n libgl-dev libqt6sql6-sqlite
    libquazip1-qt6-dev libpugixml-dev libsodium-dev libdeflate-dev libisal-dev zlib1g-dev
    fonts-noto-cjk fonts-wqy-microhei
    xvfb xauth
)
if [ "${1:-}" = "--test" ]; then
    PACKAGES+=(
        libgtest-dev libbenchmark-dev
        python3 python3-openpyxl python3-xlrd python3-xlwt python3-nacl libfreexl-dev
        desktop-file-utils appstream libreoffice-calc-nogui poppler-utils
    )
fi

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
