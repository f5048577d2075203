#!/usr/bin/env python3
"""Latency of one caption line from the typist's send path to the other member's store:
SENT (handed to the send path on node A) to STORED (appended on node B), both stamped with
CLOCK_MONOTONIC, which every namespace shares. No loss, one bridge between the two hosts.

  sudo python3 bench/lan/latency.py --lines 1000 --rate 50
"""

import subprocess
import sys
import time

import benchlan
from benchlan import netlan


# The same path without the program: a bare UDP datagram between the two namespaces, stamped
# at send and at receive, paced like the lines. Shows what the machine's load alone costs.
RECEIVER = r'''
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((sys.argv[1], 7999))
print("READY", flush=True)
out = []
for _ in range(int(sys.argv[2])):
    data = s.recv(64)
    out.append(time.monotonic_ns() - int(data))
print(" ".join(map(str, out)), flush=True)
'''
SENDER = r'''
import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
n, rate = int(sys.argv[2]), float(sys.argv[3])
start = time.monotonic()
for i in range(n):
    delay = start + i / rate - time.monotonic()
    if delay > 0:
        time.sleep(delay)
    s.sendto(str(time.monotonic_ns()).encode(), (sys.argv[1], 7999))
'''


def baseline(lan, count, rate):
    h1, h2 = lan.hosts
    rx = lan.popen(h2, [sys.executable, "-c", RECEIVER, h2.address, str(count)], stdout=subprocess.PIPE, text=True)
    rx.stdout.readline()
    lan.run(h1, [sys.executable, "-c", SENDER, h2.address, str(count), str(rate)])
    try:
        out, _ = rx.communicate(timeout=10)
    except subprocess.TimeoutExpired:
        rx.kill()
        return []
    return [int(v) / 1e6 for v in out.split()]


def main():
    p = benchlan.parser(__doc__)
    p.add_argument("--lines", type=int, default=1000)
    p.add_argument("--rate", type=float, default=50.0, help="lines per second")
    p.add_argument("--nice", type=int, default=0,
                   help="run the nodes with this nice value (e.g. -10 on a machine busy with other work)")
    p.add_argument("--realtime", type=int, default=0,
                   help="run the nodes under SCHED_FIFO at this priority: tells scheduling delay from work")
    args = p.parse_args()
    node, _ = benchlan.tools(args)

    with netlan.Lan(2) as lan:
        h1, h2 = lan.hosts
        a = benchlan.start_node(lan, h1, node, "sender", nice=args.nice, realtime=args.realtime)
        b = benchlan.start_node(lan, h2, node, "receiver", nice=args.nice, realtime=args.realtime)
        time.sleep(2.5)
        start = time.monotonic()
        for i in range(args.lines):
            benchlan.pace(start, i, args.rate)
            a.send("line L%05d" % i)
        a.command("state", timeout=60)
        time.sleep(1.0)
        b.command("state", timeout=60)

        sent = {t: ns for ns, t in benchlan.events(a, "SENT")}
        stored = {}
        for ns, author, _, text in benchlan.events(b, "STORED"):
            if author == a.address and text not in stored:
                stored[text] = ns
        lat = [(stored[t] - sent[t]) / 1e6 for t in sent if t in stored]
        own = {}
        for ns, author, _, text in benchlan.events(a, "STORED"):
            own.setdefault(text, ns)
        local = [(own[t] - sent[t]) / 1e6 for t in sent if t in own]
        with open("/proc/loadavg") as f:
            load = f.read().split()[0]
        print("%d lines at %.0f lines/s, nice %d, realtime %d, load average %s; %d reached the other store"
              % (len(sent), args.rate, args.nice, args.realtime, load, len(lat)))
        print("  SENT -> other member's STORED: p50 %.3f ms, p90 %.3f ms, p99 %.3f ms, max %.3f ms"
              % (benchlan.percentile(lat, 50), benchlan.percentile(lat, 90), benchlan.percentile(lat, 99), max(lat)))
        print("  SENT -> own STORED (sends + local append): p50 %.3f ms, p99 %.3f ms"
              % (benchlan.percentile(local, 50), benchlan.percentile(local, 99)))
        print("  p99 target < 2 ms: %s" % ("met" if benchlan.percentile(lat, 99) < 2.0 else "NOT met"))
        base = baseline(lan, args.lines, args.rate)
        if base:
            print("  baseline, bare UDP between the namespaces (Python): p50 %.3f ms, p99 %.3f ms, max %.3f ms"
                  % (benchlan.percentile(base, 50), benchlan.percentile(base, 99), max(base)))


if __name__ == "__main__":
    main()
