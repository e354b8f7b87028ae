// Body of the DDR3 PHY module, shared by ddr3_1_2code.v and ddr3_1_4code.v.
// The including file opens the module (its name and port list), sets the
// local parameter RATIO and names the PHY's modules (ddr3_phy_modules.vh),
// each in a file of its own:
//   ddr3_phy_init.vh   power-up and mode registers
//   ddr3_phy_cmd.vh    command path and the forwarded clock
//   ddr3_phy_write.vh  write datapath (data, ECC, the DQS/DQ beat stream)
//   ddr3_phy_read.vh   read datapath (read words, ECC, status)
//   ddr3_phy_cal.vh    calibration sequencer
//   ddr3_phy_group_cal.vh  calibration of the strobe groups: read strobe
//                      window, write levelling, whole clock of write delay
//   ddr3_phy_lane.vh   one strobe group: its I/O primitives, read capture,
//                      its bits' eyes and what calibration found for it
// Here: the clocks, the reset, and the wiring.
//
// Clocks
//   ck      memory clock from the PLL (CLKOUT).  It feeds only I/O
//           primitives: the serializers of CK, DQS and the command pins,
//           and every deserializer (which samples on both its edges).
//   ck90    ck delayed by a quarter period (CLKOUTP).  It feeds only the DQ
//           and DM serializers, so that write data sit centred between the
//           DQS edges.
//   clk_x1  ck / RATIO from the device's clock divider VX_CLKDIV.  All
//           fabric logic runs on it; the controller side too.
// The only signal that crosses from another clock is the reset: rst_n and
// the PLL's lock are asynchronous, and reset_sync takes them into clk_x1.
//
// Controller interface (all sampled or driven on clk_x1)
//   One clk_x1 cycle carries RATIO command slots; slot 0 goes to the memory
//   first.  With mc_cmd_wren low the cycle is all NOPs.  mc_cke, mc_odt and
//   mc_reset_n are levels taken every cycle (hold mc_cke and mc_reset_n high
//   for normal operation).
//   A word is 2*RATIO DQ beats, beat 0 in the low bits; mask bits work the
//   same way, one per strobe group and beat, 1 = byte not written.  x4
//   devices have no DM pin: they write every beat whatever the mask says, so
//   a controller for them merges partial writes itself (read-modify-write).
//   Write data is presented with mc_wrdata_en in the clk_x1 cycle of its
//   WRITE command: one word, or for an 8-beat burst at 1:2 two words in that
//   cycle and the next.  WRITEs may follow each other at tCCD (seamless),
//   with any gap, with 8 or 4 beats.
//   Read data comes back in command order, one word per phy_rd_data_valid
//   cycle (a 4-beat burst at 1:4 fills only the low half of its word).
//   A WRITE after a READ needs RL + 6 - WL clocks between the commands plus
//   the board's read round trip rounded up to whole clocks, so that the read
//   burst has left the bus before the PHY drives it.
//   After every REFRESH the controller leaves the bus idle (mc_cmd_wren low
//   or NOPs) for tRFC plus 256 memory clocks: the PHY's maintenance window
//   (ddr3_phy_cal.vh), in which it re-centres its read sampling points.
//   ZQCS is the controller's to issue (with all banks precharged).
//
// Initialisation and status
//   After power-up the PHY writes the mode registers, runs ZQ calibration,
//   trains its read strobe timing, levels the writes of each strobe group
//   (fly-by clock routing) and centres every read bit in its eye (column 0
//   of bank 0 is overwritten).  Only when that succeeds does
//   ddr_init_complete rise; after a failure it never does.  While
//   ddr_init_complete is low, phy_rd_data_valid stays low and phy_rd_data
//   carries a status word:
//     [0]       calibration finished
//     [1]       calibration failed
//     [2 +: G]  strobe groups that failed (G = strobe groups: DQ width / 8,
//               or / 4 with x4 devices)
//     the rest  0
//
// ECC (`ECC defined by the generator, DQ width 72)
//   Each 72-bit beat carries 64 data bits in [63:0].  On writes the PHY
//   replaces [71:64] with a SEC-DED Hamming code of all 64 bits presented;
//   the check lanes are written whenever any data lane of the beat is.  So
//   a partial write stays correctable only if the controller presents the
//   stored bytes in its masked lanes (read-modify-write); fully masked beats
//   leave data and code alone.  On reads the PHY corrects any single-bit
//   error and returns [64] = a single error was corrected, [65] = an
//   uncorrectable (double) error was detected, [71:66] = 0.

