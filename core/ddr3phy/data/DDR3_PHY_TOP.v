// Top of the generated DDR3 PHY core.  Its module name, parameters, PLL
// settings and options come from the four files the generator writes into
// the working directory (ddr3_name.v, vlmc_param.v, ddr3_pll_config.v,
// DDR3_define.v); the PHY itself is in ddr3_1_2code.v or ddr3_1_4code.v,
// which is compiled before this file.
`timescale 1ps/1ps
`include "ddr3_name.v"
// DDR3_define.v says which options are on only by defining macros; a macro
// left over from another core read earlier in the same run must not count.
`undef DDR3_PHY
`undef ECC
`include "DDR3_define.v"
`include "ddr3_phy_naming.vh"
`include "ddr3_phy_ports.vh"

module `module_name_ddr (clk, rst_n, `DDR3PHY_PORTS);
`include "vlmc_param.v"

// JEDEC power-up waits in microseconds.  Only simulation shortens them (the
// device model must then be told the same values).
parameter INIT_RESET_US = 200;
parameter INIT_CKE_US   = 500;

`ifdef ECC
localparam ECC_EN = (DQ_WIDTH == 72);
`else
localparam ECC_EN = 0;
`endif

localparam K   = nCK_PER_CLK;
localparam G   = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam ROW = ROW_WIDTH;
localparam DQ  = DQ_WIDTH;

input                 clk;             // reference clock of the PLL
input                 rst_n;
input  [K-1:0]        mc_cs_n;
input  [K-1:0]        mc_ras_n;
input  [K-1:0]        mc_cas_n;
input  [K-1:0]        mc_we_n;
input  [K*ROW-1:0]    mc_address;
input  [3*K-1:0]      mc_bank;
input                 mc_reset_n;
input  [K-1:0]        mc_odt;
input  [K-1:0]        mc_cke;
input                 mc_cmd_wren;
input                 mc_wrdata_en;
input  [2*K*DQ-1:0]   mc_wrdata;
input  [2*K*G-1:0]    mc_wrdata_mask;
output                phy_rd_data_valid;
output [2*K*DQ-1:0]   phy_rd_data;
output                ddr_init_complete;
output                clk_x1;
output                ddr_rst;
output [ROW-1:0]      O_ddr_addr;
output [2:0]          O_ddr_ba;
output                O_ddr_cs_n;
output                O_ddr_ras_n;
output                O_ddr_cas_n;
output                O_ddr_we_n;
output                O_ddr_clk;
output                O_ddr_clk_n;
output                O_ddr_cke;
output                O_ddr_odt;
output                O_ddr_reset_n;
output [G-1:0]        O_ddr_dqm;
inout  [DQ-1:0]       IO_ddr_dq;
inout  [G-1:0]        IO_ddr_dqs;
inout  [G-1:0]        IO_ddr_dqs_n;

wire ck, ck90, pll_lock, pll_reset;

VX_PLL u_PLL (
  .CLKIN    (clk),
  .CLKFB    (1'b0),
  .RESET    (pll_reset),
  .PWRDN    (1'b0),
  .FBDSEL   (6'd0),
  .IDSEL    (6'd0),
  .ODSEL    (7'd0),
  .PSDA     (4'd0),
  .DUTYDA   (4'd0),
  .CLKOUT   (ck),
  .CLKOUTP  (ck90),
  .CLKOUTD  (),
  .CLKOUTD3 (),
  .LOCK     (pll_lock)
);
`include "ddr3_pll_config.v"

// Only the branch of the configured ratio is elaborated, so only that
// ratio's file has to be compiled.
generate if (nCK_PER_CLK == 2) begin : g_1_2
  `ddr3phy_modname(ddr3_phy_1_2, `module_name_ddr) #(
    .ECC_EN(ECC_EN), .INIT_RESET_US(INIT_RESET_US), .INIT_CKE_US(INIT_CKE_US)
  ) u_phy (.ck(ck), .ck90(ck90), .pll_lock(pll_lock), .pll_reset(pll_reset), .rst_n(rst_n),
         `DDR3PHY_CONNECT);
end else begin : g_1_4
  `ddr3phy_modname(ddr3_phy_1_4, `module_name_ddr) #(
    .ECC_EN(ECC_EN), .INIT_RESET_US(INIT_RESET_US), .INIT_CKE_US(INIT_CKE_US)
  ) u_phy (.ck(ck), .ck90(ck90), .pll_lock(pll_lock), .pll_reset(pll_reset), .rst_n(rst_n),
         `DDR3PHY_CONNECT);
end endgenerate

endmodule
