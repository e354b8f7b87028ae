// Write eyes of a strobe group's output lines (module DDR3PHY_WR_EYE): for
// each DQ line and the DM line, the output tap, and the slice of the write
// stream, that centre the line's beats between its strobe's edges at the
// memory.
//
// The sequencer sweeps the lines' output taps from 0 to 127 over bursts it
// writes and reads back, first with the lines on the group's late slice of
// the write stream (sweep_early low), then, while some line of the core has
// not settled, on the early slice, a beat sooner (ddr3_phy_lane.vh).  A
// line's step passes where the bursts read back (W_TRIES of them) all are the
// one the line should have written (pass, valid at step_end).  A run of
// passing taps is the line's eye; runs shorter than RUN_MIN taps are luck at
// an edge and do not count.
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
// One engine serves every line: at step_end it takes the step's results
// (pass, sweeping, the tap and the slice) and then updates one line a cycle,
// NL cycles in all, far less than a step of WRITE, READ and their waits
// (ddr3_phy_cal.vh).  A line's state is a handful of flip-flops; the logic
// that reads a step exists once per group, not once per line.
//
// Per line l: tap[7*l +: 7] and early[l] hold its tap and slice (tap 0 on the
// late slice until it has one), found[l] that it has a tap (settled on a
// whole eye, or from a cut run), settled[l] that it sits on the middle of a
// whole eye.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_WR_EYE (
  clk_x1, rst, sweeping, sweep_early, sweep_tap, step_end, pass, tap, early, found, settled);
parameter NL = 9;        // lines
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1, rst;
input [NL-1:0] sweeping;     // the lines whose sweep is under way
input sweep_early;           // on the early slice
input [6:0] sweep_tap;
input step_end;
input [NL-1:0] pass;
output reg [7*NL-1:0] tap;
output [NL-1:0] early;
output [NL-1:0] found;
output [NL-1:0] settled;

localparam RUN_MIN = 4;
// Half an eye in taps: half of a beat (tCK / 2) less the memory's setup and
// hold (tDS + tDH, 225 ps at DDR3-800 and less at faster bins).
localparam HALF = (tCK / 2 - 225) / 2 / TAP_PS;
localparam LW = clog2(NL + 1);

// The step being taken, held while the engine walks the lines.
reg [NL-1:0] step_pass, step_sweeping;
reg          step_early;
reg [6:0]    step_tap;
reg [LW-1:0] line;           // the line updated this cycle; NL when idle
always @(posedge clk_x1)
  if (rst) line <= NL;
  else if (step_end) begin
    line <= 0;
    step_pass <= pass; step_sweeping <= sweeping; step_early <= sweep_early;
    step_tap <= sweep_tap;
  end else if (line != NL) line <= line + 1'b1;

// Per line: in a run of passing taps since run_start; the tap found so far
// (cut_taken: from a cut run); on the early slice.
reg [NL-1:0] in_run, cut_taken, settled, early;
reg [7*NL-1:0] run_start;

// This cycle's line, as the step leaves it.
wire       busy      = line != NL && step_sweeping[line] && !settled[line];
wire       l_pass    = step_pass[line];
wire       l_in_run  = in_run[line];
wire [6:0] l_start   = run_start[7*line +: 7];
wire [6:0] run_end   = step_tap - 1'b1;            // a run that ends at this step's failure
wire [7:0] run_len   = step_tap - l_start;         // its taps
wire [7:0] above     = l_start + HALF;
wire       may_cut   = !step_early && !cut_taken[line];

wire [6:0] l_tap     = tap[7*line +: 7];

// The line's state after the step.
reg       n_in_run, n_cut, n_settled, n_early;
reg [6:0] n_start, n_tap;
always @* begin
  n_in_run = l_in_run; n_start = l_start; n_cut = cut_taken[line]; n_settled = 1'b0;
  n_early = 1'b0; n_tap = l_tap;
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

// Written with constant indices, so that each line's registers take the
// shared results under an enable of their own.
integer l;
always @(posedge clk_x1)
  if (rst) begin
    in_run <= {NL{1'b0}}; settled <= {NL{1'b0}}; cut_taken <= {NL{1'b0}};
    early <= {NL{1'b0}}; run_start <= {7*NL{1'b0}}; tap <= {7*NL{1'b0}};
  end else
    for (l = 0; l < NL; l = l + 1)
      if (busy && line == l) begin
        in_run[l] <= n_in_run; run_start[7*l +: 7] <= n_start; cut_taken[l] <= n_cut;
        settled[l] <= n_settled; early[l] <= n_early; tap[7*l +: 7] <= n_tap;
      end

assign found = settled | cut_taken;

endmodule
