#!/bin/sh
# Synthesises the core with Yosys' generic `synth` for every DQ width (8..72)
# at both clock ratios, plus DQ 72 without ECC, with the generated files made
# on the fly (gen_fixture.sh).  Fails on any Yosys error or warning.
#   synth_check.sh [JOBS]      (default: one job per CPU)
set -eu
for tool in yosys; do
  command -v $tool > /dev/null || { echo "RESULT: FAIL ($tool not installed: apt-get install yosys iverilog)"; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
data=$root/core/ddr3phy/data
jobs=${1:-$(nproc 2>/dev/null || echo 1)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

# name ratio settings...  (the options vary too, to reach their logic)
cat > "$work/list" <<'LIST'
x2_dq8   2 DQ=8  DRAM=4  ROW=12 BURST_MODE=OTF
x2_dq16  2 DQ=16 DRAM=8
x2_dq24  2 DQ=24 DRAM=8  ROW=13 AL=CL-1
x2_dq32  2 DQ=32 DRAM=8  ADDR_CMD=2T BURST_MODE=8
x2_dq40  2 DQ=40 DRAM=4  REG_CTRL=ON
x2_dq48  2 DQ=48 DRAM=8  BURST_TYPE=INT RTT_NOM=OFF
x2_dq56  2 DQ=56 DRAM=8  ROW=16 BURST_MODE=OTF
x2_dq64  2 DQ=64 DRAM=16 AL=CL-2
x2_dq72e 2 DQ=72 DRAM=8  ECC=ON BURST_MODE=OTF
x2_dq72  2 DQ=72 DRAM=16
x4_dq8   4 DQ=8  DRAM=16 BURST_MODE=8 ROW=14 CL=6
x4_dq16  4 DQ=16 DRAM=16 BURST_MODE=8 ROW=14 CL=6
x4_dq24  4 DQ=24 DRAM=8  BURST_MODE=8 ROW=15 CL=7 ADDR_CMD=2T
x4_dq32  4 DQ=32 DRAM=16 BURST_MODE=8 ROW=14 CL=8 AL=CL-1
x4_dq40  4 DQ=40 DRAM=16 BURST_MODE=8 ROW=13 CL=5
x4_dq48  4 DQ=48 DRAM=4  BURST_MODE=8 ROW=14 CL=6 REG_CTRL=ON
x4_dq56  4 DQ=56 DRAM=16 BURST_MODE=8 ROW=12 CL=6
x4_dq64  4 DQ=64 DRAM=16 BURST_MODE=8 ROW=16 CL=7
x4_dq72e 4 DQ=72 DRAM=4  BURST_MODE=8 ROW=16 CL=8 ECC=ON
LIST

export here root data work
while read -r name ratio settings; do
  echo "$name $ratio $settings"
done < "$work/list" | xargs -P "$jobs" -L 1 sh -c '
  name=$1; ratio=$2; shift 2
  fix=$work/$name
  env NAME="core_$name" RATIO="$ratio" "$@" sh "$here/gen_fixture.sh" "$fix"
  start=$(date +%s)
  if yosys -p "read_verilog -lib $root/host/share/veltra_prims.v; read_verilog -I$fix -I $data $data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v; synth -top core_$name" \
       > "$fix/yosys.log" 2>&1 && ! grep -qi "warning" "$fix/yosys.log"; then
    cells=$(sed -n "/=== design hierarchy ===/,\$p" "$fix/yosys.log" | sed -n "s/^ *Number of cells: *\([0-9]*\).*/\1/p" | head -1)
    echo "ok   $name: $cells cells, $(( $(date +%s) - start )) s"
  else
    echo "FAIL $name"
    grep -iE "error|warning" "$fix/yosys.log" | head -10
  fi
' sh | tee "$work/results"

total=$(wc -l < "$work/list")
passed=$(grep -c '^ok ' "$work/results" || true)
if [ "$passed" = "$total" ]; then
  echo "RESULT: PASS synth_check ($total configurations)"
  exit 0
fi
echo "RESULT: FAIL synth_check ($passed of $total configurations synthesised cleanly)"
exit 1
