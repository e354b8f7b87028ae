#!/bin/sh
# Simulates the core of one fixture configuration against the DDR3 device
# model:  run_sim.sh [--netlist] [--sweep rd|ck] CONFIG [+PLUSARG...]
# (CONFIG: a directory under fixtures/; plusargs go to the bench and model).
#
# --sweep rd runs the bench once per read round trip from 0 to 2 tCK + 1 ns
# in steps of tCK/8; every run must either pass its data or have the core
# report a failed calibration.  --sweep ck moves CK against DQS from
# -tCK/4 to +tCK/4 in steps of tCK/8; every run must pass.
#
# By default the RTL is compiled exactly as the synthesis run reads it (ratio
# file, then top, with the fixture directory and then the data folder as
# include paths).  With --netlist the core is first synthesised by Yosys and
# the netlist is simulated instead, with the primitives' behavioural models
# appended as the host's netlist-to-simulation step does.
set -eu
netlist=0; sweep=""
while :; do
  case "${1:-}" in
    --netlist) netlist=1; shift ;;
    --sweep) sweep=$2; shift 2 ;;
    *) break ;;
  esac
done
cfg=${1:?usage: run_sim.sh [--netlist] [--sweep rd|ck] CONFIG [+PLUSARG...]}
shift
tools="iverilog vvp"; [ $netlist = 1 ] && tools="$tools yosys"
for tool in $tools; do
  command -v $tool > /dev/null || { echo "RESULT: FAIL $cfg ($tool not installed: apt-get install yosys iverilog)"; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
data=$root/core/ddr3phy/data
fix=$here/fixtures/$cfg
if [ ! -d "$fix" ]; then echo "RESULT: FAIL $cfg (no fixture directory $fix)"; exit 2; fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

setting() { sed -n "s/^$1 *\([A-Za-z0-9_]*\).*/\1/p" "$2"; }
ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
core="$data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v"
defs=""

if [ $netlist = 1 ]; then
  top=$(setting '`define module_name_ddr' "$fix/ddr3_name.v")
  # The netlist gets the power-up waits the bench and device model expect.
  reset_us=$(setting '`define TB_INIT_RESET_US' "$fix/tb_config.vh")
  cke_us=$(setting '`define TB_INIT_CKE_US' "$fix/tb_config.vh")
  if ! yosys -q -l "$work/synth.log" -p "read_verilog -lib $root/host/share/veltra_prims.v; \
        read_verilog -I$fix -I$data $core; \
        chparam -set INIT_RESET_US $reset_us -set INIT_CKE_US $cke_us $top; \
        synth -top $top; write_verilog -noattr $work/netlist.v" > /dev/null 2>&1; then
    tail -20 "$work/synth.log"
    echo "RESULT: FAIL $cfg (synthesis error)"
    exit 1
  fi
  core=$work/netlist.v
  defs=-DTB_NETLIST
fi

if ! iverilog -g2012 -Wall $defs -o "$work/sim" -s tb -I "$fix" -I "$data" \
      "$root/host/share/veltra_prims.v" $core \
      "$root/core/ddr3phy/sim/ddr3_model.v" "$here/tb_ddr3_phy.v" > "$work/build.log" 2>&1; then
  cat "$work/build.log"
  echo "RESULT: FAIL $cfg (compile error)"
  exit 1
fi
[ $netlist = 1 ] || grep -v "^$" "$work/build.log" || true
# One run: its log in $work/sim.log, status 0 when it passed.
run() {
  vvp -n "$work/sim" "$@" > "$work/sim.log" 2>&1 || true
  [ "$(grep -c '^RESULT: PASS' "$work/sim.log")" = 1 ] && ! grep -q "ERROR" "$work/sim.log"
}

if [ -n "$sweep" ]; then
  tck=$(sed -n 's/^parameter tCK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
  step=$((tck / 8))
  case $sweep in
    rd) from=0; to=$((2 * tck + 1000)); arg=rd_dly; fail_ok=+may_fail ;;
    ck) from=$((-tck / 4)); to=$((tck / 4)); arg=ck_skew; fail_ok="" ;;
    *) echo "RESULT: FAIL $cfg (unknown sweep $sweep)"; exit 2 ;;
  esac
  bad=0; v=$from
  while [ $v -le $to ]; do
    if run "+$arg=$v" $fail_ok "$@"; then
      if grep -q "calibration failed" "$work/sim.log"; then what="calibration reported failure"
      else what="data passed"; fi
      echo "$arg $v ps: $what"
    else
      echo "$arg $v ps: FAILED"; grep "ERROR\|RESULT" "$work/sim.log" | head -10; bad=1
    fi
    v=$((v + step))
  done
  if [ $bad = 0 ]; then echo "RESULT: PASS $cfg sweep $sweep"; exit 0; fi
  echo "RESULT: FAIL $cfg sweep $sweep"; exit 1
fi

run "$@" || true
# Keep the log short: the first 40 error lines are plenty to debug from.
grep -v "ERROR" "$work/sim.log" || true
grep "ERROR" "$work/sim.log" | head -40
if [ "$(grep -c '^RESULT: PASS' "$work/sim.log")" = 1 ] && ! grep -q "ERROR" "$work/sim.log"; then
  exit 0
fi
grep -q '^RESULT: FAIL' "$work/sim.log" || echo "RESULT: FAIL $cfg (simulation ended without a result)"
exit 1
