// Bad design for the netlist clock check: besides clean fabric on clk_x1, a
// flip-flop on the fast clock (fast_q), one on a gated clk_x1 (gated_q) and
// one on a clock made by a fabric flip-flop (made_q), and a latch (latch_q).
// Each is an offender.
module bad (clk, ck, en, d, fast_q, gated_q, made_q, latch_q);
  input  clk;
  input  ck;
  input  en;
  input  d;
  output reg fast_q, gated_q, made_q, latch_q;

  wire clk_x1;
  VX_CLKDIV #(.DIV_MODE("4")) div (.HCLKIN(ck), .RESETN(1'b1), .CLKOUT(clk_x1));

  reg half = 1'b0;
  always @(posedge clk_x1) half <= ~half;
  always @(posedge ck) fast_q <= d;
  wire gated = clk_x1 & en;
  always @(posedge gated) gated_q <= d;
  always @(posedge half) made_q <= d;
  always @* if (en) latch_q = d;
endmodule
