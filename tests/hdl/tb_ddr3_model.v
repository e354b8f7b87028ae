// Bench for the device model itself: a hand-written command stream on an
// ideal bus, each step expecting the model to stay quiet or to report
// exactly the breach it was built to catch.  The model referees the PHY, so
// a check that never fires is as bad as one that fires on legal traffic.
//
// Clock: CK of tCK from vlmc_param.v; commands change at CK's falling edge.
// With +board (and the model's board plusargs: skew, tDQSCK, round trip, no
// jitter) it checks instead that every DQ line's read eye sits where
// rd_arrival_ps says, which the PHY bench's centring check relies on.
`timescale 1ps/1fs
module tb_model;
`include "vlmc_param.v"
localparam G = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8, DQ = DQ_WIDTH, ROW = ROW_WIDTH;
localparam MRS = 4'b0000, REF = 4'b0001, PRE = 4'b0010, ACT = 4'b0011, WRITE = 4'b0100,
           READ = 4'b0101, ZQ = 4'b0110, NOP = 4'b0111;
localparam CL_CODE = 4'b0100, CWL_CODE = 3'd0;     // {A6:A4, A2}: CL 6, CWL 5 (DDR3-800)

reg ck = 1'b0;
always #(tCK / 2.0) ck = ~ck;
reg            cke = 1'b0, reset_n = 1'b0, odt = 1'b0;
reg  [3:0]     c = NOP;
reg  [2:0]     ba = 0;
reg  [ROW-1:0] addr = 0;
reg  [G-1:0]   dm = 0, dqs_o = 0;
reg            dqs_oe = 1'b0, dq_oe = 1'b0;
reg  [DQ-1:0]  dq_o = 0;
wire [DQ-1:0]  dq;
assign dq    = dq_oe ? dq_o : {DQ{1'bz}};
wire [G-1:0]   dqs, dqs_n;
assign dqs   = dqs_oe ? dqs_o : {G{1'bz}};
assign dqs_n = dqs_oe ? ~dqs_o : {G{1'bz}};

ddr3_model #(.RESET_US(1), .CKE_US(1)) mem (.ck(ck), .ck_n(~ck), .cke(cke), .cs_n(c[3]),
  .ras_n(c[2]), .cas_n(c[1]), .we_n(c[0]), .ba(ba), .addr(addr), .odt(odt), .reset_n(reset_n),
  .dm(dm), .dq(dq), .dqs(dqs), .dqs_n(dqs_n));

integer fails = 0, seen = 0;
realtime t_cmd;                // CK edge that took the last command

// One command at the next rising edge, then `gap - 1` clocks of NOP.
task cmd(input [3:0] cc, input [2:0] b, input [ROW-1:0] a, input integer gap);
  begin
    @(negedge ck) begin c = cc; ba = b; addr = a; end
    @(posedge ck) t_cmd = $realtime;
    @(negedge ck) c = NOP;
    repeat (gap - 2) @(negedge ck);
  end
endtask

// The model's error count moved by `want` since the last step.
task want_errors(input integer want, input [8*48-1:0] what);
  begin
    if (mem.errors - seen != want) begin
      fails = fails + 1;
      $display("MODEL CHECK FAILED: %0s: %0d model errors, want %0d", what, mem.errors - seen,
               want);
    end else $display("ok: %0s", what);
    seen = mem.errors;
  end
endtask

task check(input ok, input [8*48-1:0] what);
  if (!ok) begin
    fails = fails + 1;
    $display("MODEL CHECK FAILED: %0s", what);
  end
endtask

// Samples one BL8 read burst RL clocks after the READ, a quarter clock into each beat.
reg [DQ-1:0] beat [0:7];
task read_burst(input [2:0] b, input [ROW-1:0] a, input integer rl);
  integer i;
  begin
    cmd(READ, b, a, 1);
    // cmd returned one clock after the READ's edge, at a falling edge.
    repeat (rl) @(posedge ck);
    for (i = 0; i < 8; i = i + 1) begin
      #(tCK / 4.0) beat[i] = dq;
      if (i % 2 == 0) @(negedge ck); else @(posedge ck);
    end
  end
endtask

// One BL8 WRITE to bank 1, column 0 (CWL 5): every DQS edge `off` ps after
// its CK edge, DQ centred between them carrying beat k = wdata(k), except DQ
// bit `late_bit` which settles only `late` ps before each edge.
function [DQ-1:0] wdata(input integer k);
  wdata = {DQ / 4{k[3:0] ^ 4'h5}};
endfunction
task write_burst(input real off, input integer late_bit, input real late);
  realtime t1;
  integer k;
  begin
    @(negedge ck) begin c = WRITE; ba = 1; addr = 0; end
    @(posedge ck) t1 = $realtime + 5 * tCK + off;
    @(negedge ck) c = NOP;
    #(t1 - tCK - $realtime) begin dqs_oe = 1'b1; dqs_o = 0; end
    for (k = 0; k < 8; k = k + 1) begin
      #(t1 + k * tCK / 2.0 - tCK / 4.0 - $realtime) begin
        dq_oe = 1'b1;
        dq_o = (wdata(k) & ~(1 << late_bit)) | (dq_o & (1 << late_bit));
      end
      if (late_bit >= 0) #(tCK / 4.0 - late) dq_o[late_bit] = wdata(k) >> late_bit;
      #(t1 + k * tCK / 2.0 - $realtime) dqs_o = {G{k % 2 == 0}};
    end
    #(tCK / 4.0) dq_oe = 1'b0;
    #(tCK / 4.0) dqs_oe = 1'b0;
    repeat (16) @(negedge ck);
  end
endtask

// Write levelling: a DQS rising edge `ph` ps after a CK rising edge, and the
// level the device returns on DQ0 after tWLO.
task wl_pulse(input real ph, output v);
  begin
    @(posedge ck) #(ph) dqs_o = {G{1'b1}};
    #(tCK / 2.0) dqs_o = 0;
    #(10000) v = dq[0];
    repeat (4) @(negedge ck);
  end
endtask

// One MPR read, DQ line `line` sampled `d` ps off the centre of each beat
// that rd_arrival_ps predicts (CL 6, a bit time tCK/2).
task mpr_line(input integer line, input real d, output ok);
  integer k;
  realtime t0;
  begin
    cmd(READ, 0, 0, 1);
    #(t_cmd + 6 * tCK - $realtime);
    t0 = t_cmd + 6 * tCK + mem.rd_arrival_ps(line) + tCK / 4.0 + d;
    ok = 1'b1;
    for (k = 0; k < 8; k = k + 1) begin
      #(t0 + k * tCK / 2.0 - $realtime);
      if (dq[line] !== k[0]) ok = 1'b0;
    end
    repeat (8) @(negedge ck);
  end
endtask

integer i, n_hi;
reg ok, v, ok2;
initial begin
  mem.strict_writes = 1'b1;   // nothing here calibrates: every write must meet tDS/tDH
  #1000000 reset_n = 1'b1;
  #1000000 cke = 1'b1;
  repeat (tRFC / tCK + 20) @(negedge ck);
  cmd(MRS, 2, CWL_CODE << 3, 4);
  cmd(MRS, 3, 0, 4);
  cmd(MRS, 1, 0, 4);
  cmd(MRS, 0, (CL_CODE[3:1] << 4) | (CL_CODE[0] << 2) | (1 << 8) | (3'b010 << 9), 12);
  cmd(ZQ, 0, 1 << 10, 520);
  want_errors(0, "initialisation");
  if ($test$plusargs("board")) begin
    cmd(MRS, 3, 4, 12);
    for (i = 0; i < DQ; i = i + 1) begin
      mpr_line(i, tCK / 4.0 - 15.0, ok);
      mpr_line(i, -tCK / 4.0 + 15.0, ok2);
      if (!ok || !ok2)
        $display("DQ%0d line delay %0d ps: eye not at %0.0f ps", i, mem.skew_ps[i],
                 mem.rd_arrival_ps(i));
      check(ok && ok2, "read eyes where rd_arrival_ps puts them");
    end
    cmd(MRS, 3, 0, 12);
    want_errors(0, "MPR reads over a skewed board");
  end else begin

  // MPR: enable, read the pattern, leave.
  cmd(MRS, 3, 4, 12);
  read_burst(0, 0, 6);
  ok = 1'b1;
  for (i = 0; i < 8; i = i + 1) if (beat[i] !== {DQ{i[0]}}) ok = 1'b0;
  check(ok, "MPR pattern read back");
  cmd(MRS, 3, 0, 12);
  want_errors(0, "MPR read of the predefined pattern");

  cmd(MRS, 3, 4, 12);
  cmd(READ, 0, 0, 2);
  cmd(MRS, 3, 0, 12);
  want_errors(1, "MPR left while its burst runs (tMPRR)");
  cmd(MRS, 3, 4, 12);
  cmd(ZQ, 0, 0, 80);
  cmd(READ, 0, 1, 20);
  cmd(MRS, 3, 0, 12);
  want_errors(2, "ZQCS and a misaligned READ in MPR");

  cmd(ACT, 0, 5, 6);
  cmd(PRE, 0, 0, 2);
  cmd(MRS, 3, 0, 12);
  want_errors(2, "PRE before tRAS, MRS before tRP");
  cmd(ACT, 1, 5, 2);
  cmd(READ, 1, 0, 40);
  cmd(PRE, 1, 0, 12);
  cmd(ZQ, 0, 0, 80);
  want_errors(1, "READ before tRCD");
  cmd(REF, 0, 0, 2);
  cmd(MRS, 3, 0, 12);
  want_errors(1, "MRS inside tRFC");

  // Write levelling: CK's level far from its edges, a random one within tWLS/tWLH.
  repeat (tRFC / tCK) @(negedge ck);
  cmd(MRS, 1, 1 << 7, 4);
  dqs_oe = 1'b1;
  repeat (44) @(negedge ck);
  wl_pulse(tCK / 4.0, v);
  check(v === 1'b1, "levelling with CK high");
  wl_pulse(3.0 * tCK / 4.0, v);
  check(v === 1'b0, "levelling with CK low");
  n_hi = 0;
  for (i = 0; i < 16; i = i + 1) begin wl_pulse(10.0, v); n_hi = n_hi + v; end
  check(n_hi != 0 && n_hi != 16, "levelling next to CK's edge random");
  dqs_oe = 1'b0;
  cmd(MRS, 1, 0, 12);
  want_errors(0, "write levelling feedback");

  // Writes: centred, then strobes late by more than tDQSS, then one bit late for tDS.
  cmd(ACT, 1, 5, 8);
  write_burst(0.0, -1, 0.0);
  repeat (8) @(negedge ck);
  read_burst(1, 0, 6);
  ok = 1'b1;
  for (i = 0; i < 8; i = i + 1) if (beat[i] !== wdata(i)) ok = 1'b0;
  check(ok, "write read back");
  want_errors(0, "a centred write read back");
  write_burst(0.28 * tCK, -1, 0.0);
  want_errors(8 * G + 8, "DQS past tDQSS: every edge, every beat");
  write_burst(0.0, 0, 5.0);
  want_errors(8, "DQ0 settling 5 ps before each edge (tDS)");
  end

  if (fails == 0) $display("RESULT: PASS model checks");
  else $display("RESULT: FAIL model checks (%0d)", fails);
  $finish;
end
endmodule
