// Body of the DDR3 PHY module, shared by ddr3_1_2code.v and ddr3_1_4code.v.
// The including file opens the module (its name and port list), sets the
// local parameter RATIO and names the strobe group module (DDR3PHY_LANE,
// ddr3_phy_lane.vh); everything else is here, written for either ratio.
//
// Clocks
//   ck      memory clock from the PLL; also forwarded as the DDR3 CK.  The
//           PLL is held in reset by pll_reset (rst_n low), made here so that
//           the core's top holds no logic of its own and synthesis has no
//           gates to map there.
//   ck90    ck delayed by a quarter period (PLL CLKOUTP).  Write DQ/DM are
//           launched on its edges so that they sit in the middle of the DQS
//           edges.  Read DQ are sampled on the edges of both clocks; read
//           calibration picks the pair of edges for each strobe group.
//   clk_x1  ck / RATIO, made here; the controller side runs on it.
//
// Controller interface (all sampled or driven on clk_x1)
//   One clk_x1 cycle carries RATIO command slots; slot 0 goes to the memory
//   first.  With mc_cmd_wren low the cycle is all NOPs.  mc_cke, mc_odt and
//   mc_reset_n are levels taken every cycle (hold mc_cke and mc_reset_n high
//   for normal operation).
//   A word is 2*RATIO DQ beats, beat 0 in the low bits; mask bits work the
//   same way, one per strobe group and beat, 1 = byte not written.
//   Write data is presented with mc_wrdata_en in the clk_x1 cycle of its
//   WRITE command: one word, or for an 8-beat burst at 1:2 two words in that
//   cycle and the next.  The PHY queues the words and puts them on DQ at the
//   write latency.
//   Read data comes back in command order, one word per phy_rd_data_valid
//   cycle (a 4-beat burst at 1:4 fills only the low half of its word).
//   A WRITE after a READ needs RL + 6 - WL clocks between the commands plus
//   the board's read round trip rounded up to whole clocks, so that the read
//   burst has left the bus before the PHY drives it.
//
// Initialisation and status
//   After power-up the PHY writes the mode registers, runs ZQ calibration,
//   levels the writes of each strobe group (fly-by clock routing) and
//   calibrates the read path (column 0 of bank 0 is overwritten).  Only
//   when that succeeds does ddr_init_complete rise; after a failure it never
//   does.  While ddr_init_complete is low, phy_rd_data_valid stays low and
//   phy_rd_data carries a status word:
//     [0]       calibration finished
//     [1]       calibration failed
//     [2 +: G]  strobe groups that failed, in write levelling or read
//               calibration (G = strobe groups: DQ width / 8, or / 4 with
//               x4 devices)
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

parameter ECC_EN        = 0;     // 1: the core was generated with ECC
parameter INIT_RESET_US = 200;   // RESET# low time at power-up
parameter INIT_CKE_US   = 500;   // RESET# high to CKE high

localparam K    = nCK_PER_CLK;
localparam KB   = (K == 4) ? 2 : 1;
localparam NB   = 2 * K;                           // beats per word
localparam DQ   = DQ_WIDTH;
localparam G    = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam GW   = DQ / G;                          // DQ bits per strobe
localparam ROW  = ROW_WIDTH;
localparam ECC_ON = (ECC_EN != 0) && (DQ == 72);
localparam TWO_T  = (ADDR_CMD_MODE == "2T");
localparam RDIMM  = (REG_CTRL == "ON");

localparam AL_N = (AL == "CL-1") ? CL - 1 : (AL == "CL-2") ? CL - 2 : 0;
localparam WL   = CWL + AL_N;
localparam RL   = CL + AL_N;
// A registered DIMM delays every command by one clock.
localparam WLE  = WL + (RDIMM ? 1 : 0);
localparam RLE  = RL + (RDIMM ? 1 : 0);

localparam BL_FIX8 = (BURST_MODE == "8");
localparam BL_FIX4 = (BURST_MODE == "4");
localparam BL_OTF  = !BL_FIX8 && !BL_FIX4 && ROW_WIDTH > 12;   // A12 picks BC4 or BL8

// ---------------------------------------------------------------------------
// Timing in memory clocks.  The PLL search accepts clocks up to 2 % faster
// than asked for, and tCK is the period asked for, so every wait is made for
// a clock 2 % fast.
// ---------------------------------------------------------------------------
function integer ps2ck;
  input integer ps;
  ps2ck = (ps * 50 + tCK * 49 - 1) / (tCK * 49);
endfunction

function integer max2;
  input integer a, b;
  max2 = (a > b) ? a : b;
endfunction

function integer clog2;
  input integer v;
  integer i;
  begin
    clog2 = 0;
    for (i = 1; i < v; i = i * 2) clog2 = clog2 + 1;
  end
endfunction

localparam CK_PER_US = (50000000 + tCK * 49 - 1) / (tCK * 49);
localparam T_RESET   = INIT_RESET_US * CK_PER_US;
localparam T_CKE     = INIT_CKE_US * CK_PER_US;
localparam T_XPR     = max2(5, ps2ck(tRFC + 10000));
localparam T_MRD     = 4;
localparam T_MOD     = max2(12, ps2ck(15000));
localparam T_ZQ      = max2(512, tDLLK);          // tZQinit and tDLLK run together
localparam T_RCD     = max2(1, ps2ck(tRCD));
localparam T_RAS     = ps2ck(tRAS);
localparam T_RTP     = max2(4, ps2ck(tRTP));
localparam T_RP      = max2(1, ps2ck(tRP));

// Read calibration: how long to look for the pattern after a READ, in ck
// from the command leaving the command pipeline.  It covers the read
// latency, the capture pipeline and a round trip of several clocks.
localparam RD_PIPE   = RLE + 20;
localparam AW        = clog2(RD_PIPE);             // bits of a clock count within it
localparam CAL_WTR   = WLE + 4 + max2(4, ps2ck(tWTR)) + 2;
// The calibration burst: 8 beats, or 4 where the mode register fixes BC4.
localparam NPB       = BL_FIX4 ? 4 : 8;
localparam NPW       = NPB / 2;                    // its clocks on the bus
localparam NDL       = 4;                          // per-lane delay line depth
localparam WADV      = 1;                          // write engine lead, clocks

// Write data words that can be queued: a word's entry is free again at
// most 2K + WLE - WADV clocks after it came (command slot, command
// pipeline, write latency less the engine's lead, the burst), and words
// come at least 4 / WPB clocks apart (tCCD, WPB words per WRITE).  Every
// entry is a full word of flip-flops, so the depth is exact rather than a
// power of two.
localparam WPB       = BL_FIX4 ? 1 : ((K == 2) ? 2 : 1);
localparam WQ_N      = max2(2, (WPB * (2 * K + WLE - WADV) + 3) / 4);
localparam WQ_AW     = clog2(WQ_N);

