// Bench of VX_CLKDIV, VX_OSER and VX_IDES at one ratio (parameter RATIO,
// the divider by CLK_DIV, RATIO / 2 unless a test makes it wrong).
// clk_x1 comes from VX_CLKDIV on ck; the serializer runs on ck or ck90
// (+fphase=90), the deserializer on ck.  Every word and beat is checked
// against the documented latency and order; at the end it prints
// "errors <self-check errors> mismatches <n>".
//   +tck=PS      ck period (default 1250)
//   +dchg=PS     D of the deserializer changes this long before its sampling
//                edge (default tck/4); inside +-40 ps each sample may be the
//                bit before or after, and both must occur
//   +slips      a BITSLIP pulse every 4 cycles
//   +shift      the serializer's SHIFT random (0..15) every cycle
//   +delay=N    the deserializer's DELAY (0..3) held at N
//   +async      D, TX and BITSLIP driven from an unrelated clock
//   +pclk_drift=PS  clk_x1 from the bench, its period PS longer than RATIO/2 ck
`timescale 1ps/1fs
module tb;
  parameter RATIO   = 4;
  parameter CLK_DIV = RATIO / 2;
  localparam CYCLES = 48;

  VX_CHECK vx_check ();

  real    tck = 1250.0, dchg, drift = 0.0;
  integer fphase = 0, mismatches = 0, dly = 0;
  reg     slips, async, meta, ext_pclk, shifts;
  initial begin
    if (!$value$plusargs("tck=%f", tck)) tck = 1250.0;
    if (!$value$plusargs("dchg=%f", dchg)) dchg = tck / 4.0;
    if (!$value$plusargs("fphase=%d", fphase)) fphase = 0;
    if (!$value$plusargs("delay=%d", dly)) dly = 0;
    ext_pclk = $value$plusargs("pclk_drift=%f", drift);
    slips = $test$plusargs("slips");
    shifts = $test$plusargs("shift");
    async = $test$plusargs("async");
    meta  = dchg > -40.0 && dchg < 40.0;
  end

  reg ck = 1'b0, ck90 = 1'b0, rstn = 1'b0, rst = 1'b1, pclk_ext = 1'b0;
  initial forever #(tck / 2.0) ck = ~ck;
  always @(ck) ck90 <= #(tck / 4.0) ck;
  initial begin
    #(10.3 * tck) rstn = 1'b1;
    #(8 * RATIO * tck) rst = 1'b0;
  end

  wire div_out;
  wire clk_x1 = ext_pclk ? pclk_ext : div_out;
  VX_CLKDIV #(.DIV_MODE(CLK_DIV == 2 ? "2" : "4")) div (.HCLKIN(ck), .RESETN(rstn), .CLKOUT(div_out));
  initial begin
    @(posedge div_out);
    pclk_ext = 1'b1;
    forever #((CLK_DIV * tck + drift) / 2.0) pclk_ext = ~pclk_ext;
  end

  reg  [RATIO-1:0] d = 0, tx = 0;
  reg  [3:0]       shift = 0;
  reg              bitslip = 1'b0;
  wire             q, oe;
  wire [RATIO-1:0] word;
  reg              din = 1'b0;
  VX_OSER #(.RATIO(RATIO)) ser (.D(d), .TX(tx), .SHIFT(shift), .FCLK(fphase == 90 ? ck90 : ck), .PCLK(clk_x1),
                                .RESET(rst), .Q(q), .OE(oe));
  VX_IDES #(.RATIO(RATIO)) des (.D(din), .FCLK(ck), .PCLK(clk_x1), .RESET(rst), .BITSLIP(bitslip),
                                .DELAY(dly[1:0]), .Q(word));

  task mismatch(input [8*24-1:0] what, input integer got, input integer want);
    begin
      mismatches = mismatches + 1;
      $display("MISMATCH at %0.3f ps: %0s %0h, expected %0h", $realtime, what, got, want);
    end
  endtask

  // VX_CLKDIV: rises with ck, first on the 2nd ck rise after RESETN, then every CLK_DIV ck
  // periods, high for half of them.
  realtime t_ck = 0, t_x1 = 0;
  integer  ck_rises = 0;
  always @(posedge ck) begin
    t_ck = $realtime;
    if (rstn) ck_rises = ck_rises + 1;
  end
  always @(posedge div_out) begin
    if (t_ck != $realtime) mismatch("clk_x1 rise off ck", 0, 1);
    if (t_x1 == 0 && ck_rises != 2) mismatch("first clk_x1 on ck rise", ck_rises, 2);
    if (t_x1 != 0 && $realtime - t_x1 != CLK_DIV * tck) mismatch("clk_x1 period", $realtime - t_x1, CLK_DIV * tck);
    t_x1 = $realtime;
  end
  always @(negedge div_out)
    if ($realtime - t_x1 != CLK_DIV * tck / 2.0) mismatch("clk_x1 high time", $realtime - t_x1, CLK_DIV * tck / 2.0);

  // Fabric side: fresh random words each cycle; m counts clk_x1 edges from the first after reset.
  reg [RATIO-1:0] cap_d [0:CYCLES], cap_tx [0:CYCLES];
  integer         cap_shift [0:CYCLES], slip_at [0:CYCLES];
  reg [0:(CYCLES+1)*RATIO] bits;   // bits[j]: deserializer input around ck edge j after t_ref
  integer  m = -1, slip = 0, i, j, k, seed = 5, old_hits = 0, new_hits = 0;
  realtime t_ref;
  reg      slip_now;
  initial for (i = 0; i <= (CYCLES + 1) * RATIO; i = i + 1) bits[i] = $random(seed);

  always @(posedge clk_x1) if (!rst && m < CYCLES) begin
    if (m < 0) t_ref = $realtime;
    m = m + 1;
    cap_d[m] = d;
    cap_tx[m] = tx;
    cap_shift[m] = shift;
    slip_now = bitslip;
    if (!async) begin
      d  <= $random(seed);
      tx <= $random(seed);
      if (shifts) shift <= $random(seed);
      bitslip <= slips && m % 4 == 1;
    end
    // Word after edge m: ck edges (m-2)*RATIO .. (m-1)*RATIO - 1 after t_ref, moved by the slips,
    // or with DELAY the one of edge m - DELAY.
    slip_at[m] = slip;
    #1;
    if (m >= 3 + dly && !async && !ext_pclk)
      for (k = 0; k < RATIO; k = k + 1) begin
        j = (m - dly - 2) * RATIO + slip_at[m - dly] + k;
        if (meta && word[k] !== bits[j] && word[k] !== bits[j-1]) mismatch("word bit", word[k], bits[j]);
        if (meta && bits[j] !== bits[j-1]) begin
          if (word[k] === bits[j]) new_hits = new_hits + 1; else old_hits = old_hits + 1;
        end
        if (!meta && word[k] !== (dchg > 0.0 ? bits[j] : bits[j-1])) mismatch("word bit", word[k], bits[j]);
      end
    if (slip_now) slip = (slip + 1) % RATIO;
  end

  // Deserializer input: bits[j] from dchg before ck edge j on.
  initial begin
    wait (m == 0);
    #(tck / 2.0 - dchg);
    for (i = 1; i <= (CYCLES + 1) * RATIO; i = i + 1) begin
      din = bits[i];
      #(tck / 2.0);
    end
  end

  // Serializer output, an eighth of ck after each FCLK edge: beat e mod RATIO of the word
  // captured at clk_x1 edge e / RATIO - 1, that is stream beat s of the words captured, moved
  // by the SHIFT captured with it (0 before the first word).
  integer e, s;
  reg     want_q, want_oe;
  always @(ck) if (m >= 0 && m < CYCLES && !async && !ext_pclk) begin
    #(tck / 4.0 * fphase / 90.0 + tck / 8.0);
    e = $rtoi(($realtime - t_ref - tck / 8.0 - tck / 4.0 * fphase / 90.0) / (tck / 2.0) + 0.5);
    if (e >= RATIO) begin
      s = e - RATIO - cap_shift[e / RATIO - 1];
      want_q  = (s < 0) ? 1'b0 : cap_d[s / RATIO][s % RATIO];
      want_oe = (s < 0) ? 1'b0 : cap_tx[s / RATIO][s % RATIO];
      if (q !== want_q) mismatch("Q", q, want_q);
      if (oe !== want_oe) mismatch("OE", oe, want_oe);
    end
  end

  // Unrelated fabric clock for +async.
  always #(2.3 * tck + 7.1) if (async) begin
    d = $random(seed);
    tx = $random(seed);
    shift = $random(seed);
    bitslip = ~bitslip;
  end

  initial begin
    wait (m == CYCLES);
    #(4 * tck);
    if (meta && (old_hits == 0 || new_hits == 0)) mismatch("metastable samples old/new", old_hits, new_hits);
    if (vx_check.vx_errors != ser.errors + des.errors) mismatch("global count", vx_check.vx_errors, ser.errors + des.errors);
    $display("errors %0d mismatches %0d", vx_check.vx_errors, mismatches);
    $finish;
  end
  initial begin
    #(200 * RATIO * tck);
    $display("errors %0d mismatches %0d (timeout)", vx_check.vx_errors, mismatches + 1);
    $finish;
  end
endmodule
