// Test bench for the generated DDR3 PHY core: the core as generated (top,
// PLL model, ratio PHY) against the behavioural device in ddr3_model.v.
//
// The bench plays a small in-order memory controller: a command program is
// built with JEDEC timing in memory clocks and played out on the mc_* slots
// while a receiver checks every read word against a reference memory.
// Checks: the mode registers the device decoded match the parameters; all
// reads return the written data with masks applied; no device-model error;
// the speed-bin findings are exactly +bin=N (default TB_BIN).  Board delays
// are the model's plusargs (+rd_dly, +ck_skew, +fly).  With +may_fail a
// calibration that reports failure in the status word also passes; without
// it the core must come up.
//
// Configuration comes from the directory of generated files on the include
// path (the four generated files plus the bench's tb_config.vh).  With TB_NETLIST defined the
// core is the synthesised netlist, whose insides the bench does not look at.
`timescale 1ps/1fs
`include "ddr3_name.v"
`undef ECC
`include "DDR3_define.v"
`include "tb_config.vh"
`define TBERR(args) begin tb_errors = tb_errors + 1; $write("[%0t] TB ERROR: ", $realtime); $display args; end

module tb;
`include "vlmc_param.v"

localparam K    = nCK_PER_CLK;
localparam NB   = 2 * K;
localparam DQ   = DQ_WIDTH;
localparam G    = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam GW   = DQ / G;
localparam ROW  = ROW_WIDTH;
localparam AL_N = (AL == "CL-1") ? CL - 1 : (AL == "CL-2") ? CL - 2 : 0;
localparam WL   = CWL + AL_N;
localparam RL   = CL + AL_N;
localparam TWO_T = (ADDR_CMD_MODE == "2T");
`ifdef ECC
localparam ECC_ON = (DQ == 72);
`else
localparam ECC_ON = 0;
`endif
localparam DG   = ECC_ON ? 64 / GW : G;     // strobe groups carrying user data

integer tb_errors = 0;
integer rd_dly, bin_want;
reg     may_fail;
initial begin
  if (!$value$plusargs("rd_dly=%d", rd_dly)) rd_dly = `TB_RD_DLY;
  if (!$value$plusargs("bin=%d", bin_want)) bin_want = `TB_BIN;
  may_fail = $test$plusargs("may_fail");
end

// ------------------------------------------------------------------ DUT
reg clk = 1'b0, rst_n = 1'b0;
always #(`TB_REF_PS / 2.0) clk = ~clk;

