# Shared by the HDL test scripts (sourced; the script's $0 sits two folders
# below the source root): scratch folder, tool check, generated cores, Yosys.
# IPGEN names the ipgen to generate with (default build/ipgen), HDL_DATA
# another core/ddr3phy/data to test (see faults.sh).
root=$(cd "$(dirname "$0")/../.." && pwd)
hdl=$root/tests/hdl
data=${HDL_DATA:-$root/core/ddr3phy/data}
prims=$root/host/share/veltra_prims.v
ipgen=${IPGEN:-$root/build/ipgen}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT INT TERM

fail() { echo "RESULT: FAIL $*"; exit 1; }
need() {
  for t in "$@"; do
    command -v "$t" > /dev/null || fail "($t not installed: apt-get install yosys iverilog)"
  done
}
param() { sed -n "s/^parameter $1 = \([0-9]*\);.*/\1/p" "$2"; }

# gen NAME DIR: core NAME of configs.txt (module core_NAME) as ipgen's
# files-only run writes its four files, plus the bench settings tb_config.vh,
# into DIR; core_files then names the core's sources in synthesis order.
gen() {
  g_dir=$2
  g_line=$(grep "^$1 " "$hdl/configs.txt") || fail "$1 (not in configs.txt)"
  set -- $g_line
  g_name=$1; g_dev=$2; g_cond=$3; g_bin=$4; shift 4
  for s in "$@"; do set -- "$@" --set "$s"; shift; done
  mkdir -p "$g_dir"
  "$ipgen" generate --core ddr3_phy --device "$g_dev" --condition "$g_cond" --out "$g_dir/out" \
    --files-only --approx accept --set "editModuleName=core_$g_name" "$@" > "$g_dir/ipgen.log" 2>&1 ||
    { cat "$g_dir/ipgen.log"; fail "$g_name (ipgen generate)"; }
  cp "$g_dir"/out/temp/DDR3_PHY/*.v "$g_dir/"
  g_ratio=$(param nCK_PER_CLK "$g_dir/vlmc_param.v")
  cat > "$g_dir/tb_config.vh" <<TB
\`define TB_NAME          "$g_name"
\`define TB_REF_PS        20000
\`define TB_INIT_RESET_US 2
\`define TB_INIT_CKE_US   5
\`define TB_RD_DLY        300
\`define TB_SEED          2
\`define TB_BIN           $( [ "$g_bin" = - ] && echo 0 || echo "$g_bin" )
\`define TB_PHY           dut.g_1_$g_ratio.u_phy
\`define TB_REF_WINDOW    256
TB
  # A PHY that calibrates with delay taps has its results checked (tb_phy_cal.vh).
  ! grep -q VX_DELAY "$data"/*.v* || echo '`define TB_PHY_CAL' >> "$g_dir/tb_config.vh"
}
core_files() { echo "$data/ddr3_1_${g_ratio}code.v $data/DDR3_PHY_TOP.v"; }
# The Yosys command that reads the core generated into DIR as the host's synthesis does.
read_core() { echo "read_verilog -defer -I$1 -I$data $(core_files)"; }

# ys LOG COMMANDS: one Yosys run after reading the primitives ($prims); any
# error or warning fails it and shows the first ones.
ys() {
  if yosys -p "read_verilog -lib $prims; $2" > "$1" 2>&1 && ! grep -qi warning "$1"; then
    sed -n 's/^ *Number of cells: *\([0-9]*\).*/\1 cells/p' "$1" | tail -1
    return 0
  fi
  grep -iE "error|warning" "$1" | head -10
  return 1
}
