// Latencies, burst settings and waits shared by the PHY's modules; included
// inside a module after vlmc_param.v.  No logic.
//
// Every wait is counted in clk_x1 cycles and derived from vlmc_param.v.  A
// time t becomes memory clocks as ceil(t / (tCK * 49 / 50)): the PLL search
// accepts a clock up to 2 % faster than the tCK asked for, whose period is
// at least tCK * 49 / 50.  Memory clocks become clk_x1 cycles rounded up, so
// a command issued n cycles after another is at least n * K clocks later.

localparam K    = nCK_PER_CLK;                     // memory clocks per clk_x1 cycle
localparam NB   = 2 * K;                           // DQ beats per clk_x1 cycle
localparam AL_N = (AL == "CL-1") ? CL - 1 : (AL == "CL-2") ? CL - 2 : 0;
localparam WL   = CWL + AL_N;
localparam RL   = CL + AL_N;
// A registered DIMM acts on every command one clock later.
localparam WLE  = WL + ((REG_CTRL == "ON") ? 1 : 0);
localparam RLE  = RL + ((REG_CTRL == "ON") ? 1 : 0);

localparam BL_FIX8 = (BURST_MODE == "8");
localparam BL_FIX4 = (BURST_MODE == "4");
localparam BL_OTF  = !BL_FIX8 && !BL_FIX4 && ROW_WIDTH > 12;   // A12 picks BC4 or BL8
// The calibration bursts: 8 beats, or 4 where the mode register fixes BC4.
localparam NPB  = BL_FIX4 ? 4 : 8;

function integer ps2ck;
  input integer ps;
  ps2ck = (ps * 50 + tCK * 49 - 1) / (tCK * 49);
endfunction

function integer ck2cyc;
  input integer ck;
  ck2cyc = (ck + K - 1) / K;
endfunction

function integer max2;
  input integer a, b;
  max2 = (a > b) ? a : b;
endfunction

function integer clog2;
  input integer v;
  integer i;
  begin
    clog2 = 0;
    for (i = 1; i < v; i = i * 2) clog2 = clog2 + 1;
  end
endfunction

// JEDEC waits, in clk_x1 cycles.
localparam CYC_MRD  = ck2cyc(4);                              // MRS to MRS
localparam CYC_MOD  = ck2cyc(max2(12, ps2ck(15000)));         // MRS to any other command
localparam CYC_RCD  = ck2cyc(max2(1, ps2ck(tRCD)));
localparam CYC_RP   = ck2cyc(max2(1, ps2ck(tRP)));
localparam CYC_RAS  = ck2cyc(ps2ck(tRAS));
localparam CYC_RFC  = ck2cyc(ps2ck(tRFC));
localparam CYC_XPR  = ck2cyc(max2(5, ps2ck(tRFC + 10000)));
// ZQCL at initialisation takes tZQinit (512 clocks); the DLL reset in MR0,
// issued just before, needs tDLLK before a READ: both run together.
localparam CYC_ZQI  = ck2cyc(max2(512, tDLLK));
localparam CYC_ZQCS = ck2cyc(64);                             // tZQCS
// A command issued in cycle x reaches the pins CMD_LAT cycles later
// (ddr3_phy_cmd.vh); a wait that ends with a strobe edge rather than a
// command adds it.
localparam CMD_LAT = 4;
// Write levelling: tWLMRD (40 clocks) from the MRS to the first DQS edge,
// and the feedback on DQ arrives at most tWLO (7.5 ns) after the DQS edge,
// plus the board's round trip (up to 2 clocks and 1 ns are allowed for).
localparam CYC_WLMRD = ck2cyc(40);
localparam CYC_WLO   = ck2cyc(ps2ck(7500 + 1000) + 2);
// WRITE to WRITE: tCCD (4 clocks).
localparam CYC_CCD  = ck2cyc(4);
// WRITE to READ in the same calibration: the burst (WL + 4 clocks), then tWTR.
localparam CYC_WTR  = ck2cyc(WLE + 4 + max2(4, ps2ck(tWTR)));
// READ to PRECHARGE: AL + tRTP (at least 4 clocks).
localparam CYC_RTP  = ck2cyc(AL_N + max2(4, ps2ck(tRTP)));
// READ to WRITE: RL + 6 - WL clocks plus the round trip (2 clocks allowed).
localparam CYC_RTW  = ck2cyc(RLE + 6 - WLE + 2);

