#!/usr/bin/env bash
# Builds a release and packs it as a .deb (ipgen, the DDR3 PHY plug-in with its companion and
# core folder, share files and documentation under /usr), unpacks it into a scratch root to see
# the packed ipgen list its core, checks the manual page, desktop entry, completion and
# Recommends, and prints the package's path.
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
# What makes it native: Recommends, manual page, menu entry with icon, bash completion.
recommends=$(dpkg-deb -f "$deb" Recommends)
[[ "$recommends" == *yosys* && "$recommends" == *iverilog* ]] ||
    { echo "package: Recommends is '$recommends', not yosys and iverilog" >&2; exit 1; }
page=$root/usr/share/man/man1/ipgen.1.gz
problems=$(MANWIDTH=80 man -l "$page" 2>&1 >/dev/null)
zcat "$page" | grep -q '^\.TH IPGEN 1' && [ -z "$problems" ] ||
    { echo "package: the manual page is missing or broken: $problems" >&2; exit 1; }
desktop-file-validate "$root/usr/share/applications/ipgen.desktop" ||
    { echo "package: the desktop entry does not validate" >&2; exit 1; }
icon=$(sed -n 's/^Icon=//p' "$root/usr/share/applications/ipgen.desktop")
[ -f "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    { echo "package: the desktop entry's icon $icon.svg is not packed" >&2; exit 1; }
completion=$root/usr/share/bash-completion/completions/ipgen
bash -c 'source "$1" && complete -p ipgen' _ "$completion" > /dev/null ||
    { echo "package: the bash completion is missing or does not register ipgen" >&2; exit 1; }
echo "$deb"
