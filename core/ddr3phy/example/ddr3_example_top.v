// Example design: the generated DDR3 PHY core with a small memory
// controller and a traffic generator that writes a pseudo-random pattern,
// reads it back and compares.
//
//   done      the test is over (stays high)
//   pass      done, every word read back matched
//   fail      done, and a word did not match, read data went missing, the
//             PHY's calibration failed or initialisation never completed
//   err_count words that did not match (saturates)
//
// The core's module name, parameters and options come from the four files
// the generator writes (ddr3_name.v, vlmc_param.v, DDR3_define.v,
// ddr3_pll_config.v), found on the include path.
`timescale 1ps/1ps
`include "ddr3_name.v"
`undef ECC
`include "DDR3_define.v"

module ddr3_example_top (
  clk, rst_n, pass, fail, done, err_count,
  O_ddr_addr, O_ddr_ba, O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n,
  O_ddr_clk, O_ddr_clk_n, O_ddr_cke, O_ddr_odt, O_ddr_reset_n, O_ddr_dqm,
  IO_ddr_dq, IO_ddr_dqs, IO_ddr_dqs_n
);
`include "vlmc_param.v"
parameter INIT_RESET_US = 200;       // JEDEC power-up waits; simulation shortens them
parameter INIT_CKE_US   = 500;
parameter FIRST         = 0;         // address range tested, in bursts
parameter BURSTS        = 4096;
parameter SEED          = 32'h1d872b41;
parameter ERR_W         = 16;

localparam K   = nCK_PER_CLK;
localparam NB  = 2 * K;
localparam DQ  = DQ_WIDTH;
localparam G   = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam ROW = ROW_WIDTH;
`ifdef ECC
localparam ECC_ON = (DQ_WIDTH == 72);
`else
localparam ECC_ON = 0;
`endif
// Controller cycles per microsecond, and a generous bound on initialisation.
localparam X1_PER_US = (1000000 + tCK * K - 1) / (tCK * K);
localparam INIT_WAIT = (INIT_RESET_US + INIT_CKE_US + 1000) * X1_PER_US;

input                clk;            // reference clock of the core's PLL
input                rst_n;
output               pass, fail, done;
output [ERR_W-1:0]   err_count;
output [ROW-1:0]     O_ddr_addr;
output [2:0]         O_ddr_ba;
output               O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n;
output               O_ddr_clk, O_ddr_clk_n, O_ddr_cke, O_ddr_odt, O_ddr_reset_n;
output [G-1:0]       O_ddr_dqm;
inout  [DQ-1:0]      IO_ddr_dq;
inout  [G-1:0]       IO_ddr_dqs, IO_ddr_dqs_n;

wire [K-1:0]         mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_odt, mc_cke;
wire [K*ROW-1:0]     mc_address;
wire [3*K-1:0]       mc_bank;
wire                 mc_reset_n, mc_cmd_wren, mc_wrdata_en;
wire [NB*DQ-1:0]     mc_wrdata, phy_rd_data;
wire [NB*G-1:0]      mc_wrdata_mask;
wire                 phy_rd_data_valid, ddr_init_complete, clk_x1, ddr_rst;

`module_name_ddr #(.INIT_RESET_US(INIT_RESET_US), .INIT_CKE_US(INIT_CKE_US)) u_ddr3 (
  .clk(clk), .rst_n(rst_n),
  .mc_cs_n(mc_cs_n), .mc_ras_n(mc_ras_n), .mc_cas_n(mc_cas_n), .mc_we_n(mc_we_n),
  .mc_address(mc_address), .mc_bank(mc_bank), .mc_reset_n(mc_reset_n),
  .mc_odt(mc_odt), .mc_cke(mc_cke), .mc_cmd_wren(mc_cmd_wren),
  .mc_wrdata_en(mc_wrdata_en), .mc_wrdata(mc_wrdata), .mc_wrdata_mask(mc_wrdata_mask),
  .phy_rd_data_valid(phy_rd_data_valid), .phy_rd_data(phy_rd_data),
  .ddr_init_complete(ddr_init_complete), .clk_x1(clk_x1), .ddr_rst(ddr_rst),
  .O_ddr_addr(O_ddr_addr), .O_ddr_ba(O_ddr_ba), .O_ddr_cs_n(O_ddr_cs_n),
  .O_ddr_ras_n(O_ddr_ras_n), .O_ddr_cas_n(O_ddr_cas_n), .O_ddr_we_n(O_ddr_we_n),
  .O_ddr_clk(O_ddr_clk), .O_ddr_clk_n(O_ddr_clk_n), .O_ddr_cke(O_ddr_cke),
  .O_ddr_odt(O_ddr_odt), .O_ddr_reset_n(O_ddr_reset_n), .O_ddr_dqm(O_ddr_dqm),
  .IO_ddr_dq(IO_ddr_dq), .IO_ddr_dqs(IO_ddr_dqs), .IO_ddr_dqs_n(IO_ddr_dqs_n)
);

wire                 req_valid, req_write, req_ready, wd_take;
wire [ROW-1:0]       req_row;
wire [2:0]           req_bank;
wire [COL_WIDTH-1:0] req_col;
wire [NB*DQ-1:0]     wd_word;
wire [15:0]          refreshes;
wire [31:0]          words_checked;

ddr3_example_ctrl u_ctrl (
  .clk(clk_x1), .rst(ddr_rst), .init_done(ddr_init_complete),
  .req_valid(req_valid), .req_write(req_write), .req_row(req_row), .req_bank(req_bank),
  .req_col(req_col), .req_ready(req_ready), .wd_word(wd_word), .wd_take(wd_take),
  .refreshes(refreshes),
  .mc_cs_n(mc_cs_n), .mc_ras_n(mc_ras_n), .mc_cas_n(mc_cas_n), .mc_we_n(mc_we_n),
  .mc_address(mc_address), .mc_bank(mc_bank), .mc_reset_n(mc_reset_n), .mc_odt(mc_odt),
  .mc_cke(mc_cke), .mc_cmd_wren(mc_cmd_wren), .mc_wrdata_en(mc_wrdata_en),
  .mc_wrdata(mc_wrdata), .mc_wrdata_mask(mc_wrdata_mask)
);

// While initialisation runs the PHY reports its calibration on the read
// data bus: [0] finished, [1] failed.
ddr3_example_tg #(
  .FIRST(FIRST), .BURSTS(BURSTS), .SEED(SEED), .ECC_ON(ECC_ON), .ERR_W(ERR_W),
  .INIT_WAIT(INIT_WAIT)
) u_tg (
  .clk(clk_x1), .rst(ddr_rst), .init_done(ddr_init_complete),
  .cal_done(phy_rd_data[0]), .cal_failed(phy_rd_data[1]),
  .req_valid(req_valid), .req_write(req_write), .req_row(req_row), .req_bank(req_bank),
  .req_col(req_col), .req_ready(req_ready), .wd_word(wd_word), .wd_take(wd_take),
  .rd_valid(phy_rd_data_valid), .rd_word(phy_rd_data),
  .pass(pass), .fail(fail), .done(done), .errors(err_count), .words_checked(words_checked)
);

endmodule
