// Read eyes of a strobe group's DQ bits (module DDR3PHY_RD_EYE): where each
// bit's eye lies on its input delay line, found by the DQ sweep and kept
// centred by maintenance, and the taps it loads into the delay lines.
//
// Each bit counts the words of a step that read the pattern (pass counts, in
// the group module, valid at step_end: one step per tap of the DQ sweep, one
// per maintenance window).  At step_end this module takes the counts, the
// phase and the tap, and then updates each bit as its walk passes it:
//   - PH_DQ: a pair of neighbouring taps passes where half of their words
//     together read the pattern (twice the bursts of one tap behind each
//     decision, so the edges spread less; the pairs' edges lie half a tap
//     outside the eye's, on either side alike).  The first passing pair
//     opens the eye (first), every later one moves its end (last).
//   - PH_TRACK_L, PH_TRACK_R: the early or the late edge moves by
//     track_move of its count (of track_words) and its last move
//     (ddr3_phy_timing.vh).
// The walk visits one bit a cycle, round and round (cur), and loads the bit
// it visits into its input delay line (load_bit, load_tap): while a
// maintenance window probes, the edge it probes; otherwise the centre, as
// the bit's state leaves the cycle.  So a tap follows its eye within GW
// cycles: the DQ sweep's step (DQ_STEP) and a maintenance window's wait
// before it counts (CYC_MOD + rd_lat + 3) are longer.  The DQ sweep itself
// loads every line with its tap at once (the group module).  A bit's state
// is its edges, its previous count or moves, and its results; the logic
// that reads a step exists once per group, not once per bit.
//
// Per bit b (at [7*b +: 7]): first and last, the eye's edges in taps; centre,
// its middle rounded down (the bit's tap while running); width, its taps
// (0 until seen); seen, that the DQ sweep found it; closed, that the sweep
// has passed its end by two taps.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_RD_EYE (
  clk_x1, rst, cal_phase, sweep_tap, step_end, track_words, counts, first, last, centre, width, seen, closed, load_bit, load_tap);
parameter GW = 8;   // DQ bits of the group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1, rst;
input [3:0] cal_phase;
input [6:0] sweep_tap;
input step_end;
input [5:0] track_words;        // maintenance: the data words a step counts
input [6*GW-1:0] counts;        // per bit: the step's words that read the pattern
output reg [7*GW-1:0] first, last, centre, width;
output reg [GW-1:0] seen, closed;
localparam BW = clog2(GW);
output [BW-1:0] load_bit;       // the bit whose delay line takes load_tap this cycle
output [6:0] load_tap;

// The step being taken, held while the walk passes the bits (todo).
reg [6*GW-1:0] step_counts;
reg [3:0]      step_phase;
reg [6:0]      step_tap;
reg [GW-1:0]   todo;
reg [BW-1:0]   cur;              // the bit visited this cycle
wire           step = step_end && (cal_phase == PH_DQ || cal_phase == PH_TRACK_L ||
                                   cal_phase == PH_TRACK_R);
always @(posedge clk_x1)
  if (rst) begin
    cur <= 0; todo <= {GW{1'b0}};
  end else begin
    cur <= (cur == GW - 1) ? 0 : cur + 1'b1;
    if (step) begin
      todo <= {GW{1'b1}};
      step_counts <= counts; step_phase <= cal_phase; step_tap <= sweep_tap;
    end else todo[cur] <= 1'b0;
  end

// A maintenance window probes its edge until its step ends.
reg probe_over;
always @(posedge clk_x1)
  if (rst || !(cal_phase == PH_TRACK_L || cal_phase == PH_TRACK_R)) probe_over <= 1'b0;
  else if (step_end) probe_over <= 1'b1;

reg [6*GW-1:0] prev_counts;      // per bit: the DQ sweep's previous tap's count
reg [3*GW-1:0] first_moves, last_moves;   // per bit: its edges' last maintenance moves
wire [6:0] b_first = first[7*cur +: 7];
wire [6:0] b_last  = last[7*cur +: 7];

// This cycle's bit: its count, and its edges as the step leaves them.
wire [5:0] n      = step_counts[6*cur +: 6];
wire       busy   = todo[cur];
wire       sweep  = busy && step_phase == PH_DQ;
// A maintenance step moves the edge it probed, after that edge's last move.
wire signed [2:0] move = track_move(n, track_words,
                                    (step_phase == PH_TRACK_L) ? first_moves[3*cur +: 3]
                                                               : last_moves[3*cur +: 3]);
wire       pair   = n + prev_counts[6*cur +: 6] >= 2 * DQ_PASS_WORDS && step_tap != 0;
wire       opens  = sweep && pair && !seen[cur];
wire [6:0] new_first = opens ? step_tap - 1'b1 :
                       (busy && step_phase == PH_TRACK_L) ?
                         edge_moved(b_first, b_last, 1'b0, move) :
                       b_first;
wire [6:0] new_last  = (sweep && pair) ? step_tap :
                       (busy && step_phase == PH_TRACK_R) ?
                         edge_moved(b_last, b_first, 1'b1, move) :
                       b_last;
wire       new_seen  = seen[cur] || (sweep && pair);
wire [6:0] new_centre = new_first + (new_last - new_first) / 2;   // the middle, rounded down

assign load_bit = cur;
assign load_tap = (probe_over || !(cal_phase == PH_TRACK_L || cal_phase == PH_TRACK_R)) ?
                    new_centre : (cal_phase == PH_TRACK_L) ? new_first : new_last;

// Written with constant indices, so that each bit's registers take the
// shared results under an enable of their own.
integer b;
always @(posedge clk_x1)
  if (rst) begin
    seen <= {GW{1'b0}}; closed <= {GW{1'b0}}; prev_counts <= {6*GW{1'b0}};
    first_moves <= {3*GW{1'b0}}; last_moves <= {3*GW{1'b0}};
    first <= {7*GW{1'b0}}; last <= {7*GW{1'b0}}; centre <= {7*GW{1'b0}}; width <= {7*GW{1'b0}};
  end else
    for (b = 0; b < GW; b = b + 1)
      if (busy && cur == b) begin
        if (step_phase == PH_DQ) prev_counts[6*b +: 6] <= n;
        if (step_phase == PH_TRACK_L) first_moves[3*b +: 3] <= move;
        if (step_phase == PH_TRACK_R) last_moves[3*b +: 3] <= move;
        first[7*b +: 7]  <= new_first;
        last[7*b +: 7]   <= new_last;
        seen[b]          <= new_seen;
        centre[7*b +: 7] <= new_centre;
        width[7*b +: 7]  <= new_seen ? new_last - new_first + 1'b1 : 7'd0;
        // The next DQ step's tap is step_tap + 1: two taps past the end there.
        closed[b]        <= new_seen && step_tap + 1 > new_last + 2;
      end

endmodule
