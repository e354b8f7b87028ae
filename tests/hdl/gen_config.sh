#!/bin/sh
# Generates the four files of one core listed in configs.txt with ipgen's
# files-only run, plus the bench settings (tb_config.vh), into DIR.
#   gen_config.sh IPGEN NAME DIR
set -eu
ipgen=$1; name=$2; dir=$3
here=$(cd "$(dirname "$0")" && pwd)
line=$(grep "^$name " "$here/configs.txt") || { echo "gen_config: no core $name in configs.txt" >&2; exit 2; }
set -- $line
device=$2; condition=$3; bin=$4; shift 4
sets=""
for s in "$@"; do sets="$sets --set $s"; done
mkdir -p "$dir"
# shellcheck disable=SC2086
if ! "$ipgen" generate --core ddr3_phy --device "$device" --condition "$condition" \
       --out "$dir/out" --files-only --approx accept --set "editModuleName=core_$name" $sets \
       > "$dir/ipgen.log" 2>&1; then
  cat "$dir/ipgen.log" >&2; echo "gen_config: ipgen failed for $name" >&2; exit 1
fi
for f in vlmc_param.v ddr3_pll_config.v DDR3_define.v ddr3_name.v; do
  cp "$dir/out/temp/DDR3_PHY/$f" "$dir/$f"
done
ratio=$(sed -n 's/^parameter nCK_PER_CLK = \([0-9]*\);.*/\1/p' "$dir/vlmc_param.v")
cat > "$dir/tb_config.vh" <<TB
// Bench settings for $name (not a generated file).
\`define TB_NAME          "$name"
\`define TB_REF_PS        20000
\`define TB_INIT_RESET_US 2
\`define TB_INIT_CKE_US   5
\`define TB_RD_DLY        300
\`define TB_SEED          2
\`define TB_BIN           $( [ "$bin" = - ] && echo 0 || echo "$bin" )
\`define TB_PHY           dut.g_1_$ratio.u_phy
TB