// Reading back during calibration.  A READ the sequencer issues in cycle x
// is in the command path's stage a in cycle x + 1, on the pins from the end
// of cycle x + 4; its data can come RLE clocks later, plus the burst,
// the board's round trip (2 clocks and 1 ns are allowed for, and tDQSCK),
// plus the deserializer (2 cycles) and three words of history.
// rd_cnt counts cycles from x; a group looks for the burst while rd_cnt is
// at most RD_LOOK, and the sequencer leaves RD_STEP cycles between READs.
localparam RD_LOOK = 5 + ck2cyc(RLE + NPB / 2 + 2 + ps2ck(1000) + 2) + 2 + 3;
localparam RD_STEP = max2(RD_LOOK + 2, max2(CYC_RTP, ck2cyc(4)));
// A DQ sweep step counts the words of DQ_READS cycles; the bit passes if half
// of them read the pattern right, so that an edge lands in the middle of where
// tDQSCK and jitter put it.  Forty-eight cycles hold twenty-four bursts at
// 1:4 (sixteen at 1:2): with four or eight, an eye centre still landed up
// to two taps from where the spread of tDQSCK puts it (every bit of a group
// sees the same bursts, so their errors add up alike).
localparam DQ_READS = 48, DQ_PASS = DQ_READS / 2;
// A maintenance step probes one eye edge over the words of its counted
// step (below) and votes: out where two thirds of the words passed, in where
// a third or fewer did, none in between.  The edge moves a tap the way of
// the vote, and one tap more than its last move where that went the same way
// (up to three): drift keeps voting one way and is followed at the speed it
// needs, while tDQSCK's spread from burst to burst seldom pushes one edge
// past a third twice in a row, so a still eye's edges do not wander.  (At
// sixteen words, three quarters and a quarter lag drift further than two
// thirds and a third: bench/track_loop.py models the loop.  A single vote of
// seven eighths moving two taps let still edges wander two taps; two taps
// only where all or none passed made edges lag drift by some three taps, as
// with many words counted all pass only well inside the eye; at most two taps
// after a vote the same way left them three taps behind.)
// The sweep's READs come RD_GAP cycles apart, far enough for DQS to go idle
// between bursts (the burst's NPB / 2 clocks, half a clock of postamble, half
// idle, one of preamble): the device takes tDQSCK anew for a burst that
// starts from an idle bus, so each step sees its spread.  Back to back, one
// draw would hold for the whole sweep and pull every eye centre by it.
// Where a burst fills fewer words than RD_GAP, only DQ_PASS * DATA_WORDS /
// RD_GAP of the words counted can pass.
localparam RD_GAP     = ck2cyc(NPB / 2 + 2);
localparam DATA_WORDS = (NPB > NB) ? NPB / NB : 1;
localparam DQ_PASS_WORDS = DQ_PASS * DATA_WORDS / RD_GAP;
// A new tap reaches the delay lines at the next clock edge (1 cycle); a
// transition already in a line keeps the old delay, at most 127 taps, less
// than a cycle at any ratio (1); a deserialized word shows the samples of
// the cycle two edges earlier (2).
localparam DQ_SETTLE = 4;

