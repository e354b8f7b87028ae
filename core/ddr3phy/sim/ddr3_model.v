// Behavioural DDR3 device (one rank) for the PHY test benches.
//
// It takes its geometry and timing from the same vlmc_param.v as the core,
// but its latencies and burst settings only from the mode registers the PHY
// writes, decoded with the JEDEC tables: a wrongly encoded mode register
// shows up as data at the wrong time.  Every protocol or timing breach is
// reported as "DDR3 MODEL ERROR" and counted in `errors`.
//
// MPR (MR3 A2 = 1, location 0): with all banks precharged, READs return the
// predefined pattern 0, 1, 0, 1... on every DQ (BL8 from A2:A0 = 000, BC4
// from x00); any command but READ and the MRS to MR3 that leaves is an error,
// and that MRS must wait until the last MPR burst has ended plus tMPRR.
//
// Storage holds NSLOT open-able (bank,row) pairs; rows are mapped to slots
// when first activated.
//
// Speed bin: the measured average clock period must lie in the range of the
// programmed CWL (DLL on: 2.5 to 3.3 ns for CWL 5, and so on up to CWL 10),
// and CL must be one the speed bins allow in that range.  These findings
// are kept apart from the other errors (`bin_flags`: 1 = tCK outside the
// range, 2 = CL not allowed) so that a bench can show exactly which rule a
// configuration breaks.
//
// Board: the parameters below, or the plusargs +rd_dly=PS, +ck_skew=PS and
// +fly=PS at run time.  Strobe group g sees CK ck_skew + g * fly later than
// it arrives at the model's pins (fly-by routing: later groups are further
// along the clock line) and its read data leaves rd_dly + g * fly after the
// CK edge at the pins.  On top of that, seeded and set by plusargs (see
// "board and die variation"): each DQ/DM line's own delay both ways, jitter
// on every DQ/DM/DQS edge, tDQSCK drawn per read burst within the JEDEC
// limit, tDQSCK and line delays drifting while the run goes on, tWLO.
//
// Command timing is checked on every command on the bus, the PHY's own
// (initialisation, levelling, calibration, MPR) as much as the controller's:
// tXPR, tMRD, tMOD, tRFC, tZQinit/tZQoper/tZQCS, tRP (also before MRS, ZQ
// and REFRESH), tRCD, tRAS, tRC, tRRD, tFAW, tCCD, tWR, tWTR, tRTP, tDLLK,
// tWLMRD, READ-to-WRITE turnaround, MPR rules and tMPRR.  Write data timing
// is checked at the die, after each line's delay (see the strobe lanes).
//
// Readable by a bench: errors, bin_flags, skew_ps[line], skew_dm_ps[group],
// twlo_ps[group], dqsck_ps (tDQSCK of the last read burst),
// dly_drift_ps(0), rd_arrival_ps(line), rd_nominal_ps(line),
// dqss_min_ps[group], dqss_max_ps[group], the mode-register fields m_*.
`timescale 1ps/1fs
`define MERR(args) begin errors = errors + 1; $write("[%0t] DDR3 MODEL ERROR: ", $realtime); $display args; end

module ddr3_model (ck, ck_n, cke, cs_n, ras_n, cas_n, we_n, ba, addr, odt, reset_n,
                   dm, dq, dqs, dqs_n);
