#!/usr/bin/env bash
# Builds a release and packs it as a .deb (ipgen, the DDR3 PHY plug-in with its companion and
# core folder, share files and documentation under /usr), unpacks it into a scratch root to see
# the packed ipgen list its core, and prints the package's path.
# Usage: scripts/package.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-package}
shift || true
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release "$@" > /dev/null
cmake --build "$build" -j"$(nproc)" > "$build/package-build.log"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB > cpack.log 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
deb=$(ls "$build"/package/*.deb)

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
listed=$(cd "$root" && QT_QPA_PLATFORM=offscreen usr/bin/ipgen list)
[[ "$listed" == ddr3_phy* ]] || { echo "package: the packed ipgen lists: $listed" >&2; exit 1; }
[ -f "$root/usr/lib/ddr3phy-generator/plugins/libddr3phy_ext.so" ] ||
    { echo "package: the plug-in's companion library is not packed" >&2; exit 1; }
echo "$deb"
