// Calibration sequencer of the DDR3 PHY (module DDR3PHY_CAL).
//
// What it does: once initialisation is done it owns the bus and runs the
// calibration phases (PH_* in ddr3_phy_timing.vh) in order, issuing its own
// commands with the waits of ddr3_phy_timing.vh; the strobe groups
// (ddr3_phy_lane.vh) measure and keep the results.
//   1. Read strobe ("gate"): row 0 of bank 0 opened, then one READ per DQS
//      input tap (0..127); each group keeps the centre of its longest run
//      of taps that show the preamble and the burst, then a READ there gives
//      the burst's beat, the deserializers are slipped to a word boundary
//      and a last READ checks that.
//   2. Write levelling: MR1 with A7 set, one DQS pulse per output tap (0..127,
//      then again half a clock later), the CK level read back on DQ; MR1
//      back; each group picks its whole clock (PH_LV_PICK).
//   3. A known burst written to column 0 (every bit 0, 1, 0, 1, ...), then
//      one READ of it per DQ input tap: each bit keeps the centre of the
//      taps that read it right; a last READ checks every bit and strobe.
//   4. The bank is precharged; ddr_init_complete rises unless a group
//      failed (then it never rises, and the status says which).
// rd_lat (the read latency after stage a, in cycles) is the latest burst
// word over the groups; the others wait for it.
//
// Clock: clk_x1 only; rst synchronous.
// Port contract: cmd/ba/addr is the command of this cycle for slot 0 (valid
// while seq_own); rd_cnt counts cycles from the cycle a READ was issued
// (0) up to its saturation value.
`timescale 1ps/1ps
module `DDR3PHY_CAL (
  clk_x1, rst, init_seq_done, mr1, mr3, lane_bad, gate_words, cmd, ba, addr, cal_phase, sweep_tap, sweep_coarse, step_end, rd_cnt, rd_lat, lv_pulse, init_done, cal_done, cal_fail);
parameter G = 2;   // strobe groups
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1;
input rst;
input init_seq_done;
input      [15:0] mr1;
input      [15:0] mr3;
input      [G-1:0] lane_bad;
input      [6*G-1:0] gate_words;
output reg [3:0] cmd;
output reg [2:0] ba;
output reg [ROW_WIDTH-1:0] addr;
output reg [3:0] cal_phase;
output reg [6:0] sweep_tap;
output reg sweep_coarse;
output step_end;
output reg [5:0] rd_cnt;
output reg [5:0] rd_lat;
output reg lv_pulse;
output reg init_done;
output reg cal_done;
output reg cal_fail;

localparam ROW = ROW_WIDTH;
localparam [3:0] C_NOP = 4'b0111, C_MRS = 4'b0000, C_PRE = 4'b0010, C_ACT = 4'b0011,
                 C_WR  = 4'b0100, C_RD  = 4'b0101;
// Column 0; A12 asks for 8 beats where the burst length is chosen per command.
localparam [ROW-1:0] COL0 = (BL_OTF ? 1 << 12 : 0);

// States in the order of the flow.
localparam [3:0] S_WAIT   = 4'd0,  S_ACT    = 4'd1,  S_READ   = 4'd2,  S_STEP  = 4'd3,
                 S_SLIP   = 4'd4,  S_PRE    = 4'd5,  S_LV_MRS = 4'd6,  S_PULSE = 4'd7,
                 S_LV_STEP = 4'd8, S_LV_END = 4'd9,  S_PICK   = 4'd10, S_W_ACT = 4'd11,
                 S_WRITE  = 4'd12, S_END    = 4'd13, S_DONE   = 4'd14;

localparam TW = clog2(max2(max2(RD_STEP, CYC_WLO + 8), max2(max2(CYC_MOD, CYC_WLMRD), 96)) + 1);

reg [3:0]    state, after_pre;
reg [TW-1:0] wait_left;

assign step_end = (state == S_STEP || state == S_LV_STEP) && wait_left == 0;

// Issue command c and go on to state `next` after `cycles` cycles.
task issue;
  input [3:0]     c;
  input [ROW-1:0] a;
  input integer   cycles;
  input [3:0]     next;
  begin
    cmd <= c; ba <= 3'd0; addr <= a;
    wait_left <= cycles - 1;
    state <= next;
  end
endtask

// The latest burst word over the groups.
reg [5:0] latest;
integer g;
always @* begin
  latest = 6'd0;
  for (g = 0; g < G; g = g + 1)
    if (gate_words[6*g +: 6] > latest) latest = gate_words[6*g +: 6];