`include "vlmc_param.v"
parameter RESET_US = 200;      // RESET# low time the PHY was built for
parameter CKE_US   = 500;      // RESET# high to CKE
parameter RD_DLY   = 0;        // ps from CK to read DQ/DQS at the PHY (round trip)
parameter CK_SKEW  = 0;        // ps CK arrives later than DQS (may be negative)
parameter FLY      = 0;        // ps more CK delay per strobe group
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
integer bin_flags = 0;
integer rd_dly, ck_skew, fly, verbose;
initial begin
  verbose = VERBOSE || $test$plusargs("model_verbose");
  if (!$value$plusargs("rd_dly=%d", rd_dly)) rd_dly = RD_DLY;
  if (!$value$plusargs("ck_skew=%d", ck_skew)) ck_skew = CK_SKEW;
  if (!$value$plusargs("fly=%d", fly)) fly = FLY;
end

// ------------------------------------------------ board and die variation
// JEDEC limits at the core's clock (DDR3-800, -1066, -1333, -1600, faster).
function integer by_speed;
  input integer v800, v1066, v1333, v1600, vfast;
  by_speed = (tCK >= 2500) ? v800 : (tCK >= 1875) ? v1066 : (tCK >= 1500) ? v1333 :
             (tCK >= 1250) ? v1600 : vfast;
endfunction
localparam integer DQSCK_LIM = by_speed(400, 300, 255, 225, 195);  // tDQSCK min/max
localparam integer T_WLS     = by_speed(325, 245, 195, 165, 140);  // levelling setup = hold
localparam integer WLO_MAX   = by_speed(9000, 9000, 9000, 7500, 7500);
localparam realtime T_WR_PS  = 15000.0;                            // tWR, every speed

// All random draws come from one seed: +model_seed=N, else the primitives'
// +vx_seed=N, else 1.
//   +skew=PS         each DQ and DM line its own fixed delay, 0..PS, both ways:
//                    a group's DQ lines get 0..PS evenly spaced, shuffled,
//                    so that every group holds both extremes
//   +jitter=PS       each DQ, DM and DQS transition moved by -PS..+PS (default 30)
//   +dqsck=PS        tDQSCK's steady part (default 0)
//   +dqsck_rand=PS   tDQSCK drawn anew by -PS..+PS for every read burst that
//                    starts from an idle bus (default a quarter of the limit)
//   +dqsck_drift_rate=PS_PER_US, +dqsck_drift_amp=PS
//   +dly_drift_rate=PS_PER_US,   +dly_drift_amp=PS
//                    triangle drift of tDQSCK and of the DQ/DQS line delays:
//                    from 0 up to +amp, down to -amp and back, at rate ps
//                    per us of simulated time from drift_from on (0 unless
//                    a bench sets it); +drift_rate and +drift_amp
//                    set both.  The line drift shows in read data at the
//                    PHY; CK's line drifts with DQ and DQS, so at the die a
//                    write keeps its place against CK, unless +dly_drift_wr
//                    moves DQ/DQS alone there too
//   +twlo=PS         write levelling feedback delay (default drawn per strobe
//                    group in 0..tWLO max)
//   +trcd=PS, +trp=PS  the device's own tRCD and tRP when a part needs more
//                    than vlmc_param.v says (a speed bin's 13.125 ns, say)
//   +clock_margin=PCT  command distances in ps must also hold on a clock PCT %
//                    faster (the core's waits allow for a PLL 2 % fast)
// tDQSCK stays inside the JEDEC limit whatever is asked.  Delays a read could
// not have (before the CK edge) are taken as zero.
integer dev_trcd, dev_trp;
real    clk_margin;
integer seed, skew_max, jitter, dqsck_base, dqsck_rand, twlo_arg, drift_wr;
real    dqsck_rate, dqsck_amp, dly_rate, dly_amp, drift_rate_all, drift_amp_all;
integer skew_ps    [0:DQ-1];   // each DQ line's fixed delay
integer skew_dm_ps [0:G-1];    // each DM line's
integer twlo_ps    [0:G-1];
integer w_lat;                 // common delay on every write-side line and CK, so that
                               // jitter and drift never ask for a negative delay
realtime dqsck_ps = 0;         // tDQSCK of the read burst on the bus (or the last one)
realtime drift_from = 0;       // when the drift starts
integer nv, nsw, skew_tmp;

function integer urand;        // uniform lo..hi
  input integer lo, hi;
  urand = (hi <= lo) ? lo : lo + ($random(seed) & 32'h7fffffff) % (hi - lo + 1);
endfunction

initial begin
  if (!$value$plusargs("model_seed=%d", seed))
    if (!$value$plusargs("vx_seed=%d", seed)) seed = 1;
  if (!$value$plusargs("skew=%d", skew_max)) skew_max = 0;
  if (!$value$plusargs("jitter=%d", jitter)) jitter = 30;
  if (!$value$plusargs("dqsck=%d", dqsck_base)) dqsck_base = 0;
  if (!$value$plusargs("dqsck_rand=%d", dqsck_rand)) dqsck_rand = DQSCK_LIM / 4;
  if (!$value$plusargs("drift_rate=%f", drift_rate_all)) drift_rate_all = 0;
  if (!$value$plusargs("drift_amp=%f", drift_amp_all)) drift_amp_all = 0;
  if (!$value$plusargs("dqsck_drift_rate=%f", dqsck_rate)) dqsck_rate = drift_rate_all;
  if (!$value$plusargs("dqsck_drift_amp=%f", dqsck_amp)) dqsck_amp = drift_amp_all;
  if (!$value$plusargs("dly_drift_rate=%f", dly_rate)) dly_rate = drift_rate_all;
  if (!$value$plusargs("dly_drift_amp=%f", dly_amp)) dly_amp = drift_amp_all;
  if (!$value$plusargs("twlo=%d", twlo_arg)) twlo_arg = -1;
  drift_wr = $test$plusargs("dly_drift_wr");
  if (!$value$plusargs("trcd=%d", dev_trcd)) dev_trcd = tRCD;
  if (!$value$plusargs("trp=%d", dev_trp)) dev_trp = tRP;
  if (!$value$plusargs("clock_margin=%f", clk_margin)) clk_margin = 0.0;
  seed = seed * 7919 + 17;     // keep the model's stream apart from the primitives'
  for (nv = 0; nv < DQ; nv = nv + 1) skew_ps[nv] = (nv % GW) * skew_max / (GW - 1);
  for (nv = 0; nv < DQ; nv = nv + 1) begin
    nsw = nv - nv % GW + urand(0, nv % GW);        // Fisher-Yates within the group
    skew_tmp = skew_ps[nv]; skew_ps[nv] = skew_ps[nsw]; skew_ps[nsw] = skew_tmp;
  end
  for (nv = 0; nv < G; nv = nv + 1) begin
    skew_dm_ps[nv] = urand(0, skew_max);
    twlo_ps[nv] = twlo_arg >= 0 ? twlo_arg : urand(0, WLO_MAX);
  end
  w_lat = jitter + $rtoi(dly_amp) + 1;
  if (verbose)
    for (nv = 0; nv < DQ; nv = nv + 1)
      $display("ddr3_model: DQ%0d line delay %0d ps", nv, skew_ps[nv]);
end

// Triangle wave: 0 at time 0, rising at `rate` ps/us to +amp, falling to -amp.
function real drift;
  input real rate, amp;
  real x;
  begin
    if (rate <= 0.0 || amp <= 0.0 || $realtime < drift_from) drift = 0.0;
    else begin
      x = ($realtime - drift_from) / 1.0e6 * rate + amp;   // phase, 0 .. 4 amp
      x = x - 4.0 * amp * $floor(x / (4.0 * amp));
      drift = (x < 2.0 * amp) ? x - amp : 3.0 * amp - x;
    end
  end
endfunction

// The DQ/DQS line drift now (read: readable by a bench).
function real dly_drift_ps;
  input integer dummy;
  dly_drift_ps = drift(dly_rate, dly_amp);
endfunction

// tDQSCK for a read burst starting now.
function real new_dqsck;
  input integer dummy;
  real v;
  begin
    v = dqsck_base + drift(dqsck_rate, dqsck_amp) + urand(-dqsck_rand, dqsck_rand);
    new_dqsck = (v > DQSCK_LIM) ? DQSCK_LIM : (v < -DQSCK_LIM) ? -DQSCK_LIM : v;
  end
endfunction

function integer jit;
  input integer dummy;
  jit = urand(-jitter, jitter);
endfunction

// Nominal delay (no jitter) from a CK edge at the model's pins to the start
// of the read beat it launches on DQ line `line` at the PHY's pins, with the
// tDQSCK of the current burst: that bit's eye is centred half a bit time later.
function real rd_arrival_ps;
  input integer line;
  rd_arrival_ps = rd_dly + (line / (DQ / G)) * fly + dqsck_ps + dly_drift_ps(0) + skew_ps[line];
endfunction

// The same without this burst's random tDQSCK draw: the centre of what the
// PHY measures over many reads, less half a bit time.
function real rd_nominal_ps;
  input integer line;
  real v;
  begin
    v = dqsck_base + drift(dqsck_rate, dqsck_amp);
    v = (v > DQSCK_LIM) ? DQSCK_LIM : (v < -DQSCK_LIM) ? -DQSCK_LIM : v;
    rd_nominal_ps = rd_dly + (line / (DQ / G)) * fly + v + dly_drift_ps(0) + skew_ps[line];
  end
endfunction

// The latest a read beat can reach the PHY after its CK edge (bus turnaround).
function integer rd_max_ps;
  input integer dummy;
  rd_max_ps = rd_dly + (G - 1) * fly + DQSCK_LIM + $rtoi(dly_amp) + skew_max + jitter;
endfunction

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
reg        m_mpr = 1'b0;              // MR3 A2: reads return the predefined pattern
integer    cyc_mpr_free = -100;       // first clock an MRS may leave MPR mode (tMPRR)
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
        if (v[7] && !m_wlev) cyc_wlev = cyc;
        m_wlev = v[7];
        if (v[12]) `MERR(("MR1 output buffers disabled"))
      end
      3'd2: begin
        m_cwl = v[5:3] + 5;
        case (v[10:9]) 2'b00: m_rtt_wr = 0; 2'b01: m_rtt_wr = 60; 2'b10: m_rtt_wr = 120;
          default: begin m_rtt_wr = -1; `MERR(("MR2 reserved RTT_WR")) end endcase
      end
      3'd3: begin
        if (v[2] && v[1:0] != 2'b00) `MERR(("MR3 selects reserved MPR location %0d", v[1:0]))
        if (v[2] && m_wlev) `MERR(("MPR enabled with write levelling on"))
        m_mpr = v[2];
      end
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
integer      ws_beat  [0:255];     // beat number within its burst
integer      ws_addr  [0:255];     // mem index, -1 for a beat outside BC4
reg [G-1:0]  ws_got   [0:255];

initial for (n = 0; n < 256; n = n + 1) begin
  rs_dqs[n] = 0; rs_dqv[n] = 0; ws_v[n] = 0; ws_first[n] = 0; ws_got[n] = 0;
end

// What the device drives at its CK edge; each strobe group puts it on its
// pins after its own delay (g_lane below).
reg [DQ-1:0] dq_drv = {DQ{1'b0}};
reg          dq_oe  = 1'b0;
reg          dqs_val = 1'b0, dqs_oe = 1'b0;
reg          m_wlev = 1'b0;           // MR1 A7: write levelling
integer      cyc_wlev = 0;

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

// Checks a minimum distance both in ps and in clocks.  With
// +clock_margin=PCT the ps part must hold on a clock PCT % faster too: the
// same number of clocks, each that much shorter.
task need;
  input realtime since;
  input realtime min_ps;
  input integer min_ck;
  input [8*24-1:0] what;
  input integer b;
  realtime el;
  begin
    el = ($realtime - since) * 100.0 / (100.0 + clk_margin);
    if (el < min_ps - 1.0)
      `MERR(("%0s violated on bank %0d: %0.0f ps < %0.0f ps", what, b, el, min_ps))
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
    dll_reset_seen = 0; m_mpr = 0;
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
reg [2:0] st, beat_no;

