#!/bin/sh
# Unit tests of the I/O primitives of the device library (benches in prims/):
# each row of the table below is one simulation.  A "clean" row must print
# no VX TIMING ERROR and no mismatch; any other expectation is a text the
# self-checks must print (a deliberately bad stimulus).  The seed rows must
# each draw a different tap step.
#   prims.sh [TEXT]     (only the rows containing TEXT)
set -eu
. "$(dirname "$0")/hdl.sh"
need iverilog vvp
# name           | bench  | Icarus options               | plusargs                  | expect
grep -F -- "${1:-}" > "$work/cases" <<'TABLE' || true
r4               | serdes | -Ptb.RATIO=4                 |                           | clean
r4_ck90_533      | serdes | -Ptb.RATIO=4                 | +fphase=90 +tck=1876      | clean
r4_slips_300     | serdes | -Ptb.RATIO=4                 | +slips +tck=3334          | clean
r4_late_d        | serdes | -Ptb.RATIO=4                 | +dchg=-200 +slips         | clean
r4_meta_setup    | serdes | -Ptb.RATIO=4                 | +dchg=20                  | clean
r8               | serdes | -Ptb.RATIO=8                 |                           | clean
r8_ck90_slips    | serdes | -Ptb.RATIO=8                 | +fphase=90 +slips         | clean
r4_shift         | serdes | -Ptb.RATIO=4                 | +shift                    | clean
r8_ck90_shift    | serdes | -Ptb.RATIO=8                 | +fphase=90 +shift         | clean
r8_meta_hold     | serdes | -Ptb.RATIO=8                 | +dchg=-20 +slips          | clean
r4_delay1_slips  | serdes | -Ptb.RATIO=4                 | +delay=1 +slips           | clean
r8_delay3_slips  | serdes | -Ptb.RATIO=8                 | +delay=3 +slips           | clean
r4_async         | serdes | -Ptb.RATIO=4                 | +async                    | tb.ser: setup of D, TX, SHIFT:
r8_async_bitslip | serdes | -Ptb.RATIO=8                 | +async                    | tb.des: setup of BITSLIP, DELAY:
r8_ratio_ser     | serdes | -Ptb.RATIO=8 -Ptb.CLK_DIV=2  |                           | tb.ser: 2 FCLK rising edges in the PCLK period
r4_ratio_des     | serdes | -Ptb.RATIO=4 -Ptb.CLK_DIV=4  |                           | tb.des: 4 FCLK rising edges in the PCLK period
r4_phase         | serdes | -Ptb.RATIO=4                 | +pclk_drift=7             | tb.ser: PCLK rising edge at
r8_phase         | serdes | -Ptb.RATIO=8                 | +pclk_drift=-9            | tb.des: PCLK rising edge at
seed1            | delay  |                              |                           | clean
seed2            | delay  |                              | +vx_seed=2                | clean
seed3            | delay  |                              | +vx_seed=3                | clean
setup_ok         | delay  |                              | +chg=-160                 | clean
setup_bad        | delay  |                              | +chg=-140                 | tb.dl: setup of LOAD, VALUE, MOVE, DIR: change 140.000 ps
at_edge          | delay  |                              | +chg=0                    | clean
setup_then_edge  | delay  |                              | +chg=-100 +chg2=0         | tb.dl: setup of LOAD, VALUE, MOVE, DIR: change 100.000 ps
hold_bad         | delay  |                              | +chg=40                   | tb.dl: hold of LOAD, VALUE, MOVE, DIR: change 40.000 ps
hold_ok          | delay  |                              | +chg=60                   | clean
TABLE
[ -s "$work/cases" ] || fail "prims (no row matches ${1:-})"
failed=0
while IFS='|' read -r name bench opts args expect; do
  name=$(echo $name); bench=$(echo $bench); expect=$(echo $expect)
  sim=$work/$bench$(echo $opts | tr -c 'a-zA-Z0-9\n' _).vvp
  [ -f "$sim" ] || iverilog -Wall -DVX_CHECK_PATH=tb.vx_check $opts -o "$sim" "$prims" \
    "$hdl/prims/tb_$bench.v" > "$work/build.log" 2>&1 || { cat "$work/build.log"; fail "prims ($bench: compile error)"; }
  vvp -n "$sim" $args > "$work/$name.log" 2>&1 || true
  last=$(grep '^errors [0-9]* mismatches' "$work/$name.log" || echo "no result")
  if [ "$expect" = clean ]; then
    [ "$last" = "errors 0 mismatches 0" ] && ok=1 || ok=0
  else
    grep -q "^errors [1-9]" "$work/$name.log" && grep -qF "VX TIMING ERROR: $expect" "$work/$name.log" &&
      ok=1 || ok=0
  fi
  case $name in seed*) grep '^step ' "$work/$name.log" | tr '\n' ' ' >> "$work/steps"; echo >> "$work/steps" ;; esac
  if [ $ok = 1 ]; then echo "ok   $name: $last"; else
    failed=$((failed + 1))
    echo "FAIL $name ($expect): $last"
    grep -E "MISMATCH|VX TIMING ERROR" "$work/$name.log" | head -5
  fi
done < "$work/cases"
if [ -f "$work/steps" ]; then
  cat "$work/steps"
  [ "$(sort -u "$work/steps" | wc -l)" = "$(wc -l < "$work/steps")" ] ||
    { failed=$((failed + 1)); echo "FAIL seeds: two seeds drew the same steps"; }
fi
[ $failed = 0 ] || fail "prims ($failed of $(wc -l < "$work/cases") cases)"
echo "RESULT: PASS prims ($(wc -l < "$work/cases") cases)"
