#!/usr/bin/env bash
# Generates the default DDR3 PHY core headless; ipgen lists every file it wrote.
# Usage: scripts/example.sh [build-dir] [output-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/ddr3phy_example}
rm -rf "$out" && mkdir -p "$out"
"$build"/ipgen generate --core ddr3_phy --device VX1-10 --condition C6/I5 --out "$out" \
    --project "$out/example.proj"
