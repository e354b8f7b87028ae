#!/bin/sh
# Simulates one core of configs.txt against the DDR3 device model:
#   run_sim.sh [--netlist] [--sweep rd|ck|fly] CONFIG [+PLUSARG...]
# (plusargs go to the bench and the device model).  The RTL is compiled as
# synthesis reads it; --netlist simulates Yosys' netlist of it instead, with
# the primitives' models, as the host's netlist simulation does.
# Sweeps in steps of tCK/8: rd, the read round trip from 0 to 2 tCK + 1 ns,
# each run passing its data or reporting a failed calibration; ck, CK from
# -tCK/4 to +tCK/4 against DQS; fly, CK spread from 0 to 1 tCK over the
# strobe groups (first to last); ck and fly runs must pass.
set -eu
. "$(dirname "$0")/hdl.sh"
netlist=0; sweep=""
while :; do
  case "${1:-}" in
    --netlist) netlist=1; shift ;;
    --sweep) sweep=$2; shift 2 ;;
    *) break ;;
  esac
done
cfg=${1:?usage: run_sim.sh [--netlist] [--sweep rd|ck|fly] CONFIG [+PLUSARG...]}
shift
need iverilog vvp
gen "$cfg" "$work/gen"
core=$(core_files); defs=""
if [ $netlist = 1 ]; then
  need yosys
  # The netlist gets the short power-up waits of tb_config.vh.
  ys "$work/synth.log" "$(read_core "$work/gen"); \
    chparam -set INIT_RESET_US 2 -set INIT_CKE_US 5 core_$cfg; synth -top core_$cfg; \
    write_verilog -noattr $work/netlist.v" || fail "$cfg (synthesis)"
  core=$work/netlist.v; defs=-DTB_NETLIST
fi
iverilog -g2012 -Wall $defs -o "$work/sim" -s tb -I "$work/gen" -I "$data" "$prims" $core \
  "$root/core/ddr3phy/sim/ddr3_model.v" "$hdl/tb_ddr3_phy.v" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "$cfg (compile error)"; }
[ $netlist = 1 ] || grep -v "^$" "$work/build.log" || true

# run PLUSARG...: one simulation, its log in sim.log; status 0 when it passed.
run() {
  vvp -n "$work/sim" "$@" > "$work/sim.log" 2>&1 || true
  [ "$(grep -c '^RESULT: PASS' "$work/sim.log")" = 1 ] && ! grep -q ERROR "$work/sim.log"
}
if [ -z "$sweep" ]; then
  ok=0; run "$@" && ok=1
  # The first 40 error lines are plenty to debug from.
  grep -v ERROR "$work/sim.log" || true
  grep ERROR "$work/sim.log" | head -40
  [ $ok = 1 ] && exit 0
  grep -q '^RESULT: FAIL' "$work/sim.log" || fail "$cfg (simulation ended without a result)"
  exit 1
fi

tck=$(param tCK "$work/gen/vlmc_param.v")
groups=$(($(param DQ_WIDTH "$work/gen/vlmc_param.v") / 8))
[ "$(param DRAM_WIDTH "$work/gen/vlmc_param.v")" != 4 ] || groups=$((groups * 2))
div=1; may=""
case $sweep in
  rd)  from=0; to=$((2 * tck + 1000)); arg=rd_dly; may=+may_fail ;;
  ck)  from=$((-tck / 4)); to=$((tck / 4)); arg=ck_skew ;;
  fly) from=0; to=$tck; arg=fly; [ $groups = 1 ] || div=$((groups - 1)) ;;
  *)   fail "$cfg (unknown sweep $sweep)" ;;
esac
bad=0
for v in $(seq -- $from $((tck / 8)) $to); do
  if run "+$arg=$((v / div))" $may "$@"; then
    what="data passed"; grep -q "calibration failed" "$work/sim.log" && what="calibration reported failure"
    echo "$arg $v ps: $what"
  else
    echo "$arg $v ps: FAILED"; grep "ERROR\|RESULT" "$work/sim.log" | head -10; bad=1
  fi
done
[ $bad = 1 ] && fail "$cfg sweep $sweep"
echo "RESULT: PASS $cfg sweep $sweep"
