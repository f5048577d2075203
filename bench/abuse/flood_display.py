#!/usr/bin/env python3
"""Flood at the real program while two members caption.

Host 1 runs the program under Xvfb (display only, display log on, the step probe loaded); hosts 2
and 3 run tavrin_node members typing numbered lines; host 4 floods every endpoint of host 1 with
valid and invalid datagrams of both protocols. First a quiet phase, then a flood phase of the same
length, the members typing throughout. Reported: the display's scroll step intervals in each
phase, the event loop's lag, whether every member line reached the display log, and what the
operation log said about the flood (and how much of it).

  sudo python3 bench/abuse/flood_display.py --build build/abuse --seconds 30 --rate 20000
"""

import collections
import os
import re
import subprocess
import sys
import time

import realprog
from realprog import benchlan, netlan

# Runs in host 4. Every datagram goes to the program's own address (never a broadcast), ports of
# channel 1. The mix leaves out what the program is meant to show or act on at once (shared
# caption lines, shared undo and clear, "Ful" answers that open a warning box): those are not
# abuse but captioning, and would only measure drawing.
FLOODER = r'''
import os, random, socket, sys, time
src, dst, rate, seconds = sys.argv[1], sys.argv[2], float(sys.argv[3]), float(sys.argv[4])
rnd = random.Random(7)
def native(group, kind, text, tail=""):
    t = int(time.time() * 1000) % 86400000
    return ("%s%08d%s%04d%s%s" % (group, t, kind, len(text) * 2, text, tail)).encode("utf-16-le")
def cp(s):
    return s.encode("cp932")
N, LOGIN, RESP, MAIN, MON, LOGOFF, CHAT, FORMER, LATTER, UNDO, GROSS = (
    6633, 6722, 6718, 6711, 6721, 6724, 6727, 6735, 6734, 6723, 6713)
big = bytes(rnd.getrandbits(8) for _ in range(5000))
junk = lambda n: bytes(rnd.getrandbits(8) for _ in range(n))
mix = [
    (N, native("A", "x", "illegal kind")),                    # illegal: logged under its limit
    (N, native("B", "H", "other group")),                     # another group: dropped silently
    (N, native("A", "H", "flooder")),                          # valid heartbeat
    (N, native("A", "M", "typing " * 20)),                     # valid monitor text
    (N, native("A", "Q", "")),                                 # valid, no action
    (N, native("A", "A", "former\r\n" * 40, "\n" + "c61200040000000100000001A00003abc")),  # pre-roll, broken record
    (N, ("A1234 678D0010abc").encode("utf-16-le")),           # bad send time
    (N, ("A12345678DXX10abcde").encode("utf-16-le")),         # bad length
    (N, b"A\x00"), (N, big), (N, junk(300)), (N, b""),
    (LOGIN, cp("198.18.0.4,flood,Req,2")),                   # other group: rejected
    (LOGIN, cp("no commas at all")), (LOGIN, b""), (LOGIN, junk(200)),
    (RESP, cp("198.18.0.4,198.18.0.1,flood,Ans")), (RESP, cp(",,,")), (RESP, big),
    (MAIN, b""), (MAIN, big),
    (MON, cp("198.18.0.4,入力中の文字" * 3)), (MON, cp("nocomma")), (MON, junk(100)),
    (LOGOFF, cp("198.18.0.77,ghost,離脱")), (LOGOFF, b""),
    (CHAT, b""), (CHAT, big),
    (FORMER, cp("$消去$")), (FORMER, cp("前ロールの行 " * 8)), (FORMER, cp("$改行$")),
    (LATTER, cp("後ろの行 " * 8)), (LATTER, junk(400)),
    (UNDO, cp("nothing")), (UNDO, b""), (UNDO, big),
    (GROSS, cp("一括の行、終わりの印なし " * 4)), (GROSS, b"$null$"), (GROSS, junk(600)),
]
kinds = len(mix)
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((src, 0))
s.setblocking(False)
print("READY", flush=True)
sys.stdin.readline()
start = time.monotonic()
end = start + seconds
sent = failed = i = 0
batch = 64
while True:
    now = time.monotonic()
    if now >= end:
        break
    if rate > 0 and i > (now - start) * rate:
        time.sleep(0.002)
        continue
    for _ in range(batch):
        port, data = mix[i % kinds]
        i += 1
        try:
            s.sendto(data, (dst, port))
            sent += 1
        except OSError:
            failed += 1
elapsed = time.monotonic() - start
print("FLOOD sent=%d failed=%d seconds=%.2f rate=%.0f/s kinds=%d" % (sent, failed, elapsed, sent / elapsed, kinds), flush=True)
'''


def log_kinds(text):
    """Counts of operation-log lines by their text with addresses and numbers blanked."""
    c = collections.Counter()
    for line in text.splitlines():
        body = line[22:] if line.startswith("[") else line
        key = re.sub(r"\d+\.\d+\.\d+\.\d+", "ADDR", body)
        key = re.sub(r"\d+", "N", key)[:90]
        c[key] += 1
    return c