// The longest wait the state machine times; tmr is no wider than it needs.
localparam TMR_MAX = max2(max2(max2(T_RESET, T_CKE), max2(T_XPR, T_ZQ)),
                          max2(max2(max2(RD_PIPE + 4, T_RAS), max2(T_MOD, CAL_WTR)),
                               max2(max2(WLE + 40, 48), max2(max2(T_RCD, T_RP), G))));
localparam TW      = clog2(TMR_MAX + 1);

// ---------------------------------------------------------------------------
// Mode registers, from the JEDEC DDR3 field tables.
// ---------------------------------------------------------------------------
localparam [1:0] MR0_BL  = BL_FIX8 ? 2'b00 : BL_FIX4 ? 2'b10 : 2'b01;
// CAS latency: A6..A4 = CL-4 for 5..11; CL-12 with A2 set for 12..16.
localparam [2:0] MR0_CLH = (CL >= 12) ? CL - 12 : CL - 4;
localparam       MR0_CLL = (CL >= 12);
localparam [2:0] MR0_WR  = (WR_CYC == 16) ? 3'd0 :
                           (WR_CYC <= 8)  ? WR_CYC - 4 : WR_CYC / 2;
localparam       MR0_BT  = (BURST_TYPE == "INT");
localparam [15:0] MR0    = {3'b000, 1'b0 /*PPD*/, MR0_WR, 1'b1 /*DLL reset*/,
                            1'b0, MR0_CLH, MR0_BT, MR0_CLL, MR0_BL};

localparam [2:0] MR1_RTT = (RTT_NOM == "60")  ? 3'b001 :
                           (RTT_NOM == "120") ? 3'b010 :
                           (RTT_NOM == "40")  ? 3'b011 :
                           (RTT_NOM == "20")  ? 3'b100 :
                           (RTT_NOM == "30")  ? 3'b101 : 3'b000;
localparam [1:0] MR1_AL  = (AL == "CL-1") ? 2'b01 : (AL == "CL-2") ? 2'b10 : 2'b00;
localparam       MR1_DIC = (OUTPUT_DRV == "HIGH");   // RZQ/7 = 34 ohm, else RZQ/6
localparam [15:0] MR1    = {6'b000000, MR1_RTT[2], 1'b0, 1'b0 /*WL*/, MR1_RTT[1],
                            1'b0, MR1_AL, MR1_RTT[0], MR1_DIC, 1'b0 /*DLL on*/};

localparam [1:0] MR2_RTTWR = (RTT_WR == "60") ? 2'b01 : (RTT_WR == "120") ? 2'b10 : 2'b00;
localparam [2:0] MR2_CWL   = CWL - 5;
localparam [15:0] MR2      = {5'b00000, MR2_RTTWR, 3'b000, MR2_CWL, 3'b000};
localparam [15:0] MR3      = 16'h0000;

// {cs_n, ras_n, cas_n, we_n}
localparam [3:0] C_NOP = 4'b0111, C_MRS = 4'b0000, C_PRE = 4'b0010,
                 C_ACT = 4'b0011, C_RD  = 4'b0101, C_ZQ  = 4'b0110;

// ---------------------------------------------------------------------------
// SEC-DED over 64 bits: Hamming positions 1..71 (data on the positions that
// are not powers of two) plus an overall parity bit.
// ---------------------------------------------------------------------------
// Data bit k sits on the k-th Hamming position that is not a power of two;
// ECC_P holds those positions, ECC_M one mask of data bits per check bit,
// so that each check bit is a single parity over a constant mask.
// Constant functions are slow to elaborate, so the tables are only built
// for a core that uses them.
function [64*7-1:0] ecc_table;
  input integer masks;                // 1: ECC_M, 0: ECC_P
  input integer on;
  integer p, k, i;
  begin
    ecc_table = {64*7{1'b0}}; k = 0;
    for (p = 1; on && p < 72; p = p + 1)
      if ((p & (p - 1)) != 0) begin
        for (i = 0; i < 7; i = i + 1)
          if (masks) ecc_table[i*64 + k] = (p >> i) & 1;
          else       ecc_table[k*7 + i]  = (p >> i) & 1;
        k = k + 1;
      end
  end
endfunction
localparam [64*7-1:0] ECC_M = ecc_table(1, ECC_ON), ECC_P = ecc_table(0, ECC_ON);

function [7:0] ecc_encode;
  input [63:0] d;
  integer i;
  reg [6:0] c;
  begin
    for (i = 0; i < 7; i = i + 1) c[i] = ^(d & ECC_M[i*64 +: 64]);
    ecc_encode = {^d ^ ^c, c};
  end
endfunction

function [71:0] ecc_decode;          // {6'b0, uncorrectable, corrected, data}
  input [71:0] w;
  integer i, k;
  reg [6:0]   s;
  reg [15:0]  lo;                    // the syndrome decoded in two halves
  reg [7:0]   hi;
  reg [6:0]   p;
  reg [63:0]  d;
  reg         par;
  begin
    for (i = 0; i < 7; i = i + 1) s[i] = w[64 + i] ^ ^(w[63:0] & ECC_M[i*64 +: 64]);
    par = ^w;
    for (i = 0; i < 16; i = i + 1) lo[i] = (s[3:0] == i);
    for (i = 0; i < 8; i = i + 1)  hi[i] = (s[6:4] == i);
    for (k = 0; k < 64; k = k + 1) begin
      p    = ECC_P[k*7 +: 7];
      d[k] = w[k] ^ (par & lo[p[3:0]] & hi[p[6:4]]);
    end
    ecc_decode = {6'b000000, (!par && s != 0) || (par && s >= 7'd72),
                  par && s < 7'd72, d};
  end
endfunction

// ---------------------------------------------------------------------------
// Ports
// ---------------------------------------------------------------------------
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
// Resets and the controller clock
// ---------------------------------------------------------------------------
assign pll_reset = !rst_n;
wire rst_ok = rst_n & pll_lock;

reg [1:0] rst_sync;
always @(posedge ck or negedge rst_ok)
  if (!rst_ok) rst_sync <= 2'b11;
  else         rst_sync <= {rst_sync[0], 1'b0};
wire rst = rst_sync[1];

reg [KB-1:0] div;
wire [KB:0]   div_c;          // carry chains: see g_carry
always @(posedge ck or posedge rst)
  if (rst) div <= {KB{1'b0}};
  else     div <= div ^ div_c[KB-1:0];

assign clk_x1 = ~div[KB-1];
// The ck edge after clk_x1 rose: controller outputs have settled, and
// anything sent to the controller now is stable for its next edge.
wire x1_edge = (div == {KB{1'b0}});

reg [2:0] x1_rst;
always @(posedge clk_x1 or negedge rst_ok)
  if (!rst_ok) x1_rst <= 3'b111;
  else         x1_rst <= {x1_rst[1:0], 1'b0};
assign ddr_rst = x1_rst[2];

assign O_ddr_clk   = ck;
assign O_ddr_clk_n = ~ck;

// ---------------------------------------------------------------------------
// Power-up, mode registers, ZQ calibration, write levelling and read
// calibration.
// ---------------------------------------------------------------------------
// After ZQ calibration one READ of bank 0 times each group's read strobe,
// then write levelling sets each group's write delay (see the write
// outputs), then read calibration writes a known burst to column 0 of bank 0, then reads
// it back once per capture setting (sampling clock ck or ck90, first beat
// on the rising or falling sample).  Each strobe group keeps the setting
// with which its burst arrived earliest, and all groups are delayed to the
// latest arrival.  A last READ must find every group exactly where it was
// placed.  Any group that never saw its burst, arrived too far from the
// others or failed the last READ makes the calibration fail:
// ddr_init_complete then stays low for good.
localparam ST_RESET = 5'd0,  ST_CKE  = 5'd1,  ST_MR2  = 5'd2,  ST_MR3  = 5'd3,
           ST_MR1   = 5'd4,  ST_MR0  = 5'd5,  ST_ZQCL = 5'd6,  ST_ACT  = 5'd7,
           ST_WR    = 5'd8,  ST_RD   = 5'd9,  ST_LOOK = 5'd10, ST_SEL  = 5'd11,
           ST_PLACE = 5'd12, ST_PRE  = 5'd13, ST_END  = 5'd14, ST_DONE = 5'd15,
           ST_WLMR  = 5'd16, ST_WLP  = 5'd17, ST_WLS  = 5'd18, ST_WLX  = 5'd19,
           ST_GACT  = 5'd20, ST_GRD  = 5'd21, ST_GLOOK = 5'd22;

// Kept binary: as a one-hot machine of 23 states it synthesises slower and
// no smaller.
(* fsm_encoding = "none" *)
reg [4:0]     st;
reg [2:0]     lv_i;           // write levelling: delay being tried, quarter clocks
wire [3:0]    lv_i_c;
reg           lv_pulse;       // one DQS burst, no command
wire          lv_mode = (st == ST_WLP || st == ST_WLS || st == ST_WLX);
wire          lv_take = (st == ST_WLS && tmr == 0);
wire          lv_pick = (st == ST_WLX);         // one group per clock, see g_at
reg [TW-1:0]  tmr;
wire [TW:0]   tmr_c;
reg           init_done, cal_done, cal_fail;
reg [2:0]     cal_step;       // 0..3: settings searched; 4: the checking READ
wire [3:0]    cal_step_c;
reg [3:0]     f_cmd;
reg [ROW-1:0] f_addr;
reg [2:0]     f_ba;
reg           f_cke, f_rst_n;
reg [1:0]     f_wq;           // calibration words still to queue
wire [2:0]    f_wq_c;

reg [7:0]     rd_lat_m1;      // calibrated: ck from read issue to data, minus 1
wire [G-1:0]  lane_bad;       // from the strobe groups, see below
reg  [AW-1:0] lane_max;       // latest arrival over the groups
wire          lane_spread;    // the group visited would need more delay than there is

localparam [3:0] C_WR = 4'b0100;

always @(posedge ck or posedge rst)
  if (rst) begin
    st <= ST_RESET; tmr <= T_RESET; init_done <= 1'b0;
    cal_done <= 1'b0; cal_fail <= 1'b0; cal_step <= 3'd0; f_wq <= 2'd0;
    lv_i <= 3'd0; lv_pulse <= 1'b0;
    f_cmd <= C_NOP; f_addr <= {ROW{1'b0}}; f_ba <= 3'd0;
    f_cke <= 1'b0; f_rst_n <= 1'b0; rd_lat_m1 <= 8'd0;
  end else begin
    f_cmd <= C_NOP;
    lv_pulse <= 1'b0;
    if (f_wq != 2'd0) f_wq <= f_wq ^ f_wq_c[1:0];
    if (tmr != 0)
      tmr <= tmr ^ tmr_c[TW-1:0];
    else case (st)
      ST_RESET: begin f_rst_n <= 1'b1; tmr <= T_CKE;     st <= ST_CKE; end   // RESET# high
      ST_CKE:   begin f_cke   <= 1'b1; tmr <= T_XPR - 1; st <= ST_MR2; end
      ST_MR2:   begin
        f_cmd <= C_MRS; f_ba <= 3'd2; f_addr <= MR2[ROW-1:0];
        tmr <= T_MRD - 1; st <= ST_MR3;
      end
      ST_MR3:   begin
        f_cmd <= C_MRS; f_ba <= 3'd3; f_addr <= MR3[ROW-1:0];
        tmr <= T_MRD - 1; st <= ST_MR1;
      end
      ST_MR1:   begin
        f_cmd <= C_MRS; f_ba <= 3'd1; f_addr <= MR1[ROW-1:0];
        tmr <= T_MRD - 1; st <= ST_MR0;
      end
      ST_MR0:   begin
        f_cmd <= C_MRS; f_ba <= 3'd0; f_addr <= MR0[ROW-1:0];
        tmr <= T_MOD - 1; st <= ST_ZQCL;
      end
      ST_ZQCL:  begin
        f_cmd <= C_ZQ; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        f_addr[10] <= 1'b1;                          // ZQCL, not ZQCS
        tmr <= T_ZQ - 1; st <= ST_GACT;
      end
      // A READ of whatever the memory holds, for its strobe timing only.
      ST_GACT:  begin
        f_cmd <= C_ACT; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        tmr <= T_RCD - 1; st <= ST_GRD;
      end
      ST_GRD:   begin
        f_cmd <= C_RD; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        if (ROW > 12) f_addr[ROW > 12 ? 12 : 0] <= 1'b1;
        tmr <= max2(RD_PIPE + 4, T_RAS); st <= ST_GLOOK;
      end
      ST_GLOOK: begin
        f_cmd <= C_PRE; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        tmr <= T_RP - 1; st <= ST_WLMR;
      end
      // Write levelling: with MR1 A7 set, every DQS rising edge makes the
      // memory return the CK level it saw on the group's DQ.  Each group
      // takes the least delay at which that level turned from low to high.
      ST_WLMR:  begin
        f_cmd <= C_MRS; f_ba <= 3'd1; f_addr <= MR1[ROW-1:0] | 16'h0080;
        tmr <= 48; st <= ST_WLP;
      end
      ST_WLP:   begin lv_pulse <= 1'b1; tmr <= WLE + 40; st <= ST_WLS; end
      ST_WLS:   begin
        lv_i <= lv_i ^ lv_i_c[2:0];
        if (lv_i == 3'd7) begin st <= ST_WLX; tmr <= G - 1; end
        else st <= ST_WLP;
      end
      ST_WLX:   begin
        f_cmd <= C_MRS; f_ba <= 3'd1; f_addr <= MR1[ROW-1:0];
        tmr <= T_MOD - 1; st <= ST_ACT;
      end
      ST_ACT:   begin
        f_cmd <= C_ACT; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        tmr <= T_RCD - 1; st <= ST_WR;
      end
      ST_WR:    begin
        // Column 0 of bank 0; A12 asks for 8 beats when the burst is chosen
        // per command, A10 low keeps the row open.
        f_cmd <= C_WR; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        if (ROW > 12) f_addr[ROW > 12 ? 12 : 0] <= 1'b1;
        f_wq <= WPB;
        tmr <= CAL_WTR; st <= ST_RD;
      end
      ST_RD:    begin
        f_cmd <= C_RD; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        if (ROW > 12) f_addr[ROW > 12 ? 12 : 0] <= 1'b1;
        tmr <= RD_PIPE + 4; st <= ST_LOOK;
      end
      ST_LOOK:  begin
        cal_step <= cal_step ^ cal_step_c[2:0];
        if (cal_step == 3'd3) tmr <= G - 1;
        st <= (cal_step == 3'd3) ? ST_SEL : (cal_step == 3'd4) ? ST_PRE : ST_RD;
      end
      ST_SEL:   begin st <= ST_PLACE; tmr <= G - 1; end   // lane_max found
      ST_PLACE: begin
        rd_lat_m1 <= lane_max;
        if (|lane_bad || lane_spread) begin cal_fail <= 1'b1; st <= ST_PRE; end
        else st <= ST_RD;
      end
      ST_PRE:   begin
        f_cmd <= C_PRE; f_ba <= 3'd0; f_addr <= {ROW{1'b0}};
        tmr <= T_RP - 1; st <= ST_END;
      end
      ST_END:   begin
        cal_done <= 1'b1;
        if (|lane_bad) cal_fail <= 1'b1;
        else if (!cal_fail) init_done <= 1'b1;
        st <= ST_DONE;
      end
      default:  ;
    endcase
  end

// ---------------------------------------------------------------------------
// Command path: slot capture -> stage A -> stage B -> CK-centred outputs.
// Stage A lets 2T mode show the next command's address one clock early.
// ---------------------------------------------------------------------------
reg [4*K-1:0]   s_cmd;
reg [K*ROW-1:0] s_addr;
reg [3*K-1:0]   s_ba;
reg [K-1:0]     s_cke, s_odt;
reg             s_rst_n;

reg [4*K-1:0] mc_cmd;
integer i;
always @*
  for (i = 0; i < K; i = i + 1)
    mc_cmd[4*i +: 4] = {mc_cs_n[i] | ~(mc_cmd_wren & init_done),
                        mc_ras_n[i], mc_cas_n[i], mc_we_n[i]};

always @(posedge ck or posedge rst)
  if (rst) begin
    s_cmd <= {K{C_NOP}}; s_addr <= {K*ROW{1'b0}}; s_ba <= {3*K{1'b0}};
    s_cke <= {K{1'b1}}; s_odt <= {K{1'b0}}; s_rst_n <= 1'b1;
  end else if (x1_edge) begin
    s_cmd <= mc_cmd; s_addr <= mc_address; s_ba <= mc_bank;
    s_cke <= mc_cke; s_odt <= mc_odt; s_rst_n <= mc_reset_n;
  end

// Slot 0 goes on straight from the controller at the edge the capture
// register takes the cycle (its outputs have settled by then); slot n
// leaves the capture register n clocks later.  The slot's fields are
// picked by comparison, not by computed part-selects.
reg [3:0]     s_cmd_at;
reg [ROW-1:0] s_addr_at;
reg [2:0]     s_ba_at;
reg           s_cke_at, s_odt_at;
integer       si;
always @* begin
  s_cmd_at = mc_cmd[3:0]; s_addr_at = mc_address[ROW-1:0]; s_ba_at = mc_bank[2:0];
  s_cke_at = mc_cke[0];   s_odt_at  = mc_odt[0];
  for (si = 1; si < K; si = si + 1)
    if (div == si) begin
      s_cmd_at = s_cmd[4*si +: 4]; s_addr_at = s_addr[ROW*si +: ROW]; s_ba_at = s_ba[3*si +: 3];
      s_cke_at = s_cke[si];        s_odt_at  = s_odt[si];
    end
end

reg [3:0]     a_cmd, b_cmd;
reg [ROW-1:0] a_addr, b_addr;
reg [2:0]     a_ba, b_ba;
reg           a_cke, b_cke, a_odt, b_odt, a_rst_n, b_rst_n;

always @(posedge ck or posedge rst)
  if (rst) begin
    a_cmd <= C_NOP; a_addr <= {ROW{1'b0}}; a_ba <= 3'd0;
    a_cke <= 1'b0; a_odt <= 1'b0; a_rst_n <= 1'b0;
    b_cmd <= C_NOP; b_addr <= {ROW{1'b0}}; b_ba <= 3'd0;
    b_cke <= 1'b0; b_odt <= 1'b0; b_rst_n <= 1'b0;
  end else begin
    if (init_done) begin
      a_cmd   <= s_cmd_at;
      a_addr  <= s_addr_at;
      a_ba    <= s_ba_at;
      a_cke   <= s_cke_at;
      a_odt   <= s_odt_at;
      a_rst_n <= s_rst_n;
    end else begin
      a_cmd <= f_cmd; a_addr <= f_addr; a_ba <= f_ba;
      a_cke <= f_cke; a_odt <= 1'b0; a_rst_n <= f_rst_n;
    end
    b_cmd <= a_cmd; b_addr <= a_addr; b_ba <= a_ba;
    b_cke <= a_cke; b_odt <= a_odt; b_rst_n <= a_rst_n;
  end

// NOPs leave as deselects, so that in 2T mode the clock before a command
// can carry its address with CS# high.
wire b_idle     = b_cmd[3] || (b_cmd[2:0] == 3'b111);
wire look_ahead = TWO_T && b_idle;

reg [ROW-1:0] o_addr;
reg [2:0]     o_ba;
reg           o_cs_n, o_ras_n, o_cas_n, o_we_n, o_cke, o_odt, o_rst_n;
always @(negedge ck or posedge rst)
  if (rst) begin
    o_addr <= {ROW{1'b0}}; o_ba <= 3'd0;
    o_cs_n <= 1'b1; o_ras_n <= 1'b1; o_cas_n <= 1'b1; o_we_n <= 1'b1;
    o_cke <= 1'b0; o_odt <= 1'b0; o_rst_n <= 1'b0;
  end else begin
    o_cs_n <= b_idle;
    {o_ras_n, o_cas_n, o_we_n} <= look_ahead ? a_cmd[2:0] : b_cmd[2:0];
    o_addr <= look_ahead ? a_addr : b_addr;
    o_ba   <= look_ahead ? a_ba : b_ba;
    o_cke  <= b_cke; o_odt <= b_odt; o_rst_n <= b_rst_n;
  end

assign O_ddr_addr    = o_addr;
assign O_ddr_ba      = o_ba;
assign O_ddr_cs_n    = o_cs_n;
assign O_ddr_ras_n   = o_ras_n;
assign O_ddr_cas_n   = o_cas_n;
assign O_ddr_we_n    = o_we_n;
assign O_ddr_cke     = o_cke;
assign O_ddr_odt     = o_odt;
assign O_ddr_reset_n = o_rst_n;

// Column commands as they move from stage A to stage B: the memory takes
// them one clock later, which is where the data latencies count from.
wire wr_issue = (a_cmd == 4'b0100);
wire rd_issue = (a_cmd == 4'b0101);
wire cmd_bl8;
generate
  if (BL_FIX8)       begin : g_bl8 assign cmd_bl8 = 1'b1; end
  else if (BL_FIX4)  begin : g_bc4 assign cmd_bl8 = 1'b0; end
  else if (BL_OTF)   begin : g_otf assign cmd_bl8 = a_addr[ROW > 12 ? 12 : 0]; end
  else               begin : g_a12 assign cmd_bl8 = 1'b1; end   // no A12 line
endgenerate

// ---------------------------------------------------------------------------
// Write data queue.  It holds the words as the controller presents them,
// each strobe group its share (ddr3_phy_lane.vh); ECC is added as the beats
// leave (two encoders instead of one per beat).
// ---------------------------------------------------------------------------
genvar b, g;
localparam DG = ECC_ON ? 64 / GW : G; // groups that queue data: with ECC not the check lanes

// Read bits of group g that carry anything: with ECC, of the check lanes
// only [65:64], the error flags.
function [GW-1:0] r_live;
  input integer g;
  integer i;
  for (i = 0; i < GW; i = i + 1) r_live[i] = !ECC_ON || g * GW + i < 66;
endfunction
reg [WQ_AW-1:0] wq_wp, wq_rp;         // entry indices
reg             wq_wl, wq_rl;         // and their laps, so that full != empty
wire [WQ_AW:0] wq_wp_c, wq_rp_c;

// The calibration burst: per beat one value for every bit of a strobe
// group, the same on every group.  All eight differ, so a burst found a
// beat early or late never matches, and every bit toggles.  cal_group(w) is
// word w of it as one group holds it, beat 0 in the low bits.
function [NB*GW-1:0] cal_group;
  input integer w;
  integer bt, q;
  reg [7:0] v;
  begin
    for (bt = 0; bt < NB; bt = bt + 1) begin
      case ((w * NB + bt) % 8)
        0: v = 8'h5a; 1: v = 8'hc3; 2: v = 8'h96; 3: v = 8'h0f;
        4: v = 8'ha5; 5: v = 8'h3c; 6: v = 8'h69; default: v = 8'hf0;
      endcase
      for (q = 0; q < GW; q = q + 1) cal_group[bt * GW + q] = v[q];
    end
  end
endfunction

localparam [NB*GW-1:0] CAL_G0 = cal_group(0), CAL_G1 = cal_group(1);

wire wq_we    = init_done ? (x1_edge && mc_wrdata_en) : (f_wq != 2'd0);
wire wq_empty = (wq_rp == wq_wp) && (wq_rl == wq_wl);

// ---------------------------------------------------------------------------
// Write burst engine.  Each group's w_beat_* hold the two beats of the next
// clock; w_act says that the next clock carries data (DQS toggles).  The engine
// runs WADV clocks ahead of the write latency: each strobe group delays its
// share again by its levelled amount, WADV clocks for a group that needs
// none (see the write outputs in ddr3_phy_lane.vh).
// ---------------------------------------------------------------------------
reg [WLE-1:0] wr_pipe, wr_bl8_pipe;
reg [1:0]     w_left;
reg [KB-1:0]  w_pos;
reg           w_act, w_act_d;
reg           w_cal1;         // the calibration burst's second word is next

wire          w_start = wr_pipe[WLE-1-WADV];
wire          w_take  = w_start || (w_left != 2'd0);
wire [KB-1:0] w_cur   = w_start ? {KB{1'b0}} : w_pos;
wire          w_last  = !w_start && (w_left == 2'd1);
wire          w_pop   = w_take && (w_cur == K - 1 || w_last);
wire [2:0]    w_left_c;
wire [KB:0]   w_cur_c;

always @(posedge ck or posedge rst)
  if (rst) begin
    wr_pipe <= {WLE{1'b0}}; wr_bl8_pipe <= {WLE{1'b0}};
    w_left <= 2'd0; w_pos <= {KB{1'b0}}; w_act <= 1'b0; w_act_d <= 1'b0;
    wq_wp <= {WQ_AW{1'b0}}; wq_rp <= {WQ_AW{1'b0}}; wq_wl <= 1'b0; wq_rl <= 1'b0;
    w_cal1 <= 1'b0;
  end else begin
    wr_pipe     <= {wr_pipe[WLE-2:0], wr_issue || lv_pulse};
    wr_bl8_pipe <= {wr_bl8_pipe[WLE-2:0], cmd_bl8 && !lv_pulse};
    if (wq_we) begin
      wq_wp <= (wq_wp == WQ_N - 1) ? {WQ_AW{1'b0}} : wq_wp ^ wq_wp_c[WQ_AW-1:0];
      if (wq_wp == WQ_N - 1) wq_wl <= !wq_wl;
    end
    // A WRITE whose data never came writes stale data but must not put
    // the queue out of step with the words that do come.
    if (w_pop && !wq_empty) begin
      wq_rp <= (wq_rp == WQ_N - 1) ? {WQ_AW{1'b0}} : wq_rp ^ wq_rp_c[WQ_AW-1:0];
      if (wq_rp == WQ_N - 1) wq_rl <= !wq_rl;
      if (!init_done) w_cal1 <= 1'b1;
    end
    if (w_start)            w_left <= (!BL_FIX4 && wr_bl8_pipe[WLE-1-WADV]) ? 2'd3 : 2'd1;
    else if (w_left != 0)   w_left <= w_left ^ w_left_c[1:0];
    w_pos <= w_pop ? {KB{1'b0}} : (w_take ? w_cur ^ w_cur_c[KB-1:0] : w_pos);
    w_act <= w_take;
    w_act_d <= w_act;
  end

// The groups pick the beat pair w_cur from the head of their queues (or of
// the calibration burst) and take it back with ECC put in.
wire [DQ-1:0] w_src_r, w_src_f;
wire [G-1:0]  w_srm_r, w_srm_f;
wire [DQ-1:0] w_code_r, w_code_f;
wire [G-1:0]  w_cmask_r, w_cmask_f;
generate
  if (ECC_ON) begin : g_ecc_enc
    // The check lanes replace [71:64] and are masked only with the whole
    // beat; their groups queue nothing and offer only the calibration burst.
    assign w_code_r  = {init_done ? ecc_encode(w_src_r[63:0]) : w_src_r[71:64], w_src_r[63:0]};
    assign w_code_f  = {init_done ? ecc_encode(w_src_f[63:0]) : w_src_f[71:64], w_src_f[63:0]};
    assign w_cmask_r = {{G-DG{&w_srm_r[DG-1:0]}}, w_srm_r[DG-1:0]};
    assign w_cmask_f = {{G-DG{&w_srm_f[DG-1:0]}}, w_srm_f[DG-1:0]};
  end else begin : g_no_ecc
    assign w_code_r  = w_src_r;
    assign w_code_f  = w_src_f;
    assign w_cmask_r = w_srm_r;
    assign w_cmask_f = w_srm_f;
  end
endgenerate

// Write outputs and read capture are per strobe group: see ddr3_phy_lane.vh.
// What each group found, G entries side by side:
wire [3*G-1:0] lv_lc;          // its levelling step,
wire [G-1:0]   lv_lcf;         // whether it found one,
wire [6*G-1:0] lv_ga;          // its read strobe arrival
wire [G-1:0]   lv_gf;          // and whether it saw one
wire [3*G-1:0] lv_q;           // its levelled delay + 1 (group 0's is picked first)
wire           g_seek;

wire          w_en = w_take || w_act || w_act_d;

// Levelling finds where CK rises only to within whole clocks.  Which clock
// comes from the read strobe: a READ before levelling shows how much later
// than group 0's a group's DQS preamble ends (quarter clocks, ga), and
// fly-by routing delays a group's CK by as much.  The delay is then the
// candidate nearest group 0's plus that difference.  The groups are picked
// one per clock, group 0 first, so that one circuit serves them all.
localparam LGW = max2(1, clog2(G));
// ST_WLX, ST_SEL and ST_PLACE visit the groups one per clock while tmr runs down.
wire [LGW-1:0] g_at = G - 1 - tmr[LGW-1:0];
reg  [2:0]     lv_c;                           // the visited group's step and whether
reg            lv_cf;                          // it found one, its strobe arrival
reg  [5:0]     lvs_a;                          // and whether it saw one
reg            lvs_f;
integer        gi;
always @* begin
  lv_c = lv_lc[0 +: 3]; lv_cf = lv_lcf[0]; lvs_a = lv_ga[0 +: 6]; lvs_f = lv_gf[0];
  for (gi = 1; gi < G; gi = gi + 1)
    if (g_at == gi) begin
      lv_c = lv_lc[3*gi +: 3]; lv_cf = lv_lcf[gi]; lvs_a = lv_ga[6*gi +: 6]; lvs_f = lv_gf[gi];
    end
end
// Group 0's delay less its strobe arrival: each group's target delay is
// this plus its own arrival (quarter clocks, modulo 64).  q0 - 1 - ga0 is
// q0 + ~ga0.
wire [5:0] lv_ba = {3'b000, lv_q[0 +: 3]}, lv_bb = ~lv_ga[0 +: 6];
wire [6:0] lv_base_c;
wire [5:0] lv_base = lv_ba ^ lv_bb ^ lv_base_c[5:0];
// Candidates c-1 and c-1 +/- 4 (d = q - 1 quarter clocks of delay): the
// one 4 away is taken when the target is 2 or more beyond d on its side,
// and q = d + 1 then differs from c only in bit 2.  Beyond on the low side
// (c >= 4) is target <= c - 3 = c[1:0] + 1, on the high side (c < 4) it is
// not target <= c[1:0]: one compare with a number from 0 to 4 (lv_lim),
// the carry of lv_lim - target[2:0].
wire [6:0]        lv_tgt_c;
wire [5:0]        lv_tgt  = (g_at == 0) ? 6'd0 : lv_base ^ lvs_a ^ lv_tgt_c[5:0];  // signed
wire [2:0]        lv_lim  = {lv_c[1] & lv_c[0] & lv_c[2], lv_c[1] ^ (lv_c[0] & lv_c[2]),
                             lv_c[0] ^ lv_c[2]};
wire [2:0]        lv_tn   = ~lv_tgt[2:0];
wire [3:0]        lv_le_c;
wire              lv_le   = lv_tgt[5] || (lv_tgt[4:3] == 2'd0 && lv_le_c[3]);
wire              lv_flip = lv_c[2] ? lv_le : !lv_le;
wire [2:0]        lv_qn   = {lv_c[2] ^ lv_flip, lv_c[1:0]};

// ---------------------------------------------------------------------------
// Read calibration, shared by the groups (their capture: ddr3_phy_lane.vh).
// ---------------------------------------------------------------------------
reg [7:0] cal_cnt;              // ck since the last READ left stage A
wire [8:0] cal_cnt_c;
reg       cal_arm;              // a calibration READ is being looked for
reg       cal_ge, cal_lt;       // cal_cnt >= NPW - 1, cal_cnt < RD_PIPE, kept as it counts
always @(posedge ck or posedge rst)
  if (rst) begin
    cal_cnt <= 8'hff; cal_arm <= 1'b0; cal_ge <= 1'b1; cal_lt <= 1'b0;
  end else begin
    if (rd_issue) begin
      cal_cnt <= 8'd0; cal_ge <= 1'b0; cal_lt <= 1'b1;      // NPW >= 2
    end else if (cal_cnt != 8'hff) begin
      cal_cnt <= cal_cnt ^ cal_cnt_c[7:0];
      if (cal_cnt == NPW - 2)     cal_ge <= 1'b1;
      if (cal_cnt == RD_PIPE - 1) cal_lt <= 1'b0;
    end
    if (rd_issue && !init_done) cal_arm <= 1'b1;
    else if (st != ST_LOOK && st != ST_GLOOK) cal_arm <= 1'b0;
  end
wire       cal_seek = cal_arm && st == ST_LOOK && cal_ge && cal_lt;
assign     g_seek   = cal_arm && st == ST_GLOOK && cal_lt;
wire [AW-1:0] cal_at = cal_cnt - (NPW - 1);     // clock of the first pair on a hit

wire [DQ-1:0]   rd_r_q, rd_f_q;
wire [AW*G-1:0] lane_arr;

reg [AW-1:0] lane_at;           // arrival of the group visited now
integer      gl;
always @* begin
  lane_at = lane_arr[0 +: AW];
  for (gl = 1; gl < G; gl = gl + 1)
    if (g_at == gl) lane_at = lane_arr[AW*gl +: AW];
end
// One subtractor serves both visits: in ST_SEL its borrow says the group
// came later than the latest so far; in ST_PLACE the group takes the delay
// that brings it to the latest arrival, and one that would need more than
// the delay line holds fails.
wire [AW:0] lane_d = {1'b0, lane_max} - {1'b0, lane_at};
assign lane_spread = |lane_d[AW-1:2];
always @(posedge ck or posedge rst)
  if (rst) lane_max <= {AW{1'b0}};
  else if (st == ST_SEL && (g_at == 0 || lane_d[AW])) lane_max <= lane_at;

// ---------------------------------------------------------------------------
// Read burst engine: collects beats into words for the controller.
// ---------------------------------------------------------------------------
reg [RD_PIPE-1:0] rd_pipe, rd_bl8_pipe;
reg [1:0]         r_left;
reg [KB-1:0]      r_pos;

wire          r_start = init_done && rd_pipe[rd_lat_m1];
wire          r_take  = r_start || (r_left != 2'd0);
wire [KB-1:0] r_cur   = r_start ? {KB{1'b0}} : r_pos;
wire          r_last  = !r_start && (r_left == 2'd1);
wire          r_end   = r_take && (r_cur == K - 1 || r_last);
wire [2:0]    r_left_c;
wire [KB:0]   r_cur_c;

// Only a burst length chosen per command needs its own pipe; a fixed one
// is a constant here, so that synthesis drops the pipe outright instead of
// finding it constant one stage per optimisation round.
wire          r_bl8   = BL_OTF ? rd_bl8_pipe[rd_lat_m1] : cmd_bl8;

integer j;
always @(posedge ck or posedge rst)
  if (rst) begin
    rd_pipe <= {RD_PIPE{1'b0}}; rd_bl8_pipe <= {RD_PIPE{1'b0}};
    r_left <= 2'd0; r_pos <= {KB{1'b0}};
  end else begin
    rd_pipe     <= {rd_pipe[RD_PIPE-2:0], rd_issue};
    rd_bl8_pipe <= {rd_bl8_pipe[RD_PIPE-2:0], cmd_bl8};
    if (r_start)            r_left <= r_bl8 ? 2'd3 : 2'd1;
    else if (r_left != 0)   r_left <= r_left ^ r_left_c[1:0];
    r_pos  <= r_end ? {KB{1'b0}} : (r_take ? r_cur ^ r_cur_c[KB-1:0] : r_pos);
  end

// ECC is checked on the two beats of each clock as they arrive.
wire [DQ-1:0] r_beat_r, r_beat_f;
generate
  if (ECC_ON) begin : g_ecc_dec
    assign r_beat_r = ecc_decode(rd_r_q);
    assign r_beat_f = ecc_decode(rd_f_q);
  end else begin : g_no_dec
    assign r_beat_r = rd_r_q;
    assign r_beat_f = rd_f_q;
  end
endgenerate

// Each group gathers its share of the word (r_acc, r_out: ddr3_phy_lane.vh);
// here is which pair of it the arriving beats go to.
reg [K-1:0] r_acc_we;
always @*
  for (j = 0; j < K; j = j + 1)
    r_acc_we[j] = r_take && r_cur == j;

// A word goes out at the edge that brings its last beats, straight from the
// capture path, unless clk_x1 rises at that edge: nothing the controller
// samples may change there, so the word goes out from r_acc one edge later
// (the next burst can only have overwritten its first clock's beats by the
// same edge).  Bursts never finish words faster than one per clk_x1 cycle.
// The last beats land on the word's last pair or, for a 4-beat burst at
// 1:4, on its second (its high half carries no data, so they land on the
// last pair as well).
wire x1_rise = (div == K - 1);
wire r_now   = r_end && !x1_rise;
wire [NB*DQ-1:0] r_out;
reg              r_defer, r_out_v, init_out;
always @(posedge ck or posedge rst)
  if (rst) begin
    r_defer <= 1'b0; r_out_v <= 1'b0; init_out <= 1'b0;
  end else begin
    r_defer <= r_end && x1_rise;
    if (x1_edge) begin
      init_out <= init_done;
      r_out_v  <= r_defer || r_now;
    end else if (r_now)
      r_out_v  <= 1'b1;
  end

// The pairs of the word that come straight from the arriving beats: the
// last, or the second after a 4-beat burst at 1:4.  R_FRESH holds the pairs
// that ever can, so that the groups build no selection for the others.
localparam [K-1:0] R_FRESH = {1'b1, {K-1{1'b0}}} | ((BL_FIX4 || BL_OTF) ? 2'b10 : 2'b00);
wire        r_upd = r_defer || r_now;
reg [K-1:0] r_fresh;
always @*
  for (j = 0; j < K; j = j + 1)
    r_fresh[j] = R_FRESH[j] && r_now && (j == K - 1 || r_cur == 1);

// Until the core is ready the read data carries the calibration status.
// r_out stays 0 until the first read word, which only comes after the core
// is ready; so the status needs gating only in its own few bits.
wire [G+1:0]     status = {lane_bad, cal_fail, cal_done};
assign phy_rd_data_valid = r_out_v;
assign phy_rd_data       = r_out | {{NB*DQ-2-G{1'b0}}, init_out ? {G+2{1'b0}} : status};
assign ddr_init_complete = init_out;

// ---------------------------------------------------------------------------
// The strobe groups.  Each takes its bits of every beat of the controller's
// words and gives back its bits of the read words.
// ---------------------------------------------------------------------------
generate for (g = 0; g < G; g = g + 1) begin : g_lane
  wire [NB*GW-1:0] wd, rd;
  wire [NB-1:0]    wm;
  for (b = 0; b < NB; b = b + 1) begin : g_beat
    assign wd[b*GW +: GW] = mc_wrdata[b*DQ + g*GW +: GW];
    assign wm[b]          = mc_wrdata_mask[b*G + g];
    assign r_out[b*DQ + g*GW +: GW] = rd[b*GW +: GW];
  end
  `DDR3PHY_LANE #(.GW(GW), .K(K), .KB(KB), .WQ_N(WQ_N), .WQ_AW(WQ_AW), .QUEUE(g < DG),
    .CAL_W({CAL_G1, CAL_G0}), .AW(AW), .NPB(NPB), .NDL(NDL), .FRESH(R_FRESH),
    .R_LIVE(r_live(g))) u (
    .ck(ck), .ck90(ck90), .rst(rst), .init_done(init_done),
    .wq_we(wq_we), .wq_wp(wq_wp), .wq_rp(wq_rp), .wr_data(wd), .wr_mask(wm),
    .w_cal1(w_cal1), .w_cur(w_cur),
    .w_src_r(w_src_r[g*GW +: GW]), .w_src_f(w_src_f[g*GW +: GW]),
    .w_srm_r(w_srm_r[g]), .w_srm_f(w_srm_f[g]),
    .w_code_r(w_code_r[g*GW +: GW]), .w_code_f(w_code_f[g*GW +: GW]),
    .w_cmask_r(w_cmask_r[g]), .w_cmask_f(w_cmask_f[g]),
    .w_act(w_act), .w_en(w_en),
    .visit(g_at == g), .lv_mode(lv_mode), .lv_take(lv_take), .lv_pick(lv_pick),
    .lv_i(lv_i), .lv_qn(lv_qn), .lv_ok(lv_cf && lvs_f),
    .g_seek(g_seek), .cal_seek(cal_seek), .rd_issue(rd_issue),
    .cal_cnt(cal_cnt[AW-1:0]), .cal_at(cal_at), .cal_step(cal_step),
    .st_sel(st == ST_SEL), .st_place(st == ST_PLACE),
    .st_check(st == ST_PRE && cal_step == 3'd5),
    .lane_d(lane_d[1:0]), .lane_spread(lane_spread),
    .q(lv_q[3*g +: 3]), .lc(lv_lc[3*g +: 3]), .lcf(lv_lcf[g]),
    .ga_q(lv_ga[6*g +: 6]), .gf(lv_gf[g]), .arr(lane_arr[AW*g +: AW]), .bad(lane_bad[g]),
    .rd_r(rd_r_q[g*GW +: GW]), .rd_f(rd_f_q[g*GW +: GW]),
    .r_beat_r(r_beat_r[g*GW +: GW]), .r_beat_f(r_beat_f[g*GW +: GW]),
    .r_acc_we(r_acc_we), .r_upd(r_upd), .r_fresh(r_fresh), .r_out(rd),
    .dqm(O_ddr_dqm[g]), .dq(IO_ddr_dq[g*GW +: GW]),
    .dqs(IO_ddr_dqs[g]), .dqs_n(IO_ddr_dqs_n[g]));
end endgenerate

// ---------------------------------------------------------------------------
// Carry chains of the counters and sums above, written out bit by bit:
// synthesis maps every distinct adder width anew and copies a function's
// locals for every call, both of which cost more than these few gates.  Bit
// i + 1 of a chain is the carry out of bit i: x + 1 = x ^ c with c[i+1] =
// c[i] & x[i]; x - 1 = x ^ c with c[i+1] = c[i] & !x[i]; a + b + c[0] =
// a ^ b ^ c with c[i+1] = a[i] & b[i] | c[i] & (a[i] ^ b[i]).
// ---------------------------------------------------------------------------
assign {div_c[0], lv_i_c[0], tmr_c[0], cal_step_c[0], f_wq_c[0], wq_wp_c[0], wq_rp_c[0]} = 7'h7f;
assign {w_left_c[0], w_cur_c[0], r_left_c[0], r_cur_c[0], cal_cnt_c[0]} = 5'h1f;
assign {lv_base_c[0], lv_tgt_c[0], lv_le_c[0]} = 3'b001;
generate for (b = 0; b < max2(TW, 8); b = b + 1) begin : g_carry
  if (b < KB) begin : g_kb
    assign div_c[b + 1]   = div_c[b] & div[b];
    assign w_cur_c[b + 1] = w_cur_c[b] & w_cur[b];
    assign r_cur_c[b + 1] = r_cur_c[b] & r_cur[b];
  end
  if (b < 2) begin : g_2
    assign f_wq_c[b + 1]   = f_wq_c[b] & !f_wq[b];
    assign w_left_c[b + 1] = w_left_c[b] & !w_left[b];
    assign r_left_c[b + 1] = r_left_c[b] & !r_left[b];
  end
  if (b < 3) begin : g_3
    assign lv_i_c[b + 1]     = lv_i_c[b] & lv_i[b];
    assign cal_step_c[b + 1] = cal_step_c[b] & cal_step[b];
    assign lv_le_c[b + 1]    = lv_lim[b] & lv_tn[b] | lv_le_c[b] & (lv_lim[b] ^ lv_tn[b]);
  end
  if (b < WQ_AW) begin : g_wq
    assign wq_wp_c[b + 1] = wq_wp_c[b] & wq_wp[b];
    assign wq_rp_c[b + 1] = wq_rp_c[b] & wq_rp[b];
  end
  if (b < 6) begin : g_6
    assign lv_base_c[b + 1] = lv_ba[b] & lv_bb[b] | lv_base_c[b] & (lv_ba[b] ^ lv_bb[b]);
    assign lv_tgt_c[b + 1]  = lv_base[b] & lvs_a[b] | lv_tgt_c[b] & (lv_base[b] ^ lvs_a[b]);
  end
  if (b < 8)  begin : g_8  assign cal_cnt_c[b + 1] = cal_cnt_c[b] & cal_cnt[b]; end
  if (b < TW) begin : g_tw assign tmr_c[b + 1]     = tmr_c[b] & !tmr[b];        end
end endgenerate
