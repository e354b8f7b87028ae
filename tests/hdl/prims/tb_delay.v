// Bench of VX_DELAY: a table of LOAD/MOVE operations with the tap expected
// after each, the delay measured at every tap reached (tap * step_ps to the
// femtosecond), the edge from which a new tap applies, and the per-instance
// step.  Prints "step <instance> <ps>" for each instance and
// "errors <self-check errors> mismatches <n>".
//   +chg=PS   VALUE also changes once, PS from a CLK rising edge (negative: before it)
//   +chg2=PS  and once more, PS from that edge (after the first change)
`timescale 1ps/1fs
module tb;
  localparam real TCLK = 5000.0;
  localparam      OPS  = 9;

  VX_CHECK vx_check ();

  reg        clk = 1'b0, load = 1'b0, move = 1'b0, dir = 1'b0, a = 1'b0;
  reg  [6:0] value = 0;
  wire       z, z_other;
  wire [6:0] tap, tap_other;
  VX_DELAY #(.DIRECTION("OUTPUT"), .INIT_TAP(5)) dl (.A(a), .Z(z), .CLK(clk), .LOAD(load),
      .VALUE(value), .MOVE(move), .DIR(dir), .TAP(tap));
  VX_DELAY other (.A(a), .Z(z_other), .CLK(clk), .LOAD(1'b0), .VALUE(7'd0), .MOVE(1'b0),
      .DIR(1'b0), .TAP(tap_other));
  initial forever #(TCLK / 2.0) clk = ~clk;

  integer mismatches = 0;
  task mismatch(input [8*24-1:0] what, input real got, input real want);
    begin
      mismatches = mismatches + 1;
      $display("MISMATCH at %0.3f ps: %0s %0.3f, expected %0.3f", $realtime, what, got, want);
    end
  endtask

  // Operations: LOAD, VALUE, MOVE, DIR, how many cycles, the tap after them.
  reg [24:0] op [0:OPS-1];
  initial begin
    op[0] = {1'b1, 7'd120, 1'b0, 1'b0, 8'd1,  7'd120};
    op[1] = {1'b0, 7'd0,   1'b1, 1'b1, 8'd10, 7'd127};   // saturates at the top
    op[2] = {1'b0, 7'd0,   1'b1, 1'b0, 8'd1,  7'd126};
    op[3] = {1'b1, 7'd3,   1'b1, 1'b1, 8'd1,  7'd3};     // LOAD wins over MOVE
    op[4] = {1'b0, 7'd0,   1'b1, 1'b0, 8'd5,  7'd0};     // saturates at the bottom
    op[5] = {1'b0, 7'd0,   1'b1, 1'b1, 8'd1,  7'd1};
    op[6] = {1'b0, 7'd9,   1'b0, 1'b1, 8'd2,  7'd1};     // neither: stays
    op[7] = {1'b1, 7'd10,  1'b0, 1'b0, 8'd1,  7'd10};
    op[8] = {1'b1, 7'd100, 1'b0, 1'b0, 8'd1,  7'd100};
  end

  // Every A edge, with the tap it should see; its Z edge must follow by tap * step_ps.
  realtime t_a [0:63];
  integer  want [0:63];
  integer  n_a = 0, n_z = 0;
  reg      track = 1'b1;
  task toggle(input integer want_tap);
    begin
      want[n_a] = want_tap;
      t_a[n_a] = $realtime;
      n_a = n_a + 1;
      a = ~a;
    end
  endtask
  always @(z) if (track && n_z < n_a) begin
    if ($realtime - t_a[n_z] - want[n_z] * dl.step_ps > 0.001 ||
        $realtime - t_a[n_z] - want[n_z] * dl.step_ps < -0.001)
      mismatch("delay", $realtime - t_a[n_z], want[n_z] * dl.step_ps);
    n_z = n_z + 1;
  end

  integer i, n, k, before;
  real    chg, chg2;
  initial begin
    if (tap !== 5) mismatch("INIT_TAP", tap, 5);
    for (i = 0; i < OPS; i = i + 1) begin
      before = tap;
      @(posedge clk);
      {load, value, move, dir} <= op[i][24:15];
      for (n = 1; n < op[i][14:7]; n = n + 1) @(posedge clk);
      @(posedge clk);
      {load, value, move, dir} <= 0;
      // An A edge in the timestep of the edge that changes the tap, even after TAP changed,
      // still sees the old tap; 1 ps later the new.
      if (i == OPS - 1) begin
        wait (tap === op[i][6:0]) toggle(before);
        #1 toggle(op[i][6:0]);
      end
      #1 if (tap !== op[i][6:0]) mismatch("tap", tap, op[i][6:0]);
      #100 toggle(op[i][6:0]);
      #(TCLK / 2.0) toggle(op[i][6:0]);
    end
    // A rise, then a fall after the tap shrank: the fall lands with the rise and Z ends low.
    repeat (2) @(posedge clk);
    load <= 1'b1;
    value <= 0;
    if (n_z != n_a) mismatch("Z edges", n_z, n_a);
    track = 1'b0;
    #(TCLK - 10.0) a = 1'b1;
    #20 a = 1'b0;
    @(posedge clk) load <= 1'b0;
    #(TCLK) if (z !== 1'b0) mismatch("z after the overtaking fall", z, 0);

    if ($value$plusargs("chg=%f", chg)) begin
      @(posedge clk) #(TCLK + chg) value = ~value;
      if ($value$plusargs("chg2=%f", chg2)) #(chg2 - chg) value = ~value;
    end
    #(2 * TCLK);
    for (k = 0; k < 2; k = k + 1) begin
      $display("step %0s %0.6f", k ? "other" : "dl", k ? other.step_ps : dl.step_ps);
      if ((k ? other.step_ps : dl.step_ps) < 25.5 || (k ? other.step_ps : dl.step_ps) > 34.5)
        mismatch("step out of 30 ps +-15 %", k ? other.step_ps : dl.step_ps, 30.0);
    end
    if (dl.step_ps == other.step_ps) mismatch("same step in two instances", dl.step_ps, 0.0);
    if (vx_check.vx_errors != dl.errors) mismatch("global count", vx_check.vx_errors, dl.errors);
    $display("errors %0d mismatches %0d", vx_check.vx_errors, mismatches);
    $finish;
  end
endmodule
