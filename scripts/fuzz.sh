#!/usr/bin/env bash
# Long fuzzing run of re-opened .ipc files and the files they generate (docs/ipgen.md, "Fuzzing").
# Usage: scripts/fuzz.sh [seconds (default 3600)] [seed (default: the time)] [build dir (default build)]
# Failing cases are kept in <build dir>/fuzz-failures; the run fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-3600}
seed=${2:-$(date +%s)}
build=${3:-build}
cmake --build "$build" -j2 --target tst_fuzzipc ipgen ddr3phy >/dev/null
mkdir -p "$build/fuzz-failures"
echo "fuzzing for ${seconds} s with seed ${seed}; failing cases go to $build/fuzz-failures"
# In a sanitised build the offscreen platform's own leaks are known and suppressed, as in ctest.
LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0" \
QTEST_FUNCTION_TIMEOUT=$(( (seconds + 600) * 1000 )) \
QT_QPA_PLATFORM=offscreen IPGEN_BUILD_DIR="$PWD/$build" DDR3PHY_SOURCE_DIR="$PWD" \
    FUZZ_SECONDS="$seconds" FUZZ_SEED="$seed" FUZZ_KEEP="$PWD/$build/fuzz-failures" \
    "$build/tests/tst_fuzzipc" mutatedConfigurations
