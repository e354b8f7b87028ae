#!/bin/sh
# Yosys time, peak memory and cell count of generated cores, run as the
# host's synthesis step runs them (primitive library, core sources, generic
# `synth`, netlist written).  Cores are named as in tests/hdl/configs.txt.
#   bench_synth.sh [NAME...]    (default: s2_dq16 s4_dq72e, the default core
#                                and the largest)
# Then the fabric size of the cores in LUT_CORES (default s4_dq16 s4_dq72e)
# with `synth -lut 6`: 6-input LUTs and flip-flops (the I/O primitives are
# black boxes and count as neither), next to their budgets.
# Times: wall clock; CPU of the whole run, ABC's child process included; and
# Yosys's CPU as Yosys itself reports it at the end of its log, next to its
# peak memory.  The CPU figures are the ones to compare on a busy machine.
# REPEAT=N runs each core N times and adds a line of medians.
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

printf '%-14s %8s %8s %9s %9s %8s\n' core "wall [s]" "CPU [s]" "Yosys [s]" "peak [MB]" cells
median() { sort -n | awk '{ v[NR] = $1 } END { printf "%.2f", (v[int((NR + 1) / 2)] + v[int(NR / 2) + 1]) / 2 }'; }
for name in "$@"; do
  fix=$work/$name
  rm -rf "$fix"
  sh "$root/tests/hdl/gen_config.sh" "$ipgen" "$name" "$fix" > /dev/null
  ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
  script="read_verilog -lib $root/host/share/veltra_prims.v; \
          read_verilog -defer -I$fix -I$data $data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v; \
          synth -top core_$name; write_verilog -noattr $fix/netlist.v; tee -o $fix/stat.txt stat"
  : > "$fix/runs.txt"
  run=0
  while [ $run -lt "${REPEAT:-1}" ]; do
    run=$((run + 1))
    if ! /usr/bin/time -v -o "$fix/time.txt" yosys -q -l "$fix/yosys.log" -p "$script" \
         > /dev/null 2>&1; then
      echo "bench_synth: Yosys failed on $name"; tail -5 "$fix/yosys.log"; exit 1
    fi
    secs=$(sed -n 's/^.*Elapsed (wall clock) time.*: \(.*\)$/\1/p' "$fix/time.txt" |
           awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; printf "%.2f", s }')
    cpu=$(sed -n 's/^.*\(User\|System\) time (seconds): \([0-9.]*\)$/\2/p' "$fix/time.txt" |
          awk '{ s += $1 } END { printf "%.2f", s }')
    own=$(sed -n 's/^End of script.*CPU: user \([0-9.]*\)s system \([0-9.]*\)s.*$/\1 \2/p' \
            "$fix/yosys.log" | awk '{ printf "%.2f", $1 + $2 }')
    kb=$(sed -n 's/^.*Maximum resident set size (kbytes): \([0-9]*\)$/\1/p' "$fix/time.txt")
    cells=$(sed -n 's/^ *Number of cells: *\([0-9]*\).*/\1/p' "$fix/stat.txt" | tail -1)
    echo "$secs $cpu $own" >> "$fix/runs.txt"
    printf '%-14s %8s %8s %9s %9d %8s\n' "$name" "$secs" "$cpu" "$own" $((kb / 1024)) "$cells"
  done
  if [ "${REPEAT:-1}" -gt 1 ]; then
    printf '%-14s %8s %8s %9s\n' "  median" "$(cut -d' ' -f1 "$fix/runs.txt" | median)" \
      "$(cut -d' ' -f2 "$fix/runs.txt" | median)" "$(cut -d' ' -f3 "$fix/runs.txt" | median)"
  fi
  if [ -n "${COUNT:-}" ]; then
    valgrind --tool=callgrind --callgrind-out-file=/dev/null yosys -q -p "$script" \
      > /dev/null 2> "$fix/count.txt"
    printf '%-14s %18s\n' "  instructions" "$(sed -n 's/^.*Collected : \([0-9]*\)$/\1/p' \
      "$fix/count.txt" | awk '{ printf "%.2f G", $1 / 1e9 }')"
  fi
done

# Fabric size: 6-input LUTs and flip-flops after `synth -lut 6`, against the budgets.
budget() {
  case $1 in
    s4_dq16)  echo "1000 1500" ;;
    s4_dq72e) echo "4500 7000" ;;
    *)        echo "- -" ;;
  esac
}
printf '\n%-14s %8s %8s %10s %10s\n' core LUTs FFs "LUT budget" "FF budget"
for name in ${LUT_CORES:-s4_dq16 s4_dq72e}; do
  fix=$work/lut_$name
  rm -rf "$fix"
  sh "$root/tests/hdl/gen_config.sh" "$ipgen" "$name" "$fix" > /dev/null
  ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$fix/vlmc_param.v")
  if ! yosys -q -l "$fix/yosys.log" -p "read_verilog -lib $root/host/share/veltra_prims.v; \
       read_verilog -defer -I$fix -I$data $data/ddr3_1_${ratio}code.v $data/DDR3_PHY_TOP.v; \
       synth -lut 6 -top core_$name; flatten; tee -o $fix/stat.txt stat" > /dev/null 2>&1; then
    echo "bench_synth: Yosys failed on $name"; tail -5 "$fix/yosys.log"; exit 1
  fi
  luts=$(awk '/\$lut/ { n += $2 } END { print n + 0 }' "$fix/stat.txt")
  ffs=$(awk '/\$_(S?DFF|DFFE|SDFFE|SDFFCE|ALDFF|DLATCH)[A-Z0-9_]*_/ { n += $2 } END { print n + 0 }' \
        "$fix/stat.txt")
  printf '%-14s %8s %8s %10s %10s\n' "$name" "$luts" "$ffs" $(budget "$name")
done
