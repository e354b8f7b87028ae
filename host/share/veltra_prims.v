// Device primitives of the Veltra FPGA families: VX_PLL and VX_IOBUF.
//
// Synthesis reads this file with `read_verilog -lib`, so under SYNTHESIS every
// primitive is an empty black box that only carries its ports and parameters
// into the netlist.  Otherwise the behavioural models below are compiled; the
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
// always follows the pad.
`ifdef SYNTHESIS
(* blackbox *)
`endif
module VX_IOBUF (IO, I, OE, O);
  inout  IO;
  input  I;
  input  OE;
  output O;
`ifndef SYNTHESIS
  assign IO = OE ? I : 1'bz;
  assign O  = IO;
`endif
endmodule
