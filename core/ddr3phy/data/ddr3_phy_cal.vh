// Calibration and maintenance sequencer of the DDR3 PHY (module DDR3PHY_CAL).
//
// What it does: once initialisation is done it owns the bus and runs the
// calibration phases (PH_* in ddr3_phy_timing.vh) in order, issuing its own
// commands with the waits of ddr3_phy_timing.vh; the strobe groups
// (ddr3_phy_lane.vh) observe each step, and the calibration engines
// (ddr3_phy_group_cal.vh, ddr3_phy_rd_eye_update.vh, ddr3_phy_wr_eye.vh)
// find the results.
//   1. Read strobe ("gate"), with the memory's multi-purpose register on
//      (MR3 A2: every READ returns 0, 1, 0, 1, ... on every DQ): one READ
//      per second DQS input tap (0..127); each group's window is the first
//      whole run of taps that show the preamble and the burst at one place,
//      its centre the tap; then a READ there gives the burst's beat, the
//      deserializers are slipped to a word boundary and a READ checks that.
//   2. Per-bit read centring: one READ per DQ input tap, until every bit has
//      passed and failed again; each bit keeps the centre of the taps that
//      read the pattern right; a READ checks every bit and strobe.  MR3 off.
//   3. Write levelling: MR1 with A7 set, two DQS pulses per output tap
//      (0..127, then again half a clock later, until every group has found
//      CK's rising edge), the CK level read back on DQ; MR1 back; each group
//      picks its whole clock (PH_LV_PICK).
//   4. Write deskew, in a row of bank 0 opened once (column 0): per output
//      tap (0..127), the pattern W_PATTERN written and read back; every DQ
//      line keeps the middle of its write eye (ddr3_phy_wr_eye.vh), first
//      with its beats on the late slice of the write stream, then, while
//      some line has not settled, on the early one.  Then the DM lines the
//      same way, with two WRITEs per tap: the pattern, and its inverse with
//      the odd beats masked, read back as W_MIXED.
//   5. The pattern written and read back: every bit and strobe must find it
//      where calibration put it.
//   6. ddr_init_complete rises unless a group failed (then it never rises,
//      and the status says which).
// Then, after every controller REFRESH (a_ref) that finds the read eyes'
// update logic done with the last window, the maintenance window:
// tRFC, MR3 on, READs streamed as in the DQ sweep with every bit (and DQS)
// at its eye's early edge, or after the next REFRESH at its late edge (each
// group moves the edges it finds moved: the sampling points follow drift of
// tDQSCK and of the delays), MR3 off.  The bus is the PHY's (seq_own) from
// the first of these commands until tMOD after the last, within the MAINT_CK
// clocks the controller leaves after tRFC; the counted step takes what the
// window leaves at the calibrated read latency (track_reads), and the groups
// judge its words against the thresholds for it (track_hi, track_lo).
// rd_lat (the read latency after stage a, in cycles) is the latest burst
// word over the groups; the others wait for it.
//
// Clock: clk_x1 only; rst synchronous.
// Port contract: cmd/ba/addr is the command of this cycle for slot 0 (taken
// while seq_own); rd_cnt counts cycles from the cycle a READ was issued (0)
// up to its saturation value; a_ref is a controller REFRESH in stage a.
`timescale 1ps/1ps
module `DDR3PHY_CAL (
  clk_x1, rst, init_seq_done, mr1, mr3, lane_bad, groups_busy, gate_words, gates_done, dq_froms, dqs_done, lvs_done, wdq_dones, wdm_dones, a_ref, seq_own, cmd, ba, addr, cal_phase, sweep_tap, sweep_coarse, step_end, rd_cnt, rd_lat, track_hi, track_lo, lv_pulse, wr_masked, dq_count, init_done, cal_done, cal_fail);
