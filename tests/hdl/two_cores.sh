#!/bin/sh
# Several generated cores with different module names in one design, as a
# user's project holds them: each core's sources are read with its own
# include path (its own generated files), then a design instantiates all.
# Checked with Icarus Verilog (elaborate and run to the end of every core's
# initialisation) and with Yosys (elaborate the hierarchy, then list it).
set -eu
for tool in yosys iverilog vvp; do
  command -v $tool > /dev/null || { echo "RESULT: FAIL ($tool not installed: apt-get install yosys iverilog)"; exit 1; }
done
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
data=${HDL_DATA:-$root/core/ddr3phy/data}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM
status=0

cores="x2_300_dq16:2 s2_dq72e:2 x4_800_dq16:4"
for c in $cores; do
  sh "$here/gen_config.sh" "${IPGEN:-$root/build/ipgen}" "${c%%:*}" "$work/${c%%:*}.gen" ||
    { echo "RESULT: FAIL two_cores (no generated files)"; exit 1; }
done

# Icarus: one preprocessed text per core, then one compilation.
files=""
for c in $cores; do
  fix=$work/${c%%:*}.gen
  iverilog -E -I "$fix" -I "$data" -o "$work/${c%%:*}.v" \
    "$data/ddr3_1_${c##*:}code.v" "$data/DDR3_PHY_TOP.v"
  files="$files $work/${c%%:*}.v"
  # Outside Yosys the PHY carries the name the generated getname macro makes.
  name=$(sed -n 's/^`define module_name_ddr \([A-Za-z0-9_]*\).*/\1/p' "$fix/ddr3_name.v")
  if grep -q "^module \\\\~ddr3_phy_1_${c##*:}\.$name " "$work/${c%%:*}.v"; then
    echo "  PHY of $name: \\~ddr3_phy_1_${c##*:}.$name"
  else
    echo "Icarus: no PHY module \\~ddr3_phy_1_${c##*:}.$name"; status=1
  fi
done
if iverilog -g2012 -o "$work/sim" -s two_cores_tb "$root/host/share/veltra_prims.v" \
     $files "$here/two_cores_top.v" > "$work/iv.log" 2>&1; then
  vvp -n "$work/sim" | tee "$work/sim.log" | grep RESULT || true
  grep -q "^RESULT: PASS" "$work/sim.log" || status=1
else
  cat "$work/iv.log"; echo "Icarus: the cores do not elaborate together"; status=1
fi

# Yosys: each core read on its own include path into the same design.
script="read_verilog -lib $root/host/share/veltra_prims.v;"
for c in $cores; do
  script="$script read_verilog -I$work/${c%%:*}.gen -I$data $data/ddr3_1_${c##*:}code.v $data/DDR3_PHY_TOP.v;"
done
script="$script read_verilog $here/two_cores_top.v; hierarchy -check -top two_cores_top; ls"
if yosys -p "$script" > "$work/ys.log" 2>&1; then
  # The module list printed by `ls` at the end of the run.
  sed -n '/^[0-9]* modules:$/,$p' "$work/ys.log" | grep 'ddr3_phy_1_[24]__' > "$work/phys" || true
  cat "$work/phys"
  if [ "$(sort -u "$work/phys" | wc -l)" -ne 3 ]; then
    echo "Yosys: expected three distinct PHY modules"; status=1
  fi
else
  grep -i error "$work/ys.log" | head; echo "Yosys: the cores do not elaborate together"; status=1
fi

if [ $status = 0 ]; then echo "RESULT: PASS two_cores (Icarus and Yosys)"; else echo "RESULT: FAIL two_cores"; fi
exit $status
