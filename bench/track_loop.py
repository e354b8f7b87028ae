#!/usr/bin/env python3
"""Model of the PHY's maintenance loop for one 16-bit core: how far the read
sampling points end from their eye centres, for a vote rule and a number of
words per decision.  Minutes instead of the hours the HDL sweeps would take to
show a rate of a few per cent.

Each bit's eye has ideal edges, smeared as the device model smears them: every
burst draws tDQSCK anew (+-100 ps, shared by all bits), every beat's
transition has its own jitter (+-30 ps), and a word passes where all its 8
beats read right.  Taps are 30 ps, eyes 40 taps.  A window probes the early
edges, the next the late ones; edges start half a tap outside their eye, give
or take a tap, as the DQ sweep leaves them.  The drift case moves the eyes by
10 ps/us with a REFRESH every 1.7 us, up to +-UI/4 and back, as the drift sweep
does.  A run fails where a bit's centre ends more than 2 taps off (still) or
2 taps plus one window's drift off (drift), as the bench checks.

  track_loop.py [RUNS]     (default 200 runs per line)
"""
import math
import random
import sys

TAP, EYE, DQSCK, JITTER, BEATS, BITS = 30.0, 40, 100.0, 30.0, 8, 16
DRIFT_TAPS = 10.0 * 1.7 / TAP            # per window
DRIFT_REACH = 1250.0 / 4 / TAP           # UI/4 at DDR3-800


def vote_at(num, den):
    """Out where num/den of the words passed, in where (den-num)/den or fewer did."""
    def vote(n, w):
        out = (num * w + den - 1) // den
        return 1 if n >= out else -1 if n <= w - out else 0
    return vote


def move(vote, n, w, last):
    """The vote's tap, one more than the last move where that went the same way (up to 3)."""
    v = vote(n, w)
    if v != 0 and last * v > 0:
        return v * min(abs(last) + 1, 3)
    return v


def passes(tap, edge, late, dqsck, rnd):
    worst = max(rnd.uniform(-JITTER, JITTER) for _ in range(BEATS)) / TAP
    at = tap - dqsck / TAP
    return at < edge - worst if late else at > edge + worst


def run(vote, words, windows, drift, seed):
    """The largest distance of a bit's centre from its eye's at the end, in taps."""
    rnd = random.Random(seed)
    bits = []
    for _ in range(BITS):
        centre = 60 + rnd.uniform(-3, 3)
        first = math.floor(centre - EYE / 2 - 0.5 + rnd.uniform(-1, 1))
        last = math.ceil(centre + EYE / 2 + 0.5 + rnd.uniform(-1, 1)) - 1
        bits.append([centre, first, last, 0, 0])
    shift, way = 0.0, 1
    for window in range(windows):
        late = window % 2 == 1
        bursts = [rnd.uniform(-DQSCK, DQSCK) for _ in range(words)]
        for b in bits:
            centre, first, last, first_move, last_move = b
            edge = centre + shift + (EYE / 2 if late else -EYE / 2)
            tap = last if late else first
            n = sum(passes(tap, edge, late, d, rnd) for d in bursts)
            m = move(vote, n, words, last_move if late else first_move)
            if late:
                b[2], b[4] = max(last + m, first), m
            else:
                b[1], b[3] = min(first - m, last), m
        if drift:
            shift += way * DRIFT_TAPS
            if abs(shift) >= DRIFT_REACH:
                way = -way
    return max(abs(b[1] + (b[2] - b[1]) // 2 - (b[0] + shift)) for b in bits)


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 200
    print("%-28s %6s %22s %22s" % ("rule", "words", "still 20 windows", "drift 55 windows"))
    for name, vote, words in (("3/4 and 1/4", vote_at(3, 4), 8),
                              ("3/4 and 1/4", vote_at(3, 4), 16),
                              ("2/3 and 1/3", vote_at(2, 3), 16),
                              ("2/3 and 1/3", vote_at(2, 3), 24)):
        cells = []
        for windows, drift, allowed in ((20, False, 2.0), (55, True, 2.0 + DRIFT_TAPS)):
            ends = sorted(run(vote, words, windows, drift, s) for s in range(runs))
            failed = sum(e > allowed for e in ends) / runs
            cells.append("%4.1f %% fail, worst %3.1f" % (100 * failed, ends[-1]))
        print("%-28s %6d %22s %22s" % (name, words, cells[0], cells[1]), flush=True)


if __name__ == "__main__":
    main()
