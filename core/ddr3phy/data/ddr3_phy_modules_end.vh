// The PHY's modules (see ddr3_phy_modules.vh), then their names released
// for the next core read in the same run.
`include "ddr3_phy_init.vh"
`include "ddr3_phy_cmd.vh"
`include "ddr3_phy_write.vh"
`include "ddr3_phy_read.vh"
`include "ddr3_phy_cal.vh"
`include "ddr3_phy_lane.vh"
`include "ddr3_phy_wr_eye.vh"
`include "ddr3_phy_rd_eye.vh"
`include "ddr3_phy_rd_eye_update.vh"
`include "ddr3_phy_group_cal.vh"
`undef DDR3PHY_INIT
`undef DDR3PHY_CMD
`undef DDR3PHY_WRITE
`undef DDR3PHY_READ
`undef DDR3PHY_CAL
`undef DDR3PHY_LANE
`undef DDR3PHY_WR_EYE
`undef DDR3PHY_RD_EYE
`undef DDR3PHY_RD_EYE_UPDATE
`undef DDR3PHY_GROUP_CAL
