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
// A group's working state sits in a ring that turns one group a cycle, so
// the group the walk visits is always at its head; its results leave
// through registers of their own.
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
output busy_out;                 // a step's walk is under way: its results are not all out
output reg [7*G-1:0] win_start;
output reg [8*G-1:0] win_len;
output reg [G-1:0]   gate_done;
output reg [7*G-1:0] wr_tap;
output reg [G-1:0]   wr_coarse;
output reg [G-1:0]   lv_done;
output reg [2*G-1:0] wr_clock;
output reg [G-1:0]   lv_bad;

localparam GATE_MIN = 8;
localparam LV_SOLID = 8;
localparam TAP_16   = (16 * TAP_PS * 256 + tCK / 2) / tCK;
localparam CW       = clog2(G + 1);

// The step, held while the walk passes the groups (todo); the levels of a
// tap count at the end of its second pulse.
reg [3:0]    step_phase;
reg [6:0]    step_tap;
reg          step_coarse;
reg [G-1:0]  step_seen, step_hi, step_lo, todo;
reg [9*G-1:0] step_pos;
reg          lv_second;
reg [CW-1:0] cur;                // the group visited this cycle
wire step = step_end && (cal_phase == PH_GATE || cal_phase == PH_LV_PICK ||
                         (cal_phase == PH_LEVEL && lv_second));
always @(posedge clk_x1)
  if (rst) begin
    cur <= 0; todo <= {G{1'b0}}; lv_second <= 1'b0;
  end else begin
    cur <= (cur == G - 1) ? 0 : cur + 1'b1;
    if (cal_phase != PH_LEVEL) lv_second <= 1'b0;
    else if (step_end)         lv_second <= !lv_second;
    if (step) begin
      todo <= {G{1'b1}};
      step_phase <= cal_phase; step_tap <= sweep_tap; step_coarse <= sweep_coarse;
      step_seen <= seen; step_pos <= pos; step_hi <= lv_hi; step_lo <= lv_lo;
    end else todo[cur] <= 1'b0;
  end

// The ring: per group, the gate sweep's run (in it, where it began and sees
// the burst, whether a miss came before it), the window so far, and
// levelling's run of equal levels, its last solid run and what it found.
localparam SW = 1 + 1 + 1 + 7 + 9 + 7 + 8 + 1 + 4 + 1 + 1 + 1 + 7 + 1 + 7 + 1;
reg  [SW*G-1:0] ring;
wire       in_run, missed, run_clean, closed, lv_prev, solid_seen, solid_level, found, coarse;
wire [6:0] run_start, best_start, solid_end, tap;
wire [8:0] run_pos;
wire [7:0] best_len;
wire [3:0] lv_run;
assign {coarse, tap, found, solid_end, solid_level, solid_seen, lv_prev, lv_run, closed, best_len,
        best_start, run_pos, run_start, run_clean, missed, in_run} = ring[0 +: SW];

wire       busy = todo[cur];
assign busy_out = todo != 0;
wire       g_seen = step_seen[cur];
wire [8:0] g_pos  = step_pos[9*cur +: 9];
wire       g_hi   = step_hi[cur], g_lo = step_lo[cur];

// Gate sweep.
wire       gate      = busy && step_phase == PH_GATE;
wire       run_moved = in_run && g_seen && g_pos != run_pos;
wire [7:0] run_len   = (in_run && !run_moved) ? step_tap - run_start + 1 : 8'd1;
wire       run_ends  = gate && (!g_seen || run_moved);
wire       run_new   = gate && g_seen && (!in_run || run_moved);
wire       window    = run_ends && in_run && run_clean && step_tap - run_start >= GATE_MIN &&
                       !closed;
wire       longer    = gate && g_seen && run_len > best_len && !closed;
wire       n_in_run  = gate ? g_seen : in_run;
wire [8:0] n_run_pos = gate ? g_pos : run_pos;
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
wire       lv_some   = g_hi || g_lo;
wire       lv_begin  = level && step_tap == 0;
wire       lv_break  = level && !lv_begin && (!lv_some || lv_run == 0 || g_hi != lv_prev);
wire       lv_grow   = level && !lv_begin && !lv_break;
wire       lv_edge   = lv_grow && lv_run == LV_SOLID - 1 && solid_seen && !solid_level && g_hi &&
                       !found;
wire [6:0] edge_tap  = (solid_end + step_tap - (LV_SOLID - 1) + 1) / 2;
wire [3:0] n_lv_run  = (lv_begin || lv_break) ? (lv_some ? 4'd1 : 4'd0) :
                       (lv_grow && lv_run != 4'd15) ? lv_run + 1'b1 : lv_run;
wire       n_lv_prev = level ? g_hi : lv_prev;
wire       solid_ends = lv_break && lv_run >= LV_SOLID;
wire       n_solid_seen  = lv_begin ? 1'b0 : solid_seen || solid_ends;
wire       n_solid_level = solid_ends ? lv_prev : solid_level;
wire [6:0] n_solid_end   = solid_ends ? step_tap - 1'b1 : solid_end;
wire       n_found   = found || lv_edge;
wire [6:0] n_tap     = lv_edge ? edge_tap : tap;
wire       n_coarse  = lv_edge ? step_coarse : coarse;

// The whole clock: group 0's read arrival less its write delay, taken as
// group 0 passes (its taps no longer change once levelling is over).
wire [6:0] dqs_tap = best_start + (best_len - 1'b1) / 2;
wire signed [11:0] arr_less_wr = 8 * (gate_pos[9*cur +: 9] - coarse) -
                                 (((dqs_tap + tap) * TAP_16 + 128) >> 8);
reg  signed [11:0] arr_less_wr0;
always @(posedge clk_x1) if (cur == 0) arr_less_wr0 <= arr_less_wr;
wire signed [11:0] clk_diff  = arr_less_wr - arr_less_wr0 + 8;   // + 8: rounded
wire signed [7:0]  clk_whole = clk_diff >>> 4;
wire       pick = busy && step_phase == PH_LV_PICK;

always @(posedge clk_x1)
  if (rst) ring <= {SW*G{1'b0}};
  else     ring <= {n_coarse, n_tap, n_found, n_solid_end, n_solid_level, n_solid_seen, n_lv_prev,
                    n_lv_run, n_closed, n_best_len, n_best_start, n_run_pos, n_run_start,
                    n_run_clean, n_missed, n_in_run, ring} >> SW;

// The results, written with constant indices, so that each group's
// registers take the shared values under an enable of their own.
integer g;
always @(posedge clk_x1)
  if (rst) begin
    win_start <= {7*G{1'b0}}; win_len <= {8*G{1'b0}}; gate_done <= {G{1'b0}};
    wr_tap <= {7*G{1'b0}}; wr_coarse <= {G{1'b0}}; lv_done <= {G{1'b0}};
    wr_clock <= {G{2'd1}}; lv_bad <= {G{1'b0}};
  end else
    for (g = 0; g < G; g = g + 1)
      if (busy && cur == g) begin
        win_start[7*g +: 7] <= n_best_start; win_len[8*g +: 8] <= n_best_len;
        gate_done[g] <= n_closed;
        wr_tap[7*g +: 7] <= n_tap; wr_coarse[g] <= n_coarse; lv_done[g] <= n_found;
        if (pick) begin
          wr_clock[2*g +: 2] <= clk_whole + 1;
          lv_bad[g] <= !found || clk_whole < -1 || clk_whole > 2;
        end
      end

endmodule
