// Traffic generator and checker of the example design.
//
// Writes a pseudo-random pattern over BURSTS bursts starting at burst FIRST,
// then reads them back in the same order and compares every word.  Bursts
// are numbered bank first, then column, then row, so that consecutive bursts
// open rows in all eight banks (tRRD, tFAW) and a range that crosses a row
// boundary makes the controller close and reopen rows.
//
// The pattern needs no storage: writer and checker run the same generator
// from the same seed and read data comes back in command order.
`timescale 1ps/1ps
module ddr3_example_tg (
  clk, rst, init_done, cal_done, cal_failed,
  req_valid, req_write, req_row, req_bank, req_col, req_ready,
  wd_word, wd_take, rd_valid, rd_word,
  pass, fail, done, errors, words_checked
);
`include "vlmc_param.v"
parameter FIRST      = 0;          // first burst
parameter BURSTS     = 4096;       // bursts written and read back
parameter SEED       = 32'h1d872b41;
parameter ECC_ON     = 0;          // the core corrects reads: compare data bits only
parameter ERR_W      = 16;
parameter INIT_WAIT  = 32'd2000000; // cycles to wait for the PHY before failing
parameter READ_WAIT  = 4096;       // cycles without read data before failing

localparam K     = nCK_PER_CLK;
localparam NB    = 2 * K;
localparam DQ    = DQ_WIDTH;
localparam ROW   = ROW_WIDTH;
localparam COL   = COL_WIDTH;
localparam BC4   = (BURST_MODE == "4");
localparam LB    = BC4 ? 2 : 3;                    // log2 of the beats of a burst
localparam WPB   = (!BC4 && K == 2) ? 2 : 1;       // words per burst
localparam BEATS = BC4 ? 4 : 8;
localparam CB    = COL - LB;                       // burst bits of a column address
localparam IW    = 3 + CB + ROW;                   // burst number width
localparam NCH   = (NB * DQ + 31) / 32;            // 32-bit generator lanes
localparam WORDS = BURSTS * WPB;

input                  clk, rst, init_done, cal_done, cal_failed;
output                 req_valid, req_write;
output [ROW-1:0]       req_row;
output [2:0]           req_bank;
output [COL-1:0]       req_col;
input                  req_ready;
output [NB*DQ-1:0]     wd_word;
input                  wd_take;
input                  rd_valid;
input  [NB*DQ-1:0]     rd_word;
output reg             pass, fail, done;
output reg [ERR_W-1:0] errors;
output reg [31:0]      words_checked;

// xorshift32 on every lane; lanes start from different seeds.
function [NCH*32-1:0] step;
  input [NCH*32-1:0] s;
  integer c;
  reg [31:0] x;
  begin
    for (c = 0; c < NCH; c = c + 1) begin
      x = s[c*32 +: 32];
      x = x ^ (x << 13); x = x ^ (x >> 17); x = x ^ (x << 5);
      step[c*32 +: 32] = x;
    end
  end
endfunction
function [NCH*32-1:0] seed_all;
  input [31:0] seed;
  integer c;
  begin
    for (c = 0; c < NCH; c = c + 1)
      seed_all[c*32 +: 32] = (seed ^ (c * 32'h9e3779b9)) | 32'd1;
  end
endfunction

// Bits a read must return: the beats of the burst, and under ECC the 64
// data bits of each beat plus the uncorrectable-error flag, which must be 0.
function [NB*DQ-1:0] beat_mask;
  input flags;
  integer bt;
  begin
    beat_mask = {NB*DQ{1'b0}};
    for (bt = 0; bt < NB && bt < BEATS; bt = bt + 1)
      if (ECC_ON) beat_mask[bt*DQ +: 66] = {flags, 1'b0, {64{1'b1}}};
      else        beat_mask[bt*DQ +: DQ] = {DQ{1'b1}};
  end
endfunction
localparam [NB*DQ-1:0] DATA = beat_mask(1'b0);
localparam [NB*DQ-1:0] CARE = beat_mask(1'b1);

// ------------------------------------------------------------ requests
localparam P_INIT = 2'd0, P_WRITE = 2'd1, P_READ = 2'd2, P_END = 2'd3;
reg [1:0]    phase;
reg [IW-1:0] burst;
reg [31:0]   left, waited;

wire [IW-1:0] n = FIRST + burst;
assign req_valid = (phase == P_WRITE || phase == P_READ) && left != 0;
assign req_write = (phase == P_WRITE);
assign req_bank  = n[2:0];
assign req_col   = {n[3 +: CB], {LB{1'b0}}};
assign req_row   = n[3 + CB +: ROW];

reg [NCH*32-1:0] gen_w, gen_r;
assign wd_word = gen_w[NB*DQ-1:0];
wire [NB*DQ-1:0] diff = (rd_word ^ (gen_r[NB*DQ-1:0] & DATA)) & CARE;

always @(posedge clk)
  if (rst) begin
    phase <= P_INIT; burst <= {IW{1'b0}}; left <= BURSTS; waited <= 32'd0;
    gen_w <= seed_all(SEED); gen_r <= seed_all(SEED);
    pass <= 1'b0; fail <= 1'b0; done <= 1'b0;
    errors <= {ERR_W{1'b0}}; words_checked <= 32'd0;
  end else begin
    if (wd_take) gen_w <= step(gen_w);
    if (rd_valid) begin
      gen_r <= step(gen_r);
      words_checked <= words_checked + 1'b1;
      if (diff != 0 && errors != {ERR_W{1'b1}}) errors <= errors + 1'b1;
    end
    waited <= (rd_valid || phase == P_WRITE) ? 32'd0 : waited + 1'b1;
    case (phase)
      P_INIT:
        if (init_done) begin phase <= P_WRITE; waited <= 32'd0; end
        else if ((cal_done && cal_failed) || waited >= INIT_WAIT) phase <= P_END;
      P_WRITE, P_READ:
        if (req_ready) begin
          burst <= burst + 1'b1;
          left  <= left - 1'b1;
          if (left == 1 && phase == P_WRITE) begin
            phase <= P_READ; burst <= {IW{1'b0}}; left <= BURSTS;
          end
        end else if (phase == P_READ && (words_checked == WORDS || waited >= READ_WAIT))
          phase <= P_END;
      default: ;
    endcase
    if (phase == P_END && !done) begin
      done <= 1'b1;
      pass <= init_done && words_checked == WORDS && errors == 0;
      fail <= !(init_done && words_checked == WORDS && errors == 0);
    end
  end

endmodule
