#!/bin/sh
# Yosys generic `synth` of every s* core of configs.txt (every DQ width at
# both ratios); any Yosys error or warning fails.
#   synth_check.sh [JOBS]      (default: one job per CPU)
set -eu
. "$(dirname "$0")/hdl.sh"
need yosys
sed -n 's/^\(s[24]_[a-z0-9]*\) .*/\1/p' "$hdl/configs.txt" > "$work/list"
xargs -P "${1:-$(nproc)}" -n 1 sh -c '. "$0"; gen "$1" "$work/gen"
  ys "$work/ys.log" "$(read_core "$work/gen"); synth -top core_$1" |
    sed "s/^/$1: /"' "$hdl/hdl.sh" < "$work/list" > "$work/results" 2>&1 || true
cat "$work/results"
total=$(wc -l < "$work/list")
passed=$(grep -c ': [0-9]* cells$' "$work/results" || true)
[ "$passed" = "$total" ] || fail "synth_check ($passed of $total configurations synthesised cleanly)"
echo "RESULT: PASS synth_check ($total configurations)"