always @(negedge ck) begin
  half = 2 * cyc + 1; t_edge = $realtime;
  drive_half(half);
  check_write_half(half);
end

// tCK(avg) over the last 63 clocks.
realtime ck_hist [0:63];
realtime tck_avg = 0;
reg      bin_checked = 1'b0;

task bin_flag;
  input integer f;
  begin
    if ((bin_flags & f) == 0)
      $display("[%0t] DDR3 MODEL SPEED BIN: %0s (tCK(avg) %0.1f ps, CL %0d, CWL %0d)", $realtime,
               f == 1 ? "tCK(avg) outside the range of the CWL" : "CL not allowed at this tCK",
               tck_avg, m_cl, m_cwl);
    bin_flags = bin_flags | f;
  end
endtask

// Checked at the first READ or WRITE after the mode registers change.
task check_bin;
  realtime lo, hi;
  integer cl_lo, cl_hi;
  begin
    bin_checked = 1'b1;
    case (m_cwl)
      5: begin lo = 2500; hi = 3300; end   6: begin lo = 1875; hi = 2500; end
      7: begin lo = 1500; hi = 1875; end   8: begin lo = 1250; hi = 1500; end
      9: begin lo = 1070; hi = 1250; end  10: begin lo = 938;  hi = 1070; end
      default: begin lo = 0; hi = 0; end
    endcase
    // The upper end is open except for the slowest range, whose 3.3 ns is
    // the slowest clock with the DLL on.
    if (tck_avg < lo - 0.5 || tck_avg > hi + 0.5 || (m_cwl != 5 && tck_avg >= hi - 0.5))
      bin_flag(1);
    // Above 3.3 ns no bin applies; the slowest one's CLs are the test.
    if (tck_avg >= 2500 - 0.5)      begin cl_lo = 5;  cl_hi = 6;  end
    else if (tck_avg >= 1875 - 0.5) begin cl_lo = 6;  cl_hi = 8;  end
    else if (tck_avg >= 1500 - 0.5) begin cl_lo = 7;  cl_hi = 10; end
    else if (tck_avg >= 1250 - 0.5) begin cl_lo = 8;  cl_hi = 11; end
    else if (tck_avg >= 1070 - 0.5) begin cl_lo = 10; cl_hi = 13; end
    else                            begin cl_lo = 11; cl_hi = 14; end
    if (m_cl < cl_lo || m_cl > cl_hi) bin_flag(2);
  end
