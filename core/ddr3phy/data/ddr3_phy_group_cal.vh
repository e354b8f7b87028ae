// Strobe-group calibration engine of the DDR3 PHY (module DDR3PHY_GROUP_CAL):
// for every strobe group, the read strobe's window (gate sweep), the CK
// edge that write levelling finds, and the whole clock of write delay that
// levelling cannot see.  One engine serves all G groups.
//
// At each step's end (step_end) the engine takes the step (phase, tap, half
// clock) and the groups' observations of it, then updates each group as its
// walk passes it, one group a cycle, G cycles in all, well within a step
// (a gate step is a READ and RD_STEP cycles, a levelling tap two pulses of
// at least G cycles each).  Where the sequencer goes on to use the results
// (the first READ after the gate sweep, the pick after levelling, the
// writes after it) it waits until the walk is over (busy_out low).
//   - PH_GATE, per READ at DQS input tap sweep_tap (every other tap): did the
//     burst show (seen) and at which beat (pos).  A run is the taps that show
//     the burst at one place; where the place changes or the burst is not
//     seen, it ends.  The first whole run (one that began after such an
//     end, at least GATE_MIN taps) is the window; until there is one, the
//     longest run so far stands in.
//   - PH_LEVEL, per output tap of DQS (sweep_coarse: half a clock on): did
//     both pulses of the tap read CK high (hi), or both low (lo).  Near an
//     edge of CK (within tWLS/tWLH, and jitter) the level is random, so that
//     window breaks runs instead of forming them.  The edge counts once
//     LV_SOLID taps read high after LV_SOLID read low; it lies in the middle
//     between the two runs.
//   - PH_LV_PICK: read arrival and write delay in sixteenths of a clock (a
//     beat is 8, a tap TAP_16 / 256 at the delay line's nominal step; the DQS
//     input delay makes the burst look later than it arrives).  A group's
//     write delay less group 0's should equal its read arrival less group
//     0's, since fly-by routing delays a group's CK and its read data alike:
//     the difference, rounded to whole clocks, is the clock the group adds
//     (wr_clock - 1, -1..2).  The pick has half a clock to spare either way,
//     so the spread of the tap step (+-15 %) cannot move it.
// The groups' state sits in a ring: between steps group g is at place g,
// where its results are read.  At a step's end each group writes its
// observations into its place; then the ring turns once, one group a cycle
// past the logic that updates it, group 0 first.
//
// Per group g: win_start[7*g +: 7], win_len[8*g +: 8], the DQS window (taps),
// gate_done[g] that it is whole; wr_tap[7*g +: 7], wr_coarse[g] where DQS
// meets CK's rising edge, lv_done[g] that it was found; wr_clock[2*g +: 2];
// lv_bad[g] that levelling failed or picked a clock out of range.
//
// Clock: clk_x1 only; rst synchronous.
`timescale 1ps/1ps
module `DDR3PHY_GROUP_CAL (
  clk_x1, rst, cal_phase, sweep_tap, sweep_coarse, step_end, seen, pos, lv_hi, lv_lo, gate_pos, busy_out, win_start, win_len, gate_done, wr_tap, wr_coarse, lv_done, wr_clock, lv_bad);
parameter G = 2;   // strobe groups
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1, rst;
input [3:0] cal_phase;
input [6:0] sweep_tap;
input sweep_coarse;
input step_end;
input [G-1:0]   seen;            // gate: this READ's burst showed
input [9*G-1:0] pos;             // at this beat (from the READ's stage-a cycle)
input [G-1:0]   lv_hi, lv_lo;    // levelling: both pulses of the tap read high / low
input [9*G-1:0] gate_pos;        // beat of the burst at the window's centre
output busy_out;                 // a step's walk is under way: the results are not in place
output [7*G-1:0] win_start;
output [8*G-1:0] win_len;
output [G-1:0]   gate_done;
output [7*G-1:0] wr_tap;
output [G-1:0]   wr_coarse;
output [G-1:0]   lv_done;
output [2*G-1:0] wr_clock;
output [G-1:0]   lv_bad;

