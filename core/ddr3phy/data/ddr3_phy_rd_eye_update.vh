// Update logic of the PHY's read eyes (module DDR3PHY_RD_EYE_UPDATE): one
// for every strobe group.  Each group keeps its bits' eyes, and its strobe's
// read window as entry GW, in a ring that turns one entry a cycle
// (ddr3_phy_rd_eye.vh); all rings turn together, entry cur at their heads.
// After a step this module serves the groups in turn, a whole turn of a ring
// each: it takes the served group's head (heads, at [SW*g +: SW]) and that
// entry's count of the step (ns, at [6*g +: 6]), and hands back the entry as
// the step leaves it (upd), which the group puts at its ring's tail.
//   - PH_DQ: a pair of neighbouring taps passes where half of their words
//     together read the pattern (twice the bursts of one tap behind each
//     decision, so the edges spread less; the pairs' edges lie half a tap
//     outside the eye's, on either side alike).  The first passing pair
//     opens the eye (first), every later one moves its end (last).  The
//     strobe's entry is not swept (the gate sweep seeds it).
//   - PH_TRACK_L, PH_TRACK_R: the early or the late edge moves by
//     track_move of its count (against track_hi, track_lo) and its last move
//     (ddr3_phy_timing.vh).
// The walk over the groups takes G * (GW + 1) cycles after step_end (busy
// meanwhile): the sequencer's DQ steps are at least that long, and a
// REFRESH that comes while it is under way opens no maintenance window
// (ddr3_phy_cal.vh).
//
// An entry (EYE_W bits, its fields at the EYE_* offsets of
// ddr3_phy_timing.vh): its eye's edges in taps, the DQ sweep's count at the
// tap before, its edges' last maintenance moves, and whether the DQ sweep
// found it.
// serve[g]: group g's head is served this cycle; upd_width and upd_closed
// are the served entry's eye width (0 until seen) and whether the sweep has
// passed its end by two taps.  probe, probe_late: a maintenance window
// probes its entries' early (late) edges until its step ends, and the groups
// load those into their delay lines instead of the centres.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_RD_EYE_UPDATE (
  clk_x1, rst, cal_phase, sweep_tap, step_end, track_hi, track_lo, heads, ns, step, cur, tail, serve, upd, upd_width, upd_closed, probe, probe_late, busy);
parameter G  = 2;   // strobe groups
parameter GW = 8;   // DQ bits per group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"
localparam NE = GW + 1;          // entries per group: the bits, then DQS
localparam BW = clog2(NE);
localparam SW = EYE_W;
localparam GB = max2(1, clog2(G));    // a group's index

input clk_x1, rst;
input [3:0] cal_phase;
input [6:0] sweep_tap;
input step_end;
input [5:0] track_hi, track_lo;  // maintenance: the vote's thresholds
input [SW*G-1:0] heads;
input [6*G-1:0]  ns;
output step;                     // the groups take their counts of the step
output reg [BW-1:0] cur;         // the entry at the rings' heads
output reg [BW-1:0] tail;        // the entry at their tails (cur a cycle ago)
output [G-1:0] serve;
output [SW-1:0] upd;
output [6:0] upd_width;
output upd_closed;
output probe, probe_late;
output busy;

// The step being taken, held while the walk serves the groups.
reg [3:0]    step_phase;
reg [6:0]    step_tap;
reg          walking;
reg [GB-1:0] group;              // the group served
reg [BW-1:0] left;               // its entries still to serve after this one
wire   tracking = cal_phase == PH_TRACK_L || cal_phase == PH_TRACK_R;   // a maintenance window
assign step = step_end && (cal_phase == PH_DQ || tracking);
assign busy = walking;
always @(posedge clk_x1)
  if (rst) begin
    cur <= 0; tail <= NE - 1; walking <= 1'b0; group <= 0; left <= 0;
  end else begin
    cur  <= (cur == NE - 1) ? 0 : cur + 1'b1;
    tail <= cur;
    if (step) begin
      walking <= 1'b1; group <= 0; left <= NE - 1;
      step_phase <= cal_phase; step_tap <= sweep_tap;
    end else if (walking) begin
      if (left != 0) left <= left - 1'b1;
      else begin
        left <= NE - 1;
        if (group == G - 1) walking <= 1'b0;
        else group <= group + 1'b1;
      end
    end
  end

genvar gi;
generate for (gi = 0; gi < G; gi = gi + 1) begin : g_serve
  assign serve[gi] = walking && group == gi;
end endgenerate

// A maintenance window probes its edge until its step ends.
reg probe_over;
always @(posedge clk_x1)
  if (rst || !tracking) probe_over <= 1'b0;
  else if (step_end) probe_over <= 1'b1;
assign probe      = tracking && !probe_over;
assign probe_late = cal_phase == PH_TRACK_R;

// The served entry and its count.
wire [SW-1:0] entry = heads[SW*group +: SW];
wire [6:0] b_first = entry[EYE_FIRST +: 7];
wire [6:0] b_last  = entry[EYE_LAST +: 7];
wire [5:0] b_prev  = entry[EYE_PREV +: 6];
wire signed [2:0] b_first_move = entry[EYE_FIRST_MOVE +: 3];
wire signed [2:0] b_last_move  = entry[EYE_LAST_MOVE +: 3];
wire       b_seen  = entry[EYE_SEEN];
wire [5:0] n      = ns[6*group +: 6];

// The entry as the step leaves it.
wire       sweep  = step_phase == PH_DQ && cur != GW;
// A maintenance step moves the edge it probed, after that edge's last move.
wire       early  = step_phase == PH_TRACK_L;
wire       late   = step_phase == PH_TRACK_R;
wire signed [2:0] move = track_move(n, track_hi, track_lo, late ? b_last_move : b_first_move);
wire [6:0] moved  = edge_moved(late ? b_last : b_first, late ? b_first : b_last, late, move);
wire       pair   = n + b_prev >= 2 * DQ_PASS_WORDS && step_tap != 0;
wire       opens  = sweep && pair && !b_seen;
wire [6:0] new_first = opens ? step_tap - 1'b1 : early ? moved : b_first;
wire [6:0] new_last  = (sweep && pair) ? step_tap : late ? moved : b_last;
wire       new_seen  = b_seen || (sweep && pair);
wire [5:0] new_prev  = sweep ? n : b_prev;
wire signed [2:0] new_first_move = early ? move : b_first_move;
wire signed [2:0] new_last_move  = late ? move : b_last_move;
// Fields from EYE_SEEN down to EYE_FIRST.
assign upd = {new_seen, new_last_move, new_first_move, new_prev, new_last, new_first};
assign upd_width  = new_seen ? new_last - new_first + 1'b1 : 7'd0;
// The next DQ step's tap is step_tap + 1: two taps past the end there.
assign upd_closed = new_seen && step_tap + 1 > new_last + 2;

endmodule
