// Bench for one generated DDR3 PHY core against the device model ddr3_model.v.
// It plays a small in-order memory controller: a command program built with
// JEDEC timing in memory clocks goes out on the mc_* slots, and every read
// word is checked against a reference memory (masks and ECC flags included).
// Also checked: the mode registers the device decoded, no device-model error,
// every REFRESH reaching the bus, the speed-bin findings exactly +bin=N
// (default TB_BIN).  Board delays, skew, jitter, tDQSCK and drift are the
// model's plusargs (+rd_dly, +ck_skew, +fly, +skew, +jitter, +dqsck, ...; see
// ddr3_model.v).  With +may_fail a calibration that reports failure passes
// too, with +must_fail only that; a failed calibration must never raise
// ddr_init_complete.
//
// +run_us=N keeps traffic going for N us of simulated time after the fixed
// program: rounds that write and read back every bank and end with a
// REFRESH, after which the bus stays free for tRFC plus +ref_window=N clocks
// (default TB_REF_WINDOW), the PHY's maintenance window.  Each strobe
// group's DQS-to-CK offsets at the device (tDQSS) are printed at the end.
// With TB_PHY_CAL the PHY's calibration results are checked against what
// the model injected (tb_phy_cal.vh).
//
// The generated files and tb_config.vh come from the include path.  With
// TB_NETLIST the core is a netlist, whose insides the bench does not look at.
`timescale 1ps/1fs
`include "ddr3_name.v"
`undef ECC
`include "DDR3_define.v"
`include "tb_config.vh"
`define TBERR(args) begin tb_errors = tb_errors + 1; $write("[%0t] TB ERROR: ", $realtime); $display args; end

module tb;
`include "vlmc_param.v"
localparam K = nCK_PER_CLK, NB = 2 * K, DQ = DQ_WIDTH, ROW = ROW_WIDTH, COLS = 1 << COL_WIDTH;
localparam G = (DRAM_WIDTH == 4) ? DQ / 4 : DQ / 8, GW = DQ / G;
localparam AL_N = (AL == "CL-1") ? CL - 1 : (AL == "CL-2") ? CL - 2 : 0;
localparam WL = CWL + AL_N, RL = CL + AL_N, SP = (ADDR_CMD_MODE == "2T") ? 2 : 1;
`ifdef ECC
localparam ECC_ON = (DQ == 72);
`else
localparam ECC_ON = 0;
`endif
localparam DG = ECC_ON ? 64 / GW : G;           // strobe groups carrying user data
localparam MASKED = ECC_ON ? 2 : 1, MERGED = ECC_ON ? 3 : 1;   // write modes, see burst

