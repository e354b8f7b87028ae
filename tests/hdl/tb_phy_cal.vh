// Included by tb_ddr3_phy.v when the PHY calibrates with delay taps
// (TB_PHY_CAL): its calibration results against what the device model
// injected.
//   Levelling: every group's DQS rising edges at the device within the
//   levelling uncertainty (tWLS/tWLH) plus one tap of CK, and at least
//   0.1 tCK inside tDQSS (both widened by the model's jitter, and by its
//   line drift when that reaches the writes).
//   Write centring: every DQ bit's beats at the device, over the writes
//   after calibration, keep at least half of what the beat leaves beyond
//   tDS + tDH as setup beyond tDS and as hold beyond tDH, less two taps (the
//   eye's edges, each found to a tap) and the jitter of DQ and DQS.
//   Read strobe (RTL only): each group's DQS input tap, as calibration and
//   maintenance keep it, samples the strobe near the middle of its half
//   periods: within two taps (the gate sweep steps two at a time) plus
//   tDQSCK's random part and the jitter (it finds the window's edges from
//   one READ per tap), plus what drift can have moved it, as below.
//   Read centring (RTL only): each DQ bit's final input-delay tap puts the
//   sampling clock edge within 2 taps of the centre of the eye the model
//   sends on that bit; checked when initialisation completes and at the end
//   (after any drift), each bit's tap and eye width printed.  Where the
//   model drifts, the eyes move while the PHY measures them and between its
//   maintenance windows, each of which probes one edge of every eye: the
//   check allows what they can have moved since the DQ sweep began, and at
//   the end since the second-last REFRESH.  When initialisation completes,
//   every DQ and DQS input delay line must hold the tap calibration reports.
// The PHY's names for its results are the macros below.
`ifndef TB_RD_TAP
`define TB_RD_TAP(i)     `TB_PHY.cal_rd_tap[7*(i) +: 7]            // DQ bit i's input-delay tap
`define TB_RD_EYE(i)     `TB_PHY.cal_rd_eye[7*(i) +: 7]            // its eye width, taps
`define TB_RD_STEP(g, k) `TB_PHY.g_grp[g].u_grp.g_dq[k].u_idly.step_ps   // its tap step, ps
`define TB_RD_LINE(g, k) `TB_PHY.g_grp[g].u_grp.g_dq[k].u_idly.TAP       // the tap its line holds
`define TB_DQS_TAP(g)     `TB_PHY.g_grp[g].u_grp.u_rd_eye.dqs_centre   // group g's DQS input tap
`define TB_DQS_STEP(g)    `TB_PHY.g_grp[g].u_grp.u_dqs_in_dly.step_ps  // its tap step, ps
`define TB_DQS_LINE(g)    `TB_PHY.g_grp[g].u_grp.u_dqs_in_dly.TAP      // the tap its line holds
`define TB_WR_TAP(g, k)   `TB_PHY.g_grp[g].u_grp.line_tap[7*(k) +: 7]   // bit k's output tap
`define TB_WR_EARLY(g, k) `TB_PHY.g_grp[g].u_grp.line_early[k]      // on the early slice
`endif
`ifndef TB_TAP_PS
`define TB_TAP_PS (30.0 * 1.15)                // the largest step a 30 ps delay line draws
`endif
localparam real TAP_MAX_PS = `TB_TAP_PS;

task check_levelling;
  integer g;
  real slack, lim_wl, lim_dqss;
  begin
    slack = mem.jitter + (mem.drift_wr ? mem.dly_amp : 0.0);
    lim_wl = mem.T_WLS + TAP_MAX_PS + slack;
    lim_dqss = 0.15 * tCK + slack;
    for (g = 0; g < G; g = g + 1)
      if (mem.dqss_min_ps[g] < -lim_wl || mem.dqss_max_ps[g] > lim_wl ||
          mem.dqss_min_ps[g] < -lim_dqss || mem.dqss_max_ps[g] > lim_dqss)
        `TBERR(("strobe group %0d levelled to DQS %0.0f .. %0.0f ps from CK, allowed +-%0.0f",
                g, mem.dqss_min_ps[g], mem.dqss_max_ps[g], lim_wl < lim_dqss ? lim_wl : lim_dqss))
  end
endtask

task check_write_eyes;
  integer i;
  real want;
  begin
    want = (tCK / 2.0 - mem.T_DS - mem.T_DH) / 2.0 - 2.0 * TAP_MAX_PS - 2.0 * mem.jitter;
    for (i = 0; i < DQ; i = i + 1)
      if (mem.ds_min_ps[i] < 1.0e9 &&
          (mem.ds_min_ps[i] - mem.T_DS < want || mem.dh_min_ps[i] - mem.T_DH < want))
        `TBERR(("DQ%0d written with setup %0.0f and hold %0.0f ps beyond tDS and tDH, %0.0f wanted",
                i, mem.ds_min_ps[i] - mem.T_DS, mem.dh_min_ps[i] - mem.T_DH, want))
  end
