#!/bin/sh
# Writes the four files the plug-in generates for a core (vlmc_param.v,
# ddr3_pll_config.v, DDR3_define.v, ddr3_name.v), line for line in the
# plug-in's formats, into the directory $1.  Settings come from environment
# variables; unset ones take the 1:2 part preset (AD3U160022G11, 200 MHz,
# 50 MHz reference, VX1-10).
#   usage: [VAR=value ...] gen_fixture.sh DIR
set -eu
dir=$1
mkdir -p "$dir"

NAME=${NAME:-my_ddr}
RATIO=${RATIO:-2}
MEM_MHZ=${MEM_MHZ:-200}
REF_PS=${REF_PS:-20000}
DQ=${DQ:-16}
DRAM=${DRAM:-8}
ROW=${ROW:-15}
COL=${COL:-10}
ECC=${ECC:-OFF}
REG_CTRL=${REG_CTRL:-OFF}
BURST_MODE=${BURST_MODE:-4}
BURST_TYPE=${BURST_TYPE:-SEQ}
CL=${CL:-11}
CWL=${CWL:-5}
AL=${AL:-0}
WR=${WR:-6}
RTT_NOM=${RTT_NOM:-40}
RTT_WR=${RTT_WR:-OFF}
USER_REFRESH=${USER_REFRESH:-OFF}
ADDR_CMD=${ADDR_CMD:-1T}
DRV=${DRV:-LOW}
# PLL search result for the memory clock: feedback, input, output divider.
FBDIV=${FBDIV:-4}
IDIV=${IDIV:-1}
ODIV=${ODIV:-4}
DEVICE=${DEVICE:-VX1-10}

tck=$((1000000 / MEM_MHZ))
fclkin=$((1000000 / REF_PS))

cat > "$dir/vlmc_param.v" <<EOF
parameter DRAM_TYPE = "DDR3";
\`define DDR3
parameter nCK_PER_CLK = $RATIO;
parameter tCK = $tck;
parameter REG_CTRL = "$REG_CTRL";
parameter DQ_WIDTH = $DQ;
parameter DRAM_WIDTH = $DRAM;
parameter ECC = "$ECC";
parameter RANK_WIDTH = 1;
parameter BANK_WIDTH = 3;
parameter ROW_WIDTH = $ROW;
parameter COL_WIDTH = $COL;
parameter tRP = 12500;
parameter tRRD = 7500;
parameter tRTP = 7500;
parameter tRCD = 12500;
parameter tRC = ${TRC:-55000};
parameter tRAS = 37500;
parameter tFAW = 40000;
parameter tWTR = 7500;
parameter tCKE = 75000;
parameter tREFI = 7800000;
parameter tRFC = 160000;
parameter tDLLK = 512;
parameter BURST_MODE = "$BURST_MODE";
parameter BURST_TYPE = "$BURST_TYPE";
parameter CL = $CL;
parameter CWL = $CWL;
parameter AL = "$AL";
parameter WR_CYC = $WR;
parameter SLOT_0_CONFIG = 8'b00000001;
parameter SLOT_1_CONFIG = 8'b00000000;
parameter RTT_NOM = "$RTT_NOM";
parameter RTT_WR = "$RTT_WR";
parameter USER_REFRESH = "$USER_REFRESH";
parameter ADDR_CMD_MODE = "$ADDR_CMD";
parameter OUTPUT_DRV = "$DRV";
EOF

cat > "$dir/ddr3_pll_config.v" <<EOF
defparam u_PLL.FCLKIN = "$fclkin";
defparam u_PLL.DYN_IDIV_SEL= "false";
defparam u_PLL.IDIV_SEL = $((IDIV - 1));
defparam u_PLL.DYN_FBDIV_SEL= "false";
defparam u_PLL.FBDIV_SEL = $((FBDIV - 1));
defparam u_PLL.PSDA_SEL= "1000";
defparam u_PLL.DYN_DA_EN = "false";
defparam u_PLL.DYN_ODIV_SEL = "false";
defparam u_PLL.DUTYDA_SEL= "1000";
defparam u_PLL.CLKOUT_FT_DIR = 1'b1;
defparam u_PLL.CLKOUTP_FT_DIR = 1'b1;
defparam u_PLL.CLKFB_SEL = "internal";
defparam u_PLL.ODIV_SEL = $ODIV;
defparam u_PLL.CLKOUT_BYPASS = "false";
defparam u_PLL.CLKOUTP_BYPASS = "false";
defparam u_PLL.CLKOUTD_BYPASS = "false";
defparam u_PLL.DYN_SDIV_SEL = 2;
defparam u_PLL.CLKOUTD_SRC = "CLKOUT";
defparam u_PLL.CLKOUTD3_SRC = "CLKOUT";
defparam u_PLL.DEVICE = "$DEVICE";
EOF

{
  echo '`define DDR3_PHY'
  if [ "$ECC" = ON ] && [ "$DQ" = 72 ]; then echo '`define ECC'; fi
} > "$dir/DDR3_define.v"

# Each element carries its own line feed and the elements are joined by
# another one, as the plug-in hands them over.
printf '`define module_name_ddr %s\n\n`define getname(oriName,tmodule_name) \\~oriName.tmodule_name\n\n' \
  "$NAME" > "$dir/ddr3_name.v"
