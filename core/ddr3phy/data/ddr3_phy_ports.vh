// The ports the core's top and its PHY share, named alike on both sides:
// DDR3PHY_PORTS lists them for a module header, DDR3PHY_CONNECT connects
// each to the signal of the same name.
`ifndef DDR3PHY_PORTS
`define DDR3PHY_PORTS \
  mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_address, mc_bank, mc_reset_n, \
  mc_odt, mc_cke, mc_cmd_wren, mc_wrdata_en, mc_wrdata, mc_wrdata_mask, \
  phy_rd_data_valid, phy_rd_data, ddr_init_complete, clk_x1, ddr_rst, \
  O_ddr_addr, O_ddr_ba, O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n, \
  O_ddr_clk, O_ddr_clk_n, O_ddr_cke, O_ddr_odt, O_ddr_reset_n, O_ddr_dqm, \
  IO_ddr_dq, IO_ddr_dqs, IO_ddr_dqs_n
`define DDR3PHY_CONNECT \
  .mc_cs_n(mc_cs_n), .mc_ras_n(mc_ras_n), .mc_cas_n(mc_cas_n), .mc_we_n(mc_we_n), \
  .mc_address(mc_address), .mc_bank(mc_bank), .mc_reset_n(mc_reset_n), \
  .mc_odt(mc_odt), .mc_cke(mc_cke), .mc_cmd_wren(mc_cmd_wren), \
  .mc_wrdata_en(mc_wrdata_en), .mc_wrdata(mc_wrdata), .mc_wrdata_mask(mc_wrdata_mask), \
  .phy_rd_data_valid(phy_rd_data_valid), .phy_rd_data(phy_rd_data), \
  .ddr_init_complete(ddr_init_complete), .clk_x1(clk_x1), .ddr_rst(ddr_rst), \
  .O_ddr_addr(O_ddr_addr), .O_ddr_ba(O_ddr_ba), .O_ddr_cs_n(O_ddr_cs_n), \
  .O_ddr_ras_n(O_ddr_ras_n), .O_ddr_cas_n(O_ddr_cas_n), .O_ddr_we_n(O_ddr_we_n), \
  .O_ddr_clk(O_ddr_clk), .O_ddr_clk_n(O_ddr_clk_n), .O_ddr_cke(O_ddr_cke), \
  .O_ddr_odt(O_ddr_odt), .O_ddr_reset_n(O_ddr_reset_n), .O_ddr_dqm(O_ddr_dqm), \
  .IO_ddr_dq(IO_ddr_dq), .IO_ddr_dqs(IO_ddr_dqs), .IO_ddr_dqs_n(IO_ddr_dqs_n)
`endif