`ifndef TB_REF_WINDOW
`define TB_REF_WINDOW 0
`endif
integer tb_errors = 0, rd_dly, bin_want, seed = `TB_SEED, run_us, ref_window;
reg may_fail, must_fail;
initial begin
  // The board holds still while the PHY calibrates (some 100 us, over which
  // a real one does not drift) and drifts, if asked to, from then on.
  mem.drift_from = 1.0e18;
  if (!$value$plusargs("run_us=%d", run_us)) run_us = 0;
  if (!$value$plusargs("ref_window=%d", ref_window)) ref_window = `TB_REF_WINDOW;
  must_fail = $test$plusargs("must_fail");
  may_fail = must_fail || $test$plusargs("may_fail");
  if (!$value$plusargs("rd_dly=%d", rd_dly)) rd_dly = `TB_RD_DLY;
  if (!$value$plusargs("bin=%d", bin_want)) bin_want = `TB_BIN;
end

// ------------------------------------------------------------------ DUT
reg clk = 1'b0, rst_n = 1'b0;
always #(`TB_REF_PS / 2.0) clk = ~clk;
reg  [K-1:0]     mc_cs_n = {K{1'b1}}, mc_ras_n = {K{1'b1}}, mc_cas_n = {K{1'b1}},
                 mc_we_n = {K{1'b1}}, mc_odt = 0, mc_cke = {K{1'b1}};
reg  [K*ROW-1:0] mc_address = 0;
reg  [3*K-1:0]   mc_bank = 0;
reg              mc_reset_n = 1'b1, mc_cmd_wren = 1'b0, mc_wrdata_en = 1'b0;
reg  [NB*DQ-1:0] mc_wrdata = 0;
reg  [NB*G-1:0]  mc_wrdata_mask = 0;
wire             phy_rd_data_valid, ddr_init_complete, clk_x1, ddr_rst;
wire [NB*DQ-1:0] phy_rd_data;
wire [ROW-1:0]   O_ddr_addr;
wire [2:0]       O_ddr_ba;
wire             O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n, O_ddr_clk, O_ddr_clk_n,
                 O_ddr_cke, O_ddr_odt, O_ddr_reset_n;
wire [G-1:0]     O_ddr_dqm, IO_ddr_dqs, IO_ddr_dqs_n;
wire [DQ-1:0]    IO_ddr_dq;
// No termination on the board: an idle data line floats (the deserializers
// read random levels); an idle strobe reads low at the PHY only through the
// weak bias the PHY gives its strobe pads.  That bias does not reach the
// device: the strobe lines pass through resistive switches (which weaken
// whatever drives them by a step) to a device side that floats (x, the
// level its termination would hold) unless the PHY or the device drives it,
// so a write preamble the PHY does not drive shows as missing.
wire [G-1:0] mem_dqs, mem_dqs_n;
genvar bg;
generate for (bg = 0; bg < G; bg = bg + 1) begin : g_board
  rtran (IO_ddr_dqs[bg], mem_dqs[bg]);
  rtran (IO_ddr_dqs_n[bg], mem_dqs_n[bg]);
end endgenerate
assign (weak0, weak1) mem_dqs   = {G{1'bx}};
assign (weak0, weak1) mem_dqs_n = {G{1'bx}};

`module_name_ddr #(.INIT_RESET_US(`TB_INIT_RESET_US), .INIT_CKE_US(`TB_INIT_CKE_US)) dut (.*);
ddr3_model #(.RESET_US(`TB_INIT_RESET_US), .CKE_US(`TB_INIT_CKE_US), .RD_DLY(`TB_RD_DLY)) mem (
  .ck(O_ddr_clk), .ck_n(O_ddr_clk_n), .cke(O_ddr_cke), .cs_n(O_ddr_cs_n), .ras_n(O_ddr_ras_n),
  .cas_n(O_ddr_cas_n), .we_n(O_ddr_we_n), .ba(O_ddr_ba), .addr(O_ddr_addr), .odt(O_ddr_odt),
  .reset_n(O_ddr_reset_n), .dm(O_ddr_dqm), .dq(IO_ddr_dq), .dqs(mem_dqs), .dqs_n(mem_dqs_n));

// -------------------------------------------------------------- program
// Timings in memory clocks, with the same 2 % allowance for a fast PLL as the core.
function integer ck_of(input integer ps); ck_of = (ps * 50 + tCK * 49 - 1) / (tCK * 49); endfunction
function integer imax(input integer a, b); imax = a > b ? a : b; endfunction
localparam C_RCD = imax(1, ck_of(tRCD) - AL_N), C_RP = ck_of(tRP), C_RAS = ck_of(tRAS),
           C_RC = ck_of(tRC), C_RRD = imax(4, ck_of(tRRD)), C_FAW = ck_of(tFAW),
           C_WTR = imax(4, ck_of(tWTR)), C_RTP = imax(4, ck_of(tRTP)), C_RFC = ck_of(tRFC),
           C_WR = imax(WR_CYC, ck_of(15000));          // tWR is 15 ns at every speed
localparam REF = 1, PRE = 2, ACT = 3, WRITE = 4, READ = 5;    // {CS#, RAS#, CAS#, WE#}

localparam NP = 16384, NE = 1024;      // memory clocks of program, expected read words
reg [ROW+6:0]    p_cmd [0:NP-1];       // {command, bank, address}
reg              p_we  [0:NP/K-1];
reg [NB*DQ-1:0]  p_wd  [0:NP/K-1], e_data [0:NE-1], e_care [0:NE-1];
reg [NB*G-1:0]   p_wm  [0:NP/K-1];
reg [DQ-1:0]     ref_mem [0:16*COLS-1];   // bank b, row r of row_of at (2b + r) * COLS
integer n_exp = 0, n_got = 0, e0;         // e0: first word of the last READ
integer n_checked = 0;                    // read words checked over all programs

// Two rows a bank, with the top and bottom address bits set to catch swapped
// or stuck address lines.
function integer row_of(input integer b, r);
  row_of = r ? ((1 << ROW) - 1) ^ (b << 2) : (1 << (ROW - 1)) | (b * 5 + 1);
endfunction

// Controller state, in memory clocks from the start of playback.
integer tnow = 0, t_last = -100, tc, t_act = -1000, t_col = -1000, t_rd = -1000,
        t_wr = -1000, t_ref = -1000, i;
integer b_open [0:7], b_row [0:7], b_act [0:7], b_pre [0:7], b_rd [0:7], b_wr [0:7];
integer fw [0:3], n_c [REF:READ];

// First clock at which command c to bank b (-1: all) may go out.
function integer ready(input integer c, b);
  integer k, t;
  begin
    t = imax(imax(tnow, t_last + SP), t_ref + C_RFC + ref_window);
    for (k = 0; k < 8; k = k + 1)
      if (k == b || (b < 0 && (c == REF || b_open[k])))
        case (c)
          REF:   t = imax(t, b_pre[k] + C_RP);
          PRE:   t = imax(t, imax(imax(b_act[k] + C_RAS, b_rd[k] + AL_N + C_RTP),
                                  b_wr[k] + WL + 4 + C_WR));
          ACT:   t = imax(t, imax(imax(b_pre[k] + C_RP, b_act[k] + C_RC),
                                  imax(t_act + C_RRD, fw[0] + C_FAW)));
          // A WRITE also waits until read data has left the bus, round trip included.
          WRITE: t = imax(t, imax(imax(b_act[k] + C_RCD, t_col + 4),
                                  t_rd + RL + 6 - WL + (mem.rd_max_ps(0) + tCK - 1) / tCK));
          READ:  t = imax(t, imax(imax(b_act[k] + C_RCD, t_col + 4), t_wr + WL + 4 + C_WTR));
        endcase
    ready = t;
  end
endfunction

task issue(input integer c, b, input [ROW-1:0] a);
  integer k;
  begin
    tc = ready(c, b);
    if (tc >= NP) `TBERR(("program too long"))
    else p_cmd[tc] = {c[3:0], b < 0 ? 3'd0 : b[2:0], a};
    t_last = tc; tnow = tc + 1; n_c[c] = n_c[c] + 1;
    case (c)
      PRE:   for (k = 0; k < 8; k = k + 1)
               if ((b < 0 || k == b) && b_open[k]) begin b_open[k] = 0; b_pre[k] = tc; end
      ACT:   begin
        b_open[b] = 1; b_act[b] = tc; t_act = tc;
        fw[0] = fw[1]; fw[1] = fw[2]; fw[2] = fw[3]; fw[3] = tc;
      end
      REF:   t_ref = tc;
      WRITE: begin b_wr[b] = tc; t_col = tc; t_wr = tc; end
      READ:  begin b_rd[b] = tc; t_col = tc; t_rd = tc; end
    endcase
  end
endtask

task act(input integer b, r); begin issue(ACT, b, row_of(b, r)); b_row[b] = r; end endtask

// One READ or WRITE (c) at column col of bank b's open row, ap: auto
// precharge.  Write modes: 0 unmasked, 1 random byte masks, 2 some beats fully
// masked, 3 random byte masks with the masked bytes carrying the stored data
// (what a read-modify-write controller sends under ECC: the check bits must
// cover the merged beat).  A READ queues the words the receiver must see.
task burst(input integer c, b, col, ap, mode);
  integer beat, nbeats, nw, gg, w, s, x;
  reg bl8;
  reg [ROW-1:0] a;
  reg [DQ-1:0] d;
  reg [G-1:0] m;
  begin
    // Unmasked writes fill whole bursts, so that later reads of either length
    // find known data.
    bl8 = BURST_MODE == "8" ||
          (BURST_MODE == "OTF" && ((c == WRITE && mode == 0) || n_c[c] % 3 != 0));
    a = col; a[10] = ap;
    if (ROW > 12) a[ROW > 12 ? 12 : 0] = bl8;
    issue(c, b, a);
    nbeats = bl8 ? 8 : 4;
    nw = (nbeats + NB - 1) / NB;
    s = (2 * b + b_row[b]) * COLS + col;
    e0 = n_exp;
    for (beat = 0; beat < nw * NB; beat = beat + 1)
      if (c == WRITE) begin
        x = tc / K + beat / NB;
        for (w = 0; w < DQ; w = w + 32) d[w +: 32] = $random(seed);
        m = (mode == 2 && ($random(seed) & 3) == 0) ? {G{1'b1}} : 0;
        // The core owns the check lanes: whatever is sent there must not matter.
        for (gg = 0; gg < G; gg = gg + 1) begin
          if (mode % 2 || gg >= DG) m[gg] = ($random(seed) & 3) == 0;
          if (gg < DG && m[gg] && mode == 3) d[gg*GW +: GW] = ref_mem[s + beat][gg*GW +: GW];
          // x4 devices have no DM: a merged write still holds the old data there,
          // a masked one overwrites it.
          if (DRAM_WIDTH == 4) m[gg] = 1'b0;
          if (gg < DG && !m[gg] && beat < nbeats) ref_mem[s + beat][gg*GW +: GW] = d[gg*GW +: GW];
        end
        if (beat % NB == 0) begin
          if (p_we[x]) `TBERR(("write data slots overlap"))
          p_we[x] = 1;
        end
        p_wd[x][(beat % NB) * DQ +: DQ] = d;
        p_wm[x][(beat % NB) * G +: G] = m;
      end else begin
        d = ref_mem[s + beat];
        if (ECC_ON) d[71:64] = 8'h00;  // no error flags
        e_data[e0 + beat / NB][(beat % NB) * DQ +: DQ] = d;
        e_care[e0 + beat / NB][(beat % NB) * DQ +: DQ] = beat < nbeats ? {DQ{1'b1}} : 0;
      end
    if (c == READ) n_exp = n_exp + nw;
    if (ap) begin
      b_open[b] = 0;
      b_pre[b] = c == WRITE ? tc + WL + 4 + C_WR : imax(tc + AL_N + C_RTP, b_act[b] + C_RAS);
    end
  end
endtask

// ------------------------------------------------- playback and receiver
reg     playing = 1'b0;
integer px = 0;                        // clk_x1 cycles since playback started
always @(posedge clk_x1) begin
  if (playing) begin
    for (i = 0; i < K; i = i + 1)
      {mc_cs_n[i], mc_ras_n[i], mc_cas_n[i], mc_we_n[i], mc_bank[i*3 +: 3],
       mc_address[i*ROW +: ROW]} <= p_cmd[px * K + i];
    mc_cmd_wren    <= 1'b1;
    mc_wrdata_en   <= p_we[px];
    mc_wrdata      <= p_we[px] ? p_wd[px] : {NB*DQ{1'bx}};
    mc_wrdata_mask <= p_we[px] ? p_wm[px] : {NB*G{1'bx}};
    px <= px + 1;
  end
  if (ddr_init_complete !== 1'b1 && phy_rd_data_valid !== 1'b0)
    `TBERR(("phy_rd_data_valid before ddr_init_complete"))
  if (phy_rd_data_valid) begin
    if (n_got >= n_exp)
      `TBERR(("read word %0d not asked for: %h", n_got, phy_rd_data))
    else if (((phy_rd_data ^ e_data[n_got]) & e_care[n_got]) != 0 ||
             ^(phy_rd_data & e_care[n_got]) === 1'bx)
      `TBERR(("read word %0d\n   got  %h\n   want %h\n   care %h", n_got, phy_rd_data,
              e_data[n_got], e_care[n_got]))
    n_got = n_got + 1; n_checked = n_checked + 1;
  end
end

`ifndef TB_NETLIST
`ifndef TB_PHY_CAL
// What each strobe group found, printed as someone bringing up a board would read it.
genvar tg;
generate for (tg = 0; tg < G; tg = tg + 1) begin : g_found
  always @(posedge ddr_init_complete)
    $display("[%0t] strobe group %0d: write tap %0d + %0d beats + %0d ck, read DQS tap %0d, burst word %0d",
             $realtime, tg, `TB_PHY.g_grp[tg].u_grp.wr_tap, `TB_PHY.g_grp[tg].u_grp.wr_coarse,
             $signed({1'b0, `TB_PHY.g_grp[tg].u_grp.wr_clock}) - 1,
             `TB_PHY.g_grp[tg].u_grp.dqs_in_tap, `TB_PHY.g_grp[tg].u_grp.gate_word);
end endgenerate
`endif
`endif

// Anything odd on the bus after initialisation is a failure too.
integer n_bus_ref = 0;
always @(posedge O_ddr_clk) if (ddr_init_complete) begin
  if (^{O_ddr_cs_n, O_ddr_cke, O_ddr_reset_n} === 1'bx) `TBERR(("unknown level on CS#/CKE/RESET#"))
  if ({O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n} == REF) n_bus_ref = n_bus_ref + 1;
end

// ------------------------------------------------- mode register check
task expect_mr(input [8*12-1:0] what, input integer got, want);
  if (got !== want)
    `TBERR(("mode register field %0s: device decoded %0d, parameters ask %0d", what, got, want))
endtask
function integer ohms(input [8*4-1:0] s);
  ohms = (s == "20") ? 20 : (s == "30") ? 30 : (s == "40") ? 40 : (s == "60") ? 60 :
         (s == "120") ? 120 : 0;
endfunction

// ----------------------------------------------------------------- main
integer b, c;
task wait_playback;                    // until everything programmed has gone out and come back
  begin
    while (px * K < tnow + RL + 64) @(posedge clk_x1);
    repeat (8) @(posedge clk_x1);
  end
endtask

initial begin
  for (i = 0; i < NP; i = i + 1) p_cmd[i] = {4'b0111, {ROW+3{1'b0}}};
  for (i = 0; i < NP / K; i = i + 1) p_we[i] = 0;
  for (i = 0; i < 8; i = i + 1) begin
    b_open[i] = 0; b_act[i] = -1000; b_pre[i] = -1000; b_rd[i] = -1000; b_wr[i] = -1000;
  end
  for (i = 0; i < 4; i = i + 1) fw[i] = -1000;
  for (i = REF; i <= READ; i = i + 1) n_c[i] = 0;

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
      // Calibration of a wide core at 300 MHz, where each write-sweep tap
      // takes two bursts, runs past 200 us (x2_300_dq64 ends at 245 us);
      // 400 us without an end is a hang.
      #((`TB_INIT_RESET_US + `TB_INIT_CKE_US + 400) * 1000000.0);
      `TBERR(("ddr_init_complete never rose"))
      finish_test;
    end
  join
  if (must_fail) `TBERR(("calibration passed, expected to fail"))
  // From here on every write must meet tDS/tDH at the memory, and the board
  // drifts.
  mem.strict_writes = 1'b1;
  mem.drift_from = $realtime;
  if (ddr_rst !== 1'b0) `TBERR(("ddr_rst still high after initialisation"))
  if (phy_rd_data_valid !== 1'b0) `TBERR(("read data valid at initialisation"))
`ifdef TB_NETLIST
  $display("[%0t] initialisation complete", $realtime);
`elsif TB_PHY_CAL
  $display("[%0t] initialisation complete, read latency %0d cycles, maintenance step %0d cycles (edges out at %0d words, in at %0d)",
           $realtime, `TB_PHY.rd_lat, `TB_PHY.u_cal.track_step, `TB_PHY.track_hi, `TB_PHY.track_lo);
`else
  $display("[%0t] initialisation complete, read latency %0d cycles", $realtime,
           `TB_PHY.rd_lat);
`endif
  expect_mr("CL", mem.m_cl, CL);
  expect_mr("CWL", mem.m_cwl, CWL);
  expect_mr("AL", mem.al_cycles(0), AL_N);
  expect_mr("WR", mem.m_wr, WR_CYC);
  expect_mr("BL", mem.m_bl_mode, (BURST_MODE == "8") ? 0 : (BURST_MODE == "4") ? 2 : 1);
  expect_mr("BT", mem.m_bt, BURST_TYPE == "INT");
  expect_mr("RTT_NOM", mem.m_rtt_nom, ohms(RTT_NOM));
  expect_mr("RTT_WR", mem.m_rtt_wr, ohms(RTT_WR));
  expect_mr("DRIVE", mem.m_drv, (OUTPUT_DRV == "HIGH") ? 34 : 40);
  expect_mr("DLL_ON", mem.m_dll_on, 1);
  expect_mr("DLL_RESET", mem.dll_reset_seen, 1);
  expect_mr("ZQCL", mem.zq_init_done, 1);

  // 1. A row in every bank opened back to back (tRRD, tFAW), filled with
  //    unmasked bursts, part of it overwritten with masked ones; then writes
  //    5 clocks apart (postamble running into the next preamble).
  for (b = 0; b < 8; b = b + 1) act(b, 0);
  for (c = 0; c < 4; c = c + 1)
    for (b = 0; b < 8; b = b + 1) burst(WRITE, b, c * 8, 0, 0);
  for (b = 0; b < 8; b = b + 1) burst(WRITE, b, 8 * ((b + 1) % 4), 0, MASKED);
  for (b = 0; b < 8; b = b + 1) begin
    tnow = imax(tnow, t_col + 5);
    burst(WRITE, b, 40, 0, 0);
  end
  // 2. Everything read back, banks interleaved, reads back to back.
  for (c = 0; c < 6; c = c + 1)
    for (b = 0; b < 8; b = b + 1) if (c != 4) burst(READ, b, c * 8, 0, 0);
  // 3. Write/read turnarounds within a bank (tWTR, read-to-write gap).
  for (b = 0; b < 8; b = b + 2) begin
    burst(WRITE, b, 32, 0, 0);
    burst(READ, b, 32, 0, 0);
    burst(WRITE, b, 32, 0, MERGED);
    burst(READ, b, 0, 0, 0);
    burst(READ, b, 32, 0, 0);
  end
  // 4. Everything closed, two refreshes, other rows with auto precharge.
  issue(PRE, -1, 1 << 10);
  issue(REF, -1, 0);
  issue(REF, -1, 0);
  for (b = 0; b < 8; b = b + 1) begin
    act(b, 1);
    burst(WRITE, b, 16, 0, 0);
    burst(WRITE, b, 16, 1, MASKED);
  end
  for (b = 0; b < 8; b = b + 1) begin
    act(b, 1);
    burst(READ, b, 16, 1, 0);
  end
  // 5. The first rows kept their data across refresh and other rows.
  for (b = 7; b >= 0; b = b - 1) act(b, 0);
  for (b = 0; b < 8; b = b + 1) burst(READ, b, 8, 0, 0);
  for (b = 0; b < 8; b = b + 1) burst(READ, b, 8 * ((b + 1) % 4), 0, 0);
  issue(PRE, -1, 1 << 10);
  // 6. Short row cycles, where tRAS, tRC and tWR limit the next command.
  for (b = 0; b < 4; b = b + 1) begin
    act(b, 0); burst(READ, b, 0, 0, 0);   issue(PRE, b, 0);
    act(b, 1); burst(WRITE, b, 16, 0, 0); issue(PRE, b, 0);
    act(b, 1); burst(READ, b, 16, 0, 0);  issue(PRE, b, 0);
  end

  play;
  if (ECC_ON) ecc_errors;
  if (run_us > 0) long_run;
  finish_test;
end

task play;
  begin
    @(posedge clk_x1);
    playing = 1'b1;
    wait_playback;
  end
endtask

// A fresh, empty program once the last one has come back and every bank is
// closed: slots cleared, controller times taken back to the far past.
task restart;
  begin
    playing = 1'b0;
    repeat ((C_RFC + ref_window + C_RC) / K + 4) @(posedge clk_x1);
    for (i = 0; i < NP; i = i + 1) p_cmd[i] = {4'b0111, {ROW+3{1'b0}}};
    for (i = 0; i < NP / K; i = i + 1) p_we[i] = 0;
    for (i = 0; i < 8; i = i + 1) begin
      b_act[i] = -1000; b_pre[i] = -1000; b_rd[i] = -1000; b_wr[i] = -1000;
    end
    for (i = 0; i < 4; i = i + 1) fw[i] = -1000;
    px = 0; tnow = 0; t_last = -100; t_act = -1000; t_col = -1000; t_rd = -1000;
    t_wr = -1000; t_ref = -1000; n_exp = 0; n_got = 0;
  end
endtask

// Every bank's row r written with four bursts and read back, then all banks
// closed and refreshed.
task round(input integer r);
  begin
    for (b = 0; b < 8; b = b + 1) act(b, r % 2);
    for (c = 0; c < 4; c = c + 1)
      for (b = 0; b < 8; b = b + 1) burst(WRITE, b, c * 8, 0, r % 3 == 2 ? MASKED : 0);
    for (c = 0; c < 4; c = c + 1)
      for (b = 0; b < 8; b = b + 1) burst(READ, b, c * 8, 0, 0);
    issue(PRE, -1, 1 << 10);
    issue(REF, -1, 0);
  end
endtask

task long_run;
  integer r;
  realtime t_end;
  begin
    issue(PRE, -1, 1 << 10);
    wait_playback;
    t_end = $realtime + run_us * 1.0e6;
    r = 0;
    while ($realtime < t_end) begin
      restart;
      while (tnow < NP - 2000 && n_exp < NE - 128) begin
        round(r);
        r = r + 1;
      end
      play;
      $display("[%0t] %0d rounds; tDQSCK %0.0f ps (this burst), DQ/DQS line drift %0.0f ps",
               $realtime, r, mem.dqsck_ps, mem.dly_drift_ps(0));
    end
  end
endtask

// Where each strobe group's DQS rising edges landed against CK at the device.
task report_dqss;
  integer g, k;
  real ds, dh;
  for (g = 0; g < G; g = g + 1) begin
    if (mem.dqss_min_ps[g] <= mem.dqss_max_ps[g])
      $display("strobe group %0d: DQS %0.0f .. %0.0f ps from CK at the device (tDQSS %0.0f)",
               g, mem.dqss_min_ps[g], mem.dqss_max_ps[g], tCK / 4.0);
    // The least setup and hold of any of its DQ bits over the writes after calibration.
    ds = 1.0e9; dh = 1.0e9;
    for (k = g * GW; k < (g + 1) * GW; k = k + 1) begin
      if (mem.ds_min_ps[k] < ds) ds = mem.ds_min_ps[k];
      if (mem.dh_min_ps[k] < dh) dh = mem.dh_min_ps[k];
    end
    if (ds < 1.0e9)
      $display("strobe group %0d: DQ setup %0.0f ps, hold %0.0f ps at least (tDS %0.0f, tDH %0.0f)",
               g, ds, dh, mem.T_DS, mem.T_DH);
  end
  $display("write timing breaches while calibrating: %0d", mem.train_breaches);
endtask

`ifdef TB_PHY_CAL
`include "tb_phy_cal.vh"
`endif

// ECC: single-bit errors anywhere in a beat come back corrected and flagged
// (banks 0-3); double-bit errors are flagged uncorrectable (banks 4-7).
task ecc_errors;
  integer bit1, k;
  begin
    tnow = imax(tnow, px * K + 4 * K);
    for (k = 0; k < 8; k = k + 1) begin
      bit1 = ($random(seed) & 32'h7fffffff) % 72;
      mem.flip_bit(k, row_of(k, 0), 8 + k % 4, bit1);
      if (k >= 4)
        mem.flip_bit(k, row_of(k, 0), 8 + k % 4, (bit1 + 1 + ($random(seed) & 32'h7fffffff) % 71) % 72);
      act(k, 0);
    end
    for (k = 0; k < 8; k = k + 1) begin
      burst(READ, k, 8, 0, 0);
      e_data[e0][(k % 4) * DQ + 64 + k / 4] = 1'b1;
      if (k >= 4) e_care[e0][(k % 4) * DQ +: 64] = 64'd0;   // data of an uncorrectable beat
    end
    issue(PRE, -1, 1 << 10);
    wait_playback;
  end
endtask

task finish_test;
  begin
    if (n_got != n_exp) `TBERR(("%0d read words expected, %0d received", n_exp, n_got))
    report_dqss;
`ifdef TB_PHY_CAL
    check_levelling;
    check_write_eyes;
`ifndef TB_NETLIST
    if (ddr_init_complete === 1'b1) begin
      check_centring("at the end", t_ref_before);
      check_gate("at the end", t_ref_before);
    end
`endif
`endif
    if (n_bus_ref != n_c[REF]) `TBERR(("%0d REFRESH sent, %0d on the bus", n_c[REF], n_bus_ref))
    $display("commands: %0d ACT, %0d WRITE, %0d READ, %0d PRE, %0d REF; %0d read words checked",
             n_c[ACT], n_c[WRITE], n_c[READ], n_c[PRE], n_c[REF], n_checked);
    if (mem.bin_flags != bin_want)
      `TBERR(("speed-bin findings %0d, expected %0d", mem.bin_flags, bin_want))
    if (tb_errors == 0 && mem.errors == 0 && (n_checked > 0 || may_fail))
      $display("RESULT: PASS %0s", `TB_NAME);
    else
      $display("RESULT: FAIL %0s (%0d bench errors, %0d device-model errors)",
               `TB_NAME, tb_errors, mem.errors);
    $finish;
  end
endtask

initial begin
  #((`TB_INIT_RESET_US + `TB_INIT_CKE_US + 2000) * 1000000.0);
  `TBERR(("timeout"))
  finish_test;
end

endmodule
