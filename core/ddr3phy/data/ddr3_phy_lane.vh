// One strobe group of the DDR3 PHY (module DDR3PHY_LANE): its pins, their
// I/O primitives, and what calibration finds for the group and its bits.
//
// Per pin (all primitives of the device library):
//   DQS  VX_OSER on ck -> VX_DELAY (output) -> VX_IOBUF, the enable through
//        a VX_DELAY of its own at the same tap; DQS# is the complement of
//        the delayed DQS (a differential pad).  Read: VX_IOBUF -> VX_DELAY
//        (input) -> VX_IDES on ck, sampled as data: calibration reads the
//        preamble and the burst's first beat from it; no logic uses DQS as
//        a clock.
//   DQ   VX_OSER on ck90 -> VX_DELAY (output) -> VX_IOBUF (enable through its
//        own VX_DELAY); read: VX_DELAY (input) -> VX_IDES on ck.
//   DM   VX_OSER on ck90 -> VX_DELAY (output) -> VX_OBUF.
// The DQS output delays sit at the levelled tap (wr_tap); each DQ and the DM
// line has its own output tap and slice, found by the write-eye engine
// (ddr3_phy_wr_eye.vh).
//
// Write: the serializers (their SHIFT) delay the shared beat stream
// (ddr3_phy_write.vh) by GS_BASE + wr_extra beats for DQS and the early
// slice of DQ and DM, one beat more for their late slice; wr_extra =
// wr_coarse + 2 * wr_clock.  wr_coarse (0 or 1 beat) and wr_tap come from
// write levelling; wr_clock - 1 (-1..2) is the whole clock that levelling
// cannot see.  The strobe-group engine (ddr3_phy_group_cal.vh) finds all
// three, and the DQS read window, from what the group observes.
//
// Read: each bit's input tap is centred in its own eye, measured over a
// known burst; the deserializers are slipped so that a burst from slot 0
// starts a word, and their input FIFOs delay the words by rd_lat - gate_word
// cycles so that all groups line up (rd_word).
//
// Results (stable names, kept in RTL and netlist):
//   dqs_in_tap     DQS input tap (centre of its cleanest read window)
//   gate_pos       beat of the first read DQS rising edge, counted from the
//                  READ's stage-a cycle; gate_word = gate_pos / NB
//   wr_tap, wr_coarse, wr_clock   write levelling (the engine's, as ports)
//   u_rd_eye.centre, .width   per bit (at [7*b +: 7]):
//                  centre and eye width in taps (also the ports
//                  rd_taps, rd_eyes, gathered by the PHY as cal_rd_tap and
//                  cal_rd_eye)
//   line_tap[7*l +: 7], line_early[l]   per DQ bit (l = b) and DM (l = GW):
//                  output tap and slice (the write-eye engine's, as ports)
//   bad            the group failed calibration
//
// Clocks: fabric on clk_x1; ck and ck90 feed only the primitives.
`timescale 1ps/1ps
module `DDR3PHY_LANE (
  ck, ck90, clk_x1, rst, st_dq, st_dm, st_dq_oe, st_dqs_val, st_dqs_oe, rd_word, cal_phase, sweep_tap, sweep_coarse, step_end, dq_count, track_hi, track_lo, rd_cnt, rd_lat, gate_seen, seen_pos, lv_hi, lv_lo, gate_pos, win_start, win_len, wr_tap, wr_coarse, wr_clock, lv_bad, gate_word_out, bad, dq_from, dq_done, wr_pass, line_tap, line_early, line_found, line_settled, wdq_done, wdm_done, rd_taps, rd_eyes, eye_step, eye_cur, eye_tail, eye_serve, eye_upd, eye_upd_width, eye_upd_closed, eye_probe, eye_probe_late, eye_head, eye_n, dqm, dq, dqs, dqs_n);