`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

parameter ECC_EN        = 0;     // 1: the core was generated with ECC
parameter INIT_RESET_US = 200;   // RESET# low time at power-up
parameter INIT_CKE_US   = 500;   // RESET# high to CKE high

localparam DQ     = DQ_WIDTH;
localparam G      = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam GW     = DQ / G;                        // DQ bits per strobe
localparam ROW    = ROW_WIDTH;
localparam ECC_ON = (ECC_EN != 0) && (DQ == 72);

input                 ck;
input                 ck90;
input                 pll_lock;
output                pll_reset;
input                 rst_n;
input  [K-1:0]        mc_cs_n;
input  [K-1:0]        mc_ras_n;
input  [K-1:0]        mc_cas_n;
input  [K-1:0]        mc_we_n;
input  [K*ROW-1:0]    mc_address;
input  [3*K-1:0]      mc_bank;
input                 mc_reset_n;
input  [K-1:0]        mc_odt;
input  [K-1:0]        mc_cke;
input                 mc_cmd_wren;
input                 mc_wrdata_en;
input  [NB*DQ-1:0]    mc_wrdata;
input  [NB*G-1:0]     mc_wrdata_mask;
output                phy_rd_data_valid;
output [NB*DQ-1:0]    phy_rd_data;
output                ddr_init_complete;
output                clk_x1;
output                ddr_rst;
output [ROW-1:0]      O_ddr_addr;
output [2:0]          O_ddr_ba;
output                O_ddr_cs_n;
output                O_ddr_ras_n;
output                O_ddr_cas_n;
output                O_ddr_we_n;
output                O_ddr_clk;
output                O_ddr_clk_n;
output                O_ddr_cke;
output                O_ddr_odt;
output                O_ddr_reset_n;
output [G-1:0]        O_ddr_dqm;
inout  [DQ-1:0]       IO_ddr_dq;
inout  [G-1:0]        IO_ddr_dqs;
inout  [G-1:0]        IO_ddr_dqs_n;

// The wrong ratio file for this parameter set would silently mis-time
// everything; stop elaboration instead.
generate if (nCK_PER_CLK != RATIO) begin : g_ratio_check
  ddr3_phy_ratio_file_does_not_match_nCK_PER_CLK u_stop ();
end endgenerate

// ---------------------------------------------------------------------------
// Clocks and reset.  The divider runs once the PLL has locked; reset_sync
// (the one clock-domain crossing: asynchronous assertion, release on
// clk_x1) holds the fabric and the I/O primitives until a few clk_x1 edges
// after that.
// ---------------------------------------------------------------------------
assign pll_reset = !rst_n;
wire rst_ok = rst_n & pll_lock;

VX_CLKDIV #(.DIV_MODE(RATIO == 2 ? "2" : "4")) u_clkdiv (.HCLKIN(ck), .RESETN(rst_ok),
                                                          .CLKOUT(clk_x1));

reg [2:0] reset_sync = 3'b111;                   // power-up value: in reset
always @(posedge clk_x1 or negedge rst_ok)
  if (!rst_ok) reset_sync <= 3'b111;
  else         reset_sync <= {reset_sync[1:0], 1'b0};
wire rst = reset_sync[2];
assign ddr_rst = rst;

// ---------------------------------------------------------------------------
// Initialisation, calibration and the command path.
// ---------------------------------------------------------------------------
wire [3:0]     init_cmd, cal_cmd;
wire [2:0]     init_ba, cal_ba;
wire [ROW-1:0] init_addr, cal_addr;
wire           init_cke, init_rst_n, init_seq_done;
wire [15:0]    mr1, mr3;
wire           init_done, cal_done, cal_fail, step_end, lv_pulse, sweep_coarse, dq_count, wr_masked;
wire [3:0]     cal_phase;
wire [6:0]     sweep_tap;
wire [5:0]     rd_cnt, rd_lat, track_hi, track_lo;
wire [G-1:0]   lane_bad;
wire [6*G-1:0] gate_words;
wire [G-1:0]   gates_done, dqs_done, lvs_done, wdq_dones, wdm_dones;
wire [7*G-1:0] dq_froms;
wire           seq_own, a_ref, groups_busy;
wire [K-1:0]   a_wr, a_rd, a_bl8;

`DDR3PHY_INIT #(.INIT_RESET_US(INIT_RESET_US), .INIT_CKE_US(INIT_CKE_US)) u_init (
  .clk_x1(clk_x1), .rst(rst), .cmd(init_cmd), .ba(init_ba), .addr(init_addr),
  .cke(init_cke), .rst_n(init_rst_n), .done(init_seq_done), .mr1(mr1), .mr3(mr3));

