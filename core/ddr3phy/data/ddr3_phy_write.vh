// Write datapath of the DDR3 PHY (module DDR3PHY_WRITE).
//
// What it does: keeps the controller's write words (with ECC put in), and
// turns every WRITE into one beat stream for all strobe groups: DQS level
// and enable, DQ/DM beats and their enable, NB beats per clk_x1 cycle.  Each
// strobe group's serializers delay this stream by the group's own number of
// beats (levelling, their SHIFT) as they send it (ddr3_phy_lane.vh).
//
// Stream timing.  A WRITE in stage a (ddr3_phy_cmd.vh) in cycle m, slot s,
// puts its first DQS rising edge on beat 2s of stream word m + DW.  The
// stream word of cycle c is registered here at the end of cycle c, taken by
// the serializers during c + 1 and sent, shifted, in cycle c + 3,
// like the command (which leaves in cycle m + 4).  With the group's shift
// of GS_BASE + 2 beats the first DQS rising edge leaves one beat (half a
// clock) before the CK rising edge WL clocks after the command's; levelling
// then adds the group's delay (see ddr3_phy_lane.vh).
//   DQS: driven low from 1.5 clocks before the first rising edge (so that
//        it starts on a falling CK edge, away from the rising ones: tDSS)
//        to one clock after the last falling edge (postamble).  Bursts
//        closer together than that keep DQS driven low in between, so the
//        preamble and postamble hold for every spacing of WRITEs.
//   DQ/DM: beat k on beat 2s + k - 2, two beats before its DQS edge.  A
//        group sends a DQ or DM line's beats one beat later than its DQS
//        (the "late" slice: on the ck90 serializer, a quarter clock later
//        than the ck beat, so centred on its DQS edge at equal taps), or,
//        where the line's own delay to the memory is longer than its tap can
//        take off, as they stand here (the "early" slice), with a beat's
//        worth of taps more.  Driven one beat longer on either side so that
//        turning the pins on and off never falls next to a strobe edge.
// Write levelling (lv_mode) drives DQS low throughout, with one rising edge
// on beat 2 of the word of each lv_pulse (where a burst of slot 1 has its
// first), and leaves DQ to the memory.
//
// Clock: clk_x1 only; rst synchronous.
// Port contract: mc_wrdata/mc_wrdata_mask are taken in the cycle the
// controller presents them (with mc_wrdata_en, the cycle of the WRITE and,
// for an 8-beat burst at 1:2, the next); use_pattern replaces them with the
// calibration burst W_PATTERN on every bit (no mask, no ECC), or with
// pattern_masked its inverse with every odd beat masked (the DM sweep);
// both are taken in the WRITE's cycle and the next, as the controller's:
// pattern_first marks the WRITE's cycle (the one its command is offered
// in, a cycle before a_wr shows it).
`timescale 1ps/1ps
module `DDR3PHY_WRITE (
  clk_x1, rst, a_wr, a_bl8, mc_wrdata_en, mc_wrdata, mc_wrdata_mask, use_pattern, pattern_first, pattern_masked, lv_mode, lv_pulse, st_dq, st_dm, st_dq_oe, st_dqs_val, st_dqs_oe);
