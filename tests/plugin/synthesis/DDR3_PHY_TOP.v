// Stands in for the core's top module, small enough that a synthesis run takes a moment; it reads
// two of the generated files through the include paths.
`include "ddr3_name.v"
module `module_name_ddr (input clk, input [1:0] d, output reg [2:0] `RATIO_PORT);
`include "vlmc_param.v"
always @(posedge clk) `RATIO_PORT <= d + nCK_PER_CLK;
endmodule
