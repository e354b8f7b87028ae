// Device primitives of the Veltra FPGA families: VX_PLL, VX_IOBUF and the I/O
// primitives VX_CLKDIV, VX_OSER, VX_IDES, VX_DELAY and VX_OBUF.
//
// Synthesis reads this file with `read_verilog -lib`, so under SYNTHESIS every
// primitive is an empty black box that only carries its ports and parameters
// into the netlist (the models' simulation-only helper modules do not exist
// there).  Otherwise the behavioural models below are compiled; the
// netlist-to-simulation-model step appends them to the synthesised netlist.
`timescale 1ps/1fs

// ---------------------------------------------------------------------------
// VX_PLL: one analogue PLL with four outputs.
//
//   CLKOUT   = FCLKIN * (FBDIV_SEL+1) / (IDIV_SEL+1)      (MHz)
//   VCO      = CLKOUT * ODIV_SEL   (ODIV only moves the VCO into its range;
//                                   it does not change the output frequency)
//   CLKOUTP  = CLKOUT delayed by PSDA_SEL/32 of a period, high for
//              DUTYDA_SEL/16 of a period (PSDA_SEL "1000" = 90 degrees,
//              DUTYDA_SEL "1000" = 50 %)
//   CLKOUTD  = CLKOUTD_SRC divided by DYN_SDIV_SEL (an even number, 2..128)
//   CLKOUTD3 = CLKOUTD3_SRC divided by 3
//   LOCK     = high LOCK_CYCLES reference cycles after RESET and PWRDN fall
//
// The DYN_*_SEL / DYN_DA_EN switches take the matching value from the
// FBDSEL/IDSEL/ODSEL/PSDA/DUTYDA ports instead of the parameter.  The
// *_BYPASS switches route CLKIN straight to an output.  CLKFB is only used
// with CLKFB_SEL = "external"; the model does not follow an external loop
// and warns.  The *_FT_DIR bits pick the direction of the fine delay
// trim, which has no effect in the model.
// ---------------------------------------------------------------------------
// Synthesis keeps only the ports and parameters: the bodies are for simulation.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_PLL (CLKIN, CLKFB, RESET, PWRDN, FBDSEL, IDSEL, ODSEL, PSDA, DUTYDA,
               CLKOUT, CLKOUTP, CLKOUTD, CLKOUTD3, LOCK);
  input        CLKIN;
  input        CLKFB;
  input        RESET;
  input        PWRDN;
  input  [5:0] FBDSEL;
  input  [5:0] IDSEL;
  input  [6:0] ODSEL;
  input  [3:0] PSDA;
  input  [3:0] DUTYDA;
  output       CLKOUT;
  output       CLKOUTP;
  output       CLKOUTD;
  output       CLKOUTD3;
  output       LOCK;

  parameter FCLKIN         = "100";
  parameter DYN_IDIV_SEL   = "false";
  parameter IDIV_SEL       = 0;
  parameter DYN_FBDIV_SEL  = "false";
  parameter FBDIV_SEL      = 0;
  parameter PSDA_SEL       = "0000";
  parameter DYN_DA_EN      = "false";
  parameter DYN_ODIV_SEL   = "false";
  parameter DUTYDA_SEL     = "1000";
  parameter CLKOUT_FT_DIR  = 1'b1;
  parameter CLKOUTP_FT_DIR = 1'b1;
  parameter CLKFB_SEL      = "internal";
  parameter ODIV_SEL       = 8;
  parameter CLKOUT_BYPASS  = "false";
  parameter CLKOUTP_BYPASS = "false";
  parameter CLKOUTD_BYPASS = "false";
  parameter DYN_SDIV_SEL   = 2;
  parameter CLKOUTD_SRC    = "CLKOUT";
  parameter CLKOUTD3_SRC   = "CLKOUT";
  parameter DEVICE         = "VX1-10";

`ifndef SYNTHESIS
  // Reference cycles from reset release to LOCK; short enough for
  // simulation, long enough that logic really waits for it.
  parameter LOCK_CYCLES    = 32;

  // Decimal text ("50", "33.33") to a number.  The text arrives right
  // aligned in the vector, so leading zero bytes are skipped.
  function real text_to_real;
    input [8*16-1:0] s;
    integer i;
    reg [7:0] c;
    reg frac;
    real v, scale;
    begin
      v = 0.0; scale = 1.0; frac = 1'b0;
      for (i = 15; i >= 0; i = i - 1) begin
        c = s[i*8 +: 8];
        if (c == "." ) frac = 1'b1;
        else if (c >= "0" && c <= "9") begin
          if (frac) begin
            scale = scale / 10.0;
            v = v + (c - "0") * scale;
          end else
            v = v * 10.0 + (c - "0");
        end
      end
      text_to_real = v;
    end
  endfunction

  // 4-bit binary text ("1000") to its value.
  function integer bits4;
    input [8*4-1:0] s;
    integer i;
    begin
      bits4 = 0;
      for (i = 3; i >= 0; i = i - 1)
        bits4 = bits4 * 2 + (s[i*8 +: 8] == "1" ? 1 : 0);
    end
  endfunction

  function is_true;
    input [8*8-1:0] s;
    is_true = (s == "true");
  endfunction

  // Widest VCO range of each family, whatever the speed grade.
  function real vco_max_mhz;
    input [8*16-1:0] dev;
    begin
      if (dev == "VX1-10" || dev == "VX1R-10")        vco_max_mhz = 1000.0;
      else if (dev == "VX1-10C" || dev == "VX1R-10C") vco_max_mhz = 1200.0;
      else                                            vco_max_mhz = 1250.0;
    end
  endfunction

  real    fin_mhz, fout_mhz, period_ps, vco_mhz, pfd_mhz;
  integer idiv, fbdiv, odiv, psda, duty, sdiv;

  task compute;
    begin
      fin_mhz = text_to_real(FCLKIN);
      idiv    = (is_true(DYN_IDIV_SEL)  ? IDSEL  : IDIV_SEL)  + 1;
      fbdiv   = (is_true(DYN_FBDIV_SEL) ? FBDSEL : FBDIV_SEL) + 1;
      odiv    =  is_true(DYN_ODIV_SEL)  ? ODSEL  : ODIV_SEL;
      psda    =  is_true(DYN_DA_EN)     ? PSDA   : bits4(PSDA_SEL);
      duty    =  is_true(DYN_DA_EN)     ? DUTYDA : bits4(DUTYDA_SEL);
      sdiv    =  DYN_SDIV_SEL;
      fout_mhz  = fin_mhz * fbdiv / idiv;
      period_ps = 1.0e6 / fout_mhz;
      vco_mhz   = fout_mhz * odiv;
      pfd_mhz   = fin_mhz / idiv;
    end
  endtask

  initial begin
    compute;
    if (fin_mhz <= 0.0)
      $display("VX_PLL %m: warning: FCLKIN \"%0s\" is not a frequency", FCLKIN);
    if (IDIV_SEL < 0 || IDIV_SEL > 63 || FBDIV_SEL < 0 || FBDIV_SEL > 63)
      $display("VX_PLL %m: warning: IDIV_SEL %0d / FBDIV_SEL %0d outside 0..63",
               IDIV_SEL, FBDIV_SEL);
    if (!(odiv == 2 || odiv == 4 || odiv == 8 || odiv == 16 || odiv == 32 ||
          (odiv >= 48 && odiv <= 128 && odiv % 16 == 0)))
      $display("VX_PLL %m: warning: ODIV_SEL %0d is not a divider of this PLL", odiv);
    if (vco_mhz <= 320.0 || vco_mhz >= vco_max_mhz(DEVICE))
      $display("VX_PLL %m: warning: VCO %0.3f MHz outside the range of %0s",
               vco_mhz, DEVICE);
    if (pfd_mhz < 3.0 || pfd_mhz > 500.0)
      $display("VX_PLL %m: warning: PFD %0.3f MHz out of range", pfd_mhz);
    if (sdiv < 2 || sdiv > 128 || sdiv % 2 != 0)
      $display("VX_PLL %m: warning: DYN_SDIV_SEL %0d is not an even divider", sdiv);
    if (CLKFB_SEL != "internal")
      $display("VX_PLL %m: warning: external feedback is not modelled");
  end

  // Measure the reference so that a board clock that disagrees with FCLKIN
  // is reported instead of silently giving wrong memory timing.
  realtime t_last_in;
  reg      in_checked = 1'b0;
  initial t_last_in = -1.0;
  always @(posedge CLKIN) begin
    if (t_last_in >= 0.0 && !in_checked && !RESET && fin_mhz > 0.0) begin
      in_checked = 1'b1;
      if (($realtime - t_last_in) > 1.03e6 / fin_mhz ||
          ($realtime - t_last_in) < 0.97e6 / fin_mhz)
        $display("VX_PLL %m: warning: CLKIN period %0.1f ps does not match FCLKIN %0s MHz",
                 $realtime - t_last_in, FCLKIN);
    end
    t_last_in = $realtime;
  end

  integer lock_cnt = 0;
  always @(posedge CLKIN or posedge RESET or posedge PWRDN)
    if (RESET || PWRDN)              lock_cnt <= 0;
    else if (lock_cnt < LOCK_CYCLES) lock_cnt <= lock_cnt + 1;

  wire running = !RESET && !PWRDN && lock_cnt > 0;

  // The oscillator starts on a reference edge so that output and reference
  // keep a fixed phase when the ratio is exact.
  reg vco_out = 1'b0;
  always begin : osc
    wait (running);
    compute;
    vco_out = 1'b1;
    #(period_ps / 2.0);
    vco_out = 1'b0;
    #(period_ps / 2.0);
  end

  reg p_out = 1'b0;
  always @(posedge vco_out) begin
    p_out <= #(period_ps * psda / 32.0) 1'b1;
    p_out <= #(period_ps * psda / 32.0 + period_ps * duty / 16.0) 1'b0;
  end

  wire clkout_i  = is_true(CLKOUT_BYPASS)  ? CLKIN : vco_out;
  wire clkoutp_i = is_true(CLKOUTP_BYPASS) ? CLKIN : p_out;

  wire d_src  = (CLKOUTD_SRC  == "CLKOUTP") ? clkoutp_i : clkout_i;
  wire d3_src = (CLKOUTD3_SRC == "CLKOUTP") ? clkoutp_i : clkout_i;

  integer d_cnt = 0;
  reg     d_out = 1'b0;
  always @(posedge d_src or negedge running)
    if (!running) begin d_cnt <= 0; d_out <= 1'b0; end
    else if (d_cnt == sdiv / 2 - 1) begin d_cnt <= 0; d_out <= ~d_out; end
    else d_cnt <= d_cnt + 1;

  // Divide by three on both edges for a 50 % duty cycle.
  integer d3_cnt = 0;
  always @(posedge d3_src or negedge d3_src or negedge running)
    if (!running)          d3_cnt <= 0;
    else if (d3_cnt == 5)  d3_cnt <= 0;
    else                   d3_cnt <= d3_cnt + 1;
  wire d3_out = running && d3_cnt < 3;

  assign CLKOUT   = clkout_i;
  assign CLKOUTP  = clkoutp_i;
  assign CLKOUTD  = is_true(CLKOUTD_BYPASS) ? CLKIN : d_out;
  assign CLKOUTD3 = d3_out;
  assign LOCK     = running && lock_cnt >= LOCK_CYCLES;