`DDR3PHY_CAL #(.G(G), .GW(GW)) u_cal (
  .clk_x1(clk_x1), .rst(rst), .init_seq_done(init_seq_done), .mr1(mr1), .mr3(mr3),
  .lane_bad(lane_bad), .groups_busy(groups_busy), .gate_words(gate_words), .gates_done(gates_done), .dq_froms(dq_froms),
  .dqs_done(dqs_done),
  .lvs_done(lvs_done), .wdq_dones(wdq_dones), .wdm_dones(wdm_dones), .a_ref(a_ref),
  .seq_own(seq_own),
  .cmd(cal_cmd), .ba(cal_ba), .addr(cal_addr), .cal_phase(cal_phase), .sweep_tap(sweep_tap),
  .sweep_coarse(sweep_coarse), .step_end(step_end), .rd_cnt(rd_cnt), .rd_lat(rd_lat),
  .track_hi(track_hi), .track_lo(track_lo),
  .lv_pulse(lv_pulse), .wr_masked(wr_masked), .dq_count(dq_count), .init_done(init_done), .cal_done(cal_done), .cal_fail(cal_fail));

`DDR3PHY_CMD u_cmd (
  .ck(ck), .clk_x1(clk_x1), .rst(rst),
  .mc_cs_n(mc_cs_n), .mc_ras_n(mc_ras_n), .mc_cas_n(mc_cas_n), .mc_we_n(mc_we_n),
  .mc_odt(mc_odt), .mc_cke(mc_cke), .mc_address(mc_address), .mc_bank(mc_bank),
  .mc_reset_n(mc_reset_n), .mc_cmd_wren(mc_cmd_wren),
  .seq_own(seq_own),
  .seq_cmd(init_seq_done ? cal_cmd : init_cmd), .seq_ba(init_seq_done ? cal_ba : init_ba),
  .seq_addr(init_seq_done ? cal_addr : init_addr), .seq_cke(init_cke), .seq_rst_n(init_rst_n),
  .a_wr(a_wr), .a_rd(a_rd), .a_bl8(a_bl8), .a_ref(a_ref),
  .O_ddr_addr(O_ddr_addr), .O_ddr_ba(O_ddr_ba), .O_ddr_cs_n(O_ddr_cs_n),
  .O_ddr_ras_n(O_ddr_ras_n), .O_ddr_cas_n(O_ddr_cas_n), .O_ddr_we_n(O_ddr_we_n),
  .O_ddr_cke(O_ddr_cke), .O_ddr_odt(O_ddr_odt), .O_ddr_reset_n(O_ddr_reset_n),
  .O_ddr_clk(O_ddr_clk), .O_ddr_clk_n(O_ddr_clk_n));

// ---------------------------------------------------------------------------
// Write and read datapaths, and the strobe groups between them and the pins.
// ---------------------------------------------------------------------------
wire [NB*DQ-1:0] st_dq, rd_all;
wire [NB*G-1:0]  st_dm;
wire [NB-1:0]    st_dq_oe, st_dqs_val, st_dqs_oe;

