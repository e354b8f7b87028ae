#!/bin/sh
# Simulates one core of configs.txt against the DDR3 device model:
#   run_sim.sh [--netlist] [--sweep SWEEP] CONFIG [+PLUSARG...]
# (plusargs go to the bench, the device model and the primitives).  The RTL
# is compiled as synthesis reads it; --netlist simulates Yosys' netlist of it
# instead, with the primitives' models, as the host's netlist simulation does.
# Each step runs with the next of seeds 1, 2, 3 in turn (the seed draws the
# primitives' tap steps and the model's skews, jitter and tDQSCK).
# Board delays: rd, the read round trip from 0 to 2 tCK + 1 ns in steps of
# tCK/4, each run passing its data or reporting a failed calibration; ck, CK
# from -tCK/4 to +tCK/4 against DQS in steps of tCK/8; fly, CK spread from 0
# to 1 tCK over the strobe groups (first to last) in steps of tCK/4.
# Device and board variation: skew, each DQ/DM line 0..S ps for S = 0, 150,
# 300, 450; dqsck, tDQSCK's steady part over -limit, -limit/2, 0, limit/2,
# limit; jitter, +-30, 35, 40 ps (more makes the strobe's own pulses break
# tDQSH/tDQSL at 600 MHz).
# drift: one long run per seed 1, 2, 3, tDQSCK and the DQ/DQS line delays each
# drifting by +-UI/8 at 5 ps/us once calibration is over, so the read eyes
# move by +-UI/4 at 10 ps/us, up to one end and on to the other.  (The PHY
# moves an eye edge up to two taps every other REFRESH; the bench refreshes
# about every 1.7 us at 400 MHz.)  Every
# run but rd's must pass its data.  The seed goes to the primitives' tap
# delays and the model.
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
iverilog -g2012 -Wall $defs -o "$work/sim" -s tb -I "$work/gen" -I "$data" -I "$hdl" \
  "$prims" $core \
  "$root/core/ddr3phy/sim/ddr3_model.v" "$hdl/tb_ddr3_phy.v" > "$work/build.log" 2>&1 ||
  { cat "$work/build.log"; fail "$cfg (compile error)"; }
[ $netlist = 1 ] || grep -v "^$" "$work/build.log" || true

# run PLUSARG...: one simulation, its log in sim.log; status 0 when it passed.  Command
# distances must also hold on a clock 2 % fast, as the core's waits promise (a
# plusarg given first wins).
run() {
  vvp -n "$work/sim" "$@" +clock_margin=2 > "$work/sim.log" 2>&1 || true
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
# tDQSCK limit at this clock (the model's table).
if [ $tck -ge 2500 ]; then lim=400; elif [ $tck -ge 1875 ]; then lim=300;
elif [ $tck -ge 1500 ]; then lim=255; elif [ $tck -ge 1250 ]; then lim=225; else lim=195; fi
ui8=$((tck / 16)); rate=5
may=""; seeds=rotate
case $sweep in
  rd)     steps=$(seq -- 0 $((tck / 4)) $((2 * tck + 1000)) | sed 's/^/rd_dly=/'); may=+may_fail ;;
  ck)     steps=$(seq -- $((-tck / 4)) $((tck / 8)) $((tck / 4)) | sed 's/^/ck_skew=/') ;;
  fly)    div=1; [ $groups = 1 ] || div=$((groups - 1))
          steps=$(for v in $(seq 0 $((tck / 4)) $tck); do echo fly=$((v / div)); done) ;;
  skew)   steps="skew=0 skew=150 skew=300 skew=450" ;;
  dqsck)  steps="dqsck=-$lim dqsck=-$((lim / 2)) dqsck=0 dqsck=$((lim / 2)) dqsck=$lim" ;;
  jitter) steps="jitter=30 jitter=35 jitter=40" ;;
  drift)  steps="run_us=$((3 * ui8 / rate))"; seeds="1 2 3"
          set -- +drift_rate=$rate +dqsck_drift_amp=$ui8 +dly_drift_amp=$ui8 "$@" ;;
  *)      fail "$cfg (unknown sweep $sweep)" ;;
esac
[ -z "${HDL_SEEDS:-}" ] || seeds=$HDL_SEEDS
bad=0; n=0; npass=0; ncal=0
for step in $steps; do
  for seed in $seeds; do
    [ "$seed" != rotate ] || seed=$((n % 3 + 1))
    n=$((n + 1))
    if run "+$step" +vx_seed=$seed $may "$@"; then
      what="data passed"
      if grep -q "calibration failed" "$work/sim.log"; then
        what="calibration reported failure"; ncal=$((ncal + 1))
      else npass=$((npass + 1)); fi
      echo "$step seed $seed: $what"
    else
      echo "$step seed $seed: FAILED"; grep "ERROR\|RESULT" "$work/sim.log" | head -10; bad=1
    fi
    # Figures for the tested envelope: DQS placement and per-bit eyes.
    grep "from CK at the device\|eye .* taps\|half periods" "$work/sim.log" | sed 's/^/    /' || true
  done
done
# One line for the tested-envelope table.
echo "ENVELOPE $cfg $sweep $(echo $steps | sed 's/ .*=/../') $*: $n runs, $npass passed data," \
  "$ncal reported a calibration failure, $((n - npass - ncal)) failed"
[ $bad = 1 ] && fail "$cfg sweep $sweep"
echo "RESULT: PASS $cfg sweep $sweep"