endtask

always @(posedge ck) begin
  cyc = cyc + 1;
  ck_hist[cyc % 64] = $realtime;
  if (cyc > 64) tck_avg = ($realtime - ck_hist[(cyc + 1) % 64]) / 63.0;
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
    if (verbose) $display("[%0t] cyc %0d cmd %b ba %0d addr %h", $time, cyc, c_cmd, c_ba, c_addr);
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
    if (cyc < zq_busy_until)
      `MERR(("%0s during ZQ calibration (tZQinit/tZQoper/tZQCS)", cmd_name(c_cmd)))
    if (c_cmd != 4'b0000 && cyc - cyc_mrs < 12)
      `MERR(("tMOD violated: %0d clocks after MRS", cyc - cyc_mrs))
    else if (c_cmd != 4'b0000) need(t_mrs, 15000.0, 12, "tMOD", 0);
    need(t_ref, tRFC, 0, "tRFC", 0);
    // In MPR mode the device takes READs and the MRS that leaves it, nothing else.
    if (m_mpr && c_cmd != 4'b0101 && !(c_cmd == 4'b0000 && c_ba == 3))
      `MERR(("%0s while MPR is enabled (only READ and MRS to MR3 allowed)", cmd_name(c_cmd)))
    for (k = 0; k < 8; k = k + 1) resolve_ap(k);
    b = c_ba;
    case (c_cmd)
      4'b0000: do_mrs;
      4'b0001: do_ref;
      4'b0010: do_pre;
      4'b0011: do_act;
      4'b0100: if (!m_mpr) do_col(1'b1);
      4'b0101: do_col(1'b0);
      4'b0110: do_zq;
      default: `MERR(("reserved command %b", c_cmd))
    endcase
  end
endtask

function [8*8-1:0] cmd_name;
  input [3:0] c;
  case (c)
    4'b0000: cmd_name = "MRS";   4'b0001: cmd_name = "REFRESH"; 4'b0010: cmd_name = "PRECHARGE";
    4'b0011: cmd_name = "ACTIVATE"; 4'b0100: cmd_name = "WRITE"; 4'b0101: cmd_name = "READ";
    4'b0110: cmd_name = "ZQ";    default: cmd_name = "reserved";
  endcase
