#!/usr/bin/env bash
# Installs what Trivane needs to build, test and run on Debian, skipping
# packages that are already present. Runs apt-get as root (directly or via sudo).
set -euo pipefail

packages=(
    cmake ninja-build g++ make pkg-config ccache
    qtbase5-dev libqt5serialport5-dev qttools5-dev-tools qttools5-dev
    socat xvfb xauth x11-apps imagemagick
    fonts-wqy-microhei qttranslations5-l10n
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
