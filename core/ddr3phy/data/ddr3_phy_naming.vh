// Name of the PHY module of this core: `ddr3phy_modname(ddr3_phy_1_2, `module_name_ddr)`.
//
// The PHY module carries the core's module name so that two generated cores
// can live in one design without their PHY modules clashing.  The generated
// `getname` macro builds the escaped identifier \~<phy>.<module name>.  The
// Yosys 0.23 preprocessor does not replace macro arguments inside an escaped
// identifier (every core would get a PHY named \~oriName.tmodule_name), so
// under Yosys the same pair of names is joined by token pasting instead:
// <phy>__<module name>.
`ifndef ddr3phy_modname
`ifdef YOSYS
`define ddr3phy_modname(ori, mn) ori``__``mn
`else
`define ddr3phy_modname(ori, mn) `getname(ori, mn)
`endif
`endif
