// SEC-DED over 64 bits for the DQ 72 core with ECC: Hamming positions
// 1..71 (data on the positions that are not powers of two) plus an overall
// parity bit.  Functions only; included inside a module that defines ECC_ON
// (the tables are only built for a core that uses them: constant functions
// are slow to elaborate).
//
// Data bit k sits on the k-th Hamming position that is not a power of two;
// ECC_P holds those positions, ECC_M one mask of data bits per check bit,
// so that each check bit is a single parity over a constant mask.
function [64*7-1:0] ecc_table;
  input integer masks;                // 1: ECC_M, 0: ECC_P
  input integer on;
  integer p, k, i;
  begin
    ecc_table = {64*7{1'b0}}; k = 0;
    for (p = 1; on && p < 72; p = p + 1)
      if ((p & (p - 1)) != 0) begin
        for (i = 0; i < 7; i = i + 1)
          if (masks) ecc_table[i*64 + k] = (p >> i) & 1;
          else       ecc_table[k*7 + i]  = (p >> i) & 1;
        k = k + 1;
      end
  end
endfunction
localparam [64*7-1:0] ECC_M = ecc_table(1, ECC_ON), ECC_P = ecc_table(0, ECC_ON);

function [7:0] ecc_encode;
  input [63:0] d;
  integer i;
  reg [6:0] c;
  begin
    for (i = 0; i < 7; i = i + 1) c[i] = ^(d & ECC_M[i*64 +: 64]);
    ecc_encode = {^d ^ ^c, c};
  end
endfunction

function [71:0] ecc_decode;          // {6'b0, uncorrectable, corrected, data}
  input [71:0] w;
  integer i, k;
  reg [6:0]   s;
  reg [63:0]  d;
  reg         par;
  begin
    for (i = 0; i < 7; i = i + 1) s[i] = w[64 + i] ^ ^(w[63:0] & ECC_M[i*64 +: 64]);
    par = ^w;
    for (k = 0; k < 64; k = k + 1) d[k] = w[k] ^ (par && s == ECC_P[k*7 +: 7]);
    ecc_decode = {6'b000000, (!par && s != 0) || (par && s >= 7'd72),
                  par && s < 7'd72, d};
  end
endfunction
