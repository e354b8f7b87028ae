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
# COUNT=1 also counts the instructions Yosys executes (valgrind, about 60 times
# slower): unlike the times they do not change with the machine's load, so
# they are the figure to compare two HDL versions by (from folders whose
# paths are equally long: Yosys carries them in every cell's source
# attribute).  ABC runs as a child process and is not in the count.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
data=${HDL:-$root/core/ddr3phy/data}
ipgen=${IPGEN:-$root/build/ipgen}
for tool in yosys /usr/bin/time ${COUNT:+valgrind}; do
  command -v $tool > /dev/null ||
    { echo "bench_synth: $tool not installed (apt-get install yosys time valgrind)"; exit 1; }
done
[ $# -gt 0 ] || set -- s2_dq16 s4_dq72e
work=${KEEP:-$(mktemp -d)}
[ -n "${KEEP:-}" ] || trap 'rm -rf "$work"' EXIT INT TERM

printf '%-14s %8s %8s %9s %8s%s\n' core "wall [s]" "CPU [s]" "peak [MB]" cells \
  "${COUNT:+  instructions [G]}"
for name in "$@"; do
  fix=$work/$name
  rm -rf "$fix"
  sh "$root/tests/hdl/gen_config.sh" "$ipgen" "$name" "$fix" > /dev/null
  ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
  script="read_verilog -lib $root/host/share/veltra_prims.v; \
          read_verilog -defer -I$fix -I$data $data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v; \
          synth -top core_$name; write_verilog -noattr $fix/netlist.v; tee -o $fix/stat.txt stat"
  if ! /usr/bin/time -v -o "$fix/time.txt" yosys -q -l "$fix/yosys.log" -p "$script" \
       > /dev/null 2>&1; then
    echo "bench_synth: Yosys failed on $name"; tail -5 "$fix/yosys.log"; exit 1
  fi
  secs=$(sed -n 's/^.*Elapsed (wall clock) time.*: \(.*\)$/\1/p' "$fix/time.txt" |
         awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.1f", s }')
  cpu=$(sed -n 's/^.*\(User\|System\) time (seconds): \([0-9.]*\)$/\2/p' "$fix/time.txt" |
        awk '{ s += $1 } END { printf "%.1f", s }')
  kb=$(sed -n 's/^.*Maximum resident set size (kbytes): \([0-9]*\)$/\1/p' "$fix/time.txt")
  cells=$(sed -n 's/^ *Number of cells: *\([0-9]*\).*/\1/p' "$fix/stat.txt" | tail -1)
  count=
  if [ -n "${COUNT:-}" ]; then
    valgrind --tool=callgrind --callgrind-out-file=/dev/null yosys -q -p "$script" \
      > /dev/null 2> "$fix/count.txt"
    count=$(sed -n 's/^.*Collected : \([0-9]*\)$/\1/p' "$fix/count.txt" |
            awk '{ printf "%18.2f", $1 / 1e9 }')
  fi
  printf '%-14s %8s %8s %9d %8s%s\n' "$name" "$secs" "$cpu" $((kb / 1024)) "$cells" "$count"
done
