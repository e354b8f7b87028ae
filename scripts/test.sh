#!/usr/bin/env bash
# Installs, builds and runs every test (the project's CI entry point).
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
scripts/setup.sh "$@"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2
