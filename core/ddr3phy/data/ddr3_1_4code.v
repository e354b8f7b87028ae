// DDR3 PHY for a 1:4 controller-to-memory clock ratio: the controller
// hands over 4 command slots and 8 DQ beats per clk_x1 cycle.
// The implementation is shared with the other ratio (ddr3_phy_body.vh and
// the modules it names).
`timescale 1ps/1ps
`include "ddr3_name.v"
`include "ddr3_phy_naming.vh"
`include "ddr3_phy_ports.vh"

`define DDR3PHY_INIT  `ddr3phy_modname(ddr3_phy_1_4_init, `module_name_ddr)
`define DDR3PHY_CMD   `ddr3phy_modname(ddr3_phy_1_4_cmd, `module_name_ddr)
`define DDR3PHY_WRITE `ddr3phy_modname(ddr3_phy_1_4_write, `module_name_ddr)
`define DDR3PHY_READ  `ddr3phy_modname(ddr3_phy_1_4_read, `module_name_ddr)
`define DDR3PHY_CAL   `ddr3phy_modname(ddr3_phy_1_4_cal, `module_name_ddr)
`define DDR3PHY_LANE  `ddr3phy_modname(ddr3_phy_1_4_lane, `module_name_ddr)

module `ddr3phy_modname(ddr3_phy_1_4, `module_name_ddr) (
  ck, ck90, pll_lock, pll_reset, rst_n, `DDR3PHY_PORTS);
localparam RATIO = 4;
`include "ddr3_phy_body.vh"
endmodule

`include "ddr3_phy_init.vh"
`include "ddr3_phy_cmd.vh"
`include "ddr3_phy_write.vh"
`include "ddr3_phy_read.vh"
`include "ddr3_phy_cal.vh"
`include "ddr3_phy_lane.vh"
`undef DDR3PHY_INIT
`undef DDR3PHY_CMD
`undef DDR3PHY_WRITE
`undef DDR3PHY_READ
`undef DDR3PHY_CAL
`undef DDR3PHY_LANE