end

always @(posedge clk_x1)
  if (rst) begin
    state <= S_WAIT; after_pre <= S_WAIT; wait_left <= 0;
    cmd <= C_NOP; ba <= 3'd0; addr <= {ROW{1'b0}};
    cal_phase <= PH_IDLE; sweep_tap <= 7'd0; sweep_coarse <= 1'b0;
    rd_cnt <= 6'h3f; rd_lat <= 6'd0; lv_pulse <= 1'b0;
    init_done <= 1'b0; cal_done <= 1'b0; cal_fail <= 1'b0;
  end else begin
    cmd      <= C_NOP;
    lv_pulse <= 1'b0;
    rd_lat   <= latest;
    if (rd_cnt != 6'h3f) rd_cnt <= rd_cnt + 1'b1;
    if (wait_left != 0)
      wait_left <= wait_left - 1'b1;
    else case (state)
      S_WAIT: if (init_seq_done) begin
        cal_phase <= PH_GATE; sweep_tap <= 7'd0;
        issue(C_ACT, {ROW{1'b0}}, CYC_RCD, S_READ);
      end
      S_READ: begin
        issue(C_RD, COL0, RD_STEP, S_STEP);
        rd_cnt <= 6'd0;
      end
      // The groups take the step's result now (step_end).
      S_STEP: case (cal_phase)
        PH_GATE:
          if (sweep_tap != 7'd127) begin sweep_tap <= sweep_tap + 1'b1; state <= S_READ; end
          else begin cal_phase <= PH_GATE_POS; state <= S_READ; end
        PH_GATE_POS: begin
          cal_phase <= PH_SLIP; state <= S_SLIP; wait_left <= 2 * NB + 2;
        end
        PH_GATE_CHK: begin after_pre <= S_LV_MRS; state <= S_PRE; end
        PH_LV_PICK:  state <= S_W_ACT;
        PH_DQ:
          if (sweep_tap != 7'd127) begin sweep_tap <= sweep_tap + 1'b1; state <= S_READ; end
          else begin cal_phase <= PH_CHECK; state <= S_READ; end
        default: begin after_pre <= S_END; state <= S_PRE; end   // PH_CHECK
      endcase
      S_SLIP: begin cal_phase <= PH_GATE_CHK; state <= S_READ; end
      // All banks precharged (A10); the last READ was RD_STEP >= tRTP ago.
      S_PRE: issue(C_PRE, 1 << 10, CYC_RP, after_pre);
      // Write levelling.
      S_LV_MRS: begin
        issue(C_MRS, mr1[ROW-1:0] | 1 << 7, max2(CYC_MOD, CYC_WLMRD) + CMD_LAT, S_PULSE);
        ba <= 3'd1;
        cal_phase <= PH_LEVEL; sweep_tap <= 7'd0; sweep_coarse <= 1'b0;
      end
      // The tap took effect a cycle ago; the pulse needs a few cycles to
      // reach the pins, then the level comes back within CYC_WLO.
      S_PULSE: begin lv_pulse <= 1'b1; state <= S_LV_STEP; wait_left <= CYC_WLO + 6; end
      S_LV_STEP: begin
        sweep_tap <= sweep_tap + 1'b1;
        if (sweep_tap == 7'd127) sweep_coarse <= 1'b1;
        state <= (sweep_tap == 7'd127 && sweep_coarse) ? S_LV_END : S_PULSE;
      end
      S_LV_END: begin
        issue(C_MRS, mr1[ROW-1:0], CYC_MOD, S_PICK);
        ba <= 3'd1;
        cal_phase <= PH_LV_PICK;
      end
      // Each group computes its whole clock (a few dozen cycles).
      S_PICK: begin state <= S_STEP; wait_left <= 96; end
      S_W_ACT: issue(C_ACT, {ROW{1'b0}}, CYC_RCD, S_WRITE);
      S_WRITE: begin
        issue(C_WR, COL0, CYC_WTR, S_READ);
        cal_phase <= PH_DQ; sweep_tap <= 7'd0;
      end
      S_END: begin
        cal_done <= 1'b1;
        cal_phase <= PH_RUN;
        if (lane_bad != 0) cal_fail <= 1'b1;
        else init_done <= 1'b1;
        state <= S_DONE;
      end
      default: ;
    endcase
  end

endmodule
