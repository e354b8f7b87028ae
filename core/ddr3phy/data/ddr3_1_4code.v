// DDR3 PHY for a 1:4 controller-to-memory clock ratio: the controller
// hands over 4 command slots and 8 DQ beats per clk_x1 cycle.
// The implementation is shared with the other ratio (ddr3_phy_body.vh,
// ddr3_phy_lane.vh).
`timescale 1ps/1ps
`include "ddr3_name.v"
`include "ddr3_phy_naming.vh"
`include "ddr3_phy_ports.vh"

`define DDR3PHY_LANE `ddr3phy_modname(ddr3_phy_1_4_lane, `module_name_ddr)

module `ddr3phy_modname(ddr3_phy_1_4, `module_name_ddr) (
  ck, ck90, pll_lock, pll_reset, rst_n, `DDR3PHY_PORTS);
localparam RATIO = 4;
`include "ddr3_phy_body.vh"
endmodule

`include "ddr3_phy_lane.vh"
`undef DDR3PHY_LANE