`endif
endmodule

// VX_IOBUF: bidirectional pad buffer.  OE high drives I onto the pad; O
// always follows the pad.  PULL "DOWN" or "UP" adds the pad's weak bias, so
// that an undriven pad reads low or high ("NONE": it floats); weak, it gives
// way to any termination or driver on the line.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_IOBUF (IO, I, OE, O);
  parameter PULL = "NONE";
  inout  IO;
  input  I;
  input  OE;
  output O;
`ifndef SYNTHESIS
  initial
    if (PULL != "NONE" && PULL != "DOWN" && PULL != "UP")
      $display("VX_IOBUF %m: warning: PULL \"%0s\" is not \"NONE\", \"DOWN\" or \"UP\"", PULL);
  generate
    if (PULL == "DOWN") begin : g_down
      pulldown (weak0) (IO);
    end else if (PULL == "UP") begin : g_up
      pullup (weak1) (IO);
    end
  endgenerate
  assign IO = OE ? I : 1'bz;
  assign O  = IO;
`endif
endmodule

// ---------------------------------------------------------------------------
// I/O primitives of the DDR I/O blocks: VX_CLKDIV, VX_OSER, VX_IDES,
// VX_DELAY and VX_OBUF.  docs/primitives.md is their reference (ports,
// parameters, timing diagrams, self-checks).
//
// Common to the models:
//   - Fabric-side inputs are checked against their parallel clock: a change
//     less than TSU_PS before or THOLD_PS after its rising edge prints
//     "VX TIMING ERROR: <instance>: <what>".  A change in the very timestep
//     of the edge is the driving flip-flop's clock-to-out in zero-delay
//     simulation and is legal.
//   - Each instance counts its errors in `errors`.  A bench that wants one
//     total instantiates VX_CHECK and compiles with
//     -DVX_CHECK_PATH=<its path> (for example tb.vx_check); every model
//     then also counts into VX_CHECK's `vx_errors`.
//   - Per-instance randomness (tap step, metastable samples) comes from a
//     hash of the instance path and the plusarg +vx_seed=N (default 1).
// ---------------------------------------------------------------------------

`ifndef SYNTHESIS
// Optional global error total (see above).
module VX_CHECK;
  integer vx_errors = 0;
