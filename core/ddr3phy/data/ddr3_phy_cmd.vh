// Command path of the DDR3 PHY (module DDR3PHY_CMD).
//
// What it does: takes the K command slots of each clk_x1 cycle from the
// controller, or from the PHY's own sequencer while that owns the bus
// (seq_own: initialisation, calibration, the maintenance window after a
// REFRESH), and sends them out through one VX_OSER per pin, each slot as two
// equal beats.  The forwarded clock CK is a VX_OSER on ck as well, sending
// 0 on the beats of ck's rising edges and 1 on its falling ones: CK rises in
// the middle of each command slot, so the memory samples every command half
// a clock after it changed.
//   Stage a: the slots as taken (the column commands are reported from here
//            to the write and read paths: a_wr, a_rd, a_bl8);
//   stage b: one cycle later;
//   stage o: what the serializers take, with the 2T look-ahead (an idle
//            slot shows the next slot's address and command with CS# high).
// A command in stage a in cycle m reaches the pins at the clk_x1 edge that
// ends cycle m + 3 (the serializer sends a word in the period after it took
// it); slot s leaves s memory clocks later.
//
// Clocks: fabric on clk_x1; ck feeds the serializers only.  rst is
// synchronous to clk_x1 and also resets the serializers (asynchronously).
`timescale 1ps/1ps
module `DDR3PHY_CMD (
  ck, clk_x1, rst, mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_odt, mc_cke, mc_address, mc_bank, mc_reset_n, mc_cmd_wren, seq_own, seq_cmd, seq_ba, seq_addr, seq_cke, seq_rst_n, a_wr, a_rd, a_bl8, a_ref, O_ddr_addr, O_ddr_ba, O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n, O_ddr_cke, O_ddr_odt, O_ddr_reset_n, O_ddr_clk, O_ddr_clk_n);
`include "vlmc_param.v"
`include "ddr3_phy_timing.vh"

input ck;
input clk_x1;
input rst;
// Controller slots, slot 0 first.
input  [nCK_PER_CLK-1:0] mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_odt, mc_cke;
input  [nCK_PER_CLK*ROW_WIDTH-1:0] mc_address;
input  [3*nCK_PER_CLK-1:0] mc_bank;
input mc_reset_n;
input mc_cmd_wren;
// The sequencer's command, in slot 0 of its cycle; the other slots are NOPs.
input seq_own;
input  [3:0] seq_cmd;   // {CS#, RAS#, CAS#, WE#}
input  [2:0] seq_ba;
input  [ROW_WIDTH-1:0] seq_addr;
input seq_cke;
input seq_rst_n;
// Column commands in stage a: slot s holds a WRITE / a controller's READ
// (the sequencer's own READs return nothing to the controller); 8 beats or 4.
output reg [nCK_PER_CLK-1:0] a_wr;
output reg [nCK_PER_CLK-1:0] a_rd;
output reg [nCK_PER_CLK-1:0] a_bl8;
output reg a_ref;   // a controller REFRESH
// Pins.
output [ROW_WIDTH-1:0] O_ddr_addr;
output [2:0] O_ddr_ba;
output O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n;
output O_ddr_cke, O_ddr_odt, O_ddr_reset_n;
output O_ddr_clk, O_ddr_clk_n;

localparam ROW   = ROW_WIDTH;
localparam TWO_T = (ADDR_CMD_MODE == "2T");
// Bits of one slot: {CS#, RAS#, CAS#, WE#, BA, address}, then CKE, ODT.
localparam SW    = 4 + 3 + ROW;

integer s;

// Stage a: the slots of the cycle, from whoever owns the bus.
// Slot s of a stage at [s*SW +: SW].
reg [K*SW-1:0] a_slots;
reg [K-1:0]  a_cke, a_odt;
reg          a_rst_n;
reg [K*SW-1:0] b_slots;
reg [K-1:0]  b_cke, b_odt;
reg          b_rst_n;
reg [K*SW-1:0] o_slots;                 // slot s at [s*SW +: SW]
reg [K-1:0]  o_cke, o_odt;
reg          o_rst_n;

// A slot is idle (leaves as a deselect) when CS# is high or it holds a NOP.
function idle;
  input [SW-1:0] v;
  idle = v[SW-1] || v[SW-2:SW-4] == 3'b111;
endfunction

reg [K*SW-1:0] take;
always @* begin
  for (s = 0; s < K; s = s + 1)
    if (seq_own)
      take[s*SW +: SW] = (s == 0) ? {seq_cmd, seq_ba, seq_addr} : {C_NOP, 3'd0, {ROW{1'b0}}};
    else
      take[s*SW +: SW] = {mc_cs_n[s] | !mc_cmd_wren, mc_ras_n[s], mc_cas_n[s], mc_we_n[s],
                 mc_bank[3*s +: 3], mc_address[ROW*s +: ROW]};
end

