#!/usr/bin/env bash
# Installs what the project needs from Debian's packages, then configures and builds.
# Idempotent: a second run only rebuilds what changed.
# Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true

packages=(g++ cmake make qtbase5-dev qttools5-dev-tools yosys iverilog tcl time xvfb xauth imagemagick graphviz
    xdotool qt6-base-dev qt6-base-dev-tools libgl-dev dpkg-dev valgrind
    go-md2man desktop-file-utils python3)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "setup: missing packages: ${missing[*]} (run as root to install them)" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "$@"
cmake --build "$build" -j"$(nproc)"
