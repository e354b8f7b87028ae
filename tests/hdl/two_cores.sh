#!/bin/sh
# Cores with different module names in one design, as a user's project holds
# them, each read on its own include path (its generated files): Icarus and
# Yosys must take them together, every core top a root, with one PHY module
# per core.  Two of them share a ratio, so their PHYs clash unless named
# after the core.
set -eu
. "$(dirname "$0")/hdl.sh"
need iverilog yosys
files=""; script=""
for c in x2_300_dq16 s2_dq72e x4_800_dq16; do
  gen $c "$work/$c"
  iverilog -E -I "$work/$c" -I "$data" -o "$work/$c.v" $(core_files)
  files="$files $work/$c.v"
  script="$script read_verilog -I$work/$c -I$data $(core_files);"
done
iverilog -o "$work/sim" "$prims" $files || fail "two_cores (Icarus)"
[ "$(sed -n 's/^module \(\\~ddr3_phy_1_[24]\.core_[a-z0-9_]*\) .*/\1/p' $files | sort -u | wc -l)" = 3 ] ||
  fail "two_cores (Icarus: not one PHY module per core)"
ys "$work/ys.log" "$script hierarchy -check; ls" || fail "two_cores (Yosys)"
[ "$(sed -n '/^[0-9]* modules:$/,$p' "$work/ys.log" | grep -c '^  ddr3_phy_1_[24]__core_')" = 3 ] ||
  fail "two_cores (Yosys: not one PHY module per core)"
echo "RESULT: PASS two_cores (Icarus and Yosys)"
