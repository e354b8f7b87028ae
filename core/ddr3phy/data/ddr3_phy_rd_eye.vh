// Read eyes of a strobe group's DQ bits (module DDR3PHY_RD_EYE): where each
// bit's eye lies on its input delay line, found by the DQ sweep and kept
// centred by maintenance, and the taps it loads into the delay lines.  The
// strobe's read window is entry GW: the gate sweep finds it (the group
// module seeds it, seed_first .. seed_last, while seed is high) and
// maintenance keeps it centred like a bit's eye.
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
//     track_move of its count (against track_hi, track_lo) and its last move
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
// Per bit b (at [7*b +: 7]): centre, the middle of its eye rounded down (the
// bit's tap while running); width, its taps (0 until seen); seen, that the DQ
// sweep found it; closed, that the sweep has passed its end by two taps.
// dqs_centre: the middle of the strobe's read window (its tap while running).
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_RD_EYE (
  clk_x1, rst, cal_phase, sweep_tap, step_end, track_hi, track_lo, counts, seed, seed_first, seed_last, centre, width, seen, closed, load_bit, load_tap);
parameter GW = 8;   // DQ bits of the group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1, rst;
input [3:0] cal_phase;
input [6:0] sweep_tap;
input step_end;
input [5:0] track_hi, track_lo; // maintenance: the vote's thresholds (ddr3_phy_timing.vh)
localparam NE = GW + 1;          // entries: the bits, then DQS
input [6*NE-1:0] counts;        // per entry: the step's words that read the pattern
input seed;
input [6:0] seed_first, seed_last;
output reg [7*GW-1:0] centre, width;
output reg [GW-1:0] seen, closed;
localparam BW = clog2(NE);
output [BW-1:0] load_bit;       // the entry whose delay line takes load_tap this cycle
output [6:0] load_tap;

// The step being taken, held while the walk passes the bits (todo).
reg [6*NE-1:0] step_counts;
reg [3:0]      step_phase;
reg [6:0]      step_tap;
reg [NE-1:0]   todo;
reg [BW-1:0]   cur;              // the entry visited this cycle
wire           step = step_end && (cal_phase == PH_DQ || cal_phase == PH_TRACK_L ||
                                   cal_phase == PH_TRACK_R);
always @(posedge clk_x1)
  if (rst) begin
    cur <= 0; todo <= {NE{1'b0}};
  end else begin
    cur <= (cur == NE - 1) ? 0 : cur + 1'b1;
    if (step) begin
      todo <= {NE{1'b1}};
      step_counts <= counts; step_phase <= cal_phase; step_tap <= sweep_tap;
    end else todo[cur] <= 1'b0;
  end

// A maintenance window probes its edge until its step ends.
reg probe_over;
always @(posedge clk_x1)
  if (rst || !(cal_phase == PH_TRACK_L || cal_phase == PH_TRACK_R)) probe_over <= 1'b0;
  else if (step_end) probe_over <= 1'b1;

// Each bit's working state sits in a ring that turns one bit a cycle, so
// that the bit the walk visits is always at its head, next to the logic
// that updates it: its edges, the DQ sweep's count at the tap before, and
// its edges' last maintenance moves.
localparam SW = 7 + 7 + 6 + 3 + 3;
reg  [SW*NE-1:0] ring;           // entry cur at [0 +: SW], then cur + 1, ...
wire [6:0] b_first, b_last;
wire [5:0] b_prev;
wire signed [2:0] b_first_move, b_last_move;
assign {b_last_move, b_first_move, b_prev, b_last, b_first} = ring[0 +: SW];

// This cycle's bit: its count, and its edges as the step leaves them.
wire [5:0] n      = step_counts[6*cur +: 6];
wire       busy   = todo[cur];
wire       is_dqs = cur == GW;
wire       sweep  = busy && step_phase == PH_DQ && !is_dqs;
// A maintenance step moves the edge it probed, after that edge's last move.
wire       late   = step_phase == PH_TRACK_R;
wire signed [2:0] move = track_move(n, track_hi, track_lo, late ? b_last_move : b_first_move);
wire [6:0] moved  = edge_moved(late ? b_last : b_first, late ? b_first : b_last, late, move);
wire       pair   = n + b_prev >= 2 * DQ_PASS_WORDS && step_tap != 0;
wire       b_seen = !is_dqs && seen[cur];
wire       opens  = sweep && pair && !b_seen;
wire       seeds  = seed && is_dqs;
wire [6:0] new_first = seeds ? seed_first : opens ? step_tap - 1'b1 :
                       (busy && step_phase == PH_TRACK_L) ? moved : b_first;
wire [6:0] new_last  = seeds ? seed_last : (sweep && pair) ? step_tap :
                       (busy && late) ? moved : b_last;
wire       new_seen  = b_seen || (sweep && pair);
wire [6:0] new_centre = middle(new_first, new_last);
wire [5:0] new_prev  = sweep ? n : b_prev;
wire signed [2:0] new_first_move = (busy && step_phase == PH_TRACK_L) ? move : b_first_move;
wire signed [2:0] new_last_move  = (busy && step_phase == PH_TRACK_R) ? move : b_last_move;

assign load_bit = cur;
assign load_tap = (probe_over || !(cal_phase == PH_TRACK_L || cal_phase == PH_TRACK_R)) ?
                    new_centre : (cal_phase == PH_TRACK_L) ? new_first : new_last;

always @(posedge clk_x1)
  if (rst) ring <= {SW*NE{1'b0}};
  else     ring <= {new_last_move, new_first_move, new_prev, new_last, new_first,
                    ring[SW*NE-1:SW]};

// The results, written with constant indices, so that each bit's registers
// take the shared values under an enable of their own.
reg [6:0] dqs_centre;
always @(posedge clk_x1)
  if (rst) dqs_centre <= 7'd0;
  else if (is_dqs && (busy || seeds)) dqs_centre <= new_centre;

integer b;
always @(posedge clk_x1)
  if (rst) begin
    seen <= {GW{1'b0}}; closed <= {GW{1'b0}}; centre <= {7*GW{1'b0}}; width <= {7*GW{1'b0}};
  end else
    for (b = 0; b < GW; b = b + 1)
      if (busy && cur == b) begin
        seen[b]          <= new_seen;
        centre[7*b +: 7] <= new_centre;
        width[7*b +: 7]  <= new_seen ? new_last - new_first + 1'b1 : 7'd0;
        // The next DQ step's tap is step_tap + 1: two taps past the end there.
        closed[b]        <= new_seen && step_tap + 1 > new_last + 2;
      end

endmodule