// A window spans at least GATE_MIN taps (240 ps at the nominal step): the
// runs that tDQSCK's random part and jitter break off near its edges are
// shorter, and the narrowest true window, a beat less those spreads at
// 600 MHz, is about 20 taps.
localparam GATE_MIN = 8;
// Near the CK edge a tap reads one level on both pulses by chance (1 in 4),
// LV_SOLID in a row about once in 65,000; 8 taps (240 ps) still fit well
// inside either half of CK.
localparam LV_SOLID = 8;
localparam TAP_16   = (16 * TAP_PS * 256 + tCK / 2) / tCK;
localparam CW       = clog2(G + 1);

// A group in the ring: the step's observations (the gate's seen and pos, or
// at the pick its gate_pos; levelling's hi and lo), the gate sweep's run (in
// it, whether a miss came before it, where it began and sees the burst),
// the window so far and whether it is whole, levelling's run of equal
// levels and its last solid run, what levelling found, and the pick.
localparam SW = 12 + 19 + 16 + 14 + 9 + 3;
reg  [SW*G-1:0] ring;            // group g at [SW*g +: SW] between steps
wire       o_seen, o_hi, o_lo, in_run, missed, run_clean, closed, lv_prev, solid_seen,
           solid_level, found, coarse, bad;
wire [8:0] o_pos, run_pos;
wire [6:0] run_start, best_start, solid_end, tap;
wire [7:0] best_len;
wire [3:0] lv_run;
wire [1:0] clock;
assign {clock, bad, coarse, tap, found, solid_end, solid_level, solid_seen, lv_prev, lv_run,
        closed, best_len, best_start, run_pos, run_start, run_clean, missed, in_run,
        o_lo, o_hi, o_pos, o_seen} = ring[0 +: SW];

// The step, held while the ring turns; the levels of a tap count at the end
// of its second pulse.
reg [3:0]    step_phase;
reg [6:0]    step_tap;
reg          step_coarse;
reg          lv_second;
reg [CW-1:0] left;               // groups still to pass the head; 0 when in place
wire step = step_end && (cal_phase == PH_GATE || cal_phase == PH_LV_PICK ||
                         (cal_phase == PH_LEVEL && lv_second));
wire busy = left != 0;
assign busy_out = busy;
always @(posedge clk_x1)
  if (rst) begin
    left <= 0; lv_second <= 1'b0;
  end else begin
    if (cal_phase != PH_LEVEL) lv_second <= 1'b0;
    else if (step_end)         lv_second <= !lv_second;
    if (step) begin
      left <= G;
      step_phase <= cal_phase; step_tap <= sweep_tap; step_coarse <= sweep_coarse;
    end else if (busy) left <= left - 1'b1;
  end

// Gate sweep.
wire       gate      = busy && step_phase == PH_GATE;
wire       run_moved = in_run && o_seen && o_pos != run_pos;
wire [7:0] run_len   = (in_run && !run_moved) ? step_tap - run_start + 1 : 8'd1;
wire       run_ends  = gate && (!o_seen || run_moved);
wire       run_new   = gate && o_seen && (!in_run || run_moved);
wire       window    = run_ends && in_run && run_clean && step_tap - run_start >= GATE_MIN &&
                       !closed;
wire       longer    = gate && o_seen && run_len > best_len && !closed;
wire       n_in_run  = gate ? o_seen : in_run;
wire [8:0] n_run_pos = gate ? o_pos : run_pos;
wire       n_missed  = missed || run_ends;
wire [6:0] n_run_start = run_new ? step_tap : run_start;
wire       n_run_clean = run_new ? missed || run_moved : run_clean;
wire       n_closed  = closed || window;
wire [6:0] n_best_start = window ? run_start :
                          longer ? ((in_run && !run_moved) ? run_start : step_tap) : best_start;
wire [7:0] n_best_len   = window ? step_tap - run_start : longer ? run_len : best_len;