parameter GW = 8;   // DQ bits of the group
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input ck, ck90, clk_x1, rst;
// Write stream (shared by the groups) and this group's share of it.
input  [2*nCK_PER_CLK*GW-1:0] st_dq;
input  [2*nCK_PER_CLK-1:0] st_dm, st_dq_oe, st_dqs_val, st_dqs_oe;
// Read words, lined up with the other groups.
output reg [2*nCK_PER_CLK*GW-1:0] rd_word;
// Calibration (ddr3_phy_cal.vh).
input  [3:0] cal_phase;
input  [6:0] sweep_tap;
input sweep_coarse;
input step_end;   // a step's READ or pulse is over
input dq_count;   // DQ sweep or maintenance: this cycle's words count for the step
input  [5:0] track_hi, track_lo;   // maintenance: the vote's thresholds (ddr3_phy_timing.vh)
input  [5:0] rd_cnt;   // cycles since the sequencer's READ
input  [5:0] rd_lat;   // cycle of the burst after stage a, all groups
// What the group sees of a calibration step, and what the strobe-group
// engine (ddr3_phy_group_cal.vh) finds from it.
output reg   gate_seen;     // gate: this READ's burst was found
output reg [8:0] seen_pos;  // where first (beat from the READ's stage-a cycle)
output       lv_hi, lv_lo;  // levelling: both pulses of the tap read CK high / low
output reg [8:0] gate_pos;  // beat of the first read DQS rising edge at the window's centre
input  [6:0] win_start;     // the DQS read window: first tap
input  [7:0] win_len;       // and taps
input  [6:0] wr_tap;        // levelled DQS output tap
input        wr_coarse;     // and half clock
input  [1:0] wr_clock;      // whole clocks added, + 1 (0..3)
input        lv_bad;
output     [5:0] gate_word_out;
output bad;
output dq_done;   // every bit's eye is closed: the DQ sweep need go no further for this group
// Write eyes of the group's DQ lines (0 .. GW-1) and DM line (GW), found by
// the PHY's write-eye engine (ddr3_phy_wr_eye.vh) from each write step's
// result here (wr_pass).
localparam NL = GW + 1;
output [NL-1:0]   wr_pass;
input  [7*NL-1:0] line_tap;
input  [NL-1:0]   line_early, line_found, line_settled;
output wdq_done, wdm_done;   // every DQ line (the DM line) has settled on its write eye
output [6:0] dq_from;   // no bit's eye starts before this tap
output [7*GW-1:0] rd_taps, rd_eyes;   // per bit: input tap, eye width in taps (bit b at [7*b +: 7])
// The read eyes' update logic, shared by the groups (ddr3_phy_rd_eye_update.vh),
// and what it takes from this group's eyes (ddr3_phy_rd_eye.vh).
localparam NE = GW + 1;
input              eye_step, eye_serve, eye_upd_closed, eye_probe, eye_probe_late;
input  [clog2(NE)-1:0] eye_cur, eye_tail;
input  [EYE_W-1:0] eye_upd;
input  [6:0]       eye_upd_width;
output [EYE_W-1:0] eye_head;
output [5:0]       eye_n;
// Pins.
output dqm;
inout  [GW-1:0] dq;
inout dqs, dqs_n;

