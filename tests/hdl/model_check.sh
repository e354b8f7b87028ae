#!/bin/sh
# The device model against its own bench (tb_ddr3_model.v): legal traffic
# stays quiet, each seeded breach is reported.  Geometry and timing come from
# core CONFIG of configs.txt.
set -eu
. "$(dirname "$0")/hdl.sh"
cfg=${1:?usage: model_check.sh CONFIG [+PLUSARG...]}
shift
need iverilog vvp
gen "$cfg" "$work/gen"
iverilog -g2012 -Wall -o "$work/sim" -s tb_model -I "$work/gen" \
  "$root/core/ddr3phy/sim/ddr3_model.v" "$hdl/tb_ddr3_model.v" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "$cfg (compile error)"; }
vvp -n "$work/sim" "$@" > "$work/sim.log" 2>&1 || true
cat "$work/sim.log"
grep -q '^RESULT: PASS' "$work/sim.log"
