// Simulation of the example design against the DDR3 device model, with the
// model's protocol and timing checks on.  Power-up waits are shortened to
// a few microseconds (core and model are told the same), and the test range
// crosses a row boundary so that rows are closed and reopened in every bank.
//
// Ends with one line: "PASS: ..." or "FAIL: ...".
`timescale 1ps/1fs
`include "ddr3_name.v"
`include "example_config.vh"

module tb_ddr3_example;
`include "vlmc_param.v"

localparam K        = nCK_PER_CLK;
localparam DQ       = DQ_WIDTH;
localparam G        = (DRAM_WIDTH == 4) ? DQ_WIDTH / 4 : DQ_WIDTH / 8;
localparam ROW      = ROW_WIDTH;
localparam RESET_US = 2;
localparam CKE_US   = 5;
localparam LB       = (BURST_MODE == "4") ? 2 : 3;
localparam ROWSET   = 8 << (COL_WIDTH - LB);      // bursts in one row of every bank
localparam BURSTS   = `EX_SIM_BURSTS;
localparam FIRST    = ROWSET - BURSTS / 2;

reg clk = 1'b0, rst_n = 1'b0;
always #(`EX_REF_PS / 2.0) clk = ~clk;

wire             pass, fail, done;
wire [15:0]      err_count;
wire [ROW-1:0]   O_ddr_addr;
wire [2:0]       O_ddr_ba;
wire             O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n, O_ddr_clk, O_ddr_clk_n,
                 O_ddr_cke, O_ddr_odt, O_ddr_reset_n;
wire [G-1:0]     O_ddr_dqm;
wire [DQ-1:0]    IO_ddr_dq;
wire [G-1:0]     IO_ddr_dqs, IO_ddr_dqs_n;

ddr3_example_top #(
  .INIT_RESET_US(RESET_US), .INIT_CKE_US(CKE_US), .FIRST(FIRST), .BURSTS(BURSTS)
) dut (
  .clk(clk), .rst_n(rst_n), .pass(pass), .fail(fail), .done(done), .err_count(err_count),
  .O_ddr_addr(O_ddr_addr), .O_ddr_ba(O_ddr_ba), .O_ddr_cs_n(O_ddr_cs_n),
  .O_ddr_ras_n(O_ddr_ras_n), .O_ddr_cas_n(O_ddr_cas_n), .O_ddr_we_n(O_ddr_we_n),
  .O_ddr_clk(O_ddr_clk), .O_ddr_clk_n(O_ddr_clk_n), .O_ddr_cke(O_ddr_cke),
  .O_ddr_odt(O_ddr_odt), .O_ddr_reset_n(O_ddr_reset_n), .O_ddr_dqm(O_ddr_dqm),
  .IO_ddr_dq(IO_ddr_dq), .IO_ddr_dqs(IO_ddr_dqs), .IO_ddr_dqs_n(IO_ddr_dqs_n)
);

ddr3_model #(.RESET_US(RESET_US), .CKE_US(CKE_US), .RD_DLY(`EX_RD_DLY)) mem (
  .ck(O_ddr_clk), .ck_n(O_ddr_clk_n), .cke(O_ddr_cke), .cs_n(O_ddr_cs_n),
  .ras_n(O_ddr_ras_n), .cas_n(O_ddr_cas_n), .we_n(O_ddr_we_n), .ba(O_ddr_ba),
  .addr(O_ddr_addr), .odt(O_ddr_odt), .reset_n(O_ddr_reset_n),
  .dm(O_ddr_dqm), .dq(IO_ddr_dq), .dqs(IO_ddr_dqs), .dqs_n(IO_ddr_dqs_n)
);

// REFRESH must come at least every tREFI once the memory is in use.
integer  tb_errors = 0, n_ref = 0;
realtime t_last_ref = -1.0;
always @(posedge O_ddr_clk)
  if (dut.ddr_init_complete === 1'b1 && !done) begin
    if (t_last_ref < 0.0) t_last_ref = $realtime;
    if ({O_ddr_cs_n, O_ddr_ras_n, O_ddr_cas_n, O_ddr_we_n} === 4'b0001) begin
      n_ref = n_ref + 1;
      t_last_ref = $realtime;
    end else if ($realtime - t_last_ref > tREFI) begin
      tb_errors = tb_errors + 1;
      $display("[%0t] ERROR: no REFRESH for %0.0f ps (tREFI %0d ps)", $realtime,
               $realtime - t_last_ref, tREFI);
      t_last_ref = $realtime;
    end
  end

initial begin
  $timeformat(-9, 1, " ns", 0);
  #(`EX_REF_PS * 10);
  rst_n = 1'b1;
  fork : run
    begin
      wait (done === 1'b1);
      disable run;
    end
    begin
      #((RESET_US + CKE_US + 2000) * 1000000.0);
      disable run;
    end
  join
  $display("%0d bursts at burst %0d, %0d words checked, %0d mismatches, %0d refreshes, %0d model errors",
           BURSTS, FIRST, dut.u_tg.words_checked, err_count, n_ref, mem.errors);
  if (done !== 1'b1)
    $display("FAIL: the example design did not finish");
  else if (pass === 1'b1 && fail === 1'b0 && mem.errors == 0 && tb_errors == 0)
    $display("PASS: %0d bursts written and read back", BURSTS);
  else
    $display("FAIL: pass %b, fail %b, %0d mismatches, %0d model errors, %0d bench errors",
             pass, fail, err_count, mem.errors, tb_errors);
  $finish;
end

endmodule