def main():
    p = realprog.parser(__doc__)
    p.add_argument("--seconds", type=float, default=30.0, help="length of each phase")
    p.add_argument("--rate", type=float, default=20000.0, help="flood datagrams per second (0: as fast as possible)")
    p.add_argument("--typing", type=float, default=1.5, help="lines per second of each member")
    p.add_argument("--keep", action="store_true", help="keep the program's folder")
    args = p.parse_args()
    node, _ = benchlan.tools(args)
    program, plugins = realprog.paths(args)

    xvfb = realprog.Xvfb()
    try:
        with netlan.Lan(4) as lan:
            h1, h2, h3, h4 = lan.hosts
            prog = realprog.Program(lan, h1, program, plugins, xvfb.display, {})
            try:
                run(args, lan, prog, node)
            finally:
                prog.stop()
                if not args.keep:
                    prog.cleanup()
                else:
                    print("kept", prog.home)
    finally:
        xvfb.stop()


def run(args, lan, prog, node):
    h1, h2, h3, h4 = lan.hosts
    prog.wait_online()
    members = [benchlan.start_node(lan, h, node, name) for h, name in ((h2, "alpha"), (h3, "beta"))]
    time.sleep(3.0)  # heartbeats: everybody knows everybody
    flooder = lan.popen(h4, [sys.executable, "-c", FLOODER, h4.address, h1.address, str(args.rate), str(args.seconds)],
                        stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    flooder.stdout.readline()

    sent = {m: [] for m in members}
    phases = {}
    number = 0
    t_start = time.monotonic()
    start_ns = time.monotonic_ns()
    load = {}

    def type_for(seconds):
        nonlocal number
        begin = time.monotonic()
        k = 0
        while time.monotonic() - begin < seconds:
            benchlan.pace(begin, k, args.typing * len(members))
            m = members[k % len(members)]
            number += 1
            text = "%s 行%05d 要約筆記のテスト文です。" % (m.label.split(":")[1], number)
            m.send("line " + text)
            sent[m].append(text)
            k += 1

    def cpu_ticks():
        with open("/proc/%d/stat" % prog.pid()) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])

    def udp():
        rows = [l.split() for l in lan.run(h1, ["cat", "/proc/net/snmp"]).stdout.splitlines() if l.startswith("Udp:")]
        return dict(zip(rows[0][1:], map(int, rows[1][1:])))

    quiet0 = time.monotonic_ns()
    type_for(args.seconds)
    quiet1 = time.monotonic_ns()
    load["quiet"] = realprog.loadavg()
    cpu_quiet = cpu_ticks()
    udp0 = udp()
    flooder.stdin.write("go\n")
    flooder.stdin.flush()
    flood0 = time.monotonic_ns()
    type_for(args.seconds)
    flood1 = time.monotonic_ns()
    load["flood"] = realprog.loadavg()
    cpu_flood = cpu_ticks() - cpu_quiet
    udp1 = udp()
    flood_result = flooder.communicate(timeout=60)[0].strip().splitlines()[-1]
    time.sleep(4.0)  # the last datagrams in
    rss = realprog.rss_kb(prog.pid())
    for m in members:
        m.command("state")
    prog.stop()
    members_state = [m.command("members") for m in members]

    steps = prog.probe_lines("step")
    lags = prog.probe_lines("lag")
    dlog = prog.display_log()
    olog = prog.operation_log()
    missing = [t for m in members for t in sent[m] if t not in dlog]
    period = 30
    print("flood: %s  (load quiet %s, flood %s)" % (flood_result, load["quiet"], load["flood"]))
    hz = os.sysconf("SC_CLK_TCK")
    print("program CPU during the flood phase: %.0f %% of one core; kernel: %d datagrams delivered to sockets "
          "on host 1, %d dropped for a full receive buffer"
          % (100.0 * cpu_flood / hz / args.seconds, udp1["InDatagrams"] - udp0["InDatagrams"],
             udp1["RcvbufErrors"] - udp0["RcvbufErrors"]))
    print("members typed %d lines (%.1f lines/s together), RSS after the flood %d kB"
          % (sum(len(v) for v in sent.values()), args.typing * len(members), rss))
    for name, (a, b) in (("quiet", (quiet0, quiet1)), ("flood", (flood0, flood1))):
        iv = realprog.intervals(steps, a, b, period)
        dev = [abs(v - period) for v in iv]
        lg = [v / 1000.0 for t, v in lags if a <= t <= b]
        print("%-5s step interval: %s" % (name, realprog.summary(iv)))
        print("%-5s |interval-%d|:   %s" % (name, period, realprog.summary(dev)))
        print("%-5s loop lag (16 ms timer, late by): %s" % (name, realprog.summary(lg)))
    print("display log: %d of %d member lines missing%s" % (len(missing), sum(len(v) for v in sent.values()),
                                                          (": " + "; ".join(missing[:5])) if missing else ""))
    print("operation log: %d lines, %d bytes; most frequent:" % (olog.count("\n"), len(olog.encode("utf-16-le"))))
    for key, n in log_kinds(olog).most_common(14):
        print("  %7d  %s" % (n, key))


if __name__ == "__main__":
    main()
