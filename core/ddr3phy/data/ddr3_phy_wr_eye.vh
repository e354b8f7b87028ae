// Write eye of one output line (module DDR3PHY_WR_EYE): the output tap, and
// the slice of the write stream, that centre a DQ or DM line's beats between
// its strobe's edges at the memory.
//
// The sequencer sweeps the line's output tap from 0 to 127 over bursts it
// writes and reads back, first with the line on the group's late slice of the
// write stream (sweep_early low), then, while some line of the core has not
// settled, on the early slice, a beat sooner (ddr3_phy_lane.vh).  A step
// passes where the bursts read back (W_TRIES of them) all are the one the
// line should have written (pass, valid at step_end).  A run of passing taps is the line's eye; runs
// shorter than RUN_MIN taps are luck at an edge and do not count.
//   - The line settles on the middle of the first run with both edges inside
//     the sweep, the late slice's first.  A run of the late slice that starts
//     at tap 0 may be cut there: the early slice shows that eye a beat of
//     taps further up, whole.
//   - Without such a run, a run of the late slice cut at tap 0 gives the tap
//     HALF taps below its end, one cut at 127 the tap HALF above its start,
//     and one cut at both the middle of the sweep.  That happens only at the
//     slow clocks where a beat is longer than the taps reach; there such a
//     point leaves more margin than any line's skew takes.
// found: the line has a tap (settled on a whole eye, or from a cut run); tap
// and early hold it (tap 0 on the late slice until then).
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_WR_EYE (
  clk_x1, rst, sweeping, sweep_early, sweep_tap, step_end, pass, tap, early, found, settled);
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1, rst;
input sweeping;          // this line's sweep is under way
input sweep_early;       // on the early slice
input [6:0] sweep_tap;
input step_end;
input pass;
output [6:0] tap;
output early;
output found;
output reg settled;      // on the middle of a whole eye

localparam RUN_MIN = 4;
// Half an eye in taps: half of a beat (tCK / 2) less the memory's setup and
// hold (tDS + tDH, 225 ps at DDR3-800 and less at faster bins).
localparam HALF = (tCK / 2 - 225) / 2 / TAP_PS;

reg       in_run;
reg [6:0] run_start;
reg       cut_taken;
reg [6:0] eye_tap, cut_tap;
reg       eye_early;
wire [6:0] run_end = sweep_tap - 1'b1;            // a run that ends at this step's failure
wire [7:0] run_len = sweep_tap - run_start;      // its taps
wire [7:0] above_start = run_start + HALF;
always @(posedge clk_x1)
  if (rst) begin
    in_run <= 1'b0; run_start <= 7'd0; settled <= 1'b0; cut_taken <= 1'b0;
    eye_tap <= 7'd0; cut_tap <= 7'd0; eye_early <= 1'b0;
  end else if (sweeping && step_end && !settled) begin
    if (pass && !in_run) begin in_run <= 1'b1; run_start <= sweep_tap; end
    if (pass && sweep_tap == 7'd127) begin
      // The run reaches the sweep's end: cut there.
      in_run <= 1'b0;
      if (!sweep_early && !cut_taken && in_run && run_len + 1 >= RUN_MIN) begin
        cut_taken <= 1'b1;
        cut_tap   <= (run_start == 0) ? 7'd63 : (above_start > 127) ? 7'd127 : above_start[6:0];
      end
    end else if (!pass && in_run) begin
      in_run <= 1'b0;
      if (run_len >= RUN_MIN) begin
        if (run_start != 0) begin
          settled <= 1'b1; eye_early <= sweep_early;
          eye_tap <= run_start + (run_end - run_start) / 2;   // the middle, rounded down
        end else if (!sweep_early && !cut_taken) begin
          cut_taken <= 1'b1;
          cut_tap   <= (run_end > HALF) ? run_end - HALF : 7'd0;
        end
      end
    end
  end

assign tap   = settled ? eye_tap : cut_tap;
assign early = settled && eye_early;
assign found = settled || cut_taken;

endmodule