// Write levelling: a run of taps that read one level ends where a tap reads
// the other or neither; a sweep begins at tap 0.
wire       level     = busy && step_phase == PH_LEVEL;
wire       lv_some   = o_hi || o_lo;
wire       lv_begin  = level && step_tap == 0;
wire       lv_break  = level && !lv_begin && (!lv_some || lv_run == 0 || o_hi != lv_prev);
wire       lv_grow   = level && !lv_begin && !lv_break;
wire       lv_edge   = lv_grow && lv_run == LV_SOLID - 1 && solid_seen && !solid_level && o_hi &&
                       !found;
wire [6:0] edge_tap  = (solid_end + step_tap - (LV_SOLID - 1) + 1) / 2;
wire [3:0] n_lv_run  = (lv_begin || lv_break) ? (lv_some ? 4'd1 : 4'd0) :
                       (lv_grow && lv_run != 4'd15) ? lv_run + 1'b1 : lv_run;
wire       n_lv_prev = level ? o_hi : lv_prev;
wire       solid_ends = lv_break && lv_run >= LV_SOLID;
wire       n_solid_seen  = lv_begin ? 1'b0 : solid_seen || solid_ends;
wire       n_solid_level = solid_ends ? lv_prev : solid_level;
wire [6:0] n_solid_end   = solid_ends ? step_tap - 1'b1 : solid_end;
wire       n_found   = found || lv_edge;
wire [6:0] n_tap     = lv_edge ? edge_tap : tap;
wire       n_coarse  = lv_edge ? step_coarse : coarse;

// The whole clock: the group's read arrival less its write delay, against
// group 0's, which passes first.
wire       pick      = busy && step_phase == PH_LV_PICK;
wire [6:0] dqs_tap   = middle(best_start, best_start + best_len - 1'b1);
wire signed [11:0] arr_less_wr = 8 * (o_pos - coarse) - (((dqs_tap + tap) * TAP_16 + 128) >> 8);
reg  signed [11:0] arr_less_wr0;
always @(posedge clk_x1) if (left == G) arr_less_wr0 <= arr_less_wr;
wire signed [11:0] clk_diff  = arr_less_wr - ((left == G) ? arr_less_wr : arr_less_wr0) + 8;
wire signed [7:0]  clk_whole = clk_diff >>> 4;   // + 8 above: rounded
wire [1:0] n_clock   = pick ? clk_whole + 1 : clock;
wire       n_bad     = pick ? !found || clk_whole < -1 || clk_whole > 2 : bad;

// At a step's end every group writes its observations in place; then the
// ring turns, the head going to the tail updated.
integer g;
always @(posedge clk_x1)
  if (rst)
    for (g = 0; g < G; g = g + 1) ring[SW*g +: SW] <= {2'd1, {SW-2{1'b0}}};
  else if (step)
    for (g = 0; g < G; g = g + 1)
      ring[SW*g +: 12] <= {lv_lo[g], lv_hi[g],
                           (cal_phase == PH_LV_PICK) ? gate_pos[9*g +: 9] : pos[9*g +: 9], seen[g]};
  else if (busy)
    ring <= {n_clock, n_bad, n_coarse, n_tap, n_found, n_solid_end, n_solid_level, n_solid_seen,
             n_lv_prev, n_lv_run, n_closed, n_best_len, n_best_start, n_run_pos, n_run_start,
             n_run_clean, n_missed, n_in_run, o_lo, o_hi, o_pos, o_seen, ring} >> SW;

genvar gi;
generate for (gi = 0; gi < G; gi = gi + 1) begin : g_out
  localparam B = SW * gi;
  assign {wr_clock[2*gi +: 2], lv_bad[gi], wr_coarse[gi], wr_tap[7*gi +: 7], lv_done[gi]} =
         ring[B + SW - 12 +: 12];
  assign {gate_done[gi], win_len[8*gi +: 8], win_start[7*gi +: 7]} = ring[B + 31 +: 16];
end endgenerate

endmodule
