// A two-primitive library shaped like the device library: black boxes under SYNTHESIS, models
// otherwise. Only TST_PLL is used by tiny.v, so only it belongs in a simulation model.
`timescale 1ns/1ps
`ifdef SYNTHESIS
(* blackbox *)
module TST_PLL (input CLKIN, output LOCK);
endmodule
(* blackbox *)
module TST_UNUSED (input I, output O);
endmodule
`else
module TST_PLL (input CLKIN, output reg LOCK);
  initial LOCK = 1'b0;
  always @(posedge CLKIN) LOCK <= 1'b1;
endmodule
module TST_UNUSED (input I, output O);
  assign O = I;
endmodule
`endif