parameter G  = 2;   // strobe groups
parameter GW = 8;   // DQ bits per group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1;
input rst;
input init_seq_done;
input      [15:0] mr1;
input      [15:0] mr3;
input      [G-1:0] lane_bad;
input      groups_busy;                            // a calibration engine is still walking a step
input      [6*G-1:0] gate_words;
input      [G-1:0] gates_done, dqs_done, lvs_done;
input      [G-1:0] wdq_dones, wdm_dones;           // every line settled on its write eye
input      [7*G-1:0] dq_froms;                     // where each group's DQ sweep may start
input      a_ref;                                  // a controller REFRESH in stage a
output reg seq_own;                                // the PHY owns the bus
output reg [3:0] cmd;
output reg [2:0] ba;
output reg [ROW_WIDTH-1:0] addr;
output reg [3:0] cal_phase;
output reg [6:0] sweep_tap;
output reg sweep_coarse;                           // levelling: half a clock on; write sweeps: early slice
output step_end;
output reg [5:0] rd_cnt;
output reg [5:0] rd_lat;
output reg [5:0] track_hi, track_lo;              // maintenance: the vote's thresholds
output reg lv_pulse;
output reg wr_masked;                              // this WRITE: the pattern's masked inverse
output dq_count;   // DQ sweep: this cycle's words count for the tap
output reg init_done;
output reg cal_done;
output reg cal_fail;

localparam ROW = ROW_WIDTH;
// Column 0; A12 asks for 8 beats where the burst length is chosen per command.
localparam [ROW-1:0] COL0 = (BL_OTF ? 1 << 12 : 0);
localparam [ROW-1:0] MPR_ON = 1 << 2;             // MR3 A2, page 0: the predefined pattern

// The window must fit what the controller leaves free.
generate if (track_reads(RD_LOOK) < 8) begin : g_window_check
  ddr3_phy_maintenance_does_not_fit_its_window u_stop ();
end endgenerate

// States in the order of the flow.
localparam [4:0] S_WAIT    = 5'd0, S_MPR_ON  = 5'd1, S_READ    = 5'd2, S_STEP    = 5'd3,
                 S_SLIP    = 5'd4, S_DQ_RUN  = 5'd5, S_MPR_OFF = 5'd6, S_LV_MRS  = 5'd7,
                 S_PULSE   = 5'd8, S_LV_STEP = 5'd9, S_LV_END  = 5'd10, S_W_ACT   = 5'd11,
                 S_WRITE   = 5'd12, S_WRITE_M = 5'd13, S_PRE     = 5'd14, S_END     = 5'd15,
                 S_RUN     = 5'd16, S_TRACK   = 5'd17, S_RELEASE = 5'd18, S_FAILED  = 5'd19;

// A gate step is long enough for the strobe-group engine to walk the groups.
localparam GATE_STEP = max2(RD_STEP, G);
localparam TW = clog2(max2(max2(GATE_STEP, max2(CYC_WLO + 8, G)), max2(max2(CYC_MOD, CYC_WLMRD) + CMD_LAT,
                                                          CYC_RFC)) + 1);

reg [4:0]    state, next;
reg          track_late;                   // this window probes the late edges
reg          lv_again;                     // levelling: the tap's second pulse is under way
reg  [1:0]   w_try;                        // write sweep: bursts of this tap so far
wire         w_more = (cal_phase == PH_WDQ || cal_phase == PH_WDM) && w_try != W_TRIES - 1;
// The DQ sweep and the maintenance step: READs RD_GAP cycles apart; each tap
// DQ_SETTLE cycles to reach the deserialized words, then the words of
// DQ_READS cycles counted; a maintenance step counts from its start.  The
// read eyes' update logic walks every group's bits and strobe after a step,
// one a cycle (RD_WALK, ddr3_phy_rd_eye_update.vh), and must be through
// before the next step ends: on wide cores the step waits longer before it
// counts.
localparam RD_WALK = G * (GW + 1);
localparam DQ_WAIT = max2(DQ_SETTLE, RD_WALK + 1 - DQ_READS);
localparam DQ_STEP = DQ_WAIT + DQ_READS;
// The maintenance step at the calibrated read latency, looked up (rd_lat is
// one of 0 .. RD_LOOK, and settles during calibration).
reg  [6:0] track_step;
integer l;
always @(posedge clk_x1)
  for (l = 0; l <= RD_LOOK; l = l + 1)
    if (rd_lat == l) begin
      track_step <= track_reads(l); track_hi <= track_hi_at(l); track_lo <= track_lo_at(l);
    end
