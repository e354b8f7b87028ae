// Clean design for the netlist clock check: power-up reset on the reference
// clock clk, all other fabric flip-flops on clk_x1 from VX_CLKDIV, the fast
// clock ck only on primitives.
module clean (clk, ck, lock, en, d, q, w, count);
  input        clk;
  input        ck;
  input        lock;
  input        en;
  input  [3:0] d;
  output       q;
  output [3:0] w;
  output reg [3:0] count;

  reg [1:0] por = 2'b00;                      // power-up reset, on the reference clock
  always @(posedge clk) por <= {por[0], lock};

  wire clk_x1;
  VX_CLKDIV #(.DIV_MODE("2")) div (.HCLKIN(ck), .RESETN(por[1]), .CLKOUT(clk_x1));

  reg [3:0] word;
  always @(posedge clk_x1) word <= d ^ w;
  always @(posedge clk_x1)                    // synchronous reset and enable
    if (!por[1])  count <= 0;
    else if (en)  count <= count + 1;
  VX_OSER #(.RATIO(4)) ser (.D(word), .TX(4'b1111), .SHIFT(4'd0), .FCLK(ck), .PCLK(clk_x1),
                            .RESET(!por[1]), .Q(q), .OE());
  VX_IDES #(.RATIO(4)) des (.D(q), .FCLK(ck), .PCLK(clk_x1), .RESET(!por[1]), .BITSLIP(1'b0),
                            .DELAY(2'd0), .Q(w));
endmodule
