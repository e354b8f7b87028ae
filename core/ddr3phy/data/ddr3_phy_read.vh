// Read datapath of the DDR3 PHY (module DDR3PHY_READ).
//
// What it does: cuts the controller's read words out of the groups' read
// words and checks ECC.  The groups deliver their beats lined up
// (ddr3_phy_lane.vh): the burst of a READ in stage a in cycle m, slot s,
// starts at beat 2s of the word of cycle m + rd_lat.  One cycle later that
// word and the next make a window from which the NB beats of the word are
// taken; at 1:2 an 8-beat burst gives a second word from the next window.
// The word is registered and leaves with phy_rd_data_valid.  Until the
// core is ready, phy_rd_data carries the calibration status instead.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_READ (
  clk_x1, rst, a_rd, a_bl8, rd_all, rd_lat, init_done, status, phy_rd_data_valid, phy_rd_data, ddr_init_complete);
parameter ECC_ON = 0;
parameter G      = 2;
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"
`include "ddr3_phy_ecc.vh"

input clk_x1;
input rst;
input  [nCK_PER_CLK-1:0] a_rd;
input  [nCK_PER_CLK-1:0] a_bl8;
input  [2*nCK_PER_CLK*DQ_WIDTH-1:0] rd_all;   // beat j at [j*DQ +: DQ]
input  [5:0] rd_lat;
input init_done;
input  [G+1:0] status;
output reg phy_rd_data_valid = 1'b0;
output reg [2*nCK_PER_CLK*DQ_WIDTH-1:0] phy_rd_data;
output reg ddr_init_complete = 1'b0;

localparam DQ   = DQ_WIDTH;
localparam RP_N = RD_LOOK + 3;                  // cycles of READs remembered

// READs and their burst lengths i cycles after stage a, slot s at [(i-1)*K + s].
reg [RP_N*K-1:0] rp_rd, rp_bl8;
integer s, j;
always @(posedge clk_x1)
  if (rst) begin
    rp_rd <= {RP_N*K{1'b0}}; rp_bl8 <= {RP_N*K{1'b0}};
  end else begin
    rp_rd  <= {rp_rd[0 +: (RP_N-1)*K], a_rd};
    rp_bl8 <= {rp_bl8[0 +: (RP_N-1)*K], a_bl8};
  end

// The slots whose burst (or, at 1:2, the second half of an 8-beat burst)
// starts in the older word of the window.
// (rd_lat is at most RD_LOOK.)
wire [K-1:0] due_first  = rp_rd[rd_lat*K +: K];
wire [K-1:0] due_second = rp_rd[(rd_lat+1)*K +: K] & rp_bl8[(rd_lat+1)*K +: K];
wire [K-1:0] due = (NB == 4) ? due_first | due_second : due_first;

reg  [NB*DQ-1:0] prev;
always @(posedge clk_x1) prev <= rd_all;
wire [2*NB*DQ-1:0] window = {rd_all, prev};

reg [NB*DQ-1:0] word;
always @* begin
  word = window[0 +: NB*DQ];
  for (s = 1; s < K; s = s + 1)
    if (due[s]) word = window[2*s*DQ +: NB*DQ];
  if (ECC_ON)
    for (j = 0; j < NB; j = j + 1) word[j*DQ +: DQ] = ecc_decode(word[j*DQ +: DQ]);
end

// Reset asynchronously: the controller sees these before clk_x1 runs.
always @(posedge clk_x1 or posedge rst)
  if (rst) begin
    phy_rd_data_valid <= 1'b0; phy_rd_data <= {NB*DQ{1'b0}}; ddr_init_complete <= 1'b0;
  end else begin
    ddr_init_complete <= init_done;
    phy_rd_data_valid <= init_done && due != 0;
    phy_rd_data       <= init_done ? word : {{NB*DQ-G-2{1'b0}}, status};
  end

endmodule
