// Command scheduler of the example design: turns the traffic generator's
// burst requests into DDR3 commands for the PHY, with refresh.
//
// One command per clk_x1 cycle, always in slot 0 of the cycle: commands are
// then at least two memory clocks apart (2T mode needs no more) and every
// wait counts whole controller cycles.  Rows stay open until a request for
// another row of the bank or a refresh closes them.
//
// Maintenance the PHY's contract asks of its controller:
//   - after every REFRESH the bus stays idle for tRFC plus PHY_WINDOW_CK
//     (256) memory clocks: the PHY re-centres its read sampling points then;
//   - ZQCS (short ZQ calibration) every ZQCS_US microseconds (128 ms by
//     default, a parameter), issued with all banks precharged, then tZQCS
//     (64 clocks) before the next command.
//
// Geometry, latencies and timings come from the generator's vlmc_param.v.
`timescale 1ps/1ps
module ddr3_example_ctrl (
  clk, rst, init_done,
  req_valid, req_write, req_row, req_bank, req_col, req_ready,
  wd_word, wd_take, refreshes,
  mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_address, mc_bank, mc_reset_n, mc_odt, mc_cke,
  mc_cmd_wren, mc_wrdata_en, mc_wrdata, mc_wrdata_mask
);
`include "vlmc_param.v"

parameter ZQCS_US = 128000;               // ZQCS interval

localparam K    = nCK_PER_CLK;
localparam NB   = 2 * K;
localparam DQ   = DQ_WIDTH;
localparam G    = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam ROW  = ROW_WIDTH;
localparam COL  = COL_WIDTH;
localparam AL_N = (AL == "CL-1") ? CL - 1 : (AL == "CL-2") ? CL - 2 : 0;
localparam WL   = CWL + AL_N;
localparam RL   = CL + AL_N;
localparam BC4  = (BURST_MODE == "4");
localparam OTF  = (BURST_MODE == "OTF");
// Words of write data per burst: an 8-beat burst at 1:2 takes two.
localparam WPB  = (!BC4 && K == 2) ? 2 : 1;

input                 clk, rst, init_done;
input                 req_valid, req_write;
input  [ROW-1:0]      req_row;
input  [2:0]          req_bank;
input  [COL-1:0]      req_col;
output                req_ready;
input  [NB*DQ-1:0]    wd_word;
output                wd_take;
output reg [15:0]     refreshes;
output reg [K-1:0]    mc_cs_n, mc_ras_n, mc_cas_n, mc_we_n, mc_odt;
output reg [K*ROW-1:0] mc_address;
output reg [3*K-1:0]  mc_bank;
output                mc_reset_n;
output     [K-1:0]    mc_cke;
output reg            mc_cmd_wren, mc_wrdata_en;
output reg [NB*DQ-1:0] mc_wrdata;
output     [NB*G-1:0] mc_wrdata_mask;

