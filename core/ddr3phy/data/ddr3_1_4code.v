// DDR3 PHY for a 1:4 controller-to-memory clock ratio: the controller
// hands over 4 command slots and 8 DQ beats per clk_x1 cycle.
// The implementation is shared with the other ratio (ddr3_phy_body.vh and
// the modules ddr3_phy_modules.vh names).
`timescale 1ps/1ps
`include "ddr3_name.v"
`include "ddr3_phy_naming.vh"
`include "ddr3_phy_ports.vh"
`include "ddr3_phy_modules.vh"

module `ddr3phy_modname(ddr3_phy_1_4, `module_name_ddr) (
  ck, ck90, pll_lock, pll_reset, rst_n, `DDR3PHY_PORTS);
localparam RATIO = 4;
`include "ddr3_phy_body.vh"
endmodule

`include "ddr3_phy_modules_end.vh"
