// Read eyes of a strobe group's DQ bits (module DDR3PHY_RD_EYE): where each
// bit's eye lies on its input delay line, found by the DQ sweep and kept
// centred by maintenance, and the taps it loads into the delay lines.  The
// strobe's read window is entry GW: the gate sweep finds it (seeded here,
// seed_first .. seed_last, while seed is high) and maintenance keeps it
// centred like a bit's eye.
//
// Each bit counts the words of a step that read the pattern (counts, in the
// group module, valid at step_end: one step per tap of the DQ sweep, one
// per maintenance window); this module holds them from the step (step) for
// the PHY's update logic (ddr3_phy_rd_eye_update.vh), which serves the
// groups in turn after a step.
//
// The entries sit in a ring that turns one entry a cycle: entry cur at its
// head, where the update logic reads it (head, and its count n), and tail,
// the entry that was at the head a cycle ago, at its tail.  While the group
// is served (serve) the head goes to the tail as the update logic leaves it
// (upd); otherwise as it is.  Each cycle the tail entry is loaded into its
// input delay line (load_bit, load_tap): while a maintenance window probes
// (probe), the edge it probes; otherwise the centre.  So a tap follows its
// eye within a turn of the ring (GW + 1 cycles) once its group is served,
// and a window's probed edges are in the lines within a turn of its start:
// its wait before it counts (CYC_MOD + rd_lat + 3) is longer.  The DQ sweep
// itself loads every line with its tap at once (the group module).
//
// Per bit b (at [7*b +: 7]): centre, the middle of its eye rounded down (the
// bit's tap while running); width, its taps (0 until seen); seen, that the DQ
// sweep found it; closed, that the sweep has passed its end by two taps.
// dqs_centre: the middle of the strobe's read window (its tap while running).
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_RD_EYE (
  clk_x1, rst, step, counts, seed, seed_first, seed_last, cur, tail, serve, upd, upd_width, upd_closed, probe, probe_late, head, n, centre, width, seen, closed, load_bit, load_tap);
parameter GW = 8;   // DQ bits of the group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"
localparam NE = GW + 1;          // entries: the bits, then DQS
localparam BW = clog2(NE);
localparam SW = EYE_W;

input clk_x1, rst;
input step;
input [6*NE-1:0] counts;        // per entry: the step's words that read the pattern
input seed;
input [6:0] seed_first, seed_last;
input [BW-1:0] cur, tail;
input serve;
input [SW-1:0] upd;
input [6:0] upd_width;
input upd_closed, probe, probe_late;
output [SW-1:0] head;
output [5:0] n;
output reg [7*GW-1:0] centre, width;
output reg [GW-1:0] seen, closed;
output [BW-1:0] load_bit;       // the entry whose delay line takes load_tap this cycle
output [6:0] load_tap;

reg [6*NE-1:0] step_counts;
always @(posedge clk_x1) if (step) step_counts <= counts;
assign n = step_counts[6*cur +: 6];

reg  [SW*NE-1:0] ring;           // entry cur at [0 +: SW], then cur + 1, ...
assign head = ring[0 +: SW];
// The gate sweep's window goes into the strobe's entry as it passes (its
// first and last tap, the entry's lowest fields).
wire [SW-1:0] seeded = {head[SW-1:EYE_PREV], seed_last, seed_first};
wire [SW-1:0] to_tail = (seed && cur == GW) ? seeded : serve ? upd : head;
always @(posedge clk_x1)
  if (rst) ring <= {SW*NE{1'b0}};
  else     ring <= {to_tail, ring[SW*NE-1:SW]};

wire [6:0] t_first = ring[SW*(NE-1) + EYE_FIRST +: 7];
wire [6:0] t_last  = ring[SW*(NE-1) + EYE_LAST +: 7];
wire [6:0] t_centre = middle(t_first, t_last);
assign load_bit = tail;
assign load_tap = !probe ? t_centre : probe_late ? t_last : t_first;

// The results, written with constant indices, so that each bit's registers
// take the shared values under an enable of their own.
reg [6:0] dqs_centre;
always @(posedge clk_x1)
  if (rst) dqs_centre <= 7'd0;
  else if (tail == GW) dqs_centre <= t_centre;

integer b;
always @(posedge clk_x1)
  if (rst) begin
    seen <= {GW{1'b0}}; closed <= {GW{1'b0}}; centre <= {7*GW{1'b0}}; width <= {7*GW{1'b0}};
  end else
    for (b = 0; b < GW; b = b + 1) begin
      if (tail == b) centre[7*b +: 7] <= t_centre;
      if (serve && cur == b) begin
        seen[b]         <= upd[EYE_SEEN];
        width[7*b +: 7] <= upd_width;
        closed[b]       <= upd_closed;
      end
    end

endmodule
