// Write eyes of the PHY's output lines (module DDR3PHY_WR_EYE): for each DQ
// line and DM line, the output tap, and the slice of the write stream, that
// centre the line's beats between its strobe's edges at the memory.  Line
// g * (GW + 1) + l is DQ bit l of strobe group g, l = GW the group's DM line.
//
// The sequencer sweeps the lines' output taps from 0 to 127 over bursts it
// writes and reads back, first with the lines on the group's late slice of
// the write stream (sweep_early low), then, while some line of the core has
// not settled, on the early slice, a beat sooner (ddr3_phy_lane.vh); the DQ
// lines in PH_WDQ, the DM lines in PH_WDM.  A line's step passes where the
// bursts read back (W_TRIES of them) all are the one the line should have
// written (pass, valid at step_end).  A run of passing taps is the line's
// eye; runs shorter than RUN_MIN taps are luck at an edge and do not count.
//   - A line settles on the middle of the first run with both edges inside
//     the sweep, the late slice's first.  A run of the late slice that starts
//     at tap 0 may be cut there: the early slice shows that eye a beat of
//     taps further up, whole.
//   - Without such a run, a run of the late slice cut at tap 0 gives the tap
//     HALF taps below its end, one cut at 127 the tap HALF above its start,
//     and one cut at both the middle of the sweep.  That happens only at the
//     slow clocks where a beat is longer than the taps reach; there such a
//     point leaves more margin than any line's skew takes.
//
// One engine serves every line.  The lines' state sits in a ring: between
// steps line i is at place i, where the groups read its tap and slice.  At
// step_end the ring takes the step's results and turns once, one line a
// cycle past the logic that updates it (busy meanwhile: the sequencer
// writes nothing until it is back in place).
//
// Per line i: tap[7*i +: 7] and early[i] hold its tap and slice (tap 0 on the
// late slice until it has one), found[i] that it has a tap (settled on a
// whole eye, or from a cut run), settled[i] that it sits on the middle of a
// whole eye.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_WR_EYE (
  clk_x1, rst, cal_phase, sweep_early, sweep_tap, step_end, pass, tap, early, found, settled, busy);
parameter G  = 2;        // strobe groups
parameter GW = 8;        // DQ bits per group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"
localparam NL = G * (GW + 1);

input clk_x1, rst;
input [3:0] cal_phase;
input sweep_early;           // on the early slice
input [6:0] sweep_tap;
input step_end;
input [NL-1:0] pass;
output [7*NL-1:0] tap;
output [NL-1:0] early;
output [NL-1:0] found;
output [NL-1:0] settled;
output busy;

localparam RUN_MIN = 4;
// Half an eye in taps: half of a beat (tCK / 2) less the memory's setup and
// hold (tDS + tDH, 225 ps at DDR3-800 and less at faster bins).
localparam HALF = (tCK / 2 - 225) / 2 / TAP_PS;
localparam LW = clog2(NL + 1);
localparam PW = clog2(GW + 1);

// A line in the ring: whether its step passed, its tap and slice, where its
// run of passing taps began, and whether it is in one, has settled, or has
// taken its tap from a cut run.
localparam SW = 1 + 7 + 1 + 7 + 1 + 1 + 1;
reg  [SW*NL-1:0] ring;       // line i at [SW*i +: SW] between steps
wire       l_pass, l_early, l_settled, l_cut, l_in_run;
wire [6:0] l_tap, l_start;
assign {l_pass, l_tap, l_early, l_start, l_settled, l_cut, l_in_run} = ring[0 +: SW];

// The step being taken, held while the ring turns.
reg          step_dm, step_early;
reg [6:0]    step_tap;
reg [LW-1:0] left;           // lines still to pass the head; 0 when in place
reg [PW-1:0] place;          // the head line's place in its group (GW: the DM line)
wire         step = step_end && (cal_phase == PH_WDQ || cal_phase == PH_WDM);
assign busy = left != 0;
always @(posedge clk_x1)
  if (rst) begin
    left <= 0; place <= 0;
  end else if (step) begin
    left <= NL; place <= 0;
    step_dm <= cal_phase == PH_WDM; step_early <= sweep_early; step_tap <= sweep_tap;
  end else if (busy) begin
    left  <= left - 1'b1;
    place <= (place == GW) ? 0 : place + 1'b1;
  end

// The head line, as the step leaves it.
wire       sweeping  = busy && (place == GW) == step_dm && !l_settled;
wire [6:0] run_end   = step_tap - 1'b1;            // a run that ends at this step's failure
wire [7:0] run_len   = step_tap - l_start;         // its taps
wire [7:0] above     = l_start + HALF;
wire       may_cut   = !step_early && !l_cut;

reg       n_in_run, n_cut, n_settled, n_early;
reg [6:0] n_start, n_tap;
always @* begin
  n_in_run = l_in_run; n_start = l_start; n_cut = l_cut; n_settled = l_settled;
  n_early = l_early; n_tap = l_tap;
  if (sweeping) begin
    n_settled = 1'b0; n_early = 1'b0;
    if (l_pass && !l_in_run) begin n_in_run = 1'b1; n_start = step_tap; end
    if (l_pass && step_tap == 7'd127) begin
      // The run reaches the sweep's end: cut there.
      n_in_run = 1'b0;
      if (may_cut && l_in_run && run_len + 1 >= RUN_MIN) begin
        n_cut = 1'b1;
        n_tap = (l_start == 0) ? 7'd63 : (above > 127) ? 7'd127 : above[6:0];
      end
    end else if (!l_pass && l_in_run) begin
      n_in_run = 1'b0;
      if (run_len >= RUN_MIN) begin
        if (l_start != 0) begin
          n_settled = 1'b1; n_early = step_early;
          n_tap = l_start + (run_end - l_start) / 2;   // the middle, rounded down
        end else if (may_cut) begin
          n_cut = 1'b1;
          n_tap = (run_end > HALF) ? run_end - HALF : 7'd0;
        end
      end
    end
  end
end

// At the step's end every line takes its result in place; then the ring
// turns, the head going to the tail updated.
integer i;
always @(posedge clk_x1)
  if (rst) ring <= {SW*NL{1'b0}};
  else if (step)
    for (i = 0; i < NL; i = i + 1) ring[SW*i + SW - 1] <= pass[i];
  else if (busy)
    ring <= {l_pass, n_tap, n_early, n_start, n_settled, n_cut, n_in_run, ring} >> SW;

genvar gi;
generate for (gi = 0; gi < NL; gi = gi + 1) begin : g_line
  assign {tap[7*gi +: 7], early[gi], settled[gi]} = {ring[SW*gi + 11 +: 7], ring[SW*gi + 10],
                                                     ring[SW*gi + 2]};
  assign found[gi] = ring[SW*gi + 2] || ring[SW*gi + 1];
end endgenerate

endmodule