endmodule

// Error counting and the instance path for messages, shared by the checkers
// below: `path` is the path of the primitive that holds the checker that
// holds this module.
module VX_REPORT;
  integer        errors = 0;
  reg [8*256-1:0] path;

  // %m of this module minus its last two names (its own and the checker's).
  reg [8*256-1:0] full;
  integer         i, dots;
  initial begin
    $sformat(full, "%m");
    path = full;
    dots = 0;
    for (i = 0; i < 256 && dots < 2; i = i + 1)
      if (full[i*8 +: 8] == ".") begin
        dots = dots + 1;
        path = full >> ((i + 1) * 8);
      end
  end

  task count;
    begin
      errors = errors + 1;
`ifdef VX_CHECK_PATH
      `VX_CHECK_PATH.vx_errors = `VX_CHECK_PATH.vx_errors + 1;
`endif
    end
  endtask
endmodule

// Setup/hold check of a fabric-side bus SIG against the rising edge of CLK,
// active while EN is 1.  WHAT names the inputs in the message.
module VX_TCHECK (CLK, EN, SIG);
  parameter W        = 1;
  parameter TSU_PS   = 150;
  parameter THOLD_PS = 50;
  parameter WHAT     = "input";
  parameter CLKNAME  = "CLK";
  input         CLK;
  input         EN;
  input [W-1:0] SIG;

  VX_REPORT rep ();
  wire [31:0] errors = rep.errors;

  // t_chg: latest change; t_chg_before: the one before it, in an earlier
  // timestep, so that a legal change at the edge does not hide an illegal one.
  realtime t_clk = -1.0e30, t_chg = -1.0e30, t_chg_before = -1.0e30;
  realtime t_last;

  always @(SIG) begin
    if ($realtime != t_chg) begin
      t_chg_before = t_chg;
      t_chg        = $realtime;
    end
    if (EN === 1'b1 && $realtime > t_clk && $realtime - t_clk < THOLD_PS) begin
      rep.count;
      $display("VX TIMING ERROR: %0s: hold of %0s: change %0.3f ps after %0s rising edge at %0.3f ps (hold %0d ps)",
               rep.path, WHAT, $realtime - t_clk, CLKNAME, t_clk, THOLD_PS);
    end
  end

  always @(posedge CLK) begin
    t_clk  = $realtime;
    t_last = (t_chg == $realtime) ? t_chg_before : t_chg;
    if (EN === 1'b1 && $realtime - t_last < TSU_PS) begin
      rep.count;
      $display("VX TIMING ERROR: %0s: setup of %0s: change %0.3f ps before %0s rising edge at %0.3f ps (setup %0d ps)",
               rep.path, WHAT, $realtime - t_last, CLKNAME, t_clk, TSU_PS);
    end
  end
endmodule

// Fast/slow clock relation, active while EN is 1: exactly EDGES rising edges
// of FCLK in each PCLK period, and PCLK's rising edge at a fixed phase of
// FCLK (within TOL_PS of the phase first seen).  Both are learnt afresh
// whenever EN rises.
module VX_CLKCHECK (FCLK, PCLK, EN);
  parameter EDGES  = 2;
  parameter TOL_PS = 20;
  input FCLK;
  input PCLK;
  input EN;

  VX_REPORT rep ();
  wire [31:0] errors = rep.errors;

  integer  n_rise = 0;            // FCLK rising edges since the last PCLK rising edge
  reg      counting = 1'b0;       // a whole PCLK period is being counted
  reg      have_phase = 1'b0;
  realtime t_rise = -1.0, t_rise_prev = -1.0;
  real     period, phase, phase0, diff;

  always @(posedge FCLK) begin
    t_rise_prev = t_rise;
    t_rise      = $realtime;
    n_rise      = n_rise + 1;
  end

  always @(EN)
    if (EN !== 1'b1) begin
      counting   = 1'b0;
      have_phase = 1'b0;
    end

  always @(posedge PCLK)
    if (EN === 1'b1) begin
      if (counting && n_rise != EDGES) begin
        rep.count;
        $display("VX TIMING ERROR: %0s: %0d FCLK rising edges in the PCLK period ending at %0.3f ps, expected %0d",
                 rep.path, n_rise, $realtime, EDGES);
      end
      n_rise   = 0;
      counting = 1'b1;
      if (t_rise_prev >= 0.0) begin
        period = t_rise - t_rise_prev;
        phase  = $realtime - t_rise;    // 0 or a whole period at a coinciding edge
        if (have_phase) begin
          diff = phase - phase0;
          if (diff > period / 2.0)  diff = diff - period;
          if (diff < -period / 2.0) diff = diff + period;
          if (diff > TOL_PS || diff < -TOL_PS) begin
            rep.count;
            $display("VX TIMING ERROR: %0s: PCLK rising edge at %0.3f ps moved %0.3f ps against FCLK (tolerance %0d ps)",
                     rep.path, $realtime, diff, TOL_PS);
            have_phase = 1'b0;      // report a jump once, a drift once per TOL_PS
          end
        end
        if (!have_phase) phase0 = phase;
        have_phase = 1'b1;
      end
    end
endmodule

// Per-instance random numbers: draw() is a 32-bit hash of this instance's
// path and +vx_seed=N (default 1), the seed of the instance's random stream.
module VX_SEED;
  function [31:0] draw;
    input dummy;
    integer i, seed;
    reg [8*256-1:0] path;
    reg [31:0] h;
    begin
      if (!$value$plusargs("vx_seed=%d", seed)) seed = 1;
      $sformat(path, "%m");
      h = 32'h811c9dc5;                       // FNV-1a over the path's characters
      for (i = 255; i >= 0; i = i - 1)
        if (path[i*8 +: 8] != 0) h = (h ^ path[i*8 +: 8]) * 32'h01000193;
      h = h ^ (seed * 32'h9e3779b1);          // then the seed, and a final mix
      h = (h ^ (h >> 16)) * 32'h7feb352d;
      h = (h ^ (h >> 15)) * 32'h846ca68b;
      draw = h ^ (h >> 16);
    end
  endfunction
endmodule
`endif

// VX_CLKDIV: clock divider by 2 or 4 of a fast clock, for the fabric clock.
// CLKOUT rises with HCLKIN (same timestep); high for half of its period.
// RESETN low holds CLKOUT low; after RESETN rises, HCLKIN's rising edges
// strictly later count from 1 and CLKOUT first rises on edge 2.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_CLKDIV (HCLKIN, RESETN, CLKOUT);
  parameter DIV_MODE = "4";
  input  HCLKIN;
  input  RESETN;
  output CLKOUT;
`ifndef SYNTHESIS
  localparam DIV = (DIV_MODE == "2") ? 2 : 4;

  initial
    if (DIV_MODE != "2" && DIV_MODE != "4")
      $display("VX_CLKDIV %m: warning: DIV_MODE \"%0s\" is not \"2\" or \"4\"; dividing by 4",
               DIV_MODE);

  reg      clk_out = 1'b0;
  integer  edge_no = 0;           // 1, 2, ... DIV + 1, then back to 2
  realtime t_release = 0.0;

  always @(RESETN)
    if (RESETN === 1'b1) t_release = $realtime;
    else begin
      edge_no = 0;
      clk_out <= 1'b0;
    end

  always @(posedge HCLKIN)
    if (RESETN === 1'b1 && $realtime > t_release) begin
      edge_no = (edge_no == DIV + 1) ? 2 : edge_no + 1;
      if (edge_no >= 2) clk_out <= (edge_no - 2) < DIV / 2;
    end

  assign CLKOUT = clk_out;
`endif
endmodule

// VX_OSER: RATIO:1 output serializer with per-beat output enable and output
// phase alignment.  D and TX captured at PCLK rising edge n leave during the
// next PCLK period: beat 0 at the first FCLK rising edge at or after PCLK
// edge n+1, beat k at the k-th FCLK edge after it (rising, falling, ...).
// SHIFT (0..15, captured with D) delays the beat stream by that many beats:
// the word sent after edge n+1 holds stream beats n*RATIO - SHIFT onwards,
// taken from a history of the words captured before.  Q and OE change
// together.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_OSER (D, TX, SHIFT, FCLK, PCLK, RESET, Q, OE);
  parameter RATIO    = 4;
  parameter TSU_PS   = 150;
  parameter THOLD_PS = 50;
  input  [RATIO-1:0] D;
  input  [RATIO-1:0] TX;
  input  [3:0]       SHIFT;
  input              FCLK;
  input              PCLK;
  input              RESET;
  output             Q;
  output             OE;
`ifndef SYNTHESIS
  initial
    if (RATIO != 4 && RATIO != 8)
      $display("VX_OSER %m: warning: RATIO %0d is not 4 or 8", RATIO);

  VX_TCHECK #(.W(2 * RATIO + 4), .TSU_PS(TSU_PS), .THOLD_PS(THOLD_PS), .WHAT("D, TX, SHIFT"),
              .CLKNAME("PCLK")) fabric_check (PCLK, !RESET, {SHIFT, TX, D});
  VX_CLKCHECK #(.EDGES(RATIO / 2)) clock_check (FCLK, PCLK, !RESET);
  wire [31:0] errors = fabric_check.errors + clock_check.errors;

  reg             q_out = 1'b0, oe_out = 1'b0;
  // The stream's latest RATIO + 15 beats, the word captured last at the top
  // (its beat k at 16 + k).
  reg [RATIO+15:0] hist_d = 0, hist_tx = 0;
  reg [RATIO-1:0] cap_d = 0, cap_tx = 0;      // captured at the latest PCLK edge, shifted
  reg [RATIO-1:0] next_d = 0, next_tx = 0;    // due at the next FCLK rising edge
  reg [RATIO-1:0] send_d = 0, send_tx = 0;    // leaving now
  reg             armed = 1'b0;               // next_* waits for its FCLK edge
  integer         beat = RATIO - 1;           // beat on the pin; RATIO - 1: word done
  realtime        t_rise = -1.0;

  task put_beat;
    begin
      q_out  <= send_d[beat];
      oe_out <= send_tx[beat];
    end
  endtask

  task start_word;
    begin
      send_d  = next_d;
      send_tx = next_tx;
      armed   = 1'b0;
      beat    = 0;
      put_beat;
    end
  endtask

  always @(RESET)
    if (RESET !== 1'b0) begin
      q_out  <= 1'b0;
      oe_out <= 1'b0;
      cap_d  = 0;
      cap_tx = 0;
      hist_d  = 0;
      hist_tx = 0;
      armed  = 1'b0;
      beat   = RATIO - 1;
    end

  always @(posedge PCLK)
    if (RESET === 1'b0) begin
      next_d  = cap_d;
      next_tx = cap_tx;
      hist_d  = {D, hist_d[RATIO+15:RATIO]};
      hist_tx = {TX, hist_tx[RATIO+15:RATIO]};
      cap_d   = hist_d[16 - SHIFT +: RATIO];
      cap_tx  = hist_tx[16 - SHIFT +: RATIO];
      armed   = 1'b1;
      // The FCLK edge of this timestep, already run, is the word's first beat.
      if (t_rise == $realtime) start_word;
    end

  always @(posedge FCLK) begin
    t_rise = $realtime;
    if (RESET === 1'b0) begin
      if (armed) start_word;
      else if (beat < RATIO - 1) begin
        beat = beat + 1;
        put_beat;
      end
    end
  end

  always @(negedge FCLK)
    if (RESET === 1'b0 && beat < RATIO - 1) begin
      beat = beat + 1;
      put_beat;
    end

  assign Q  = q_out;
  assign OE = oe_out;
`endif
endmodule

// VX_IDES: 1:RATIO input deserializer with bit-slip and latency alignment.
// D is sampled at every FCLK edge; the word presented after PCLK edge n+1
// holds the samples from PCLK edge n-1 (inclusive) to edge n (exclusive),
// moved later by one beat per BITSLIP pulse (cyclically).  DELAY (0..3,
// taken at the PCLK edge) presents the word DELAY PCLK periods later
// instead, from the words kept in the primitive's input FIFO.  A D change
// inside a sample's setup/hold window makes that sample a random 0 or 1,
// without a message.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_IDES (D, FCLK, PCLK, RESET, BITSLIP, DELAY, Q);
  parameter RATIO    = 4;
  parameter TSU_PS   = 150;
  parameter THOLD_PS = 50;
  parameter TSU_D_PS = 40;
  parameter TH_D_PS  = 40;
  input              D;
  input              FCLK;
  input              PCLK;
  input              RESET;
  input              BITSLIP;
  input  [1:0]       DELAY;
  output [RATIO-1:0] Q;
`ifndef SYNTHESIS
  initial
    if (RATIO != 4 && RATIO != 8)
      $display("VX_IDES %m: warning: RATIO %0d is not 4 or 8", RATIO);

  VX_TCHECK #(.W(3), .TSU_PS(TSU_PS), .THOLD_PS(THOLD_PS), .WHAT("BITSLIP, DELAY"),
              .CLKNAME("PCLK")) fabric_check (PCLK, !RESET, {DELAY, BITSLIP});
  VX_CLKCHECK #(.EDGES(RATIO / 2)) clock_check (FCLK, PCLK, !RESET);
  wire [31:0] errors = fabric_check.errors + clock_check.errors;

  VX_SEED seed_source ();
  integer rand_state;
  initial rand_state = seed_source.draw(1'b0);

  // hist[0] is the newest sample; two words plus one sample of history cover
  // every bit-slip and an FCLK edge coinciding with the PCLK edge.
  reg [2*RATIO:0] hist = 0;
  reg [RATIO-1:0] q_word = 0, w_new = 0;
  reg [3*RATIO-1:0] fifo = 0;    // the last three words, the newest lowest
  integer         slip = 0;
  integer         base, i;
  realtime        t_edge = -1.0e30, t_d = -1.0e30;
  reg             sample;

  always @(FCLK)
    if (FCLK === 1'b0 || FCLK === 1'b1) begin
      t_edge = $realtime;
      // An undriven pad (z) floats near the reference, so the input buffer
      // resolves it to either level: a random 0 or 1, never a clean idle level.
      sample = ($realtime - t_d < TSU_D_PS || D === 1'bz) ? $random(rand_state) : D;
      hist   = {hist[2*RATIO-1:0], sample};
    end

  // A change shortly after the sampling edge spoils that sample too.
  always @(D) begin
    t_d = $realtime;
    if (t_d - t_edge < TH_D_PS) hist[0] = $random(rand_state);
  end

  always @(RESET)
    if (RESET !== 1'b0) begin
      q_word <= 0;
      hist   = 0;
      fifo   = 0;
      slip   = 0;
    end

  always @(posedge PCLK)
    if (RESET === 1'b0) begin
      // A sample of this very timestep belongs to the next word.
      base = ((t_edge == $realtime) ? 1 : 0) + RATIO - slip;
      for (i = 0; i < RATIO; i = i + 1)
        w_new[i] = hist[base + RATIO - 1 - i];
      q_word <= (DELAY == 0) ? w_new : fifo[(DELAY - 1) * RATIO +: RATIO];
      fifo = {fifo[0 +: 2*RATIO], w_new};
      if (BITSLIP === 1'b1) slip = (slip + 1) % RATIO;
    end

  assign Q = q_word;
`endif
endmodule

// VX_DELAY: 128-tap delay line; Z is A delayed by TAP * step_ps (transport).
// Each instance draws its step once at time 0 from STEP_PS +-15 %.  At a CLK
// rising edge LOAD sets TAP to VALUE, else MOVE steps it one tap in DIR
// (saturating); transitions of A after that edge see the new delay.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_DELAY (A, Z, CLK, LOAD, VALUE, MOVE, DIR, TAP);
  parameter DIRECTION = "INPUT";
  parameter INIT_TAP  = 0;
  parameter STEP_PS   = 30;
  parameter TSU_PS    = 150;
  parameter THOLD_PS  = 50;
  input        A;
  output       Z;
  input        CLK;
  input        LOAD;
  input  [6:0] VALUE;
  input        MOVE;
  input        DIR;
  output [6:0] TAP;
`ifndef SYNTHESIS
  localparam TAP_MAX = 127;
  // Spread of the step between instances: +-STEP_SPREAD of STEP_PS.
  localparam real STEP_SPREAD = 0.15;
  // Steps the line can be trimmed to (nominal, before the spread).
  localparam STEP_MIN_PS = 20;
  localparam STEP_MAX_PS = 80;

  initial begin
    if (DIRECTION != "INPUT" && DIRECTION != "OUTPUT")
      $display("VX_DELAY %m: warning: DIRECTION \"%0s\" is not \"INPUT\" or \"OUTPUT\"",
               DIRECTION);
    if (INIT_TAP < 0 || INIT_TAP > TAP_MAX)
      $display("VX_DELAY %m: warning: INIT_TAP %0d outside 0..%0d", INIT_TAP, TAP_MAX);
    if (STEP_PS < STEP_MIN_PS || STEP_PS > STEP_MAX_PS)
      $display("VX_DELAY %m: warning: STEP_PS %0d outside %0d..%0d", STEP_PS, STEP_MIN_PS,
               STEP_MAX_PS);
  end

  VX_TCHECK #(.W(10), .TSU_PS(TSU_PS), .THOLD_PS(THOLD_PS), .WHAT("LOAD, VALUE, MOVE, DIR"),
              .CLKNAME("CLK")) fabric_check (CLK, 1'b1, {LOAD, VALUE, MOVE, DIR});
  wire [31:0] errors = fabric_check.errors;

  VX_SEED seed_source ();
  real step_ps;
  initial step_ps = STEP_PS * (1.0 - STEP_SPREAD +
                               2.0 * STEP_SPREAD * seed_source.draw(1'b0) / 4294967295.0);

  reg [6:0] tap = INIT_TAP;
  reg [6:0] tap_before = INIT_TAP;   // the tap until the end of the edge's timestep
  realtime  t_tap = -1.0;

  always @(posedge CLK) begin
    tap_before = tap;
    t_tap      = $realtime;
    if (LOAD === 1'b1)
      tap <= VALUE;
    else if (MOVE === 1'b1) begin
      if (DIR === 1'b1 && tap < TAP_MAX) tap <= tap + 1;
      if (DIR === 1'b0 && tap > 0)       tap <= tap - 1;
    end
  end

  // Transport delay; a transition never overtakes an earlier one when the
  // delay shrinks (it lands together with it instead).
  reg      z_out;
  // Z starts out as A: an input that holds its power-up value never makes an
  // event for the always block below.
  initial z_out = A;
  realtime t_land = 0.0, t_out;
  always @(A) begin
    t_out = $realtime + ((t_tap == $realtime) ? tap_before : tap) * step_ps;
    if (t_out < t_land) t_out = t_land;
    t_land = t_out;
    z_out <= #(t_out - $realtime) A;
  end

  assign Z   = z_out;
  assign TAP = tap;
`endif
endmodule

// VX_OBUF: output pad buffer; O follows I.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_OBUF (O, I);
  output O;
  input  I;
`ifndef SYNTHESIS
  assign O = I;
`endif
endmodule
