// The PHY's modules, each named after the core (`ddr3phy_modname`), so that
// two cores fit in one design: included once by the ratio file, after the
// PHY module, which names them through these macros.
`define DDR3PHY_INIT  `ddr3phy_modname(ddr3_phy_init, `module_name_ddr)
`define DDR3PHY_CMD   `ddr3phy_modname(ddr3_phy_cmd, `module_name_ddr)
`define DDR3PHY_WRITE `ddr3phy_modname(ddr3_phy_write, `module_name_ddr)
`define DDR3PHY_READ  `ddr3phy_modname(ddr3_phy_read, `module_name_ddr)
`define DDR3PHY_CAL   `ddr3phy_modname(ddr3_phy_cal, `module_name_ddr)
`define DDR3PHY_LANE  `ddr3phy_modname(ddr3_phy_lane, `module_name_ddr)
`define DDR3PHY_WR_EYE `ddr3phy_modname(ddr3_phy_wr_eye, `module_name_ddr)
`define DDR3PHY_RD_EYE `ddr3phy_modname(ddr3_phy_rd_eye, `module_name_ddr)
`define DDR3PHY_RD_EYE_UPDATE `ddr3phy_modname(ddr3_phy_rd_eye_update, `module_name_ddr)
`define DDR3PHY_GROUP_CAL `ddr3phy_modname(ddr3_phy_group_cal, `module_name_ddr)