wire [6:0] step_last = (cal_phase == PH_DQ) ? DQ_STEP - 1 : track_step - 1;
reg [1:0]    gap_left;
reg [6:0]    step_cyc;
reg [5:0]    warm;                         // cycles since the sweep's first READ
wire         warm_done = warm >= rd_lat + 3;
assign dq_count = state == S_DQ_RUN && warm_done && (cal_phase != PH_DQ || step_cyc >= DQ_WAIT);
reg [TW-1:0] wait_left;

assign step_end = (((state == S_STEP && !w_more) || state == S_LV_STEP) && wait_left == 0) ||
                  (state == S_DQ_RUN && warm_done && step_cyc == step_last);

// Issue command c to bank b and go on to state n after `cycles` cycles.
task issue;
  input [3:0]     c;
  input [2:0]     b;
  input [ROW-1:0] a;
  input integer   cycles;
  input [4:0]     n;
  begin
    cmd <= c; ba <= b; addr <= a;
    wait_left <= cycles - 1;
    state <= n;
  end
endtask

// The latest burst word over the groups, and the lowest tap a DQ sweep
// needs.
reg [5:0] latest;
reg [6:0] dq_from;
integer g;
always @* begin
  latest = 6'd0; dq_from = 7'd127;
  for (g = 0; g < G; g = g + 1) begin
    if (gate_words[6*g +: 6] > latest) latest = gate_words[6*g +: 6];
    if (dq_froms[7*g +: 7] < dq_from)  dq_from = dq_froms[7*g +: 7];
  end
end
// Every line of the write sweep under way has settled.
wire sweep_settled = (cal_phase == PH_WDQ) ? wdq_dones == {G{1'b1}} : wdm_dones == {G{1'b1}};
// Once the burst's place is known a READ step need only wait for it.
wire [TW-1:0] rd_wait = (cal_phase == PH_GATE || cal_phase == PH_GATE_POS ||
                         cal_phase == PH_GATE_CHK) ? GATE_STEP : rd_lat + 4;