parameter ECC_ON = 0;   // DQ 72 with [71:64] a SEC-DED code of [63:0]
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"
`include "ddr3_phy_ecc.vh"

input clk_x1;
input rst;
input  [nCK_PER_CLK-1:0] a_wr;
input  [nCK_PER_CLK-1:0] a_bl8;
input mc_wrdata_en;
input  [2*nCK_PER_CLK*DQ_WIDTH-1:0] mc_wrdata;
input  [2*nCK_PER_CLK*DQ_WIDTH/(DRAM_WIDTH == 4 ? 4 : 8)-1:0] mc_wrdata_mask;
input use_pattern;
input pattern_first;
input pattern_masked;
input lv_mode;
input lv_pulse;
output reg [2*nCK_PER_CLK*DQ_WIDTH-1:0] st_dq;
output reg [2*nCK_PER_CLK*DQ_WIDTH/(DRAM_WIDTH == 4 ? 4 : 8)-1:0] st_dm;
output reg [2*nCK_PER_CLK-1:0] st_dq_oe;
output reg [2*nCK_PER_CLK-1:0] st_dqs_val;
output reg [2*nCK_PER_CLK-1:0] st_dqs_oe;

localparam DQ = DQ_WIDTH;
localparam G  = (DRAM_WIDTH == 4) ? DQ / 4 : DQ / 8;
localparam GW = DQ / G;
localparam DG = ECC_ON ? 64 / GW : G;       // groups carrying user data
// Stream word of the first DQS edge after the WRITE's stage-a cycle.
localparam DW = (2 * WLE - 2) / NB + 1;
// Bursts that can touch one stream word: their DQS and DQ run from beat -3
// to 8 around the first rising edge.
localparam I_LO = DW - 1, I_HI = DW + (9 + NB) / NB;
localparam NW   = I_HI + 1;                 // words of write data kept

// Words as the controller presented them, newest first: word i (wd at
// [i*NB*DQ +: NB*DQ], its mask wm at [i*NB*G +: NB*G]) belongs to the WRITE
// that was in stage a i cycles ago.
reg [NW*NB*DQ-1:0] wd;
reg [NW*NB*G-1:0]  wm;
// WRITEs and their burst lengths i cycles after stage a, slot s at [i*K + s].
reg  [(NW-1)*K-1:0] wp_wr, wp_bl8;
wire [NW*K-1:0]     wr_at = {wp_wr, a_wr}, bl8_at = {wp_bl8, a_bl8};

reg [NB*DQ-1:0] wd_in;
reg [NB*G-1:0]  wm_in;
integer b, beat;
always @* begin
  wd_in = mc_wrdata;
  wm_in = mc_wrdata_mask;
  if (ECC_ON)
    for (b = 0; b < NB; b = b + 1) begin
      wd_in[b*DQ + 64 +: DQ - 64] = ecc_encode(mc_wrdata[b*DQ +: 64]);
      // The check lanes are written whenever any data lane of the beat is.
      wm_in[b*G + DG +: G - DG] = {G-DG{&mc_wrdata_mask[b*G +: DG]}};
    end
  // The calibration burst; at 1:2 an 8-beat one takes its second word a cycle after the WRITE.
  if (use_pattern)
    for (b = 0; b < NB; b = b + 1) begin
      beat = (pattern_first ? 0 : NB) + b;
      wd_in[b*DQ +: DQ] = {DQ{W_PATTERN[beat % NPB] ^ pattern_masked}};
      wm_in[b*G +: G]   = {G{pattern_masked && beat % 2 == 1}};
    end
end

integer i;
always @(posedge clk_x1) begin
  wd <= {wd[0 +: (NW-1)*NB*DQ], (mc_wrdata_en || use_pattern) ? wd_in : wd[0 +: NB*DQ]};
  wm <= {wm[0 +: (NW-1)*NB*G],  (mc_wrdata_en || use_pattern) ? wm_in : wm[0 +: NB*G]};
end

always @(posedge clk_x1)
  if (rst) begin
    wp_wr <= {(NW-1)*K{1'b0}}; wp_bl8 <= {(NW-1)*K{1'b0}};
  end else begin
    wp_wr <= wr_at[0 +: (NW-1)*K]; wp_bl8 <= bl8_at[0 +: (NW-1)*K];
  end

integer j, s, k, kd, w, nbeats;
reg [NB*DQ-1:0] n_dq;
reg [NB*G-1:0]  n_dm;
reg [NB-1:0]    n_dq_oe, n_dqs_val, n_dqs_oe;
always @* begin
  n_dq = {NB*DQ{1'b0}}; n_dm = {NB*G{1'b0}};
  n_dq_oe = {NB{1'b0}}; n_dqs_val = {NB{1'b0}}; n_dqs_oe = {NB{lv_mode}};
  if (lv_mode)
    n_dqs_val[2] = lv_pulse;
  else
    for (i = I_LO; i <= I_HI; i = i + 1)
      for (s = 0; s < K; s = s + 1)
        for (j = 0; j < NB; j = j + 1) begin
          // k: the beat of this burst that beat j of the stream word is.
          k = j - (NB * (DW - i) + 2 * s);
          if (wr_at[i*K + s]) begin
            nbeats = bl8_at[i*K + s] ? 8 : 4;
            if (k >= -3 && k <= nbeats) n_dqs_oe[j] = 1'b1;
            if (k >= 0 && k < nbeats && k % 2 == 0) n_dqs_val[j] = 1'b1;
            // Data beat kd of the burst, from word w (the second word of an
            // 8-beat burst at 1:2 came a cycle later).
            kd = k + 2;
            if (kd >= -1 && kd <= nbeats) n_dq_oe[j] = 1'b1;
            w  = i - kd / NB;
            if (kd >= 0 && kd < nbeats && kd < 8 && w >= 0) begin
              n_dq[j*DQ +: DQ] = n_dq[j*DQ +: DQ] | wd[(w*NB + kd % NB)*DQ +: DQ];
              n_dm[j*G +: G]   = n_dm[j*G +: G]   | wm[(w*NB + kd % NB)*G +: G];
            end
          end
        end
end

always @(posedge clk_x1)
  if (rst) begin
    st_dq <= {NB*DQ{1'b0}}; st_dm <= {NB*G{1'b0}};
    st_dq_oe <= {NB{1'b0}}; st_dqs_val <= {NB{1'b0}}; st_dqs_oe <= {NB{1'b0}};
  end else begin
    st_dq <= n_dq; st_dm <= n_dm;
    st_dq_oe <= n_dq_oe; st_dqs_val <= n_dqs_val; st_dqs_oe <= n_dqs_oe;
  end

endmodule
