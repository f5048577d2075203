#!/usr/bin/env python3
"""Latency of one caption line from the typist's send path to the other member's store:
SENT (handed to the send path on node A) to STORED (appended on node B), both stamped with
CLOCK_MONOTONIC, which every namespace shares. No loss, one bridge between the two hosts.

  sudo python3 bench/lan/latency.py --lines 1000 --rate 50
"""

import time

import benchlan
from benchlan import netlan


def main():
    p = benchlan.parser(__doc__)
    p.add_argument("--lines", type=int, default=1000)
    p.add_argument("--rate", type=float, default=50.0, help="lines per second")
    args = p.parse_args()
    node, _ = benchlan.tools(args)

    with netlan.Lan(2) as lan:
        h1, h2 = lan.hosts
        a = benchlan.start_node(lan, h1, node, "sender")
        b = benchlan.start_node(lan, h2, node, "receiver")
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
        print("%d lines at %.0f lines/s; %d reached the other store" % (len(sent), args.rate, len(lat)))
        print("  SENT -> other member's STORED: p50 %.3f ms, p90 %.3f ms, p99 %.3f ms, max %.3f ms"
              % (benchlan.percentile(lat, 50), benchlan.percentile(lat, 90), benchlan.percentile(lat, 99), max(lat)))
        print("  SENT -> own STORED (sends + local append): p50 %.3f ms, p99 %.3f ms"
              % (benchlan.percentile(local, 50), benchlan.percentile(local, 99)))
        print("  p99 target < 2 ms: %s" % ("met" if benchlan.percentile(lat, 99) < 2.0 else "NOT met"))


if __name__ == "__main__":
    main()
