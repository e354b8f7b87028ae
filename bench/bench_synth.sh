#!/bin/sh
# Yosys time (wall clock and CPU: the CPU figure is the one to compare on a
# busy machine), peak memory and cell count of generated cores, run as the
# host's synthesis step runs them (primitive library, core sources, generic
# `synth`, netlist written).  Cores are named as in tests/hdl/configs.txt.
#   bench_synth.sh [NAME...]    (default: s2_dq16 s4_dq72e, the default core
#                                and the largest)
# IPGEN names the ipgen to generate with (default build/ipgen); HDL a folder
# with another version of core/ddr3phy/data to measure instead, e.g. one
# exported with `git archive REV core/ddr3phy/data | tar -x -C DIR`.
# KEEP a folder to leave the generated files and Yosys logs in.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
data=${HDL:-$root/core/ddr3phy/data}
ipgen=${IPGEN:-$root/build/ipgen}
for tool in yosys /usr/bin/time; do
  command -v $tool > /dev/null || { echo "bench_synth: $tool not installed (apt-get install yosys time)"; exit 1; }
done
[ $# -gt 0 ] || set -- s2_dq16 s4_dq72e
work=${KEEP:-$(mktemp -d)}
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT INT TERM

printf '%-14s %8s %8s %9s %8s\n' core "wall [s]" "CPU [s]" "peak [MB]" cells
for name in "$@"; do
  fix=$work/$name
  rm -rf "$fix"
  sh "$root/tests/hdl/gen_config.sh" "$ipgen" "$name" "$fix" > /dev/null
  ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
  if ! /usr/bin/time -v -o "$fix/time.txt" yosys -q -l "$fix/yosys.log" -p \
       "read_verilog -lib $root/host/share/veltra_prims.v; \
        read_verilog -defer -I$fix -I$data $data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v; \
        synth -top core_$name; write_verilog -noattr $fix/netlist.v; tee -o $fix/stat.txt stat" \
       > /dev/null 2>&1; then
    echo "bench_synth: Yosys failed on $name"; tail -5 "$fix/yosys.log"; exit 1
  fi
  secs=$(sed -n 's/^.*Elapsed (wall clock) time.*: \(.*\)$/\1/p' "$fix/time.txt" |
         awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.1f", s }')
  cpu=$(sed -n 's/^.*\(User\|System\) time (seconds): \([0-9.]*\)$/\2/p' "$fix/time.txt" |
        awk '{ s += $1 } END { printf "%.1f", s }')
  kb=$(sed -n 's/^.*Maximum resident set size (kbytes): \([0-9]*\)$/\1/p' "$fix/time.txt")
  cells=$(sed -n 's/^ *Number of cells: *\([0-9]*\).*/\1/p' "$fix/stat.txt" | tail -1)
  printf '%-14s %8s %8s %9d %8s\n' "$name" "$secs" "$cpu" $((kb / 1024)) "$cells"
done