endfunction

// MRS and ZQ calibration need every bank closed and precharged for tRP.
task all_precharged_check;
  input [8*8-1:0] what;
  begin
    all_idle_check(what);
    for (k = 0; k < 8; k = k + 1)
      need(t_pre[k], dev_trp, 0, what == "MRS" ? "tRP before MRS" : "tRP before ZQ", k);
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
    all_precharged_check("MRS");
    if (cyc - cyc_mrs < 4) `MERR(("tMRD violated: %0d clocks", cyc - cyc_mrs))
    if (m_mpr && c_ba == 3 && cyc < cyc_mpr_free)
      `MERR(("MRS leaving MPR mode %0d clocks before the last MPR burst ended plus tMPRR",
             cyc_mpr_free - cyc))
    if (m_mpr && c_ba != 3) `MERR(("MRS to MR%0d while MPR is enabled", c_ba))
    if (mrs_count < 4 && c_ba != ((mrs_count == 0) ? 2 : (mrs_count == 1) ? 3 :
                                  (mrs_count == 2) ? 1 : 0))
      `MERR(("initialisation writes MR%0d out of the order MR2, MR3, MR1, MR0", c_ba))
    mrs_count = mrs_count + 1;
    mr[c_ba[1:0]] = c_addr;
    mr_written[c_ba[1:0]] = 1'b1;
    decode_mr(c_ba, c_addr);
    if (c_ba == 0 && c_addr[8]) cyc_dll_reset = cyc;
    t_mrs = $realtime; cyc_mrs = cyc; bin_checked = 1'b0;
    if (verbose) $display("[%0t] MRS MR%0d = %h", $time, c_ba, c_addr);
  end
endtask