reg  [K-1:0]      mc_cs_n = {K{1'b1}}, mc_ras_n = {K{1'b1}}, mc_cas_n = {K{1'b1}},
                  mc_we_n = {K{1'b1}}, mc_odt = {K{1'b0}}, mc_cke = {K{1'b1}};
reg  [K*ROW-1:0]  mc_address = 0;
reg  [3*K-1:0]    mc_bank = 0;
reg               mc_reset_n = 1'b1, mc_cmd_wren = 1'b0, mc_wrdata_en = 1'b0;
reg  [NB*DQ-1:0]  mc_wrdata = 0;
reg  [NB*G-1:0]   mc_wrdata_mask = 0;
wire              phy_rd_data_valid, ddr_init_complete, clk_x1, ddr_rst;
wire [NB*DQ-1:0]  phy_rd_data;
wire [ROW-1:0]    O_ddr_addr;
wire [2:0]        O_ddr_ba;
wire              O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n, O_ddr_clk, O_ddr_clk_n,
                  O_ddr_cke, O_ddr_odt, O_ddr_reset_n;
wire [G-1:0]      O_ddr_dqm;
wire [DQ-1:0]     IO_ddr_dq;
wire [G-1:0]      IO_ddr_dqs, IO_ddr_dqs_n;

`module_name_ddr #(.INIT_RESET_US(`TB_INIT_RESET_US), .INIT_CKE_US(`TB_INIT_CKE_US)) dut (
  .clk(clk), .rst_n(rst_n),
  .mc_cs_n(mc_cs_n), .mc_ras_n(mc_ras_n), .mc_cas_n(mc_cas_n), .mc_we_n(mc_we_n),
  .mc_address(mc_address), .mc_bank(mc_bank), .mc_reset_n(mc_reset_n),
  .mc_odt(mc_odt), .mc_cke(mc_cke), .mc_cmd_wren(mc_cmd_wren),
  .mc_wrdata_en(mc_wrdata_en), .mc_wrdata(mc_wrdata), .mc_wrdata_mask(mc_wrdata_mask),
  .phy_rd_data_valid(phy_rd_data_valid), .phy_rd_data(phy_rd_data),
  .ddr_init_complete(ddr_init_complete), .clk_x1(clk_x1), .ddr_rst(ddr_rst),
  .O_ddr_addr(O_ddr_addr), .O_ddr_ba(O_ddr_ba), .O_ddr_cs_n(O_ddr_cs_n),
  .O_ddr_ras_n(O_ddr_ras_n), .O_ddr_cas_n(O_ddr_cas_n), .O_ddr_we_n(O_ddr_we_n),
  .O_ddr_clk(O_ddr_clk), .O_ddr_clk_n(O_ddr_clk_n), .O_ddr_cke(O_ddr_cke),
  .O_ddr_odt(O_ddr_odt), .O_ddr_reset_n(O_ddr_reset_n), .O_ddr_dqm(O_ddr_dqm),
  .IO_ddr_dq(IO_ddr_dq), .IO_ddr_dqs(IO_ddr_dqs), .IO_ddr_dqs_n(IO_ddr_dqs_n)
);

ddr3_model #(.RESET_US(`TB_INIT_RESET_US), .CKE_US(`TB_INIT_CKE_US), .RD_DLY(`TB_RD_DLY)) mem (
  .ck(O_ddr_clk), .ck_n(O_ddr_clk_n), .cke(O_ddr_cke), .cs_n(O_ddr_cs_n),
  .ras_n(O_ddr_ras_n), .cas_n(O_ddr_cas_n), .we_n(O_ddr_we_n), .ba(O_ddr_ba),
  .addr(O_ddr_addr), .odt(O_ddr_odt), .reset_n(O_ddr_reset_n),
  .dm(O_ddr_dqm), .dq(IO_ddr_dq), .dqs(IO_ddr_dqs), .dqs_n(IO_ddr_dqs_n)
);

// ---------------------------------------------------------- timing (ck)
// Same 2 % allowance for a fast PLL as the core takes.
function integer ck_of;
  input integer ps;
  ck_of = (ps * 50 + tCK * 49 - 1) / (tCK * 49);
endfunction
function integer imax;
  input integer a, b;
  imax = a > b ? a : b;
endfunction

localparam C_RCD = ck_of(tRCD), C_RP = ck_of(tRP), C_RAS = ck_of(tRAS), C_RC = ck_of(tRC);
localparam C_RRD = imax(4, ck_of(tRRD)), C_FAW = ck_of(tFAW), C_WTR = imax(4, ck_of(tWTR));
localparam C_RTP = imax(4, ck_of(tRTP)), C_RFC = ck_of(tRFC), C_WR = WR_CYC;
localparam SPACING = TWO_T ? 2 : 1;

// ------------------------------------------------------------- program
localparam NP = 16384;                 // memory clocks of program
reg [3:0]        p_cmd  [0:NP-1];      // {cs_n, ras_n, cas_n, we_n}
reg [ROW-1:0]    p_addr [0:NP-1];
reg [2:0]        p_ba   [0:NP-1];
reg              p_we   [0:NP/K-1];
reg [NB*DQ-1:0]  p_wd   [0:NP/K-1];
reg [NB*G-1:0]   p_wm   [0:NP/K-1];

localparam NE = 1024;                  // expected read words
reg [NB*DQ-1:0]  e_data [0:NE-1];
reg [NB*DQ-1:0]  e_care [0:NE-1];      // bits that must match
integer          n_exp = 0, n_got = 0;

// Reference memory, same row-slot scheme as the device.
localparam NSLOT = 32, COLS = 1 << COL_WIDTH;
reg [DQ-1:0]     ref_mem [0:NSLOT*COLS-1];
reg [2:0]        r_ba  [0:NSLOT-1];
reg [ROW-1:0]    r_row [0:NSLOT-1];
integer          r_n = 0;

function integer ref_slot;
  input [2:0] b;
  input [ROW-1:0] r;
  integer s;
  begin
    ref_slot = -1;
    for (s = 0; s < r_n; s = s + 1) if (r_ba[s] == b && r_row[s] == r) ref_slot = s;
  end
endfunction

// Controller state, all times in memory clocks from the start of playback.
integer tnow = 0, t_last_cmd = -100;
integer b_open [0:7], b_row [0:7], b_act [0:7], b_pre [0:7], b_rd [0:7], b_wr [0:7];
integer t_act_any = -1000, t_col = -1000, t_rd_any = -1000, t_wr_any = -1000, t_ref = -1000;
integer fw [0:3];
integer n_wr = 0, n_rd = 0, n_act = 0, n_pre = 0, n_ref = 0;
integer i, j;
integer seed = `TB_SEED;

function integer slot_free;            // first clock >= t with nothing scheduled near it
  input integer t;
  integer u;
  begin
    u = imax(t, t_last_cmd + SPACING);
    slot_free = u;
  end
endfunction

task put_cmd;
  input integer t;
  input [3:0] c;
  input [2:0] b;
  input [ROW-1:0] a;
  begin
    if (t >= NP) begin `TBERR(("program too long")) end
    else begin p_cmd[t] = c; p_ba[t] = b; p_addr[t] = a; end
    t_last_cmd = t; tnow = t + 1;
  end
endtask

task act;
  input integer b;
  input integer row;
  integer t;
  begin
    t = slot_free(tnow);
    t = imax(t, b_pre[b] + C_RP);
    t = imax(t, b_act[b] + C_RC);
    t = imax(t, t_act_any + C_RRD);
    t = imax(t, fw[0] + C_FAW);
    t = imax(t, t_ref + C_RFC);
    put_cmd(t, 4'b0011, b, row);
    b_open[b] = 1; b_row[b] = row; b_act[b] = t; t_act_any = t;
    fw[0] = fw[1]; fw[1] = fw[2]; fw[2] = fw[3]; fw[3] = t;
    if (ref_slot(b, row) < 0) begin
      r_ba[r_n] = b; r_row[r_n] = row; r_n = r_n + 1;
    end
    n_act = n_act + 1;
  end
endtask

function integer pre_ready;
  input integer b;
  pre_ready = imax(imax(b_act[b] + C_RAS, b_rd[b] + AL_N + C_RTP), b_wr[b] + WL + 4 + C_WR);
endfunction

task pre;
  input integer b;                     // -1: all banks
  integer t, k;
  reg [ROW-1:0] a;
  begin
    t = slot_free(tnow);
    a = 0;
    if (b < 0) begin
      a[10] = 1'b1;
      for (k = 0; k < 8; k = k + 1) if (b_open[k]) t = imax(t, pre_ready(k));
    end else t = imax(t, pre_ready(b));
    t = imax(t, t_ref + C_RFC);
    put_cmd(t, 4'b0010, b < 0 ? 0 : b, a);
    for (k = 0; k < 8; k = k + 1)
      if ((b < 0 || k == b) && b_open[k]) begin b_open[k] = 0; b_pre[k] = t; end
    n_pre = n_pre + 1;
  end
endtask

task refresh;
  integer t, k;
  begin
    t = slot_free(tnow);
    for (k = 0; k < 8; k = k + 1) t = imax(t, b_pre[k] + C_RP);
    t = imax(t, t_ref + C_RFC);
    put_cmd(t, 4'b0001, 0, 0);
    t_ref = t; n_ref = n_ref + 1;
  end
endtask

function burst8;                       // per-command burst choice
  input integer n;
  burst8 = (BURST_MODE == "8") ? 1'b1 : (BURST_MODE == "4") ? 1'b0 : (n % 3 != 0);
endfunction

// Column address bits for a column command.
function [ROW-1:0] col_addr;
  input integer col;
  input ap, bl8;
  reg [ROW-1:0] a;
  begin
    a = col;
    a[10] = ap;
    if (ROW > 12) a[ROW > 12 ? 12 : 0] = bl8;
    col_addr = a;
  end
endfunction

function integer col_ready;
  input integer b;
  col_ready = imax(imax(b_act[b] + imax(1, C_RCD - AL_N), t_col + 4), t_ref + C_RFC);
endfunction

// WRITE of one burst.  mode: 0 unmasked, 1 random byte masks, 2 some beats
// fully masked, 3 random byte masks with the masked bytes carrying the data
// already stored (what a read-modify-write controller sends under ECC: the
// check bits must then cover the merged beat).
task wr;
  input integer b, col, ap, mode;
  integer t, x, beat, nbeats, s, gg, w, nwords;
  reg bl8;
  reg [NB*DQ-1:0] wd [0:1];
  reg [NB*G-1:0]  wm [0:1];
  reg [DQ-1:0] d;
  reg [G-1:0] m;
  begin
    // Unmasked writes fill locations for the first time: whole bursts, so
    // that later reads of either length find known data.
    bl8 = (mode == 0 && BURST_MODE == "OTF") ? 1'b1 : burst8(n_wr);
    t = slot_free(tnow);
    t = imax(t, col_ready(b));
    // Read data must have left the bus, round trip included.
    t = imax(t, t_rd_any + RL + 6 - WL + (rd_dly + tCK - 1) / tCK);
    put_cmd(t, 4'b0100, b, col_addr(col, ap, bl8));
    nbeats = bl8 ? 8 : 4;
    nwords = (nbeats + NB - 1) / NB;
    s = ref_slot(b, b_row[b]);
    for (beat = 0; beat < 8; beat = beat + 1) begin
      for (w = 0; w < DQ; w = w + 32) d[w +: 32] = $random(seed);
      m = 0;
      if (mode == 1) for (gg = 0; gg < G; gg = gg + 1) m[gg] = ($random(seed) & 3) == 0;
      if (mode == 2 && ($random(seed) & 3) == 0) m = {G{1'b1}};
      if (mode == 3) begin
        for (gg = 0; gg < G; gg = gg + 1) m[gg] = ($random(seed) & 3) == 0;
        for (gg = 0; gg < DG; gg = gg + 1)
          if (m[gg]) d[gg*GW +: GW] = ref_mem[s * COLS + col + beat][gg*GW +: GW];
      end
      if (ECC_ON) begin
        // The core owns the check lanes: whatever is sent there must not matter.
        for (gg = DG; gg < G; gg = gg + 1) m[gg] = $random(seed);
        if (mode == 1) m[DG-1:0] = 0;
      end
      wd[beat / NB][(beat % NB) * DQ +: DQ] = d;
      wm[beat / NB][(beat % NB) * G +: G]   = m;
      if (beat < nbeats)
        for (gg = 0; gg < DG; gg = gg + 1)
          if (!m[gg]) ref_mem[s * COLS + col + beat][gg*GW +: GW] = d[gg*GW +: GW];
    end
    for (x = 0; x < nwords; x = x + 1) begin
      if (p_we[t / K + x]) `TBERR(("write data slots overlap"))
      p_we[t / K + x] = 1; p_wd[t / K + x] = wd[x]; p_wm[t / K + x] = wm[x];
    end
    b_wr[b] = t; t_col = t; t_wr_any = t; n_wr = n_wr + 1;
    if (ap) begin b_open[b] = 0; b_pre[b] = t + WL + 4 + C_WR; end
  end
endtask

// READ of one burst; queues the words the receiver must see.
task rd;
  input integer b, col, ap;
  integer t, beat, nbeats, s, x, nwords;
  reg bl8;
  reg [NB*DQ-1:0] ed, ec;
  reg [DQ-1:0] v, care;
  begin
    bl8 = burst8(n_rd);
    t = slot_free(tnow);
    t = imax(t, col_ready(b));
    t = imax(t, t_wr_any + WL + 4 + C_WTR);
    put_cmd(t, 4'b0101, b, col_addr(col, ap, bl8));
    nbeats = bl8 ? 8 : 4;
    nwords = (nbeats + NB - 1) / NB;
    s = ref_slot(b, b_row[b]);
    for (x = 0; x < nwords; x = x + 1) begin
      ed = 0; ec = 0;
      for (beat = 0; beat < NB && x * NB + beat < nbeats; beat = beat + 1) begin
        v = ref_mem[s * COLS + col + x * NB + beat];
        care = {DQ{1'b1}};
        if (ECC_ON) begin
          v[71:64] = 8'h00;            // no error flags expected
          care[71:64] = 8'hff;
        end
        ed[beat * DQ +: DQ] = v;
        ec[beat * DQ +: DQ] = care;
      end
      e_data[n_exp] = ed; e_care[n_exp] = ec; n_exp = n_exp + 1;
    end
    b_rd[b] = t; t_col = t; t_rd_any = t; n_rd = n_rd + 1;
    if (ap) begin
      b_open[b] = 0;
      b_pre[b] = imax(t + AL_N + C_RTP, b_act[b] + C_RAS);
    end
  end
endtask

// ------------------------------------------------------------- playback
reg     playing = 1'b0;
integer px = 0;                        // clk_x1 cycles since playback started

always @(posedge clk_x1) begin
  if (playing) begin
    for (i = 0; i < K; i = i + 1) begin
      {mc_cs_n[i], mc_ras_n[i], mc_cas_n[i], mc_we_n[i]} <= p_cmd[px * K + i];
      mc_address[i*ROW +: ROW] <= p_addr[px * K + i];
      mc_bank[i*3 +: 3]        <= p_ba[px * K + i];
    end
    mc_cmd_wren    <= 1'b1;
    mc_wrdata_en   <= p_we[px];
    mc_wrdata      <= p_we[px] ? p_wd[px] : {NB*DQ{1'bx}};
    mc_wrdata_mask <= p_we[px] ? p_wm[px] : {NB*G{1'bx}};
    px <= px + 1;
  end
end

// ------------------------------------------------------------- receiver
always @(posedge clk_x1)
  if (phy_rd_data_valid) begin
    if (n_got >= n_exp)
      `TBERR(("read word %0d not asked for: %h", n_got, phy_rd_data))
    else if (((phy_rd_data ^ e_data[n_got]) & e_care[n_got]) != 0 ||
             ^(phy_rd_data & e_care[n_got]) === 1'bx)
      `TBERR(("read word %0d\n   got  %h\n   want %h\n   care %h", n_got, phy_rd_data,
              e_data[n_got], e_care[n_got]))
    n_got = n_got + 1;
  end

// ------------------------------------------------- mode register check
task expect_int;
  input [8*12-1:0] what;
  input integer got, want;
  begin
    if (got !== want) `TBERR(("mode register field %0s: device decoded %0d, parameters ask %0d",
                              what, got, want))
  end
endtask

function integer ohms;
  input [8*4-1:0] s;
  ohms = (s == "20") ? 20 : (s == "30") ? 30 : (s == "40") ? 40 : (s == "60") ? 60 :
         (s == "120") ? 120 : 0;
endfunction

task check_mode_registers;
  begin
    expect_int("CL",       mem.m_cl, CL);
    expect_int("CWL",      mem.m_cwl, CWL);
    expect_int("AL",       mem.al_cycles(0), AL_N);
    expect_int("WR",       mem.m_wr, WR_CYC);
    expect_int("BL",       mem.m_bl_mode, (BURST_MODE == "8") ? 0 : (BURST_MODE == "4") ? 2 : 1);
    expect_int("BT",       mem.m_bt, BURST_TYPE == "INT");
    expect_int("RTT_NOM",  mem.m_rtt_nom, ohms(RTT_NOM));
    expect_int("RTT_WR",   mem.m_rtt_wr, ohms(RTT_WR));
    expect_int("DRIVE",    mem.m_drv, (OUTPUT_DRV == "HIGH") ? 34 : 40);
    expect_int("DLL_ON",   mem.m_dll_on, 1);
    expect_int("DLL_RESET", mem.dll_reset_seen, 1);
    expect_int("ZQCL",     mem.zq_init_done, 1);
  end
endtask

// ----------------------------------------------------------------- main
integer b, c, pass, rowsel, t_end;
integer rows [0:7][0:1];

task wait_playback;                    // until everything programmed has gone out and come back
  begin
    t_end = tnow + RL + 64;
    while (px * K < t_end) @(posedge clk_x1);
    repeat (8) @(posedge clk_x1);
  end
endtask

task resume_program;                   // continue the program after a pause
  begin
    tnow = imax(tnow, px * K + 4 * K);
  end
endtask

initial begin
  for (i = 0; i < NP; i = i + 1) begin p_cmd[i] = 4'b0111; p_addr[i] = 0; p_ba[i] = 0; end
  for (i = 0; i < NP / K; i = i + 1) p_we[i] = 0;
  for (i = 0; i < 8; i = i + 1) begin
    b_open[i] = 0; b_act[i] = -1000; b_pre[i] = -1000; b_rd[i] = -1000; b_wr[i] = -1000;
    // Rows with the top and bottom address bits set, to catch swapped or
    // stuck address lines.
    rows[i][0] = ((1 << (ROW - 1)) | (i * 5 + 1)) & ((1 << ROW) - 1);
    rows[i][1] = (((1 << ROW) - 1) ^ (i << 2)) & ((1 << ROW) - 1);
  end
  for (i = 0; i < 4; i = i + 1) fw[i] = -1000;

  $timeformat(-9, 1, " ns", 0);
  #(`TB_REF_PS * 10);
  rst_n = 1'b1;
  fork : wait_init
    begin
      wait (ddr_init_complete === 1'b1);
      disable wait_init;
    end
    begin
      // Calibration status: bit 0 finished, bit 1 failed, then the groups.
      wait (phy_rd_data[0] === 1'b1 && phy_rd_data[1] === 1'b1);
      $display("[%0t] calibration failed, strobe groups %b", $realtime, phy_rd_data[2 +: G]);
      #(`TB_REF_PS * 1000.0);
      if (ddr_init_complete !== 1'b0) `TBERR(("ddr_init_complete rose after a failed calibration"))
      if (!may_fail) `TBERR(("calibration failed"))
      finish_test;
    end
    begin
      #((`TB_INIT_RESET_US + `TB_INIT_CKE_US + 200) * 1000000.0);
      `TBERR(("ddr_init_complete never rose"))
      finish_test;
    end
  join
  if (ddr_rst !== 1'b0) `TBERR(("ddr_rst still high after initialisation"))
  if (phy_rd_data_valid !== 1'b0) `TBERR(("read data valid at initialisation"))
`ifdef TB_NETLIST
  $display("[%0t] initialisation complete", $realtime);
`else
  $display("[%0t] initialisation complete, read latency %0d ck", $realtime,
           `TB_PHY.rd_lat_m1 + 1);
`endif
  check_mode_registers;

  // 1. Open a row in every bank back to back (tRRD, tFAW), fill each with
  //    unmasked bursts, then overwrite part of it with masked bursts.
  for (b = 0; b < 8; b = b + 1) act(b, rows[b][0]);
  for (c = 0; c < 4; c = c + 1)
    for (b = 0; b < 8; b = b + 1) wr(b, c * 8, 0, 0);
  for (b = 0; b < 8; b = b + 1) wr(b, 8 * ((b + 1) % 4), 0, ECC_ON ? 2 : 1);

  // Writes one clock apart on the bus (postamble runs into the next
  // preamble), read back with the rest.
  for (b = 0; b < 8; b = b + 1) begin
    tnow = imax(tnow, t_col + 5);
    wr(b, 40, 0, 0);
  end

  // 2. Read everything back, banks interleaved, reads back to back.
  for (c = 0; c < 4; c = c + 1)
    for (b = 0; b < 8; b = b + 1) rd(b, c * 8, 0);
  for (b = 0; b < 8; b = b + 1) rd(b, 40, 0);

  // 3. Write/read turnarounds within a bank (tWTR, read-to-write gap).
  for (b = 0; b < 8; b = b + 2) begin
    wr(b, 32, 0, 0);
    rd(b, 32, 0);
    wr(b, 32, 0, ECC_ON ? 3 : 1);
    rd(b, 0, 0);
    rd(b, 32, 0);
  end

  // 4. Close everything, refresh twice, use other rows with auto precharge.
  pre(-1);
  refresh;
  refresh;
  for (b = 0; b < 8; b = b + 1) begin
    act(b, rows[b][1]);
    wr(b, 16, 0, 0);
    wr(b, 16, 1, ECC_ON ? 2 : 1);
  end
  for (b = 0; b < 8; b = b + 1) begin
    act(b, rows[b][1]);
    rd(b, 16, 1);
  end

  // 5. The first rows kept their data across refresh and other rows.
  for (b = 7; b >= 0; b = b - 1) act(b, rows[b][0]);
  for (b = 0; b < 8; b = b + 1) rd(b, 8, 0);
  for (b = 0; b < 8; b = b + 1) rd(b, 8 * ((b + 1) % 4), 0);
  pre(-1);

  // 6. Short row cycles, where tRAS, tRC and tWR are what limits the next
  //    command.
  for (b = 0; b < 4; b = b + 1) begin
    act(b, rows[b][0]); rd(b, 0, 0);        pre(b);
    act(b, rows[b][1]); wr(b, 16, 0, 0);    pre(b);
    act(b, rows[b][1]); rd(b, 16, 0);       pre(b);
  end

  @(posedge clk_x1);
  playing = 1'b1;
  wait_playback;

  if (ECC_ON) ecc_errors;

  finish_test;
end

// ECC: single-bit errors anywhere in a beat come back corrected and
// flagged; double-bit errors are flagged uncorrectable.
task ecc_errors;
  integer bit1, bit2, k, w0, beat;
  begin
    resume_program;
    for (k = 0; k < 8; k = k + 1) begin
      beat = k % 4;
      bit1 = ($random(seed) & 32'h7fffffff) % 72;
      mem.flip_bit(k, rows[k][0], 8 + beat, bit1);
      if (k >= 4) begin
        bit2 = (bit1 + 1 + (($random(seed) & 32'h7fffffff) % 71)) % 72;
        mem.flip_bit(k, rows[k][0], 8 + beat, bit2);
      end
    end
    for (k = 0; k < 8; k = k + 1) act(k, rows[k][0]);
    for (k = 0; k < 8; k = k + 1) begin
      beat = k % 4;
      rd(k, 8, 0);
      // rd() queued error-free words; mark the bad beat in the first one.
      w0 = n_exp - ((burst8(n_rd - 1) ? 8 : 4) + NB - 1) / NB;
      if (k < 4) e_data[w0][beat * DQ + 64] = 1'b1;
      else begin
        e_data[w0][beat * DQ + 65] = 1'b1;
        e_care[w0][beat * DQ +: 64] = 64'd0;   // data of an uncorrectable beat
      end
    end
    pre(-1);
    wait_playback;
  end
endtask

task finish_test;
  begin
    if (n_got != n_exp)
      `TBERR(("%0d read words expected, %0d received", n_exp, n_got))
    $display("commands: %0d ACT, %0d WRITE, %0d READ, %0d PRE, %0d REF; %0d read words checked",
             n_act, n_wr, n_rd, n_pre, n_ref, n_got);
    if (mem.bin_flags != bin_want)
      `TBERR(("speed-bin findings %0d, expected %0d", mem.bin_flags, bin_want))
    if (tb_errors == 0 && mem.errors == 0 && (n_got > 0 || may_fail))
      $display("RESULT: PASS %0s", `TB_NAME);
    else
      $display("RESULT: FAIL %0s (%0d bench errors, %0d device-model errors)",
               `TB_NAME, tb_errors, mem.errors);
    $finish;
  end
endtask

// Nothing is valid before the core is ready.
always @(posedge clk_x1)
  if (ddr_init_complete !== 1'b1 && phy_rd_data_valid !== 1'b0)
    `TBERR(("phy_rd_data_valid before ddr_init_complete"))

// Anything odd on the bus after initialisation is a failure too.
always @(posedge O_ddr_clk)
  if (ddr_init_complete && ^{O_ddr_cs_n, O_ddr_cke, O_ddr_reset_n} === 1'bx)
    `TBERR(("unknown level on CS#/CKE/RESET#"))

initial begin
  #((`TB_INIT_RESET_US + `TB_INIT_CKE_US + 2000) * 1000000.0);
  `TBERR(("timeout"))
  finish_test;
end

endmodule
