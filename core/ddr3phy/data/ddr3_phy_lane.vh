// One strobe group of the DDR3 PHY: its share of the write queue and of the
// read words, its write outputs, its read capture and what write levelling
// and read calibration found for it.  The including ratio file names it
// (DDR3PHY_LANE) after its PHY module.  Every group is this module with the
// same parameters, so synthesis maps its gates once however many groups the
// bus has; with ECC the check lanes, which queue nothing and return only the
// error flags, are variants of their own.  The state machine, the queue and
// burst counters, ECC, the levelling arithmetic and the read latency are
// shared and stay in the PHY module (ddr3_phy_body.vh).
`timescale 1ps/1ps
module `DDR3PHY_LANE #(
  parameter GW    = 8,                // DQ bits of the group
  parameter K     = 2,                // clocks per controller word
  parameter KB    = 1,                // bits of a clock's place in the word
  parameter WQ_N  = 4,                // write queue entries
  parameter WQ_AW = 2,                // bits of an entry index
  parameter QUEUE = 1,                // 0: the group's write data is replaced (ECC check lanes)
  parameter [4*K*GW-1:0] CAL_W = 0,   // the calibration burst's two words, beat 0 in the low bits
  parameter AW    = 5,                // bits of a clock count within the read pipe
  parameter NPB   = 8,                // beats of the calibration burst read back
  parameter NDL   = 4,                // delay line depth, clocks
  parameter [K-1:0] FRESH = 0,        // pairs of a read word that can come from arriving beats
  parameter [GW-1:0] R_LIVE = {GW{1'b1}}  // read bits that carry anything (ECC check lanes:
                                          // only the error flags)
) (
  input               ck, ck90, rst, init_done,
  // Write queue: the group's bits of each word, beat 0 in the low bits.
  input               wq_we,
  input  [WQ_AW-1:0]  wq_wp, wq_rp,
  input  [2*K*GW-1:0] wr_data,
  input  [2*K-1:0]    wr_mask,
  // The write engine: the beat pair w_cur of the queue's head (or of the
  // calibration burst's word w_cal1), and that pair as it goes out (with
  // ECC the check bits put in); whether the next clock carries data.
  input               w_cal1,
  input  [KB-1:0]     w_cur,
  output reg [GW-1:0] w_src_r, w_src_f,
  output reg          w_srm_r, w_srm_f,
  input      [GW-1:0] w_code_r, w_code_f,
  input               w_cmask_r, w_cmask_f,
  input               w_act, w_en,
  // Write levelling: the delay being tried, and the one picked for this group
  // while the state machine visits it.
  input               visit,
  input               lv_mode, lv_take, lv_pick,
  input      [2:0]    lv_i, lv_qn,
  input               lv_ok,          // the visited group saw a CK step and a read strobe
  // Read calibration.
  input               g_seek, cal_seek, rd_issue,
  input      [AW-1:0] cal_cnt, cal_at,
  input      [2:0]    cal_step,
  input               st_sel, st_place, st_check,
  input      [1:0]    lane_d,         // delay that brings the visited group to the latest
  input               lane_spread,    // more than the delay line holds
  // What the group found.
  output reg [2:0]    q,              // levelled delay + 1, quarter clocks
  output reg [2:0]    lc,             // levelling step
  output reg          lcf,            // and whether one was found
  output     [5:0]    ga_q,           // read strobe arrival, quarter clocks
  output reg          gf,             // and whether one was seen
  output reg [AW-1:0] arr,            // clock of the burst's first pair
  output              bad,            // levelling or read calibration failed
  output     [GW-1:0] rd_r, rd_f,     // read beats, lined up with the other groups
  // Read words: the beats as they go to the controller (with ECC corrected),
  // the pair each takes, when a word goes out and which of its pairs come
  // straight from the arriving beats.
  input      [GW-1:0] r_beat_r, r_beat_f,
  input      [K-1:0]  r_acc_we,
  input               r_upd,
  input      [K-1:0]  r_fresh,
  output reg [2*K*GW-1:0] r_out,
  output              dqm,
  inout      [GW-1:0] dq,
  inout               dqs, dqs_n
);

localparam NB  = 2 * K;               // beats per word
localparam NPW = NPB / 2;             // clocks of the calibration burst on the bus
localparam BW  = 2 * GW + 4;
localparam [NB*GW-1:0]  CAL_W0 = CAL_W[0 +: NB*GW], CAL_W1 = CAL_W[NB*GW +: NB*GW];
localparam [NPB*GW-1:0] CAL_LANE = CAL_W[0 +: NPB*GW];
genvar b;
integer n;

// ---------------------------------------------------------------------------
// Write queue share.  Beat pairs are picked by comparison, not by a computed
// part-select, which synthesis would first build as a barrel shifter over
// the word.  The calibration burst only takes its places in the queue: its
// beats are constants, put in here (one pair wide) rather than where words
// enter.
// ---------------------------------------------------------------------------
wire [NB*GW-1:0] head_d;
wire [NB-1:0]    head_m;
generate if (QUEUE) begin : g_queue
  reg [NB*GW-1:0] wq_d [0:WQ_N-1];
  reg [NB-1:0]    wq_m [0:WQ_N-1];
  always @(posedge ck)
    if (!rst && wq_we) begin
      wq_d[wq_wp] <= wr_data;
      wq_m[wq_wp] <= wr_mask;
    end
  assign head_d = wq_d[wq_rp];
  assign head_m = wq_m[wq_rp];
end else begin : g_no_queue
  assign head_d = {NB*GW{1'b0}};
  assign head_m = {NB{1'b0}};
end endgenerate

always @* begin
  w_src_r = head_d[0 +: GW]; w_src_f = head_d[GW +: GW];
  w_srm_r = head_m[0];       w_srm_f = head_m[1];
  for (n = 1; n < K; n = n + 1)
    if (w_cur == n) begin
      w_src_r = head_d[2*n*GW +: GW]; w_src_f = head_d[(2*n+1)*GW +: GW];
      w_srm_r = head_m[2*n];          w_srm_f = head_m[2*n+1];
    end
  if (!init_done || !QUEUE) begin
    {w_src_f, w_src_r} = w_cal1 ? CAL_W1[0 +: 2*GW] : CAL_W0[0 +: 2*GW];
    for (n = 1; n < K; n = n + 1)
      if (w_cur == n)
        {w_src_f, w_src_r} = w_cal1 ? CAL_W1[2*n*GW +: 2*GW] : CAL_W0[2*n*GW +: 2*GW];
    w_srm_r = 1'b0; w_srm_f = 1'b0;
  end
end

reg [GW-1:0] w_beat_r, w_beat_f;
reg          w_mask_r, w_mask_f;
always @(posedge ck) begin
  w_beat_r <= w_code_r;
  w_beat_f <= w_code_f;
  w_mask_r <= w_cmask_r;
  w_mask_f <= w_cmask_f;
end

wire [GW-1:0] dq_in;
wire          dqs_in;
reg  [GW-1:0] q0, q1, q2, q3;         // read samples, see Read capture
reg           qd0, qd1, qd2, qd3, sd0, sd1, sd2, sd3;

// ---------------------------------------------------------------------------
// Write outputs.  The group's share of the engine's outputs is delayed by n
// whole clocks (0..2); from it the group makes its DDR waveforms as if CK
// were on time: DQS is ck gated by a flop that only changes while ck is
// low, DQ/DM change on ck90 edges a quarter clock before each DQS edge.
// With h the waveforms come half a clock later: the beats swap edges (the
// second one from the next tap) and DQS is ~ck gated by the next tap.  With
// u one stage delays them by three quarters of a clock: it samples on the
// edges of the clock a quarter away from the one the waveform changes on
// and shows the sample at the next edge.  A write-levelled delay of d
// quarter clocks (-1..6, held as q = d + 1) is 4n + 2h + 3u = d + 4 WADV in
// quarter clocks: n = q[2] + q[0], h = q[1], u = !q[0].
//
// DQS is driven from the falling CK edge one and a half clocks before its
// first rising edge (preamble) to the falling edge a clock after its last
// falling edge (postamble): both ends sit half a clock from any CK rising
// edge, so CK may arrive a quarter clock early or late at the memory.
// Bursts with one clock between them keep DQS driven low in the gap.
// ---------------------------------------------------------------------------
reg  [2*BW-1:0] wl;           // delayed by 1..2 clocks, 1 in the low bits
// DQ is driven a clock after DQS is enabled, so the DQ enable of a tap
// is the DQS enable of the next.
wire [BW-1:0] w0 = {w_act, w_en, w_mask_f, w_mask_r, w_beat_f, w_beat_r};
// The least delay tried at which the CK level returned turned from low
// to high, found as the delays are tried in order.
reg        lhi;               // level returned at the delay tried before
wire       lv_s = q0[0];
reg        qbad;
reg [AW+1:0] ga;              // quarter clock of the first read DQS rise
wire [3:0] dqs4 = {sd3, sd2, sd1, sd0};
reg  [2:0] dqs_prev;
reg  [1:0] gj;
reg        gh;
always @* begin
  gh = 1'b0; gj = 2'd0;
  if      (dqs4[0] == 1'b1 && dqs_prev == 3'b000)          begin gh = 1'b1; gj = 2'd0; end
  else if (dqs4[1:0] == 2'b10 && dqs_prev[2:1] == 2'b00)   begin gh = 1'b1; gj = 2'd1; end
  else if (dqs4[2:0] == 3'b100 && dqs_prev[2] == 1'b0)     begin gh = 1'b1; gj = 2'd2; end
  else if (dqs4 == 4'b1000)                                begin gh = 1'b1; gj = 2'd3; end
end
always @(posedge ck or posedge rst)
  if (rst) begin
    lhi <= 1'b0; lc <= 3'd0; lcf <= 1'b0; q <= 3'd1; qbad <= 1'b0; gf <= 1'b0;
    ga <= {AW+2{1'b0}}; dqs_prev <= 3'b000;
  end else begin
    dqs_prev <= dqs4[3:1];
    if (g_seek && gh && !gf) begin gf <= 1'b1; ga <= {cal_cnt, gj}; end
    if (lv_take) begin
      lhi <= lv_s;
      if (lv_s && !lhi && lv_i != 3'd0 && !lcf) begin lc <= lv_i; lcf <= 1'b1; end
    end else if (lv_pick && visit) begin
      q <= lv_qn;
      qbad <= !lv_ok;
    end
  end
assign ga_q = ga[5:0];

wire [2:0] lv_q = lv_mode ? lv_i : q;
always @(posedge ck) begin
  wl <= {wl[BW-1:0], w0};
end
wire [1:0]    ns = {lv_q[2] & lv_q[0], lv_q[2] ^ lv_q[0]};   // n
wire          h  = lv_q[1];
wire          u  = !lv_q[0];
wire [BW-1:0] ty = ns[1] ? wl[BW +: BW]   : (ns[0] ? wl[0 +: BW]  : w0);
// The next tap is this one a clock later: n only changes while no burst is under way.
reg  [BW-1:0] tz;
always @(posedge ck) tz <= ty;

reg [GW-1:0] dq_r, dq_f;
reg          dm_r, dm_f, dqs_r, dqs_en, dqoe_n;
always @(posedge ck90) begin
  dq_r <= h ? tz[GW +: GW] : ty[0 +: GW];
  dm_r <= h ? tz[2*GW + 1] : ty[2*GW];
end
always @(negedge ck90) begin
  dq_f <= h ? ty[0 +: GW]  : ty[GW +: GW];
  dm_f <= h ? ty[2*GW]     : ty[2*GW + 1];
end
always @(negedge ck or posedge rst)
  if (rst) begin dqs_r <= 1'b0; dqs_en <= 1'b0; dqoe_n <= 1'b0; end
  else begin dqs_r <= ty[BW-1]; dqs_en <= ty[BW-2]; dqoe_n <= tz[BW-2]; end

// x: waveforms changing on ck edges {DQS, DQS enable, DQ enable};
// y: waveforms changing on ck90 edges {DM, DQ}.
wire [2:0]  x0 = h ? {~ck & tz[BW-1], tz[BW-2], dqoe_n && !lv_mode}
                   : {ck & dqs_r, dqs_en, tz[BW-2] && !lv_mode};
wire [GW:0] y0 = ck90 ? {dm_f, dq_f} : {dm_r, dq_r};
reg  [2:0]  xp, xn;
reg  [GW:0] yp, yn;
always @(posedge ck90) xp <= x0;
always @(negedge ck90) xn <= x0;
always @(posedge ck)   yp <= y0;
always @(negedge ck)   yn <= y0;
wire [2:0]  xo = u ? (ck90 ? xn : xp) : x0;
wire [GW:0] yo = u ? (ck ? yn : yp) : y0;

assign dqm = yo[GW];
// The bidirectional pins go through the device's pad buffer: a tristate
// written as plain logic does not survive generic synthesis (an undriven
// mux input is taken as "don't care").
generate for (b = 0; b < GW; b = b + 1) begin : g_dq_io
  VX_IOBUF u_io (.IO(dq[b]), .I(yo[b]), .OE(xo[0]), .O(dq_in[b]));
end endgenerate
VX_IOBUF u_io_p (.IO(dqs),   .I(xo[2]),  .OE(xo[1]), .O(dqs_in));
VX_IOBUF u_io_n (.IO(dqs_n), .I(~xo[2]), .OE(xo[1]), .O());

// ---------------------------------------------------------------------------
// Read capture.  Every DQ is sampled at the four quarter points of each
// clock (both edges of ck and ck90); the group moves the pair of samples of
// its sampling clock into the ck domain at the start of the next clock (the
// other pair is never used, so it is not kept).  It builds its beat pairs
// from them, with the first beat on the rising or the falling sample, and
// delays them by up to NDL-1 clocks so that all groups line up.
// ---------------------------------------------------------------------------
always @(posedge ck)   begin q0 <= dq_in; qd0 <= dqs_in; end
always @(posedge ck90) begin q1 <= dq_in; qd1 <= dqs_in; end
always @(negedge ck)   begin q2 <= dq_in; qd2 <= dqs_in; end
always @(negedge ck90) begin q3 <= dq_in; qd3 <= dqs_in; end
always @(posedge ck) begin
  sd0 <= qd0; sd1 <= qd1; sd2 <= qd2; sd3 <= qd3;
end

reg  [1:0]      sel;          // {sample on ck90, first beat on the falling sample}
reg  [1:0]      dly;
reg  [NDL*2*GW-1:0] dl;       // beat pairs {second, first}, newest in the low bits
reg  [GW-1:0]   o_prev;
reg             fnd, f1, rbad, vok;  // burst found with some setting / with ck90
wire [1:0]      cs  = !cal_step[2] ? cal_step[1:0] : sel;      // steps 0..3 search
// rising and falling sample of the chosen clock, taken into the ck
// domain as they enter the delay line
wire [GW-1:0]   e = cs[1] ? q1 : q0;
wire [GW-1:0]   o = cs[1] ? q3 : q2;
wire [NPB*GW-1:0] win;
generate for (b = 0; b < NPW; b = b + 1) begin : g_win
  assign win[b*2*GW +: 2*GW] = dl[(NPW-1-b)*2*GW +: 2*GW];
end endgenerate
// The ck settings are searched first; the first hit with ck90 replaces
// the one kept from ck if its first sample came earlier.  In quarter
// clocks the ck sample came at 4 t0 - 2 a0, the ck90 one at
// 4 t1 + 1 - 2 a1, so ck90 is earlier exactly when {t1, a0} < {t0, a1}.
// While a READ is looked for, cal_at counts up through t0 once: a hit
// before they met came at an earlier clock.
wire       at_arr = (cal_at == arr);
reg        past;              // cal_at has met arr since the last READ
wire       better = !fnd || (!past && !at_arr) || (at_arr && !sel[0] && cs[0]);
always @(posedge ck or posedge rst)
  if (rst)                       past <= 1'b0;
  else if (rd_issue)             past <= 1'b0;
  else if (cal_seek && at_arr)   past <= 1'b1;

always @(posedge ck) begin
  o_prev <= o;
  dl     <= {dl[(NDL-1)*2*GW-1:0], cs[0] ? {e, o_prev} : {o, e}};
end

always @(posedge ck or posedge rst)
  if (rst) begin
    sel <= 2'd0; dly <= 2'd0; fnd <= 1'b0; f1 <= 1'b0;
    arr <= {AW{1'b0}}; rbad <= 1'b0; vok <= 1'b0;
  end else if (cal_seek && win == CAL_LANE) begin
    if (cal_step == 3'd4) begin
      if (at_arr) vok <= 1'b1;
      else rbad <= 1'b1;
    end else if (!cs[1] && !fnd) begin
      fnd <= 1'b1; sel <= {1'b0, cs[0]}; arr <= cal_at;
    end else if (cs[1] && !f1) begin
      f1 <= 1'b1;
      if (better) begin fnd <= 1'b1; sel <= {1'b1, cs[0]}; arr <= cal_at; end
    end
  end else if (st_sel) begin
    if (!fnd) rbad <= 1'b1;
  end else if (st_place && visit) begin
    dly <= lane_d;
    if (lane_spread) rbad <= 1'b1;
  end else if (st_check && !vok)
    rbad <= 1'b1;

assign bad = rbad | qbad;
assign {rd_f, rd_r} =
  dly[1] ? (dly[0] ? dl[6*GW +: 2*GW] : dl[4*GW +: 2*GW])
         : (dly[0] ? dl[2*GW +: 2*GW] : dl[0 +: 2*GW]);

// ---------------------------------------------------------------------------
// Read word share (the PHY module says when, see its read burst engine).
// ---------------------------------------------------------------------------
// Bits that are always 0 get constant flip-flops, which synthesis removes.
wire [2*GW-1:0] r_pair = {r_beat_f & R_LIVE, r_beat_r & R_LIVE};
reg  [NB*GW-1:0] r_acc;
always @(posedge ck)
  for (n = 0; n < K; n = n + 1)
    if (r_acc_we[n]) r_acc[2*n*GW +: 2*GW] <= r_pair;

always @(posedge ck or posedge rst)
  if (rst)
    r_out <= {NB*GW{1'b0}};
  else if (r_upd)
    for (n = 0; n < K; n = n + 1)
      r_out[2*n*GW +: 2*GW] <= (FRESH[n] && r_fresh[n]) ? r_pair : r_acc[2*n*GW +: 2*GW];

endmodule