// The maintenance window: after a controller REFRESH the PHY waits tRFC,
// switches the memory to its multi-purpose register (MR3), streams READs as
// the DQ sweep does, with every bit and strobe at one edge of its eye (the
// early edge after one REFRESH, the late one after the next), and switches
// back.  The controller leaves the bus alone for tRFC plus MAINT_CK clocks
// after a REFRESH; MAINT_CK is the same for every core (256).  At read
// latency lat (rd_lat, known once calibrated) the sequence takes the MRS and
// its tMOD, lat + 3 cycles until the first burst has come, the counted step,
// the last burst's lat + 4 cycles, the MRS back and its tMOD, and a cycle
// either side (maint_rest).  The taps are set with the first MRS, so no
// DQ_SETTLE is needed.  The counted step gets the rest of the window, in
// whole RD_GAPs, up to what the step counter holds: the more bursts behind a
// decision, the less an edge wanders with tDQSCK's spread (x4_800_dq16,
// still for 20 us: two bits ended 2.0 and 2.1 taps off with 8 words a step
// sized for the longest read latency, none more than 0.8 with the 17 words
// its read latency of 7 cycles leaves).
// ddr3_phy_cal.vh stops elaboration of a core whose window holds fewer than
// 8 cycles at the longest read latency the gate looks for (RD_LOOK).
localparam MAINT_CK     = 256;
localparam MAINT_CYCLES = MAINT_CK / K;
localparam TRACK_MAX    = 63 / RD_GAP * RD_GAP;
function integer maint_rest;
  input integer lat;
  maint_rest = 1 + CYC_MOD + (lat + 3) + (lat + 4) + CYC_MOD + 1;
endfunction
// Cycles of the counted step, and the data words they hold, at read latency lat.
function [6:0] track_reads;
  input [5:0] lat;
  reg [7:0] room;
  begin
    room = (maint_rest(lat) >= MAINT_CYCLES) ? 8'd0 : MAINT_CYCLES - maint_rest(lat);
    track_reads = (room > TRACK_MAX) ? TRACK_MAX : room / RD_GAP * RD_GAP;
  end
endfunction
function [5:0] track_words_at;
  input [5:0] lat;
  track_words_at = track_reads(lat) / RD_GAP * DATA_WORDS;
endfunction
// An edge votes out where two thirds of its step's words read the pattern
// (n >= track_hi_at), in where a third or fewer did (n <= track_lo_at).
function [5:0] track_hi_at;
  input [5:0] lat;
  track_hi_at = (2 * track_words_at(lat) + 2) / 3;
endfunction
function [5:0] track_lo_at;
  input [5:0] lat;
  track_lo_at = track_words_at(lat) / 3;
endfunction

// Maintenance: how far an edge moves outwards (negative: inwards), from the
// n words of its step that read the pattern, the vote's thresholds hi and lo
// (above), and its last move.
function signed [2:0] track_move;
  input [5:0] n;
  input [5:0] hi;
  input [5:0] lo;
  input signed [2:0] last;
  reg signed [2:0] vote;
  begin
    vote = (n >= hi) ? 3'sd1 : (n <= lo) ? -3'sd1 : 3'sd0;
    if (vote == 1 && last > 0)       track_move = (last == 3) ? 3'sd3 : last + 3'sd1;
    else if (vote == -1 && last < 0) track_move = (last == -3) ? -3'sd3 : last - 3'sd1;
    else                             track_move = vote;
  end
endfunction
// The middle of the taps first .. last, rounded down: where an eye or a
// window puts its line's tap.
function [6:0] middle;
  input [6:0] first, last;
  middle = first + (last - first) / 2;
endfunction
// An edge moved by m (outwards: down for an early edge, up for a late one),
// kept within the taps and on its side of the other edge.
function [6:0] edge_moved;
  input [6:0] e;            // the edge
  input [6:0] other;        // the eye's other edge
  input late;               // e is the late edge
  input signed [2:0] m;
  reg signed [8:0] v;
  begin
    v = late ? $signed({2'b00, e}) + m : $signed({2'b00, e}) - m;
    if (late ? v < $signed({2'b00, other}) : v > $signed({2'b00, other})) v = other;
    edge_moved = (v < 0) ? 7'd0 : (v > 127) ? 7'd127 : v[6:0];
  end
