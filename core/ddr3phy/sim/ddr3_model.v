// Behavioural DDR3 device (one rank) for the PHY test benches.
//
// It takes its geometry and timing from the same vlmc_param.v as the core,
// but its latencies and burst settings only from the mode registers the PHY
// writes, decoded with the JEDEC tables: a wrongly encoded mode register
// shows up as data at the wrong time.  Every protocol or timing breach is
// reported as "DDR3 MODEL ERROR" and counted in `errors`.
//
// Storage holds NSLOT open-able (bank,row) pairs; rows are mapped to slots
// when first activated.
`timescale 1ps/1fs
`define MERR(args) begin errors = errors + 1; $write("[%0t] DDR3 MODEL ERROR: ", $realtime); $display args; end

module ddr3_model (ck, ck_n, cke, cs_n, ras_n, cas_n, we_n, ba, addr, odt, reset_n,
                   dm, dq, dqs, dqs_n);
`include "vlmc_param.v"
parameter RESET_US = 200;      // RESET# low time the PHY was built for
parameter CKE_US   = 500;      // RESET# high to CKE
parameter RD_DLY   = 0;        // ps from CK to read DQ/DQS at the PHY (flight time)
parameter VERBOSE  = 0;

localparam G     = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam GW    = DQ_WIDTH / G;
localparam DQ    = DQ_WIDTH;
localparam ROW   = ROW_WIDTH;
localparam COLS  = 1 << COL_WIDTH;
localparam NSLOT = 32;
localparam REG   = (REG_CTRL == "ON");
localparam TWO_T = (ADDR_CMD_MODE == "2T");

input            ck, ck_n, cke, cs_n, ras_n, cas_n, we_n, odt, reset_n;
input  [2:0]     ba;
input  [ROW-1:0] addr;
input  [G-1:0]   dm;
inout  [DQ-1:0]  dq;
inout  [G-1:0]   dqs, dqs_n;

integer errors = 0;

// ---------------------------------------------------------------- storage
reg [DQ-1:0]  mem [0:NSLOT*COLS-1];
reg [2:0]     slot_ba  [0:NSLOT-1];
reg [ROW-1:0] slot_row [0:NSLOT-1];
integer       nslots = 0;

function integer find_slot;
  input [2:0] b;
  input [ROW-1:0] r;
  integer s;
  begin
    find_slot = -1;
    for (s = 0; s < nslots; s = s + 1)
      if (slot_ba[s] == b && slot_row[s] == r) find_slot = s;
  end
endfunction

// Test hook: flip one stored bit (ECC tests).
task flip_bit;
  input [2:0] b;
  input [ROW-1:0] r;
  input integer col, bitno;
  integer s;
  begin
    s = find_slot(b, r);
    if (s < 0) $display("ddr3_model: flip_bit on a row never opened");
    else mem[s*COLS + col][bitno] = ~mem[s*COLS + col][bitno];
  end
endtask

// ---------------------------------------------------------- mode registers
reg [15:0] mr [0:3];
reg [3:0]  mr_written = 4'b0000;
integer    mrs_count = 0;
integer    m_cl = -1, m_cwl = -1, m_al = -1, m_wr = -1;
integer    m_bl_mode = -1;            // 0 BL8, 1 on the fly, 2 BC4
integer    m_bt = -1;                 // 1 interleaved
integer    m_rtt_nom = -1, m_rtt_wr = -1, m_drv = -1;
integer    m_dll_on = -1;
reg        dll_reset_seen = 1'b0;

task decode_mr;
  input [2:0] b;
  input [15:0] v;
  begin
    case (b)
      3'd0: begin
        case (v[1:0]) 2'b00: m_bl_mode = 0; 2'b01: m_bl_mode = 1; 2'b10: m_bl_mode = 2;
          default: begin m_bl_mode = -1; `MERR(("MR0 reserved burst length")) end endcase
        m_bt = v[3];
        case ({v[6:4], v[2]})
          4'b0010: m_cl = 5;  4'b0100: m_cl = 6;  4'b0110: m_cl = 7;  4'b1000: m_cl = 8;
          4'b1010: m_cl = 9;  4'b1100: m_cl = 10; 4'b1110: m_cl = 11; 4'b0001: m_cl = 12;
          4'b0011: m_cl = 13; 4'b0101: m_cl = 14; 4'b0111: m_cl = 15; 4'b1001: m_cl = 16;
          default: begin m_cl = -1; `MERR(("MR0 reserved CAS latency code")) end
        endcase
        case (v[11:9])
          3'b001: m_wr = 5;  3'b010: m_wr = 6;  3'b011: m_wr = 7;  3'b100: m_wr = 8;
          3'b101: m_wr = 10; 3'b110: m_wr = 12; 3'b111: m_wr = 14; 3'b000: m_wr = 16;
        endcase
        if (v[7]) `MERR(("MR0 test mode set"))
        if (v[8]) dll_reset_seen = 1'b1;
      end
      3'd1: begin
        m_dll_on = !v[0];
        case ({v[5], v[1]}) 2'b00: m_drv = 40; 2'b01: m_drv = 34;
          default: begin m_drv = -1; `MERR(("MR1 reserved drive strength")) end endcase
        case ({v[9], v[6], v[2]})
          3'b000: m_rtt_nom = 0;  3'b001: m_rtt_nom = 60; 3'b010: m_rtt_nom = 120;
          3'b011: m_rtt_nom = 40; 3'b100: m_rtt_nom = 20; 3'b101: m_rtt_nom = 30;
          default: begin m_rtt_nom = -1; `MERR(("MR1 reserved RTT_NOM")) end
        endcase
        case (v[4:3]) 2'b00: m_al = 0; 2'b01: m_al = 1; 2'b10: m_al = 2;
          default: begin m_al = -1; `MERR(("MR1 reserved additive latency")) end endcase
        if (v[7]) `MERR(("MR1 write levelling left on"))
        if (v[12]) `MERR(("MR1 output buffers disabled"))
      end
      3'd2: begin
        m_cwl = v[5:3] + 5;
        case (v[10:9]) 2'b00: m_rtt_wr = 0; 2'b01: m_rtt_wr = 60; 2'b10: m_rtt_wr = 120;
          default: begin m_rtt_wr = -1; `MERR(("MR2 reserved RTT_WR")) end endcase
      end
      3'd3: if (v[2]) `MERR(("MR3 multi-purpose register left on"))
      default: `MERR(("MRS to bank %0d", b))
    endcase
  end
endtask

// AL is stored as a code until both MR0 and MR1 are known.
function integer al_cycles;
  input integer dummy;
  al_cycles = (m_al == 1) ? m_cl - 1 : (m_al == 2) ? m_cl - 2 : 0;
endfunction

// -------------------------------------------------------------- clocking
integer  cyc = 0;             // posedge count
integer  half = 0;            // index of the last CK edge: 2*cyc or 2*cyc+1
realtime t_edge = 0, t_pos = 0, tck = 0;

// --------------------------------------------------------- power-up state
realtime t_reset_low = 0, t_reset_high = -1, t_cke_high = -1;
reg      prev_reset_n = 1'b0, prev_cke = 1'b0;
reg      first_cmd_seen = 1'b0;
reg      zq_init_done = 1'b0;
integer  zq_busy_until = 0;
integer  cyc_cke_high = 0;

// ---------------------------------------------------------- bank state
reg      open [0:7];
reg [ROW-1:0] open_row [0:7];
integer  open_slot [0:7];
realtime t_act [0:7], t_pre [0:7], t_rd [0:7], t_wr_end [0:7], t_ap [0:7];
reg      rd_since_act [0:7], wr_since_act [0:7], ap_pending [0:7];
realtime t_last_act = -1.0e12, t_ref = -1.0e12, t_mrs = -1.0e12, t_last_wr_end = -1.0e12;
realtime act_hist [0:3];
integer  cyc_last_act = -100, cyc_mrs = -100, cyc_last_col = -100, cyc_last_rd = -100;
integer  cyc_dll_reset = -100000;
integer  n;

initial begin
  for (n = 0; n < 8; n = n + 1) begin
    open[n] = 0; t_act[n] = -1.0e12; t_pre[n] = -1.0e12; t_rd[n] = -1.0e12;
    t_wr_end[n] = -1.0e12; t_ap[n] = 0; rd_since_act[n] = 0; wr_since_act[n] = 0;
    ap_pending[n] = 0;
  end
  for (n = 0; n < 4; n = n + 1) act_hist[n] = -1.0e12;
end

// ------------------------------------------------------ read data schedule
// One entry per CK half: what the device drives on DQS and DQ.
reg [1:0]    rs_dqs [0:255];       // 0 release, 1 drive low, 2 drive high
reg          rs_dqv [0:255];
reg [DQ-1:0] rs_dq  [0:255];
// ----------------------------------------------------- write data schedule
reg          ws_v     [0:255];
reg          ws_first [0:255];
integer      ws_addr  [0:255];     // mem index, -1 for a beat outside BC4
reg [G-1:0]  ws_got   [0:255];

initial for (n = 0; n < 256; n = n + 1) begin
  rs_dqs[n] = 0; rs_dqv[n] = 0; ws_v[n] = 0; ws_first[n] = 0; ws_got[n] = 0;
end

reg [DQ-1:0] dq_drv = {DQ{1'b0}};
reg          dq_oe  = 1'b0;
reg          dqs_val = 1'b0, dqs_oe = 1'b0;
assign dq    = dq_oe  ? dq_drv : {DQ{1'bz}};
assign dqs   = dqs_oe ? {G{dqs_val}}  : {G{1'bz}};
assign dqs_n = dqs_oe ? {G{~dqs_val}} : {G{1'bz}};

// Burst order (JEDEC): writes start at A2 with A1:A0 taken as 0.
function [2:0] burst_beat;
  input [2:0] start;
  input integer i;
  input interleave;
  begin
    if (interleave) burst_beat = start ^ i[2:0];
    else burst_beat = {start[2] ^ i[2], start[1:0] + i[1:0]};
  end
endfunction

task resolve_ap;
  input integer b;
  begin
    if (ap_pending[b] && $realtime >= t_ap[b] - 1.0) begin
      ap_pending[b] = 0; open[b] = 0; t_pre[b] = t_ap[b];
    end
  end
endtask

// Checks a minimum distance both in ps and in clocks.
task need;
  input realtime since;
  input realtime min_ps;
  input integer min_ck;
  input [8*24-1:0] what;
  input integer b;
  begin
    if ($realtime - since < min_ps - 1.0)
      `MERR(("%0s violated on bank %0d: %0.0f ps < %0.0f ps", what, b, $realtime - since, min_ps))
    else if (tck > 0 && ($realtime - since) < min_ck * tck - 1.0)
      `MERR(("%0s violated on bank %0d: %0.0f ps < %0d clocks", what, b, $realtime - since, min_ck))
  end
endtask

function realtime maxr;
  input realtime a, b;
  maxr = (a > b) ? a : b;
endfunction

// ------------------------------------------------------------ power-up
always @(reset_n) begin
  if (reset_n === 1'b1 && prev_reset_n !== 1'b1) begin
    if ($realtime - t_reset_low < RESET_US * 1.0e6 - 1.0)
      `MERR(("RESET# released after %0.0f ns, need %0d us", ($realtime - t_reset_low) / 1000.0, RESET_US))
    if (cke !== 1'b0) `MERR(("CKE not low when RESET# is released"))
    t_reset_high = $realtime;
  end else if (reset_n === 1'b0 && prev_reset_n === 1'b1) begin
    t_reset_low = $realtime; t_reset_high = -1; t_cke_high = -1;
    mr_written = 0; mrs_count = 0; zq_init_done = 0; first_cmd_seen = 0;
    dll_reset_seen = 0;
  end
  prev_reset_n = reset_n;
end

always @(cke) begin
  if (cke === 1'b1 && prev_cke !== 1'b1 && reset_n === 1'b1) begin
    if (t_reset_high < 0)
      `MERR(("CKE high while RESET# low"))
    else if ($realtime - t_reset_high < CKE_US * 1.0e6 - 1.0)
      `MERR(("CKE high %0.0f ns after RESET#, need %0d us", ($realtime - t_reset_high) / 1000.0, CKE_US))
    t_cke_high = $realtime; cyc_cke_high = cyc;
  end else if (cke === 1'b0 && prev_cke === 1'b1 && reset_n === 1'b1)
    `MERR(("CKE dropped: power-down and self refresh are not modelled"))
  prev_cke = cke;
end

// ------------------------------------------------------------- commands
reg [3:0]     c_cmd, p_cmd;
reg [2:0]     c_ba, p_ba;
reg [ROW-1:0] c_addr, p_addr;
reg [2:0]     prev2t_ba;
reg [ROW-1:0] prev2t_addr;
reg [2:0]     prev2t_rcw;
integer b, k, s, rl, wl, nb, idx, h;
reg bl8, ap;
reg [2:0] st;

always @(negedge ck) begin
  half = 2 * cyc + 1; t_edge = $realtime;
  drive_half(half);
  check_write_half(half);
end

always @(posedge ck) begin
  cyc = cyc + 1;
  if (t_pos > 0) tck = $realtime - t_pos;
  t_pos = $realtime; half = 2 * cyc; t_edge = $realtime;
  drive_half(half);
  check_write_half(half);

  // A registered DIMM acts on what it saw one clock earlier.
  if (REG) begin
    c_cmd = p_cmd; c_ba = p_ba; c_addr = p_addr;
    p_cmd = {cs_n, ras_n, cas_n, we_n}; p_ba = ba; p_addr = addr;
  end else begin
    c_cmd = {cs_n, ras_n, cas_n, we_n}; c_ba = ba; c_addr = addr;
  end

  if (reset_n === 1'b1 && cke === 1'b1 && c_cmd[3] === 1'b0 && c_cmd !== 4'b0111) begin
    if (VERBOSE) $display("[%0t] cyc %0d cmd %b ba %0d addr %h", $time, cyc, c_cmd, c_ba, c_addr);
    if (TWO_T && !REG && (prev2t_ba !== c_ba || prev2t_addr !== c_addr ||
                          prev2t_rcw !== c_cmd[2:0]))
      `MERR(("2T mode: address/command not held the clock before CS#"))
    command;
  end else if (reset_n === 1'b1 && cke === 1'b1 && ^{cs_n, ras_n, cas_n, we_n} === 1'bx)
    `MERR(("unknown level on command lines"))
  prev2t_ba = ba; prev2t_addr = addr; prev2t_rcw = {ras_n, cas_n, we_n};
end

task command;
  begin
    if (!first_cmd_seen) begin
      first_cmd_seen = 1;
      if (t_cke_high < 0) `MERR(("command before CKE rose"))
      else need(t_cke_high, tRFC + 10000.0, 5, "tXPR", 0);
    end
    if (cyc < zq_busy_until) `MERR(("command during ZQ calibration (tZQinit/tZQoper)"))
    if (c_cmd != 4'b0000 && cyc - cyc_mrs < 12)
      `MERR(("tMOD violated: %0d clocks after MRS", cyc - cyc_mrs))
    else if (c_cmd != 4'b0000) need(t_mrs, 15000.0, 12, "tMOD", 0);
    if (c_cmd != 4'b0000) need(t_ref, tRFC, 0, "tRFC", 0);
    for (k = 0; k < 8; k = k + 1) resolve_ap(k);
    b = c_ba;
    case (c_cmd)
      4'b0000: do_mrs;
      4'b0001: do_ref;
      4'b0010: do_pre;
      4'b0011: do_act;
      4'b0100: do_col(1'b1);
      4'b0101: do_col(1'b0);
      4'b0110: do_zq;
      default: `MERR(("reserved command %b", c_cmd))
    endcase
  end
endtask

task all_idle_check;
  input [8*8-1:0] what;
  begin
    for (k = 0; k < 8; k = k + 1)
      if (open[k] || ap_pending[k]) `MERR(("%0s with bank %0d open", what, k))
  end
endtask

task do_mrs;
  begin
    all_idle_check("MRS");
    if (cyc - cyc_mrs < 4) `MERR(("tMRD violated: %0d clocks", cyc - cyc_mrs))
    if (mrs_count < 4 && c_ba != ((mrs_count == 0) ? 2 : (mrs_count == 1) ? 3 :
                                  (mrs_count == 2) ? 1 : 0))
      `MERR(("initialisation writes MR%0d out of the order MR2, MR3, MR1, MR0", c_ba))
    mrs_count = mrs_count + 1;
    mr[c_ba[1:0]] = c_addr;
    mr_written[c_ba[1:0]] = 1'b1;
    decode_mr(c_ba, c_addr);
    if (c_ba == 0 && c_addr[8]) cyc_dll_reset = cyc;
    t_mrs = $realtime; cyc_mrs = cyc;
    if (VERBOSE) $display("[%0t] MRS MR%0d = %h", $time, c_ba, c_addr);
  end
endtask

task ready_check;
  begin
    if (mr_written != 4'b1111) `MERR(("command before all mode registers were written"))
    if (!zq_init_done) `MERR(("command before ZQCL at initialisation"))
  end
endtask

task do_zq;
  begin
    all_idle_check("ZQ");
    if (c_addr[10]) begin
      zq_busy_until = cyc + (zq_init_done ? 256 : 512);
      zq_init_done = 1;
    end else zq_busy_until = cyc + 64;
  end
endtask

task do_ref;
  begin
    ready_check;
    all_idle_check("REF");
    for (k = 0; k < 8; k = k + 1) need(t_pre[k], tRP, 0, "tRP before REF", k);
    t_ref = $realtime;
  end
endtask

task do_act;
  begin
    ready_check;
    if (open[b] || ap_pending[b]) `MERR(("ACT to open bank %0d", b))
    need(t_pre[b], tRP, 0, "tRP", b);
    need(t_act[b], tRC, 0, "tRC", b);
    need(t_last_act, tRRD, 4, "tRRD", b);
    need(act_hist[0], tFAW, 0, "tFAW", b);
    act_hist[0] = act_hist[1]; act_hist[1] = act_hist[2];
    act_hist[2] = act_hist[3]; act_hist[3] = $realtime;
    t_last_act = $realtime; t_act[b] = $realtime;
    open[b] = 1; open_row[b] = c_addr;
    rd_since_act[b] = 0; wr_since_act[b] = 0;
    s = find_slot(b, c_addr);
    if (s < 0) begin
      if (nslots == NSLOT) begin
        `MERR(("model storage full")) s = 0;
      end else begin
        s = nslots; slot_ba[s] = b; slot_row[s] = c_addr; nslots = nslots + 1;
      end
    end
    open_slot[b] = s;
  end
endtask

task close_bank;
  input integer bk;
  begin
    if (open[bk]) begin
      need(t_act[bk], tRAS, 0, "tRAS", bk);
      if (rd_since_act[bk])
        need(t_rd[bk] + al_cycles(0) * tck, tRTP, 4, "tRTP", bk);
      if (wr_since_act[bk])
        need(t_wr_end[bk], m_wr * tck, m_wr, "tWR", bk);
      open[bk] = 0; t_pre[bk] = $realtime;
    end
  end
endtask

task do_pre;
  begin
    if (c_addr[10]) for (k = 0; k < 8; k = k + 1) close_bank(k);
    else close_bank(b);
  end
endtask

// READ or WRITE.  Data timing comes from the decoded mode registers.
task do_col;
  input is_wr;
  begin
    ready_check;
    if (!open[b]) `MERR(("%0s to closed bank %0d", is_wr ? "WRITE" : "READ", b))
    else begin
      need(t_act[b] - al_cycles(0) * tck, tRCD, 0, "tRCD", b);
      if (cyc - cyc_last_col < 4) `MERR(("tCCD violated: %0d clocks", cyc - cyc_last_col))
      rl = m_cl + al_cycles(0);
      wl = m_cwl + al_cycles(0);
      bl8 = (m_bl_mode == 0) ? 1'b1 : (m_bl_mode == 2) ? 1'b0 : (ROW > 12 ? c_addr[12] : 1'b1);
      ap  = c_addr[10];
      nb  = bl8 ? 8 : 4;
      st  = c_addr[2:0];
      if (is_wr) begin
        if (cyc - cyc_last_rd < rl + 6 - wl)
          `MERR(("READ to WRITE turnaround: %0d clocks", cyc - cyc_last_rd))
        st[1:0] = 2'b00;
        for (k = 0; k < 8; k = k + 1) begin
          h = (2 * (cyc + wl) + k) % 256;
          if (k < nb) begin
            if (ws_v[h]) `MERR(("write data overlaps the previous burst"))
            ws_v[h] = 1; ws_got[h] = 0; ws_first[h] = (k == 0);
            ws_addr[h] = open_slot[b] * COLS +
                         {c_addr[COL_WIDTH-1:3], burst_beat(st, k, m_bt == 1)};
          end
        end
        // BC4 and BL8 both hold the bus for four clocks before tWR/tWTR.
        t_wr_end[b] = $realtime + (wl + 4) * tck;
        t_last_wr_end = t_wr_end[b];
        wr_since_act[b] = 1;
        if (ap) begin
          ap_pending[b] = 1; t_ap[b] = t_wr_end[b] + m_wr * tck;
        end
      end else begin
        if (cyc - cyc_dll_reset < tDLLK)
          `MERR(("READ %0d clocks after DLL reset, tDLLK is %0d", cyc - cyc_dll_reset, tDLLK))
        need(t_last_wr_end, tWTR, 4, "tWTR", b);
        for (k = 0; k < 2 * (nb / 2) + 3; k = k + 1) begin
          // halves: 2 preamble, nb data, 1 postamble
          h = (2 * (cyc + rl) - 2 + k) % 256;
          if (k < 2) begin
            if (rs_dqs[h] == 0) rs_dqs[h] = 1;
          end else if (k < 2 + nb) begin
            if (rs_dqv[h]) `MERR(("read data overlaps the previous burst"))
            rs_dqs[h] = (k % 2 == 0) ? 2 : 1;
            rs_dqv[h] = 1;
            rs_dq[h]  = mem[open_slot[b] * COLS +
                            {c_addr[COL_WIDTH-1:3], burst_beat(st, k - 2, m_bt == 1)}];
          end else if (rs_dqs[h] == 0) rs_dqs[h] = 1;
        end
        t_rd[b] = $realtime; rd_since_act[b] = 1; cyc_last_rd = cyc;
        if (ap) begin
          ap_pending[b] = 1;
          t_ap[b] = maxr($realtime + al_cycles(0) * tck + maxr(tRTP, 4 * tck), t_act[b] + tRAS);
        end
      end
      cyc_last_col = cyc;
    end
  end
endtask

// ------------------------------------------------------------- read drive
task drive_half;
  input integer hh;
  integer e;
  begin
    e = hh % 256;
    dqs_oe  <= #(RD_DLY) (rs_dqs[e] != 0);
    dqs_val <= #(RD_DLY) (rs_dqs[e] == 2);
    dq_oe   <= #(RD_DLY) rs_dqv[e];
    dq_drv  <= #(RD_DLY) rs_dqv[e] ? rs_dq[e] : {DQ{1'bx}};
    rs_dqs[e] = 0; rs_dqv[e] = 0;
  end
endtask

// ---------------------------------------------------- write data capture
// Beats the PHY never strobed are reported two clocks after they were due.
task check_write_half;
  input integer hh;
  integer e;
  begin
    e = (hh + 256 - 4) % 256;
    if (ws_v[e]) begin
      if (ws_got[e] != {G{1'b1}})
        `MERR(("write beat missing on strobes %b", ~ws_got[e]))
      ws_v[e] = 0;
    end
  end
endtask

genvar gi;
generate for (gi = 0; gi < G; gi = gi + 1) begin : g_cap
  reg      last = 1'bz;
  integer  hx, e;
  realtime dt, t_low = 0;
  always @(dqs[gi]) begin
    if (dqs[gi] === 1'b0 && last !== 1'b0) t_low = $realtime;
    if (!dqs_oe && ((last === 1'b0 && dqs[gi] === 1'b1) ||
                    (last === 1'b1 && dqs[gi] === 1'b0))) begin
      // Which CK edge this strobe edge belongs to, and how far off it is.
      dt = $realtime - t_edge;
      if (dt <= tck / 4.0) hx = half;
      else begin
        hx = half + 1;
        dt = dt - tck / 2.0;
      end
      if (dt > tck / 4.0 + 1.0 || dt < -tck / 4.0 - 1.0)
        `MERR(("DQS%0d edge %0.0f ps from CK (tDQSS)", gi, dt))
      e = hx % 256;
      // A burst that does not follow straight on from another needs the
      // strobe driven low for the preamble first.
      if (ws_v[e] && ws_first[e] && last === 1'b0 && !ws_v[(e + 255) % 256] &&
          $realtime - t_low < 0.9 * tck - 1.0)
        `MERR(("DQS%0d write preamble only %0.0f ps", gi, $realtime - t_low))
      if (!ws_v[e])
        `MERR(("DQS%0d edge with no write data due", gi))
      else begin
        ws_got[e][gi] = 1'b1;
        if (dm[gi] === 1'b0) begin
          if (^dq[gi*GW +: GW] === 1'bx)
            `MERR(("unknown DQ on strobe %0d of a write", gi))
          mem[ws_addr[e]][gi*GW +: GW] = dq[gi*GW +: GW];
        end else if (dm[gi] !== 1'b1)
          `MERR(("unknown DM%0d during a write", gi))
      end
    end
    last = dqs[gi];
  end
end endgenerate

endmodule
