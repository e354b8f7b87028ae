// Power-up and mode registers of the DDR3 PHY (module DDR3PHY_INIT).
//
// What it does: holds RESET# low INIT_RESET_US, then CKE low INIT_CKE_US,
// waits tXPR, writes MR2, MR3, MR1 and MR0 (with DLL reset) tMRD apart,
// waits tMOD, issues ZQCL and waits tZQinit (which also covers tDLLK).
// Then `done` rises and stays high; the calibration takes the bus.
// The mode register values are outputs too: calibration rewrites MR1 (write
// levelling) and MR3 (multi-purpose register) from them.
//
// Clock: clk_x1 only.  rst is synchronous to it (active high).
// Port contract: one command per clk_x1 cycle, meant for the cycle's first
// slot: cmd = {CS#, RAS#, CAS#, WE#}, ba, addr; cke and rst_n are levels.
`timescale 1ps/1ps
module `DDR3PHY_INIT (
  clk_x1, rst, cmd, ba, addr, cke, rst_n, done, mr1, mr3);
parameter INIT_RESET_US = 200;   // RESET# low time at power-up
parameter INIT_CKE_US   = 500;   // RESET# high to CKE high
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input clk_x1;
input rst;
output reg [3:0] cmd;
output reg [2:0] ba;
output reg [ROW_WIDTH-1:0] addr;
output reg cke;
output reg rst_n;
output reg done;
output     [15:0] mr1;
output     [15:0] mr3;

localparam ROW = ROW_WIDTH;

// Mode registers, from the JEDEC DDR3 field tables.
localparam [1:0] MR0_BL  = BL_FIX8 ? 2'b00 : BL_FIX4 ? 2'b10 : 2'b01;
// CAS latency: A6..A4 = CL-4 for 5..11; CL-12 with A2 set for 12..16.
localparam [2:0] MR0_CLH = (CL >= 12) ? CL - 12 : CL - 4;
localparam       MR0_CLL = (CL >= 12);
localparam [2:0] MR0_WR  = (WR_CYC == 16) ? 3'd0 :
                           (WR_CYC <= 8)  ? WR_CYC - 4 : WR_CYC / 2;
localparam       MR0_BT  = (BURST_TYPE == "INT");
localparam [15:0] MR0    = {3'b000, 1'b0 /*PPD*/, MR0_WR, 1'b1 /*DLL reset*/,
                            1'b0, MR0_CLH, MR0_BT, MR0_CLL, MR0_BL};

localparam [2:0] MR1_RTT = (RTT_NOM == "60")  ? 3'b001 :
                           (RTT_NOM == "120") ? 3'b010 :
                           (RTT_NOM == "40")  ? 3'b011 :
                           (RTT_NOM == "20")  ? 3'b100 :
                           (RTT_NOM == "30")  ? 3'b101 : 3'b000;
localparam [1:0] MR1_AL  = (AL == "CL-1") ? 2'b01 : (AL == "CL-2") ? 2'b10 : 2'b00;
localparam       MR1_DIC = (OUTPUT_DRV == "HIGH");   // RZQ/7 = 34 ohm, else RZQ/6
localparam [15:0] MR1    = {6'b000000, MR1_RTT[2], 1'b0, 1'b0 /*levelling*/, MR1_RTT[1],
                            1'b0, MR1_AL, MR1_RTT[0], MR1_DIC, 1'b0 /*DLL on*/};

localparam [1:0] MR2_RTTWR = (RTT_WR == "60") ? 2'b01 : (RTT_WR == "120") ? 2'b10 : 2'b00;
localparam [2:0] MR2_CWL   = CWL - 5;
localparam [15:0] MR2      = {5'b00000, MR2_RTTWR, 3'b000, MR2_CWL, 3'b000};
localparam [15:0] MR3      = 16'h0000;

assign mr1 = MR1;
assign mr3 = MR3;

// Power-up waits in clk_x1 cycles, for a clock 2 % fast.
localparam CYC_PER_US = ck2cyc(ps2ck(1000000));
localparam CYC_RESET  = INIT_RESET_US * CYC_PER_US;
localparam CYC_CKE    = INIT_CKE_US * CYC_PER_US;

// States in the order of the sequence.
localparam S_RESET = 3'd0, S_CKE = 3'd1, S_MR2 = 3'd2, S_MR3 = 3'd3, S_MR1 = 3'd4,
           S_MR0   = 3'd5, S_ZQCL = 3'd6, S_DONE = 3'd7;

localparam TW = clog2(max2(max2(CYC_RESET, CYC_CKE), max2(CYC_XPR, CYC_ZQI)) + 1);

reg [2:0]    state;
reg [TW-1:0] wait_left;

// Each step issues its command (if any) and waits `cycles` before the next.
task step;
  input [3:0]     c;
  input [2:0]     bank;
  input [15:0]    a;
  input integer   cycles;
  input [2:0]     next;
  begin
    cmd <= c; ba <= bank; addr <= a[ROW-1:0];
    wait_left <= cycles - 1;
    state <= next;
  end
endtask

always @(posedge clk_x1)
  if (rst) begin
    state <= S_RESET; wait_left <= CYC_RESET; done <= 1'b0;
    cmd <= C_NOP; ba <= 3'd0; addr <= {ROW{1'b0}}; cke <= 1'b0; rst_n <= 1'b0;
  end else begin
    cmd <= C_NOP;
    if (wait_left != 0)
      wait_left <= wait_left - 1'b1;
    else case (state)
      S_RESET: begin rst_n <= 1'b1; step(C_NOP, 3'd0, 16'h0, CYC_CKE, S_CKE); end
      S_CKE:   begin cke <= 1'b1;   step(C_NOP, 3'd0, 16'h0, CYC_XPR, S_MR2); end
      S_MR2:   step(C_MRS, 3'd2, MR2, CYC_MRD, S_MR3);
      S_MR3:   step(C_MRS, 3'd3, MR3, CYC_MRD, S_MR1);
      S_MR1:   step(C_MRS, 3'd1, MR1, CYC_MRD, S_MR0);
      S_MR0:   step(C_MRS, 3'd0, MR0, CYC_MOD, S_ZQCL);
      S_ZQCL:  step(C_ZQ, 3'd0, 16'h0400 /* A10: ZQCL */, CYC_ZQI, S_DONE);
      default: done <= 1'b1;
    endcase
  end

endmodule