always @(posedge clk_x1)
  if (rst) begin
    state <= S_WAIT; next <= S_WAIT; wait_left <= 0; seq_own <= 1'b1; track_late <= 1'b0;
    gap_left <= 2'd0; step_cyc <= 7'd0; warm <= 6'd0;
    cmd <= C_NOP; ba <= 3'd0; addr <= {ROW{1'b0}};
    cal_phase <= PH_IDLE; sweep_tap <= 7'd0; sweep_coarse <= 1'b0;
    rd_cnt <= 6'h3f; rd_lat <= 6'd0; lv_pulse <= 1'b0; lv_again <= 1'b0; wr_masked <= 1'b0;
    w_try <= 2'd0;
    init_done <= 1'b0; cal_done <= 1'b0; cal_fail <= 1'b0;
  end else begin
    cmd      <= C_NOP;
    lv_pulse <= 1'b0;
    if (!init_done) rd_lat <= latest;
    if (rd_cnt != 6'h3f) rd_cnt <= rd_cnt + 1'b1;
    if (wait_left != 0)
      wait_left <= wait_left - 1'b1;
    else case (state)
      S_WAIT: if (init_seq_done) state <= S_MPR_ON;
      S_MPR_ON:
        if (init_done) begin
          issue(C_MRS, 3'd3, mr3[ROW-1:0] | MPR_ON, CYC_MOD, S_DQ_RUN);
          cal_phase  <= track_late ? PH_TRACK_R : PH_TRACK_L;
          track_late <= !track_late;
          warm <= 6'd0; step_cyc <= 7'd0; gap_left <= 2'd0;
        end else begin
          issue(C_MRS, 3'd3, mr3[ROW-1:0] | MPR_ON, CYC_MOD, S_READ);
          cal_phase <= PH_GATE; sweep_tap <= 7'd0;
        end
      // The first READ after the gate sweep needs every group's window.
      S_READ:
        if (cal_phase == PH_GATE || !groups_busy) begin
          issue(C_RD, 3'd0, COL0, rd_wait, S_STEP);
          rd_cnt <= 6'd0; wr_masked <= 1'b0;
        end
      // The groups take the step's result now (step_end).
      S_STEP: case (cal_phase)
        PH_GATE:
          // Every other tap: the window needs finding, not its edges.
          if (sweep_tap >= 7'd126 || gates_done == {G{1'b1}}) begin
            cal_phase <= PH_GATE_POS; state <= S_READ;
          end else begin sweep_tap <= sweep_tap + 2'd2; state <= S_READ; end
        PH_GATE_POS: begin cal_phase <= PH_SLIP; state <= S_SLIP; wait_left <= 2 * NB + 2; end
        // A group that failed ends calibration at once (MR3 back off first).
        PH_GATE_CHK:
          if (lane_bad != 0) begin next <= S_END; state <= S_MPR_OFF; end
          else begin
            cal_phase <= PH_DQ; sweep_tap <= dq_from; state <= S_DQ_RUN;
            warm <= 6'd0; step_cyc <= 7'd0; gap_left <= 2'd0;
          end
        PH_CHECK:    begin next <= (lane_bad != 0) ? S_END : S_LV_MRS; state <= S_MPR_OFF; end
        PH_LV_PICK:  state <= S_W_ACT;
        // A write sweep goes on to the early slice, then to the DM lines,
        // then to the check, each as soon as every line has settled.
        PH_WDQ, PH_WDM: begin
          state <= S_WRITE;
          if (w_more) w_try <= w_try + 1'b1;
          else begin
            w_try <= 2'd0;
            if (sweep_tap == 7'd127 || sweep_settled) begin
              sweep_tap <= 7'd0;
              if (!sweep_coarse && !sweep_settled) sweep_coarse <= 1'b1;
              else begin
                sweep_coarse <= 1'b0;
                cal_phase    <= (cal_phase == PH_WDQ && HAS_DM) ? PH_WDM : PH_VERIFY;
              end
            end else sweep_tap <= sweep_tap + 1'b1;
          end
        end
        default:     state <= S_PRE;   // PH_VERIFY
      endcase
      S_SLIP: begin cal_phase <= PH_GATE_CHK; state <= S_READ; end
      // The DQ sweep: READs RD_GAP cycles apart, the tap one higher
      // every DQ_STEP cycles, once the first burst has come (warm).  A
      // maintenance window is one step of track_step cycles.  The bursts
      // still under way go by before the next command.
      S_DQ_RUN: begin
        if (gap_left == 0) begin
          cmd <= C_RD; ba <= 3'd0; addr <= COL0; gap_left <= RD_GAP - 1;
        end else gap_left <= gap_left - 1'b1;
        if (!warm_done) warm <= warm + 1'b1;
        else begin
          step_cyc <= (step_cyc == step_last) ? 7'd0 : step_cyc + 1'b1;
          if (step_cyc == step_last) begin
            if (cal_phase != PH_DQ) begin
              next <= S_RELEASE; state <= S_MPR_OFF; wait_left <= rd_lat + 4;
            end else if (sweep_tap == 7'd127 || dqs_done == {G{1'b1}}) begin
              cal_phase <= PH_CHECK; state <= S_READ; wait_left <= rd_lat + 4;
            end else sweep_tap <= sweep_tap + 1'b1;
          end
        end
      end
      // The last READ was at least rd_lat + 4 >= tRTP cycles ago.
      S_MPR_OFF: issue(C_MRS, 3'd3, mr3[ROW-1:0], CYC_MOD, next);
      // Write levelling.
      S_LV_MRS: begin
        issue(C_MRS, 3'd1, mr1[ROW-1:0] | 1 << 7, max2(CYC_MOD, CYC_WLMRD) + CMD_LAT, S_PULSE);
        cal_phase <= PH_LEVEL; sweep_tap <= 7'd0; sweep_coarse <= 1'b0;
      end
      // The tap took effect a cycle ago; the pulse needs a few cycles to
      // reach the pins, then the level comes back within CYC_WLO.
      // (At least G cycles: the strobe-group engine walks the groups once per tap.)
      S_PULSE: begin lv_pulse <= 1'b1; state <= S_LV_STEP; wait_left <= max2(CYC_WLO + 6, G); end
      // Two pulses per tap (the groups compare their levels).
      S_LV_STEP:
        if (!lv_again) begin
          lv_again <= 1'b1; state <= S_PULSE;
        end else begin
          lv_again  <= 1'b0;
          sweep_tap <= sweep_tap + 1'b1;
          if (sweep_tap == 7'd127) sweep_coarse <= 1'b1;
          state <= ((sweep_tap == 7'd127 && sweep_coarse) || lvs_done == {G{1'b1}}) ? S_LV_END
                                                                                     : S_PULSE;
        end
      // The groups pick their whole clock at the step's end (step_end),
      // once every group's levelling is in.
      S_LV_END:
        if (!groups_busy) begin
          issue(C_MRS, 3'd1, mr1[ROW-1:0], CYC_MOD, S_STEP);
          cal_phase <= PH_LV_PICK;
        end
      S_W_ACT:
        if (!groups_busy) begin
          if (lane_bad != 0) state <= S_END;
          else begin
            issue(C_ACT, 3'd0, {ROW{1'b0}}, CYC_RCD, S_WRITE);
            cal_phase <= PH_WDQ; sweep_tap <= 7'd0; sweep_coarse <= 1'b0;
          end
        end
      // The DM sweep's second WRITE follows tCCD later.  Each tap's first
      // WRITE waits for the write-eye engine to have taken the tap before.
      S_WRITE:
        if (!groups_busy) begin
          if (cal_phase == PH_WDM) issue(C_WR, 3'd0, COL0, CYC_CCD, S_WRITE_M);
          else                     issue(C_WR, 3'd0, COL0, CYC_WTR, S_READ);
        end
      S_WRITE_M: begin
        issue(C_WR, 3'd0, COL0, CYC_WTR, S_READ);
        wr_masked <= 1'b1;
      end
      // All banks precharged (A10); the last READ was rd_lat + 4 >= tRTP cycles ago.
      S_PRE: issue(C_PRE, 3'd0, 1 << 10, CYC_RP, S_END);
      S_END: begin
        cal_done <= 1'b1;
        if (lane_bad != 0) begin cal_fail <= 1'b1; cal_phase <= PH_IDLE; state <= S_FAILED; end
        else begin init_done <= 1'b1; seq_own <= 1'b0; cal_phase <= PH_RUN; state <= S_RUN; end
      end
      // A REFRESH from the controller: the window opens after tRFC (counted
      // from the cycle after stage a, as the sequencer's commands are).  On
      // wide cores the read eyes' update logic may still be walking the last
      // window's step (it takes G * (GW + 1) cycles): that REFRESH opens none.
      S_RUN: if (a_ref && !groups_busy) begin state <= S_TRACK; wait_left <= CYC_RFC - 2; end
      S_TRACK: begin seq_own <= 1'b1; state <= S_MPR_ON; end
      S_RELEASE: begin seq_own <= 1'b0; cal_phase <= PH_RUN; state <= S_RUN; end
      default: ;
    endcase
  end

endmodule
