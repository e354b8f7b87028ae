// A small design for the synthesis helper: a counter, a tristate pad and a primitive.
`include "width.vh"
module counter (input clk, input rst_n, output reg [`WIDTH-1:0] count);
  always @(posedge clk or negedge rst_n)
    if (!rst_n) count <= 0; else count <= count + 1'b1;
endmodule
module tiny_top (input clk, input rst_n, input [1:0] sel, output [`WIDTH-1:0] count,
                 inout [1:0] pad, output locked);
  counter u_counter (.clk(clk), .rst_n(rst_n), .count(count));
  assign pad = sel[0] ? count[1:0] : 2'bzz;
  TST_PLL u_pll (.CLKIN(clk), .LOCK(locked));
endmodule
