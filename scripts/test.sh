#!/usr/bin/env bash
# Installs, builds and runs the tests (the project's CI entry point): every test but those labelled
# slow against Qt 5, then the same sources built against Qt 6 and its fast suite without the core's
# HDL simulations (label hdl), whose generated files the C++ tests prove byte-identical on both.
# The slow tests (the HDL sweeps, the wide cores, the synthesis sweep: hours on two cores) run with
#   ctest --test-dir BUILD_DIR -L slow -j2
# Usage: scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
scripts/setup.sh "$build" "$@"
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build" --output-on-failure -j2 -LE slow
scripts/setup.sh "$build-qt6" "$@" -DDDR3PHY_QT=6
QT_QPA_PLATFORM=offscreen ctest --test-dir "$build-qt6" --output-on-failure -j2 -LE 'slow|hdl'
