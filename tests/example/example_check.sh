#!/bin/sh
# Builds the example design kit of one core configuration with ipgen and checks it:
#   example_check.sh sim|synth BUILD_DIR [NAME=VALUE]...     (NAME=VALUE: ipgen --set)
# sim:   sim/run.sh ends with PASS; a second `ipgen example` into the same folder
#        keeps the files and exits 1.
# synth: Yosys `synth` of the example top finishes without an error or warning.
set -eu
mode=$1; build=$2; shift 2
tools="iverilog vvp"; [ "$mode" = synth ] && tools=yosys
for tool in $tools; do
  command -v $tool > /dev/null || { echo "FAIL: $tool not installed (apt-get install yosys iverilog)"; exit 1; }
done
n=$#
for s in "$@"; do set -- "$@" --set "$s"; done
shift $n
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
kit=$work/kit

"$build/ipgen" generate --core ddr3_phy --device VX1-10 --condition C6/I5 --out "$work/gen" \
  --files-only "$@" > /dev/null
"$build/ipgen" example --config "$work/gen/ddr3_phy.ipc" --out "$kit" > "$work/written"
echo "$(wc -l < "$work/written") files in the kit"

case $mode in
sim)
  out=$(sh "$kit/sim/run.sh") || true
  echo "$out"
  before=$(cat "$kit/sim/run.sh")
  if "$build/ipgen" example --config "$work/gen/ddr3_phy.ipc" --out "$kit" > /dev/null 2>&1; then
    echo "FAIL: a second example into the same folder did not stop"; exit 1
  fi
  [ "$(cat "$kit/sim/run.sh")" = "$before" ] || { echo "FAIL: kept files changed"; exit 1; }
  case $(echo "$out" | tail -n 1) in PASS:*) exit 0 ;; esac
  exit 1 ;;
synth)
  ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$kit/core/vlmc_param.v")
  if yosys -p "read_verilog -lib $kit/sim/veltra_prims.v; \
      read_verilog -I$kit/core $kit/core/ddr3_1_${ratio}code.v $kit/core/DDR3_PHY_TOP.v \
        $kit/rtl/ddr3_example_ctrl.v $kit/rtl/ddr3_example_tg.v $kit/rtl/ddr3_example_top.v; \
      synth -top ddr3_example_top" > "$work/yosys.log" 2>&1 &&
     ! grep -q "^Warning" "$work/yosys.log"; then
    sed -n '/=== design hierarchy ===/,$p' "$work/yosys.log" | grep "Number of cells" | tail -n 1
    echo "PASS: example synthesised"
    exit 0
  fi
  grep -E "ERROR|^Warning" "$work/yosys.log" | head -20
  echo "FAIL: example synthesis"
  exit 1 ;;
esac
echo "usage: example_check.sh sim|synth BUILD_DIR [NAME=VALUE]..."
exit 2