`DDR3PHY_WRITE #(.ECC_ON(ECC_ON)) u_write (
  .clk_x1(clk_x1), .rst(rst), .a_wr(a_wr), .a_bl8(a_bl8),
  .mc_wrdata_en(mc_wrdata_en), .mc_wrdata(mc_wrdata), .mc_wrdata_mask(mc_wrdata_mask),
  .use_pattern(!init_done), .pattern_first(cal_cmd == C_WR), .pattern_masked(wr_masked), .lv_mode(cal_phase == PH_LEVEL), .lv_pulse(lv_pulse),
  .st_dq(st_dq), .st_dm(st_dm), .st_dq_oe(st_dq_oe), .st_dqs_val(st_dqs_val),
  .st_dqs_oe(st_dqs_oe));

// Each group's observations of a calibration step, and what the strobe-group
// engine finds from them (ddr3_phy_group_cal.vh).
wire [G-1:0]   gate_seen, lv_hi, lv_lo, wr_coarse, lv_bad;
wire [9*G-1:0] seen_pos, gate_pos;
wire [7*G-1:0] win_start, wr_tap;
wire [8*G-1:0] win_len;
wire [2*G-1:0] wr_clock;
// The write eyes of every DQ and DM line (NL per group).
localparam NL = GW + 1;
wire [NL*G-1:0]   wr_pass, line_early, line_found, line_settled;
wire [7*NL*G-1:0] line_tap;
wire              wr_eye_busy, group_cal_busy;
`DDR3PHY_WR_EYE #(.G(G), .GW(GW)) u_wr_eye (.clk_x1(clk_x1), .rst(rst), .cal_phase(cal_phase),
  .sweep_early(sweep_coarse), .sweep_tap(sweep_tap), .step_end(step_end), .pass(wr_pass),
  .tap(line_tap), .early(line_early), .found(line_found), .settled(line_settled),
  .busy(wr_eye_busy));
assign groups_busy = group_cal_busy || wr_eye_busy || rd_eye_busy;
// The read eyes: each group keeps its own (ddr3_phy_rd_eye.vh), one update
// logic serves them in turn after a step.
localparam EB = clog2(GW + 1);
wire               eye_step, eye_upd_closed, eye_probe, eye_probe_late, rd_eye_busy;
wire [EB-1:0]      eye_cur, eye_tail;
wire [G-1:0]       eye_serve;
wire [EYE_W-1:0]   eye_upd;
wire [6:0]         eye_upd_width;
wire [EYE_W*G-1:0] eye_heads;
wire [6*G-1:0]     eye_ns;
`DDR3PHY_RD_EYE_UPDATE #(.G(G), .GW(GW)) u_rd_eye_update (.clk_x1(clk_x1), .rst(rst),
  .cal_phase(cal_phase), .sweep_tap(sweep_tap), .step_end(step_end), .track_hi(track_hi),
  .track_lo(track_lo), .heads(eye_heads), .ns(eye_ns), .step(eye_step), .cur(eye_cur),
  .tail(eye_tail), .serve(eye_serve), .upd(eye_upd), .upd_width(eye_upd_width),
  .upd_closed(eye_upd_closed), .probe(eye_probe), .probe_late(eye_probe_late),
  .busy(rd_eye_busy));
`DDR3PHY_GROUP_CAL #(.G(G)) u_group_cal (
  .clk_x1(clk_x1), .rst(rst), .cal_phase(cal_phase), .sweep_tap(sweep_tap),
  .sweep_coarse(sweep_coarse), .step_end(step_end), .seen(gate_seen), .pos(seen_pos),
  .lv_hi(lv_hi), .lv_lo(lv_lo), .gate_pos(gate_pos), .busy_out(group_cal_busy), .win_start(win_start), .win_len(win_len),
  .gate_done(gates_done), .wr_tap(wr_tap), .wr_coarse(wr_coarse), .lv_done(lvs_done),
  .wr_clock(wr_clock), .lv_bad(lv_bad));