assign mc_reset_n     = 1'b1;
assign mc_cke         = {K{1'b1}};
assign mc_wrdata_mask = {NB*G{1'b0}};

// ---------------------------------------------------------------------------
// Timings.  The PLL may run up to 2 % fast, so picoseconds become memory
// clocks for a clock 2 % fast (as in the PHY); memory clocks become
// controller cycles rounded up, and a counter loaded with n - 1 allows the
// next command n cycles later.
// ---------------------------------------------------------------------------
function integer ps2ck;
  input integer ps;
  ps2ck = (ps * 50 + tCK * 49 - 1) / (tCK * 49);
endfunction
function integer max2;
  input integer a, b;
  max2 = (a > b) ? a : b;
endfunction
function integer cyc;                      // memory clocks -> counter load
  input integer ck;
  cyc = max2((ck + K - 1) / K - 1, 0);
endfunction

localparam C_RCD = cyc(max2(1, ps2ck(tRCD)));
localparam C_RAS = cyc(ps2ck(tRAS));
localparam C_RC  = cyc(ps2ck(tRC));
localparam C_RP  = cyc(max2(1, ps2ck(tRP)));
localparam C_RRD = cyc(max2(4, ps2ck(tRRD)));
localparam C_FAW = cyc(ps2ck(tFAW));
// After a REFRESH the PHY owns the bus for its maintenance window.
localparam PHY_WINDOW_CK = 256;
localparam C_RFC = cyc(ps2ck(tRFC) + PHY_WINDOW_CK);
localparam C_ZQCS = cyc(64);                                // tZQCS
localparam C_CCD = cyc(4);
localparam C_WTR = cyc(WL + 4 + max2(4, ps2ck(tWTR)));     // WRITE -> READ
// READ -> WRITE, with two clocks for the read data's round trip on the board.
localparam C_RTW = cyc(max2(4, RL + 6 - WL) + 2);
localparam C_WPR = cyc(WL + 4 + WR_CYC);                    // WRITE -> PRE
localparam C_RPR = cyc(AL_N + max2(4, ps2ck(tRTP)));        // READ -> PRE
localparam C_ODT = cyc(WL + 6);                             // ODT held after a WRITE
// Refresh interval for a clock 2 % fast, in cycles, less a margin for the
// commands that may have to finish first.
localparam C_REFI = max2((tREFI / 50) * 49 / (tCK * K) - 64, 8);

// ZQCS interval in cycles (for a clock 2 % fast: never later than asked).
localparam C_ZQI = max2(ZQCS_US / 50 * 49 * (1000000 / tCK) / K, 8);

localparam TW = 10;                        // wide enough for tRFC and the window at any clock

// ---------------------------------------------------------------------------
// Bank and bus state
// ---------------------------------------------------------------------------
reg [7:0]    open;
reg [ROW-1:0] row_of [0:7];
reg [TW-1:0] act_ok  [0:7];                // tRP after PRE, tRC after ACT
reg [TW-1:0] col_ok  [0:7];                // tRCD
reg [TW-1:0] pre_ok  [0:7];                // tRAS, write recovery, tRTP
reg [TW-1:0] faw     [0:3];                // the last four ACTs
reg [1:0]    faw_ptr;
reg [TW-1:0] rrd_ok, ccd_ok, rd_ok, wr_ok, ref_ok, odt_left;
reg [15:0]   refi_left;
reg          ref_due, run, wd_second;
reg [31:0]   zqi_left;
reg          zq_due;

wire [2:0]   b       = req_bank;
wire         hit     = open[b] && row_of[b] == req_row;
wire         col_go  = col_ok[b] == 0 && ccd_ok == 0 && (req_write ? wr_ok == 0 : rd_ok == 0);
wire         act_go  = act_idle[b] && rrd_ok == 0 && faw[faw_ptr] == 0;

// Per-bank readiness as vectors, so that the decision below is plain logic.
wire [7:0] pre_idle, act_idle;
integer    i;
genvar gb;
generate for (gb = 0; gb < 8; gb = gb + 1) begin : g_bank
  assign pre_idle[gb] = pre_ok[gb] == 0;
  assign act_idle[gb] = act_ok[gb] == 0;
end endgenerate
wire any_open   = |open;
wire all_pre_ok = &(pre_idle | ~open);
wire all_act_ok = &act_idle;

// What goes out this cycle.
localparam [2:0] D_NOP = 3'd0, D_ACT = 3'd1, D_PRE = 3'd2, D_PREA = 3'd3, D_REF = 3'd4,
                 D_WR = 3'd5, D_RD = 3'd6, D_ZQCS = 3'd7;
reg [2:0] d;
always @* begin
  d = D_NOP;
  if (run && ref_ok == 0) begin
    if (ref_due || zq_due) begin
      if (any_open) begin
        if (all_pre_ok) d = D_PREA;
      end else if (all_act_ok) d = ref_due ? D_REF : D_ZQCS;
    end else if (req_valid && !wd_second) begin
      if (hit)          begin if (col_go) d = req_write ? D_WR : D_RD; end
      else if (open[b]) begin if (pre_idle[b]) d = D_PRE; end
      else if (act_go)  d = D_ACT;
    end
  end
end

assign req_ready = (d == D_WR) || (d == D_RD);
assign wd_take   = (d == D_WR) || wd_second;

function [TW-1:0] down;                    // one cycle of a wait
  input [TW-1:0] v;
  down = (v != 0) ? v - 1'b1 : v;
endfunction
function [TW-1:0] at_least;                // a wait that must last n more cycles
  input [TW-1:0] v;
  input integer n;
  at_least = (v > n) ? v - 1'b1 : n;
endfunction

// Column address bits: A10 low (no auto precharge); A12 asks for eight
// beats when the burst length is chosen per command.
wire [ROW-1:0] col_addr;
generate
  if (OTF && ROW > 12) begin : g_otf
    assign col_addr = {{ROW-COL{1'b0}}, req_col} | ({{ROW-1{1'b0}}, 1'b1} << 12);
  end else begin : g_fix
    assign col_addr = {{ROW-COL{1'b0}}, req_col};
  end
endgenerate

reg [3:0]     cmd;                         // {cs_n, ras_n, cas_n, we_n}
reg [ROW-1:0] addr;
reg [2:0]     bank;
always @* begin
  cmd = 4'b1111; addr = {ROW{1'b0}}; bank = b;
  case (d)
    D_ACT:  begin cmd = 4'b0011; addr = req_row; end
    D_PRE:  cmd = 4'b0010;
    D_PREA: begin cmd = 4'b0010; addr[10] = 1'b1; bank = 3'd0; end
    D_REF:  begin cmd = 4'b0001; bank = 3'd0; end
    D_ZQCS: begin cmd = 4'b0110; bank = 3'd0; end              // A10 low: short calibration
    D_WR:   begin cmd = 4'b0100; addr = col_addr; end
    D_RD:   begin cmd = 4'b0101; addr = col_addr; end
    default: ;
  endcase
end

always @(posedge clk)
  if (rst) begin
    run <= 1'b0; ref_due <= 1'b0; wd_second <= 1'b0; refreshes <= 16'd0;
    refi_left <= C_REFI; faw_ptr <= 2'd0; zqi_left <= C_ZQI; zq_due <= 1'b0;
    rrd_ok <= 0; ccd_ok <= 0; rd_ok <= 0; wr_ok <= 0; ref_ok <= 0; odt_left <= 0;
    open <= 8'd0;
    for (i = 0; i < 8; i = i + 1) begin
      row_of[i] <= {ROW{1'b0}};
      act_ok[i] <= 0; col_ok[i] <= 0; pre_ok[i] <= 0;
    end
    for (i = 0; i < 4; i = i + 1) faw[i] <= 0;
    mc_cmd_wren <= 1'b0; mc_wrdata_en <= 1'b0;
    mc_cs_n <= {K{1'b1}}; mc_ras_n <= {K{1'b1}}; mc_cas_n <= {K{1'b1}}; mc_we_n <= {K{1'b1}};
    mc_odt <= {K{1'b0}}; mc_address <= {K*ROW{1'b0}}; mc_bank <= {3*K{1'b0}};
    mc_wrdata <= {NB*DQ{1'b0}};
  end else begin
    if (init_done) run <= 1'b1;
    // Refresh is counted from the end of initialisation.
    if (run) begin
      if (refi_left == 0) begin ref_due <= 1'b1; refi_left <= C_REFI; end
      else refi_left <= refi_left - 1'b1;
      if (zqi_left == 0) begin zq_due <= 1'b1; zqi_left <= C_ZQI; end
      else zqi_left <= zqi_left - 1'b1;
    end

    for (i = 0; i < 8; i = i + 1) begin
      act_ok[i] <= down(act_ok[i]); col_ok[i] <= down(col_ok[i]); pre_ok[i] <= down(pre_ok[i]);
    end
    for (i = 0; i < 4; i = i + 1) faw[i] <= down(faw[i]);
    rrd_ok <= down(rrd_ok); ccd_ok <= down(ccd_ok); rd_ok <= down(rd_ok);
    wr_ok <= down(wr_ok); ref_ok <= down(ref_ok); odt_left <= down(odt_left);

    case (d)
      D_ACT: begin
        open[b] <= 1'b1; row_of[b] <= req_row;
        act_ok[b] <= C_RC; col_ok[b] <= C_RCD; pre_ok[b] <= C_RAS;
        rrd_ok <= C_RRD; faw[faw_ptr] <= C_FAW; faw_ptr <= faw_ptr + 1'b1;
      end
      D_PRE: begin open[b] <= 1'b0; act_ok[b] <= at_least(act_ok[b], C_RP); end
      D_PREA:
        for (i = 0; i < 8; i = i + 1)
          if (open[i]) begin open[i] <= 1'b0; act_ok[i] <= at_least(act_ok[i], C_RP); end
      D_REF: begin ref_due <= 1'b0; ref_ok <= C_RFC; refreshes <= refreshes + 1'b1; end
      D_ZQCS: begin zq_due <= 1'b0; ref_ok <= C_ZQCS; end
      D_WR: begin
        ccd_ok <= C_CCD; rd_ok <= at_least(rd_ok, C_WTR);
        pre_ok[b] <= at_least(pre_ok[b], C_WPR); odt_left <= C_ODT;
      end
      D_RD: begin
        ccd_ok <= C_CCD; wr_ok <= at_least(wr_ok, C_RTW);
        pre_ok[b] <= at_least(pre_ok[b], C_RPR);
      end
      default: ;
    endcase

    wd_second <= (d == D_WR) && WPB == 2;
    mc_cmd_wren  <= run;
    mc_cs_n      <= {{K-1{1'b1}}, cmd[3]};
    mc_ras_n     <= {{K-1{1'b1}}, cmd[2]};
    mc_cas_n     <= {{K-1{1'b1}}, cmd[1]};
    mc_we_n      <= {{K-1{1'b1}}, cmd[0]};
    mc_address   <= {{(K-1)*ROW{1'b0}}, addr};
    mc_bank      <= {{3*(K-1){1'b0}}, bank};
    mc_odt       <= {K{(d == D_WR) || odt_left != 0}};
    mc_wrdata_en <= wd_take;
    if (wd_take) mc_wrdata <= wd_word;
  end

endmodule
