// Three generated cores in one design: two at 1:2 and one at 1:4 (cores
// x2_300_dq16, s2_dq72e and x4_800_dq16 of configs.txt).  The two 1:2
// cores would clash if their PHY modules were not named after the core.
`timescale 1ps/1ps
module two_cores_top (clk, rst_n, init_done, clk_x1, status);
  input        clk, rst_n;
  output [2:0] init_done, clk_x1;
  output [5:0] status;               // calibration status bits 1:0 of each core
  wire [63:0]  rd_a;
  wire [287:0] rd_b;
  wire [127:0] rd_c;
  assign status = {rd_c[1:0], rd_b[1:0], rd_a[1:0]};

  core_x2_300_dq16 #(.INIT_RESET_US(2), .INIT_CKE_US(5)) u_a (
    .clk(clk), .rst_n(rst_n),
    .mc_cs_n(2'b11), .mc_ras_n(2'b11), .mc_cas_n(2'b11), .mc_we_n(2'b11),
    .mc_address(30'd0), .mc_bank(6'd0), .mc_reset_n(1'b1), .mc_odt(2'b00),
    .mc_cke(2'b11), .mc_cmd_wren(1'b0), .mc_wrdata_en(1'b0),
    .mc_wrdata(64'd0), .mc_wrdata_mask(8'd0),
    .phy_rd_data_valid(), .phy_rd_data(rd_a), .ddr_init_complete(init_done[0]),
    .clk_x1(clk_x1[0]), .ddr_rst(),
    .O_ddr_addr(), .O_ddr_ba(), .O_ddr_cs_n(), .O_ddr_ras_n(), .O_ddr_cas_n(),
    .O_ddr_we_n(), .O_ddr_clk(), .O_ddr_clk_n(), .O_ddr_cke(), .O_ddr_odt(),
    .O_ddr_reset_n(), .O_ddr_dqm(), .IO_ddr_dq(), .IO_ddr_dqs(), .IO_ddr_dqs_n());

  core_s2_dq72e #(.INIT_RESET_US(2), .INIT_CKE_US(5)) u_b (
    .clk(clk), .rst_n(rst_n),
    .mc_cs_n(2'b11), .mc_ras_n(2'b11), .mc_cas_n(2'b11), .mc_we_n(2'b11),
    .mc_address(30'd0), .mc_bank(6'd0), .mc_reset_n(1'b1), .mc_odt(2'b00),
    .mc_cke(2'b11), .mc_cmd_wren(1'b0), .mc_wrdata_en(1'b0),
    .mc_wrdata(288'd0), .mc_wrdata_mask(36'd0),
    .phy_rd_data_valid(), .phy_rd_data(rd_b), .ddr_init_complete(init_done[1]),
    .clk_x1(clk_x1[1]), .ddr_rst(),
    .O_ddr_addr(), .O_ddr_ba(), .O_ddr_cs_n(), .O_ddr_ras_n(), .O_ddr_cas_n(),
    .O_ddr_we_n(), .O_ddr_clk(), .O_ddr_clk_n(), .O_ddr_cke(), .O_ddr_odt(),
    .O_ddr_reset_n(), .O_ddr_dqm(), .IO_ddr_dq(), .IO_ddr_dqs(), .IO_ddr_dqs_n());

  core_x4_800_dq16 #(.INIT_RESET_US(2), .INIT_CKE_US(5)) u_c (
    .clk(clk), .rst_n(rst_n),
    .mc_cs_n(4'hf), .mc_ras_n(4'hf), .mc_cas_n(4'hf), .mc_we_n(4'hf),
    .mc_address(56'd0), .mc_bank(12'd0), .mc_reset_n(1'b1), .mc_odt(4'h0),
    .mc_cke(4'hf), .mc_cmd_wren(1'b0), .mc_wrdata_en(1'b0),
    .mc_wrdata(128'd0), .mc_wrdata_mask(16'd0),
    .phy_rd_data_valid(), .phy_rd_data(rd_c), .ddr_init_complete(init_done[2]),
    .clk_x1(clk_x1[2]), .ddr_rst(),
    .O_ddr_addr(), .O_ddr_ba(), .O_ddr_cs_n(), .O_ddr_ras_n(), .O_ddr_cas_n(),
    .O_ddr_we_n(), .O_ddr_clk(), .O_ddr_clk_n(), .O_ddr_cke(), .O_ddr_odt(),
    .O_ddr_reset_n(), .O_ddr_dqm(), .IO_ddr_dq(), .IO_ddr_dqs(), .IO_ddr_dqs_n());
endmodule

`ifndef SYNTHESIS
// With nothing on the memory side every core runs its initialisation to
// the end and reports a failed read calibration: finished and failed.
module two_cores_tb;
  reg clk = 1'b0, rst_n = 1'b0;
  wire [2:0] init_done, clk_x1;
  wire [5:0] status;
  always #10000 clk = ~clk;
  two_cores_top dut (.clk(clk), .rst_n(rst_n), .init_done(init_done), .clk_x1(clk_x1),
                     .status(status));
  initial begin
    #200000 rst_n = 1'b1;
    fork : w
      begin wait (status === 6'b111111); #1000000; disable w; end
      begin #40000000; disable w; end
    join
    if (status === 6'b111111 && init_done === 3'b000) $display("RESULT: PASS two_cores");
    else $display("RESULT: FAIL two_cores (status %b, init_done %b)", status, init_done);
    $finish;
  end
endmodule
`endif