endtask

`ifndef TB_NETLIST
real rd_step [0:DQ-1];
real dqs_step [0:G-1];
wire [6:0] dqs_tap [0:G-1];
genvar sg, sb;
generate for (sg = 0; sg < G; sg = sg + 1) begin : g_step
  initial #1 dqs_step[sg] = `TB_DQS_STEP(sg);
  assign dqs_tap[sg] = `TB_DQS_TAP(sg);
  always @(posedge ddr_init_complete)
    if (`TB_DQS_LINE(sg) !== `TB_DQS_TAP(sg))
      `TBERR(("DQS%0d's input delay line holds tap %0d, calibration reports %0d", sg,
              `TB_DQS_LINE(sg), `TB_DQS_TAP(sg)))
  for (sb = 0; sb < GW; sb = sb + 1) begin : g_bit
    initial #1 rd_step[sg * GW + sb] = `TB_RD_STEP(sg, sb);
    always @(posedge ddr_init_complete)
      if (`TB_RD_LINE(sg, sb) !== `TB_RD_TAP(sg * GW + sb))
        `TBERR(("DQ%0d's input delay line holds tap %0d, calibration reports %0d", sg * GW + sb,
                `TB_RD_LINE(sg, sb), `TB_RD_TAP(sg * GW + sb)))
    always @(posedge ddr_init_complete)
      $display("calibrated: DQ%0d write tap %0d on the %0s slice", sg * GW + sb,
               `TB_WR_TAP(sg, sb), `TB_WR_EARLY(sg, sb) ? "early" : "late");
  end
end endgenerate

// The eyes' drift in ps per us (it starts once calibration is over), and when
// the last two REFRESHes reached the bus.
real     drift_rate;
realtime t_ref_last = 0.0, t_ref_before = 0.0;
initial #1 drift_rate = (mem.dqsck_amp > 0.0 ? mem.dqsck_rate : 0.0) +
                        (mem.dly_amp > 0.0 ? mem.dly_rate : 0.0);
always @(n_bus_ref) begin t_ref_before = t_ref_last; t_ref_last = $realtime; end

task check_centring(input [8*12-1:0] when, input realtime since);
  integer i, tap;
  real ui, x, d, allow;
  begin
    ui = tCK / 2.0;
    allow = drift_rate * ($realtime - since) / 1.0e6;   // ps the eyes can have moved
    for (i = 0; i < DQ; i = i + 1) begin
      tap = `TB_RD_TAP(i);
      // The eye centre, delayed by the tap, against the nearest sampling edge.
      x = mem.rd_nominal_ps(i) + tap * rd_step[i] + ui / 2.0;
      d = x - ui * $floor(x / ui + 0.5);
      $display("%0s: DQ%0d tap %0d, eye %0d taps (%0.0f ps), %0.1f taps off the injected centre",
               when, i, tap, `TB_RD_EYE(i), `TB_RD_EYE(i) * rd_step[i], d / rd_step[i]);
      if (d > 2.0 * rd_step[i] + allow || d < -2.0 * rd_step[i] - allow)
        `TBERR(("DQ%0d read tap %0d is %0.1f taps off its eye centre (allowed %0.1f)", i, tap,
                d / rd_step[i], 2.0 + allow / rd_step[i]))
    end
  end
endtask

always @(posedge ddr_init_complete) check_centring("calibrated", $realtime);

// The strobe arrives as DQ line 0 of its group would without that line's skew.
task check_gate(input [8*12-1:0] when, input realtime since);
  integer g, tap;
  real ui, x, d, allow, step, lim;
  begin
    ui = tCK / 2.0;
    allow = drift_rate * ($realtime - since) / 1.0e6;
    for (g = 0; g < G; g = g + 1) begin
      tap = dqs_tap[g];
      step = dqs_step[g];
      x = mem.rd_nominal_ps(g * GW) - mem.skew_ps[g * GW] + tap * step + ui / 2.0;
      d = x - ui * $floor(x / ui + 0.5);
      $display("%0s: DQS%0d tap %0d, %0.1f taps off the middle of its half periods", when, g,
               tap, d / step);
      lim = 2.0 * step + mem.dqsck_rand + mem.jitter + allow;
      if (d > lim || d < -lim)
        `TBERR(("DQS%0d read tap %0d is %0.1f taps off the middle of its half periods (allowed %0.1f)",
                g, tap, d / step, lim / step))
    end
  end
endtask
always @(posedge ddr_init_complete) check_gate("calibrated", $realtime);
`endif