always @(posedge clk_x1)
  if (rst) begin
    for (s = 0; s < K; s = s + 1) begin
      a_slots[s*SW +: SW] <= {C_NOP, 3'd0, {ROW{1'b0}}};
      b_slots[s*SW +: SW] <= {C_NOP, 3'd0, {ROW{1'b0}}};
      o_slots[s*SW +: SW] <= {1'b1, 3'b111, 3'd0, {ROW{1'b0}}};
    end
    {a_cke, a_odt, a_rst_n} <= 0; {b_cke, b_odt, b_rst_n} <= 0; {o_cke, o_odt, o_rst_n} <= 0;
    a_wr <= 0; a_rd <= 0; a_bl8 <= 0; a_ref <= 1'b0;
  end else begin
    for (s = 0; s < K; s = s + 1) begin
      a_slots[s*SW +: SW] <= take[s*SW +: SW];
      a_wr[s]   <= take[s*SW + SW - 4 +: 4] == C_WR;
      a_rd[s]   <= take[s*SW + SW - 4 +: 4] == C_RD && !seq_own;
      a_bl8[s]  <= BL_FIX8 || (!BL_FIX4 && (!BL_OTF || take[s*SW + (ROW > 12 ? 12 : 0)]));
      b_slots[s*SW +: SW] <= a_slots[s*SW +: SW];
      // 2T: the clock before a command already carries its address.
      if (idle(b_slots[s*SW +: SW]))
        o_slots[s*SW +: SW] <= {1'b1, (TWO_T ? ((s == K - 1) ? a_slots[0 +: SW-1] : b_slots[((s + 1) % K)*SW +: SW-1])
                                   : {3'b111, b_slots[s*SW +: SW-4]})};
      else
        o_slots[s*SW +: SW] <= b_slots[s*SW +: SW];
    end
    a_ref   <= 1'b0;
    for (s = 0; s < K; s = s + 1)
      if (take[s*SW + SW - 4 +: 4] == C_REF && !seq_own) a_ref <= 1'b1;
    a_cke   <= seq_own ? {K{seq_cke}} : mc_cke;
    a_odt   <= seq_own ? {K{1'b0}} : mc_odt;
    a_rst_n <= seq_own ? seq_rst_n : mc_reset_n;
    {b_cke, b_odt, b_rst_n} <= {a_cke, a_odt, a_rst_n};
    {o_cke, o_odt, o_rst_n} <= {b_cke, b_odt, b_rst_n};
  end

// ---------------------------------------------------------------------------
// Serializers: every slot as two beats.
// ---------------------------------------------------------------------------
localparam NPIN = SW + 3;               // the slot bits, CKE, ODT, RESET#
reg  [NPIN*NB-1:0] pin_beats;           // pin p's beats at [p*NB +: NB]
integer p;
always @*
  for (p = 0; p < NPIN; p = p + 1)
    for (s = 0; s < K; s = s + 1)
      pin_beats[p*NB + 2*s +: 2] = {2{(p < SW)     ? o_slots[s*SW + p] :
                                  (p == SW)     ? o_cke[s] :
                                  (p == SW + 1) ? o_odt[s] : o_rst_n}};

wire [NPIN-1:0] pin_q;
genvar gp;
generate for (gp = 0; gp < NPIN; gp = gp + 1) begin : g_pin
  VX_OSER #(.RATIO(NB)) u_oser (.D(pin_beats[gp*NB +: NB]), .TX({NB{1'b1}}), .SHIFT(4'd0),
                                .FCLK(ck), .PCLK(clk_x1), .RESET(rst), .Q(pin_q[gp]), .OE());
end endgenerate

// CK: 0 on the beats of ck's rising edges, 1 on the falling ones.
localparam [NB-1:0] CK_BEATS = {K{2'b10}};
wire ck_q, ck_n_q;
VX_OSER #(.RATIO(NB)) u_oser_ck   (.D(CK_BEATS),  .TX({NB{1'b1}}), .SHIFT(4'd0), .FCLK(ck),
                                   .PCLK(clk_x1), .RESET(rst), .Q(ck_q), .OE());
VX_OSER #(.RATIO(NB)) u_oser_ck_n (.D(~CK_BEATS), .TX({NB{1'b1}}), .SHIFT(4'd0), .FCLK(ck),
                                   .PCLK(clk_x1), .RESET(rst), .Q(ck_n_q), .OE());

genvar ga;
generate for (ga = 0; ga < ROW; ga = ga + 1) begin : g_addr
  VX_OBUF u_obuf (.O(O_ddr_addr[ga]), .I(pin_q[ga]));
end endgenerate
generate for (ga = 0; ga < 3; ga = ga + 1) begin : g_ba
  VX_OBUF u_obuf (.O(O_ddr_ba[ga]), .I(pin_q[ROW + ga]));
end endgenerate
VX_OBUF u_obuf_we    (.O(O_ddr_we_n),    .I(pin_q[SW - 4]));
VX_OBUF u_obuf_cas   (.O(O_ddr_cas_n),   .I(pin_q[SW - 3]));
VX_OBUF u_obuf_ras   (.O(O_ddr_ras_n),   .I(pin_q[SW - 2]));
VX_OBUF u_obuf_cs    (.O(O_ddr_cs_n),    .I(pin_q[SW - 1]));
VX_OBUF u_obuf_cke   (.O(O_ddr_cke),     .I(pin_q[SW]));
VX_OBUF u_obuf_odt   (.O(O_ddr_odt),     .I(pin_q[SW + 1]));
VX_OBUF u_obuf_rst   (.O(O_ddr_reset_n), .I(pin_q[SW + 2]));
VX_OBUF u_obuf_ck    (.O(O_ddr_clk),     .I(ck_q));
VX_OBUF u_obuf_ck_n  (.O(O_ddr_clk_n),   .I(ck_n_q));

endmodule
