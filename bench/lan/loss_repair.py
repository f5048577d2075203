#!/usr/bin/env python3
"""Loss repair: two native typists send lines alternately over links that drop a share of the
datagrams entering each host; counts the other typist's lines that reached each store and
checks their order. Lines lost on the wire come back with the repeated history of later
datagrams (each datagram repeats the newest five caption lines).

  sudo python3 bench/lan/loss_repair.py --lines 500 --rate 20 --loss 20
  sudo python3 bench/lan/loss_repair.py --lines 200 --rate 2 --loss 20     (the real typing rate)
"""

import time

import benchlan
from benchlan import netlan


def main():
    p = benchlan.parser(__doc__)
    p.add_argument("--lines", type=int, default=500, help="lines per typist")
    p.add_argument("--rate", type=float, default=20.0, help="lines per second per typist")
    p.add_argument("--loss", type=int, default=20, help="percent of UDP datagrams dropped entering each host")
    p.add_argument("--settle", type=float, default=8.0, help="seconds to wait after the last line (heartbeats repair)")
    args = p.parse_args()
    node, _ = benchlan.tools(args)

    with netlan.Lan(2) as lan:
        h1, h2 = lan.hosts
        a = benchlan.start_node(lan, h1, node, "typistA")
        b = benchlan.start_node(lan, h2, node, "typistB")
        time.sleep(3)  # both know each other before the loss starts
        for h in lan.hosts:
            lan.add_loss(h, args.loss, directions=("input",))

        # The two typists alternate, each at `rate` lines per second.
        start = time.monotonic()
        total = 2 * args.lines
        for i in range(total):
            benchlan.pace(start, i, 2 * args.rate)
            who, tag = (a, "A") if i % 2 == 0 else (b, "B")
            who.send("line %s%05d" % (tag, i // 2))
        elapsed = time.monotonic() - start
        a.command("state", timeout=60)
        b.command("state", timeout=60)
        time.sleep(args.settle)

        sent = {"A": [t for _, t in benchlan.events(a, "SENT")], "B": [t for _, t in benchlan.events(b, "SENT")]}
        sent_at = {t: ns for tool in (a, b) for ns, t in benchlan.events(tool, "SENT")}
        typing_order = sorted(sent_at, key=sent_at.get)
        print("loss %d %% entering each host, %d lines per typist at %.1f lines/s each (%.1f s)"
              % (args.loss, args.lines, args.rate, elapsed))
        for tool, own, other in ((a, "A", "B"), (b, "B", "A")):
            rows = [r for r in benchlan.captions(tool) if r[3] == "D"]
            texts = [r[4] for r in rows]
            got_other = [t for t in texts if t.startswith(other)]
            in_order = got_other == [t for t in sent[other] if t in set(got_other)]
            whole_order = texts == [t for t in typing_order if t in set(texts)]
            # How late the repaired lines came: STORED stamp minus the sender's SENT stamp.
            delays = [ns - sent_at[t] for ns, _, _, t in benchlan.events(tool, "STORED") if t.startswith(other) and t in sent_at]
            late = sum(1 for d in delays if d > 50e6)
            print("  node %s: %d/%d of %s's lines stored (%.2f %%), their order %s, merged order %s, "
                  "duplicates %d; %d arrived more than 50 ms late (repaired), p50 %.2f ms, p99 %.1f ms, max %.1f ms"
                  % (own, len(set(got_other)), len(sent[other]), other, 100.0 * len(set(got_other)) / max(1, len(sent[other])),
                     "kept" if in_order else "BROKEN", "kept" if whole_order else "BROKEN",
                     len(got_other) - len(set(got_other)), late,
                     benchlan.percentile(delays, 50) / 1e6, benchlan.percentile(delays, 99) / 1e6,
                     (max(delays) if delays else 0) / 1e6))
            missing = [t for t in sent[other] if t not in set(got_other)]
            if missing:
                print("    missing:", " ".join(missing[:20]), "…" if len(missing) > 20 else "")


if __name__ == "__main__":
    main()