// What read centring found, bit i of the bus at [7*i +: 7]: its input tap
// and its eye width in taps.
wire [7*DQ-1:0] cal_rd_tap, cal_rd_eye;
genvar g, b;
generate for (g = 0; g < G; g = g + 1) begin : g_grp
  wire [NB*GW-1:0] st_g, rd_g;
  wire [NB-1:0]    dm_g;
  for (b = 0; b < NB; b = b + 1) begin : g_beat
    assign st_g[b*GW +: GW]        = st_dq[b*DQ + g*GW +: GW];
    assign dm_g[b]                 = st_dm[b*G + g];
    assign rd_all[b*DQ + g*GW +: GW] = rd_g[b*GW +: GW];
  end
  `DDR3PHY_LANE #(.GW(GW)) u_grp (
    .ck(ck), .ck90(ck90), .clk_x1(clk_x1), .rst(rst),
    .st_dq(st_g), .st_dm(dm_g), .st_dq_oe(st_dq_oe), .st_dqs_val(st_dqs_val),
    .st_dqs_oe(st_dqs_oe), .rd_word(rd_g),
    .cal_phase(cal_phase), .sweep_tap(sweep_tap), .sweep_coarse(sweep_coarse),
    .step_end(step_end), .dq_count(dq_count), .track_hi(track_hi), .track_lo(track_lo),
    .rd_cnt(rd_cnt),
    .rd_lat(rd_lat), .gate_seen(gate_seen[g]), .seen_pos(seen_pos[9*g +: 9]),
    .lv_hi(lv_hi[g]), .lv_lo(lv_lo[g]), .gate_pos(gate_pos[9*g +: 9]),
    .win_start(win_start[7*g +: 7]), .win_len(win_len[8*g +: 8]), .wr_tap(wr_tap[7*g +: 7]),
    .wr_coarse(wr_coarse[g]), .wr_clock(wr_clock[2*g +: 2]), .lv_bad(lv_bad[g]),
    .gate_word_out(gate_words[6*g +: 6]), .bad(lane_bad[g]), .dq_from(dq_froms[7*g +: 7]),
    .dq_done(dqs_done[g]), .wr_pass(wr_pass[NL*g +: NL]), .line_tap(line_tap[7*NL*g +: 7*NL]),
    .line_early(line_early[NL*g +: NL]), .line_found(line_found[NL*g +: NL]),
    .line_settled(line_settled[NL*g +: NL]),
    .wdq_done(wdq_dones[g]), .wdm_done(wdm_dones[g]),
    .rd_taps(cal_rd_tap[7*GW*g +: 7*GW]), .rd_eyes(cal_rd_eye[7*GW*g +: 7*GW]),
    .eye_step(eye_step), .eye_cur(eye_cur), .eye_tail(eye_tail), .eye_serve(eye_serve[g]),
    .eye_upd(eye_upd), .eye_upd_width(eye_upd_width), .eye_upd_closed(eye_upd_closed),
    .eye_probe(eye_probe), .eye_probe_late(eye_probe_late),
    .eye_head(eye_heads[EYE_W*g +: EYE_W]), .eye_n(eye_ns[6*g +: 6]),
    .dqm(O_ddr_dqm[g]), .dq(IO_ddr_dq[g*GW +: GW]),
    .dqs(IO_ddr_dqs[g]), .dqs_n(IO_ddr_dqs_n[g]));
end endgenerate

`DDR3PHY_READ #(.ECC_ON(ECC_ON), .G(G)) u_read (
  .clk_x1(clk_x1), .rst(rst), .a_rd(a_rd), .a_bl8(a_bl8), .rd_all(rd_all), .rd_lat(rd_lat),
  .init_done(init_done), .status({lane_bad, cal_fail, cal_done}),
  .phy_rd_data_valid(phy_rd_data_valid), .phy_rd_data(phy_rd_data),
  .ddr_init_complete(ddr_init_complete));
