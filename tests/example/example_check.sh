#!/bin/sh
# Builds the example design kit of one core configuration with ipgen and checks it:
#   example_check.sh sim|synth BUILD_DIR [NAME=VALUE]...     (NAME=VALUE: ipgen --set)
# sim:   sim/run.sh ends with PASS; a second `ipgen example` into the same folder
#        keeps the files and exits 1.
# synth: Yosys `synth` of the example top finishes without an error or warning.
set -eu
. "$(dirname "$0")/../hdl/hdl.sh"
mode=$1; ipgen=$2/ipgen; shift 2
if [ "$mode" = synth ]; then need yosys; else need iverilog vvp; fi
n=$#
for s in "$@"; do set -- "$@" --set "$s"; done
shift $n
kit=$work/kit
"$ipgen" generate --core ddr3_phy --device VX1-10 --condition C6/I5 --out "$work/gen" \
  --files-only "$@" > /dev/null
"$ipgen" example --config "$work/gen/ddr3_phy.ipc" --out "$kit" > "$work/written"
echo "$(wc -l < "$work/written") files in the kit"
if [ "$mode" = synth ]; then
  prims=$kit/sim/veltra_prims.v g_ratio=$(param nCK_PER_CLK "$kit/core/vlmc_param.v")
  data=$kit/core
  ys "$work/yosys.log" "read_verilog -I$kit/core $(core_files) $kit/rtl/ddr3_example_ctrl.v \
    $kit/rtl/ddr3_example_tg.v $kit/rtl/ddr3_example_top.v; synth -top ddr3_example_top" ||
    fail "example synthesis"
  echo "RESULT: PASS example synthesised"
  exit 0
fi
out=$(sh "$kit/sim/run.sh") || true
echo "$out"
before=$(cat "$kit/sim/run.sh")
! "$ipgen" example --config "$work/gen/ddr3_phy.ipc" --out "$kit" > /dev/null 2>&1 ||
  fail "a second example into the same folder did not stop"
[ "$(cat "$kit/sim/run.sh")" = "$before" ] || fail "kept files changed"
case $(echo "$out" | tail -n 1) in PASS:*) exit 0 ;; esac
exit 1