task ready_check;
  begin
    if (m_wlev) `MERR(("command other than MRS with write levelling on"))
    if (mr_written != 4'b1111) `MERR(("command before all mode registers were written"))
    if (!zq_init_done) `MERR(("command before ZQCL at initialisation"))
  end
endtask

function integer zq_ck;
  input integer nck;
  input realtime ps;
  integer n;
  begin
    n = $rtoi(ps / (tck > 0 ? tck : tCK) + 0.999);
    zq_ck = n > nck ? n : nck;
  end
endfunction

task do_zq;
  begin
    all_precharged_check("ZQ");
    // tZQinit max(512 nCK, 640 ns), tZQoper max(256 nCK, 320 ns), tZQCS max(64 nCK, 80 ns).
    if (c_addr[10]) begin
      zq_busy_until = cyc + (zq_init_done ? zq_ck(256, 320000.0) : zq_ck(512, 640000.0));
      zq_init_done = 1;
    end else zq_busy_until = cyc + zq_ck(64, 80000.0);
  end
endtask

task do_ref;
  begin
    ready_check;
    all_idle_check("REF");
    for (k = 0; k < 8; k = k + 1) need(t_pre[k], dev_trp, 0, "tRP before REF", k);
    t_ref = $realtime;
  end
endtask

task do_act;
  begin
    ready_check;
    if (open[b] || ap_pending[b]) `MERR(("ACT to open bank %0d", b))
    need(t_pre[b], dev_trp, 0, "tRP", b);
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
        need(t_wr_end[bk], T_WR_PS, 0, "tWR", bk);
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
    if (!open[b] && !m_mpr) `MERR(("%0s to closed bank %0d", is_wr ? "WRITE" : "READ", b))
    else begin
      if (!m_mpr) need(t_act[b] - al_cycles(0) * tck, dev_trcd, 0, "tRCD", b);
      if (cyc - cyc_last_col < 4) `MERR(("tCCD violated: %0d clocks", cyc - cyc_last_col))
      if (!bin_checked) check_bin;
      rl = m_cl + al_cycles(0);
      wl = m_cwl + al_cycles(0);
      bl8 = (m_bl_mode == 0) ? 1'b1 : (m_bl_mode == 2) ? 1'b0 : (ROW > 12 ? c_addr[12] : 1'b1);
      ap  = c_addr[10];
      nb  = bl8 ? 8 : 4;
      st  = c_addr[2:0];
      // MPR bursts start on a nibble; a BL8 one at the first.
      if (m_mpr && (st[1:0] != 2'b00 || (bl8 && st[2])))
        `MERR(("MPR READ with A2:A0 = %b (%0s)", st, bl8 ? "BL8 needs 000" : "BC4 needs x00"))
      if (is_wr) begin
        if (cyc - cyc_last_rd < rl + 6 - wl)
          `MERR(("READ to WRITE turnaround: %0d clocks", cyc - cyc_last_rd))
        st[1:0] = 2'b00;
        for (k = 0; k < 8; k = k + 1) begin
          h = (2 * (cyc + wl) + k) % 256;
          if (k < nb) begin
            if (ws_v[h]) `MERR(("write data overlaps the previous burst"))
            ws_v[h] = 1; ws_got[h] = 0; ws_first[h] = (k == 0); ws_beat[h] = k;
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
            // The predefined pattern is 0, 1, 0, 1... in burst order on every DQ.
            beat_no = burst_beat(m_mpr ? {st[2], 2'b00} : st, k - 2, m_bt == 1 && !m_mpr);
            rs_dq[h]  = m_mpr ? {DQ{beat_no[0]}} :
                        mem[open_slot[b] * COLS + {c_addr[COL_WIDTH-1:3], beat_no}];
          end else if (rs_dqs[h] == 0) rs_dqs[h] = 1;
        end
        cyc_last_rd = cyc;
        // tMPRR (1 clock) after the burst's last data before MRS may leave MPR mode.
        if (m_mpr) cyc_mpr_free = cyc + rl + nb / 2 + 1;
        else t_rd[b] = $realtime;
        if (!m_mpr) rd_since_act[b] = 1;
        if (ap && !m_mpr) begin
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
    if (!dqs_oe && rs_dqs[e] != 0) dqsck_ps = new_dqsck(0);
    dqs_oe  = (rs_dqs[e] != 0);
    dqs_val = (rs_dqs[e] == 2);
    dq_oe   = rs_dqv[e];
    dq_drv  = rs_dqv[e] ? rs_dq[e] : {DQ{1'bx}};
    rs_dqs[e] = 0; rs_dqv[e] = 0;
  end
endtask

// ---------------------------------------------------- write data capture
// Beats the PHY never strobed are reported four clocks after they were due.
task check_write_half;
  input integer hh;
  integer e;
  begin
    e = (hh + 256 - 8) % 256;
    if (ws_v[e]) begin
      if (ws_got[e] != {G{1'b1}})
        `MERR(("write beat %0d of a burst, strobes %b: no DQS latching edge within tDQSS",
               ws_beat[e], ~ws_got[e]))
      ws_v[e] = 0;
    end
  end
endtask

// Write timing of one strobe group at the die: DQ, DM and DQS after their
// line delays (per-bit skew, drift, jitter), against the CK edges the group
// sees (ck_skew + g * fly later than at the pins):
//   tDQSS      a DQS rising (falling) edge latches the beat due at a CK rising
//              (falling) edge only within 0.25 tCK of it; a beat no edge
//              latched is reported as having no DQS latching edge;
//   tDSS/tDSH  DQS falling edges at least 0.2 tCK from any CK rising edge
//              (the preamble's start from the bus being released is no edge);
//   tWPRE      DQS driven low at least 0.9 tCK before the first rising edge
//              of a burst that does not follow straight on from another;
//   tWPST      DQS held low at least 0.3 tCK after its last falling edge;
//   tDQSH/tDQSL  DQS high and low at least 0.45 tCK between two beats;
//   tDS/tDH    each DQ bit and DM settled 75 ps before and held 150 ps after
//              an edge of its strobe that takes a beat.  A bit that breaks
//              them, or is not driven, is stored as a random level, as a die
//              latches it; a DM that breaks them masks the beat or not at
//              random (held too short: the beat's bits turn random).  Until a bench sets `strict_writes` (once the PHY
//              says it is calibrated) that is all: the PHY's write deskew
//              sweeps each DQ line across its strobe's edges on purpose and
//              learns from what it reads back.  From then on it is an error.
//              Per line, from then on: ds_min_ps[B] and dh_min_ps[B], the
//              least setup and hold around the edges that took its beats.
// In write levelling (MR1 A7) each DQS rising edge samples CK instead and the
// group's DQ return the sample after tWLO; a CK edge within tWLS before or
// tWLH after the DQS edge gives a random sample.
// Readable per group: dqss_min_ps[g], dqss_max_ps[g] (DQS rising edges that
// took a beat, ps after their CK edge at the die, jitter included).
localparam realtime T_DS = 75.0, T_DH = 150.0;

reg           strict_writes = 1'b0;
integer       train_breaches = 0;   // breaches forgiven before strict_writes
real          ds_min_ps [0:DQ-1], dh_min_ps [0:DQ-1];
initial for (nv = 0; nv < DQ; nv = nv + 1) begin
  ds_min_ps[nv] = 1.0e9; dh_min_ps[nv] = 1.0e9;
end

reg [DQ-1:0]  dq_die  = {DQ{1'bz}};
reg [G-1:0]   dm_die  = {G{1'bz}}, dqs_die = {G{1'bz}};
realtime      t_dq_chg [0:DQ-1];
realtime      t_dm_chg [0:G-1];
real          dqss_min_ps [0:G-1], dqss_max_ps [0:G-1];
initial for (nv = 0; nv < G; nv = nv + 1) begin
  dqss_min_ps[nv] = 1.0e9; dqss_max_ps[nv] = -1.0e9;
end
initial for (nv = 0; nv < DQ; nv = nv + 1) t_dq_chg[nv] = -1.0e12;
initial for (nv = 0; nv < G; nv = nv + 1) t_dm_chg[nv] = -1.0e12;

// Delay of a line from the PHY's pins to the die: line skew, drift, jitter.
function integer w_delay;
  input integer skew;
  w_delay = w_lat + skew + (drift_wr ? $rtoi(dly_drift_ps(0)) : 0) + jit(0);
endfunction

// Delay from the device's launching CK edge to the PHY's pins for a read
// line of group g: round trip, fly-by, tDQSCK, drift, skew, jitter.
function integer r_delay;
  input integer g, skew;
  integer v;
  begin
    v = rd_dly + g * fly + $rtoi(dqsck_ps + dly_drift_ps(0)) + skew + jit(0);
    r_delay = v < 0 ? 0 : v;
  end
endfunction

genvar gi, bi;
generate for (gi = 0; gi < G; gi = gi + 1) begin : g_lane
  reg          o_oe = 1'b0, o_sv = 1'b0, wl_oe = 1'b0, wl_v = 1'b0;
  reg [GW-1:0] o_dq = {GW{1'b0}}, o_dqoe = {GW{1'b0}};
  integer      rdl, wdl;
  realtime     t_take = -1.0e12;       // this strobe's last edge that took a beat
  integer      a_take = -1;            // where that beat went (mem index, -1: none)
  integer      a_beat = -1;            // the beat's place, masked or not
  always @(dqs_oe or dqs_val) begin
    rdl = r_delay(gi, 0);
    o_oe <= #(rdl) dqs_oe;
    o_sv <= #(rdl) dqs_val;
  end
  assign dqs[gi]   = o_oe ? o_sv  : 1'bz;
  assign dqs_n[gi] = o_oe ? ~o_sv : 1'bz;

  always @(dqs[gi]) if (!o_oe) begin
    wdl = w_delay(0);
    dqs_die[gi] <= #(wdl) dqs[gi];
  end
  // A DM tied off never changes; x4 devices have no DM pin and write every beat.
  initial #1 dm_die[gi] = (DRAM_WIDTH == 4) ? 1'b0 : dm[gi];
  always @(dm[gi]) if (DRAM_WIDTH != 4) begin
    wdl = w_delay(skew_dm_ps[gi]);
    dm_die[gi] <= #(wdl) dm[gi];
  end
  always @(dm_die[gi]) begin
    if ($realtime - t_take < T_DH - 1.0) begin
      if (strict_writes)
        `MERR(("DM%0d changed %0.0f ps after a write edge (tDH)", gi, $realtime - t_take))
      else train_breaches = train_breaches + 1;
      if (a_beat >= 0)
        for (nm = 0; nm < GW; nm = nm + 1) mem[a_beat][gi*GW + nm] = urand(0, 1);
    end
    t_dm_chg[gi] = $realtime;
  end

  for (bi = 0; bi < GW; bi = bi + 1) begin : g_bit
    localparam integer B = gi * GW + bi;
    integer bdl;
    always @(dq_oe or dq_drv[B]) begin
      bdl = r_delay(gi, skew_ps[B]);
      o_dqoe[bi] <= #(bdl) dq_oe;
      o_dq[bi]   <= #(bdl) dq_drv[B];
    end
    assign dq[B] = o_dqoe[bi] ? o_dq[bi] : wl_oe ? wl_v : 1'bz;
    // Only what the PHY drives travels to the die.
    always @(dq[B]) if (!o_dqoe[bi] && !wl_oe) begin
      bdl = w_delay(skew_ps[B]);
      dq_die[B] <= #(bdl) dq[B];
    end
    always @(dq_die[B]) begin
      if (strict_writes && $realtime - t_take < dh_min_ps[B]) dh_min_ps[B] = $realtime - t_take;
      if ($realtime - t_take < T_DH - 1.0) begin
        if (strict_writes)
          `MERR(("DQ%0d changed %0.0f ps after a write edge of strobe %0d (tDH)", B,
                 $realtime - t_take, gi))
        else train_breaches = train_breaches + 1;
        if (a_take >= 0) mem[a_take][B] = urand(0, 1);
      end
      t_dq_chg[B] = $realtime;
    end
  end

  reg      last = 1'bz, took, wl_s;
  reg [GW-1:0] latched;
  reg          masked;
  integer      nm;
  integer  hx, e, k, n, nbad, worst;
  realtime off, dt, ph, t_low = 0;

  always @(m_wlev) if (!m_wlev) wl_oe <= #(twlo_ps[gi]) 1'b0;

  always @(dqs_die[gi]) begin
    off = ck_skew + gi * fly + w_lat;
    // Where this edge falls in the group's clock: ph from its last CK rise.
    ph = $realtime - off - t_pos;
    ph = ph - tck * $floor(ph / tck);
    took = 1'b0;
    if (tck > 0) begin
      if (!m_wlev && last === 1'b1 && dqs_die[gi] === 1'b0 &&
          (ph < 0.2 * tck - 1.0 || tck - ph < 0.2 * tck - 1.0))
        `MERR(("DQS%0d falls %0.0f ps from a CK rising edge (tDSS/tDSH)", gi,
               ph < tck / 2.0 ? ph : tck - ph))
      // Released: undriven (z), or floating at the termination's level (x).
      if (!m_wlev && last === 1'b0 && dqs_die[gi] !== 1'b0 && dqs_die[gi] !== 1'b1 &&
          $realtime - t_low < 0.3 * tck - 1.0)
        `MERR(("DQS%0d write postamble only %0.0f ps", gi, $realtime - t_low))
      if (m_wlev && last === 1'b0 && dqs_die[gi] === 1'b1) begin
        if (cyc - cyc_wlev < 40) `MERR(("DQS%0d toggled %0d clocks after levelling began (tWLMRD)",
                                        gi, cyc - cyc_wlev))
        // CK rises ph before this edge, falls tck/2 after that, rises again at tck.
        if (ph <= T_WLS || tck - ph <= T_WLS ||
            (ph >= tck / 2.0 - T_WLS && ph <= tck / 2.0 + T_WLS))
          wl_s = urand(0, 1);
        else wl_s = ph < tck / 2.0;
        wl_oe <= #(twlo_ps[gi] + rd_dly + gi * fly) 1'b1;
        wl_v  <= #(twlo_ps[gi] + rd_dly + gi * fly) wl_s;
      end else if (!m_wlev && ((last === 1'b0 && dqs_die[gi] === 1'b1) ||
                               (last === 1'b1 && dqs_die[gi] === 1'b0))) begin
        // The CK edge of the same direction nearest to this DQS edge; the
        // group's last CK rise was n clocks after the last one at the pins.
        n  = $rtoi($floor(($realtime - off - t_pos) / tck));
        dt = (dqs_die[gi] === 1'b1) ? ph : ph - tck / 2.0;
        k  = 0;
        if (dt > tck / 2.0) begin dt = dt - tck; k = 1; end
        hx = 2 * (cyc + n + k) + (dqs_die[gi] === 1'b1 ? 0 : 1);
        e = hx % 256;
        if (dt > tck / 4.0 + 1.0 || dt < -tck / 4.0 - 1.0)
          `MERR(("DQS%0d edge %0.0f ps from CK (tDQSS)", gi, dt))
        else if (!ws_v[e])
          `MERR(("DQS%0d edge with no write data due", gi))
        else begin
          if (ws_first[e] && last === 1'b0 && !ws_v[(e + 255) % 256] &&
              $realtime - t_low < 0.9 * tck - 1.0)
            `MERR(("DQS%0d write preamble only %0.0f ps", gi, $realtime - t_low))
          if (dqs_die[gi] === 1'b1) begin
            if (dt < dqss_min_ps[gi]) dqss_min_ps[gi] = dt;
            if (dt > dqss_max_ps[gi]) dqss_max_ps[gi] = dt;
          end
          // Back-to-back beats: the strobe's high or low pulse between them.
          if (ws_v[(e + 255) % 256] && $realtime - t_take < 0.45 * tck - 1.0)
            `MERR(("DQS%0d %0s pulse only %0.0f ps (tDQSH/tDQSL)", gi,
                   dqs_die[gi] === 1'b1 ? "low" : "high", $realtime - t_take))
          ws_got[e][gi] = 1'b1;
          took = 1'b1;
          masked = dm_die[gi];
          if ($realtime - t_dm_chg[gi] < T_DS - 1.0) begin
            if (strict_writes)
              `MERR(("DM%0d changed %0.0f ps before a write edge (tDS)", gi,
                     $realtime - t_dm_chg[gi]))
            else train_breaches = train_breaches + 1;
            masked = urand(0, 1);
          end
          // Bits that break tDS or are not driven latch a random level.
          nbad = 0; worst = -1; latched = dq_die[gi*GW +: GW];
          for (k = 0; k < GW; k = k + 1) begin
            dt = $realtime - t_dq_chg[gi*GW + k];
            if (strict_writes && masked === 1'b0 && dt < ds_min_ps[gi*GW + k])
              ds_min_ps[gi*GW + k] = dt;
            if (dt < T_DS - 1.0 || (latched[k] !== 1'b0 && latched[k] !== 1'b1)) begin
              nbad = nbad + 1; worst = gi * GW + k; latched[k] = urand(0, 1);
            end
          end
          if (nbad > 0 && masked === 1'b0) begin
            if (!strict_writes) train_breaches = train_breaches + 1;
            else if ($realtime - t_dq_chg[worst] < T_DS - 1.0)
              `MERR(("DQ%0d (of %0d bits) of strobe %0d changed %0.0f ps before a write edge (tDS)",
                     worst, nbad, gi, $realtime - t_dq_chg[worst]))
            else `MERR(("unknown DQ on strobe %0d of a write", gi))
          end
          a_take = -1; a_beat = ws_addr[e];
          if (masked === 1'b0) begin
            mem[ws_addr[e]][gi*GW +: GW] = latched;
            a_take = ws_addr[e];
          end else if (masked !== 1'b1)
            `MERR(("unknown DM%0d during a write", gi))
        end
      end
    end
    if (dqs_die[gi] === 1'b0 && last !== 1'b0) t_low = $realtime;
    if (took) t_take = $realtime;
    last = dqs_die[gi];
  end
end endgenerate

endmodule
