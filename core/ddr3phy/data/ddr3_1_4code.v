// DDR3 PHY for a 1:4 controller-to-memory clock ratio: the controller
// hands over 4 command slots and 8 DQ beats per clk_x1 cycle.
// The implementation is shared with the other ratio (ddr3_phy_body.vh).
`timescale 1ps/1ps
`include "ddr3_name.v"
`include "ddr3_phy_naming.vh"

module `ddr3phy_modname(ddr3_phy_1_4, `module_name_ddr) (
  ck, ck90, pll_lock, rst_n,
  mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_address, mc_bank, mc_reset_n,
  mc_odt, mc_cke, mc_cmd_wren, mc_wrdata_en, mc_wrdata, mc_wrdata_mask,
  phy_rd_data_valid, phy_rd_data, ddr_init_complete, clk_x1, ddr_rst,
  O_ddr_addr, O_ddr_ba, O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n,
  O_ddr_clk, O_ddr_clk_n, O_ddr_cke, O_ddr_odt, O_ddr_reset_n, O_ddr_dqm,
  IO_ddr_dq, IO_ddr_dqs, IO_ddr_dqs_n
);
localparam RATIO = 4;
`include "ddr3_phy_body.vh"
endmodule