endfunction

// Commands as {CS#, RAS#, CAS#, WE#}.
localparam [3:0] C_MRS = 4'b0000, C_REF = 4'b0001, C_PRE = 4'b0010, C_ACT = 4'b0011,
                 C_WR  = 4'b0100, C_RD  = 4'b0101, C_ZQ  = 4'b0110, C_NOP = 4'b0111;

// Calibration phases, in the order the sequencer runs them; the groups take
// their part of each from cal_phase (ddr3_phy_lane.vh).
localparam [3:0] PH_IDLE     = 4'd0,   // before calibration, and after a failure
                 PH_GATE     = 4'd1,   // DQS input tap swept, MPR READ per tap
                 PH_GATE_POS = 4'd2,   // READ at the centre: burst position
                 PH_SLIP     = 4'd3,   // deserializers slipped to a word boundary
                 PH_GATE_CHK = 4'd4,   // READ: the burst now starts a word
                 PH_DQ       = 4'd5,   // DQ input taps swept over the MPR pattern
                 PH_CHECK    = 4'd6,   // READ: every bit at its centre
                 PH_LEVEL    = 4'd7,   // write levelling: DQS output tap swept
                 PH_LV_PICK  = 4'd8,   // levelled delay and whole clock picked
                 PH_WDQ      = 4'd9,   // DQ output taps swept, a WRITE and a READ per tap
                 PH_WDM      = 4'd10,  // DM output taps swept, two WRITEs and a READ per tap
                 PH_VERIFY   = 4'd11,  // the pattern written and read back
                 PH_RUN      = 4'd12,  // calibrated
                 PH_TRACK_L  = 4'd13,  // maintenance: MPR READs at each eye's early edge
                 PH_TRACK_R  = 4'd14;  // or at its late edge

// The bursts calibration writes, beat k in bit k: 0 0 1 1 1 0 1 0 (BC4: 0 0 1 1).  No
// shift of it by a beat or two matches it, so a line a beat early or late cannot read it
// back right (the MPR's 0 1 0 1 would, two beats off).  The DM sweep writes it, then its
// inverse with the odd beats masked, and reads back W_MIXED.
localparam [NPB-1:0] W_PATTERN = BL_FIX4 ? 4'b1100 : 8'b0101_1100;
localparam [NPB-1:0] W_MIXED   = W_PATTERN ^ {NPB/2{2'b01}};
// A write sweep's tap passes only where W_TRIES bursts in a row were written
// and read back right: at an eye's edge, where a beat breaks tDS or tDH and
// the memory latches it at random, one burst can pass by luck and stretch
// the eye on that side (a bit centred up to three taps off at 300 MHz).
localparam W_TRIES = 2;
// x4 devices have no DM pin.
localparam HAS_DM = DRAM_WIDTH != 4;
// The delay lines' nominal step (VX_DELAY).
localparam TAP_PS = 30;
// A read eye's entry (ddr3_phy_rd_eye_update.vh), from bit 0 up: its eye's
// first and last tap (7 bits each), the DQ sweep's count at the tap before (6),
// its edges' last maintenance moves (3 each, signed) and whether the DQ sweep
// found it (1).  Both modules that read an entry take its fields at these
// offsets.
localparam EYE_FIRST      = 0;
localparam EYE_LAST       = EYE_FIRST + 7;
localparam EYE_PREV       = EYE_LAST + 7;
localparam EYE_FIRST_MOVE = EYE_PREV + 6;
localparam EYE_LAST_MOVE  = EYE_FIRST_MOVE + 3;
localparam EYE_SEEN       = EYE_LAST_MOVE + 3;
localparam EYE_W          = EYE_SEEN + 1;