localparam DW      = (2 * WLE - 2) / NB + 1;
localparam GS_BASE = 2 * WLE - 2 - NB * (DW - 1);
localparam NGP     = 2 + NPB;                    // preamble + burst, as DQS samples
// DQS as the deserializer samples a burst at the centre of each beat:
// two beats of preamble low, then high on every even beat.
localparam [NGP-1:0] GATE_PATTERN = {{NPB/2{2'b01}}, 2'b00};
localparam [NPB-1:0] DQ_PATTERN   = {NPB/2{2'b10}};   // the MPR pattern
localparam NW = (NPB < NB) ? NPB : NB;           // its beats in one word

integer b, j;
genvar gb;

// ---------------------------------------------------------------------------
// Write: the stream delayed by GS_BASE + wr_extra beats (the early slice and
// DQS), or a beat more (the late slice), in the serializers (their SHIFT).
// ---------------------------------------------------------------------------
// The part of the shift beyond GS_BASE (0..7 beats).
wire [2:0]        wr_extra = (cal_phase == PH_LEVEL) ? sweep_coarse : wr_coarse + 2 * wr_clock;
wire [6:0]        out_tap  = (cal_phase == PH_LEVEL) ? sweep_tap : wr_tap;
wire [3:0]        shift_early = GS_BASE + wr_extra;
wire [3:0]        shift_late  = shift_early + 1'b1;

// Bit b's beats of the stream, at [b*NB +: NB].
reg [GW*NB-1:0] st_bits;
always @*
  for (j = 0; j < NB; j = j + 1)
    for (b = 0; b < GW; b = b + 1) st_bits[b*NB + j] = st_dq[j*GW + b];

// DQS out and in.
wire dqs_q, dqs_oe_q, dqs_d, dqs_oe_d, dqs_pad, dqs_in;
VX_OSER #(.RATIO(NB)) u_dqs_oser (.D(st_dqs_val), .TX(st_dqs_oe), .SHIFT(shift_early), .FCLK(ck),
                                  .PCLK(clk_x1), .RESET(rst), .Q(dqs_q), .OE(dqs_oe_q));
VX_DELAY #(.DIRECTION("OUTPUT")) u_dqs_out_dly (.A(dqs_q), .Z(dqs_d), .CLK(clk_x1), .LOAD(1'b1),
  .VALUE(out_tap), .MOVE(1'b0), .DIR(1'b0), .TAP());
VX_DELAY #(.DIRECTION("OUTPUT")) u_dqs_oe_dly (.A(dqs_oe_q), .Z(dqs_oe_d), .CLK(clk_x1),
  .LOAD(1'b1), .VALUE(out_tap), .MOVE(1'b0), .DIR(1'b0), .TAP());
// The strobe pads' bias holds an idle strobe low (DQS# high), so that the
// gate sees no edge before the device drives the preamble.
VX_IOBUF #(.PULL("DOWN")) u_dqs_io   (.IO(dqs),   .I(dqs_d),  .OE(dqs_oe_d), .O(dqs_pad));
VX_IOBUF #(.PULL("UP"))   u_dqs_n_io (.IO(dqs_n), .I(!dqs_d), .OE(dqs_oe_d), .O());

reg  [6:0]    dqs_in_tap;
// Input taps of the DQ lines and (entry GW) of DQS, as the read-eye engine
// loads them one a cycle (below).
wire [clog2(NE)-1:0] rd_load_bit;
wire [6:0]    rd_load_tap;
// After the gate sweep the DQS tap sits at the window's centre; from the DQ
// sweep on the read-eye engine keeps it there.
wire          gate_set = cal_phase == PH_GATE_POS || cal_phase == PH_SLIP ||
                         cal_phase == PH_GATE_CHK;
wire [6:0]    dqs_tap  = (cal_phase == PH_GATE) ? sweep_tap : gate_set ? dqs_in_tap : rd_load_tap;
wire [NB-1:0] dqs_word;
VX_DELAY #(.DIRECTION("INPUT")) u_dqs_in_dly (.A(dqs_pad), .Z(dqs_in), .CLK(clk_x1),
  .LOAD(cal_phase == PH_GATE || gate_set || rd_load_bit == GW), .VALUE(dqs_tap), .MOVE(1'b0), .DIR(1'b0), .TAP());
reg slip;
VX_IDES #(.RATIO(NB)) u_dqs_ides (.D(dqs_in), .FCLK(ck), .PCLK(clk_x1), .RESET(rst),
                                  .BITSLIP(slip), .DELAY(2'd0), .Q(dqs_word));


// ---------------------------------------------------------------------------
// Read: position of the burst, from the DQS samples.
// ---------------------------------------------------------------------------
reg [2*NB-1:0] dqs_hist;                        // the two words before dqs_word
always @(posedge clk_x1) dqs_hist <= {dqs_word, dqs_hist[NB +: NB]};
wire [3*NB-1:0] dqs_win = {dqs_word, dqs_hist};   // oldest beat in bit 0

// The earliest offset in the window at which the preamble and burst show.
reg            gate_hit;
reg [5:0]      gate_off;
always @* begin
  gate_hit = 1'b0; gate_off = 6'd0;
  for (j = 3 * NB - NGP; j >= 0; j = j - 1)
    if (dqs_win[j +: NGP] == GATE_PATTERN) begin gate_hit = 1'b1; gate_off = j; end
end
wire        look     = rd_cnt != 0 && rd_cnt <= RD_LOOK;
// Beat of the first DQS rising edge, from the READ's stage-a cycle
// (rd_cnt - 1): the window's oldest word is two cycles older.
wire [8:0]  hit_pos  = (rd_cnt - 3) * NB + gate_off + 2;

reg         gate_ok;                            // found where calibration put it
always @(posedge clk_x1)
  if (rst || rd_cnt == 0) begin
    gate_seen <= 1'b0; gate_ok <= 1'b0;
  end else if (look && gate_hit) begin
    if (!gate_seen) begin gate_seen <= 1'b1; seen_pos <= hit_pos; end
    // (A burst this group wrote just before shows too, elsewhere.)
    if (hit_pos == gate_word * NB) gate_ok <= 1'b1;
  end


// Maintenance: the strobe's words in the stream of bursts (high on the
// burst's even beats), counted as a DQ bit's, at its window's edge.
localparam [NB-1:0] DQS_WORD = {NB/2{2'b01}};
reg [5:0] dqs_pass_n;
always @(posedge clk_x1)
  if (rst || step_end) dqs_pass_n <= 6'd0;
  else if (dq_count && dqs_word[0 +: NW] == DQS_WORD[0 +: NW] && dqs_pass_n != 6'd63)
    dqs_pass_n <= dqs_pass_n + 1'b1;

// The DQS window the gate sweep found (ddr3_phy_group_cal.vh) gives the
// tap (its centre).
// How far below the DQS window a bit's eye may start: half a window and
// the largest skew between a DQ line and its strobe (24 taps, 0.6 to 0.8 ns).
localparam DQ_REACH = 24;
assign dq_from = (win_start > DQ_REACH) ? win_start - DQ_REACH : 7'd0;
wire [6:0] win_end = win_start + win_len - 1'b1;
always @* dqs_in_tap = middle(win_start, win_end);

// Burst position at the centre tap; the deserializers are then slipped by
// its beat within the word, so that a burst of slot 0 starts a word.
reg  [5:0] gate_word;
reg  [2:0] slips_left;
reg        gate_bad;
assign gate_word_out = gate_word;
always @(posedge clk_x1)
  if (rst) begin
    gate_pos <= 9'd0; gate_word <= 6'd0; slips_left <= 3'd0; slip <= 1'b0; gate_bad <= 1'b0;
  end else begin
    slip <= 1'b0;
    if (step_end && cal_phase == PH_GATE_POS) begin
      gate_pos   <= seen_pos;
      slips_left <= seen_pos % NB;
      if (!gate_seen || win_len == 0) gate_bad <= 1'b1;
    end
    // One slip every other cycle.
    if (cal_phase == PH_SLIP && slips_left != 0 && !slip) begin
      slip <= 1'b1; slips_left <= slips_left - 1'b1;
    end
    if (step_end && cal_phase == PH_GATE_CHK) begin
      gate_word <= seen_pos / NB;
      if (!gate_seen || seen_pos % NB != 0 || seen_pos / NB != gate_pos / NB) gate_bad <= 1'b1;
    end
    if (step_end && (cal_phase == PH_CHECK || cal_phase == PH_VERIFY) && !gate_ok)
      gate_bad <= 1'b1;
  end

// ---------------------------------------------------------------------------
// DQ pins and their calibration.
// ---------------------------------------------------------------------------
wire [GW-1:0] bit_pass;                         // this READ's burst right on the bit
// Read eyes of the DQ bits and the strobe (below; their update logic is the
// PHY's).
wire [6*GW-1:0] bit_counts;                     // per bit: the step's words that passed
wire [7*GW-1:0] eye_centre;
wire [GW-1:0]   bit_seen;                       // the bit passed at some tap
wire [GW-1:0]   bit_closed;                     // and failed again since
// Write eyes of the DQ lines (0 .. GW-1) and the DM line (GW): one engine
// for the group (below).
wire [GW*NB-1:0] dq_word;                     // bit b's word at [b*NB +: NB]
// Input taps: the DQ sweep loads its tap into every line at once; otherwise
// the read-eye engine loads one line a cycle (rd_load_bit).
wire            rd_sweep = cal_phase == PH_DQ;
wire [6:0]      rd_value = rd_sweep ? sweep_tap : rd_load_tap;
// The deserializers' input FIFOs delay the read words by rd_delay, so that
// every group's burst comes rd_lat cycles after stage a (write levelling
// reads the levels undelayed, as its waits expect).
wire [5:0]    rd_delay = rd_lat - gate_word;
wire [1:0]    ides_delay = (cal_phase == PH_LEVEL) ? 2'd0 : rd_delay[1:0];
wire [5:0]    chk_cnt = rd_lat + 1 + (NPB > NB ? 1 : 0);

generate for (gb = 0; gb < GW; gb = gb + 1) begin : g_dq
  wire q, oe_q, d, oe_d, pad, in;
  // Output tap and slice: swept in PH_WDQ, then the write eye's.
  wire       wr_sweep = cal_phase == PH_WDQ;
  wire       wr_early = wr_sweep ? sweep_coarse : line_early[gb];
  wire [6:0] wr_out_tap = wr_sweep ? sweep_tap : line_tap[7*gb +: 7];
  VX_OSER #(.RATIO(NB)) u_oser (.D(st_bits[gb*NB +: NB]), .TX(st_dq_oe),
                                .SHIFT(wr_early ? shift_early : shift_late), .FCLK(ck90),
                                .PCLK(clk_x1), .RESET(rst), .Q(q), .OE(oe_q));
  VX_DELAY #(.DIRECTION("OUTPUT")) u_out_dly (.A(q), .Z(d), .CLK(clk_x1), .LOAD(1'b1),
    .VALUE(wr_out_tap), .MOVE(1'b0), .DIR(1'b0), .TAP());
  VX_DELAY #(.DIRECTION("OUTPUT")) u_oe_dly (.A(oe_q), .Z(oe_d), .CLK(clk_x1), .LOAD(1'b1),
    .VALUE(wr_out_tap), .MOVE(1'b0), .DIR(1'b0), .TAP());
  VX_IOBUF u_io (.IO(dq[gb]), .I(d), .OE(oe_d), .O(pad));

  reg        pass;
  VX_DELAY #(.DIRECTION("INPUT")) u_idly (.A(pad), .Z(in), .CLK(clk_x1),
    .LOAD(rd_sweep || rd_load_bit == gb), .VALUE(rd_value), .MOVE(1'b0), .DIR(1'b0), .TAP());
  VX_IDES #(.RATIO(NB)) u_ides (.D(in), .FCLK(ck), .PCLK(clk_x1), .RESET(rst), .BITSLIP(slip),
                                .DELAY(ides_delay), .Q(dq_word[gb*NB +: NB]));

  reg  [NB-1:0] prev;
  wire [2*NB-1:0] two = {dq_word[gb*NB +: NB], prev};
  always @(posedge clk_x1) prev <= dq_word[gb*NB +: NB];
  // What a check's burst should read: the MPR's pattern, the one calibration
  // wrote, or after the DM sweep's masked inverse, the mix of both.
  wire [NPB-1:0] want = (cal_phase == PH_WDQ || cal_phase == PH_VERIFY) ? W_PATTERN :
                        (cal_phase == PH_WDM) ? W_MIXED : DQ_PATTERN;
  wire burst_ok = two[(NPB > NB ? 0 : NB) +: NPB] == want;
  // In the DQ sweep's stream of bursts every word starts with the pattern.
  wire word_ok  = dq_word[gb*NB +: NW] == DQ_PATTERN[NW-1:0];

  // Words of the step that read the pattern (a DQ sweep or maintenance step
  // counts the words of a stream of bursts, to see through tDQSCK and jitter
  // that vary per burst), or the READs of a check (W_TRIES in a write sweep,
  // which passes only where all of them did).
  reg  [5:0] pass_n;
  always @(posedge clk_x1)
    if (rst || step_end) pass_n <= 6'd0;
    else if ((dq_count ? word_ok : rd_cnt == chk_cnt && burst_ok) && pass_n != 6'd63)
      pass_n <= pass_n + 1'b1;
  always @* pass = pass_n >= ((cal_phase == PH_WDQ || cal_phase == PH_WDM) ? W_TRIES : 1);
  assign bit_counts[6*gb +: 6] = pass_n;
  assign bit_pass[gb] = pass;
end endgenerate

`DDR3PHY_RD_EYE #(.GW(GW)) u_rd_eye (.clk_x1(clk_x1), .rst(rst), .step(eye_step),
  .counts({dqs_pass_n, bit_counts}), .seed(gate_set), .seed_first(win_start), .seed_last(win_end),
  .cur(eye_cur), .tail(eye_tail), .serve(eye_serve), .upd(eye_upd), .upd_width(eye_upd_width),
  .upd_closed(eye_upd_closed), .probe(eye_probe), .probe_late(eye_probe_late),
  .head(eye_head), .n(eye_n), .centre(eye_centre), .width(rd_eyes), .seen(bit_seen),
  .closed(bit_closed), .load_bit(rd_load_bit), .load_tap(rd_load_tap));
assign rd_taps = eye_centre;

// DM: its write eye is found by writing the pattern, then its inverse with
// the odd beats masked, and reading back W_MIXED on every bit of the group.
// x4 devices have no DM (HAS_DM): the line stays at tap 0 on the late slice.
wire       dm_q, dm_d;
wire       dm_sweep = cal_phase == PH_WDM;
wire       dm_early = dm_sweep ? sweep_coarse : line_early[GW];
assign wr_pass = {bit_pass == {GW{1'b1}}, bit_pass};
VX_OSER #(.RATIO(NB)) u_dm_oser (.D(st_dm), .TX({NB{1'b1}}),
                                 .SHIFT(dm_early ? shift_early : shift_late), .FCLK(ck90),
                                 .PCLK(clk_x1), .RESET(rst), .Q(dm_q), .OE());
VX_DELAY #(.DIRECTION("OUTPUT")) u_dm_dly (.A(dm_q), .Z(dm_d), .CLK(clk_x1), .LOAD(1'b1),
  .VALUE(dm_sweep ? sweep_tap : line_tap[7*GW +: 7]), .MOVE(1'b0), .DIR(1'b0), .TAP());
VX_OBUF u_dm_obuf (.O(dqm), .I(dm_d));
assign wdm_done = !HAS_DM || line_settled[GW];

assign dq_done  = bit_closed == {GW{1'b1}};
assign wdq_done = line_settled[GW-1:0] == {GW{1'b1}};
reg dq_bad;
always @(posedge clk_x1)
  if (rst) dq_bad <= 1'b0;
  else if (step_end && (cal_phase == PH_CHECK || cal_phase == PH_VERIFY) &&
           (bit_seen != {GW{1'b1}} || bit_pass != {GW{1'b1}}))
    dq_bad <= 1'b1;
  else if (step_end && cal_phase == PH_VERIFY &&
           (line_found[GW-1:0] != {GW{1'b1}} || HAS_DM && !line_found[GW]))
    dq_bad <= 1'b1;

// Read words, beat-major, at the common latency.
always @* for (b = 0; b < GW; b = b + 1) for (j = 0; j < NB; j = j + 1)
  rd_word[j*GW + b] = dq_word[b*NB + j];
reg lat_bad;                                    // more delay than the FIFOs hold
always @(posedge clk_x1)
  if (rst) lat_bad <= 1'b0;
  else if (step_end && cal_phase == PH_CHECK && rd_delay > 3) lat_bad <= 1'b1;

// ---------------------------------------------------------------------------
// Write levelling: with MR1 A7 set, every DQS rising edge makes the memory
// return the CK level it saw on the group's DQ.  Each tap gets two pulses
// (the sequencer's steps come in pairs); the strobe-group engine takes a
// level where both read it.
// ---------------------------------------------------------------------------
wire lv_one  = dq_word[0 +: NB] == {NB{1'b1}};
wire lv_zero = dq_word[0 +: NB] == {NB{1'b0}};
reg  [1:0] lv_first;                            // the tap's first pulse: {one, zero}
always @(posedge clk_x1)
  if (rst) lv_first <= 2'b00;
  else if (cal_phase == PH_LEVEL && step_end) lv_first <= {lv_one, lv_zero};
assign lv_hi = lv_one && lv_first[1];
assign lv_lo = lv_zero && lv_first[0];

assign bad = gate_bad | dq_bad | lv_bad | lat_bad;

endmodule
