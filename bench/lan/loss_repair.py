#!/usr/bin/env python3
"""Loss repair: two native typists send lines alternately over links that drop a share of the
datagrams entering each host; counts the other typist's lines that reached each store and
checks their order. Lines lost on the wire come back with the repeated history of later
datagrams (each datagram repeats the newest five caption lines).

  sudo python3 bench/lan/loss_repair.py --lines 500 --rate 20 --loss 20
  sudo python3 bench/lan/loss_repair.py --lines 200 --rate 2 --loss 20     (the real typing rate)
"""

import json
import subprocess
import sys
import time

import benchlan
from benchlan import netlan

# --trace: a third host without loss records every native datagram and the caption lines it
# carries (its own line and the repeated ones), to show for a missing line how many datagrams
# carried it: with independent drops of p, all n carriers are lost with probability p**n.
TRACER = r'''
import json, select, socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((sys.argv[1], int(sys.argv[2])))
print("TRACING", flush=True)
seen = []
while True:
    ready, _, _ = select.select([s, sys.stdin], [], [], 1.0)
    if sys.stdin in ready:
        break
    if s not in ready:
        continue
    data, (addr, _) = s.recvfrom(65536)
    t = data.decode("utf-16-le", "replace")
    if len(t) < 14:
        continue
    kind, n = t[9], int(t[10:14]) // 2
    lines = [t[14:14 + n]] if kind == "D" else []
    i = 14 + n
    while i + 31 <= len(t) and t[i] == "\n":
        ln = int(t[i + 27:i + 31])
        if t[i + 25] == "D":
            lines.append(t[i + 31:i + 31 + ln])
        i += 31 + ln
    seen.append((time.monotonic(), addr, kind, lines))
print(json.dumps(seen), flush=True)
'''


def main():
    p = benchlan.parser(__doc__)
    p.add_argument("--lines", type=int, default=500, help="lines per typist")
    p.add_argument("--rate", type=float, default=20.0, help="lines per second per typist")
    p.add_argument("--loss", type=int, default=20, help="percent of UDP datagrams dropped entering each host")
    p.add_argument("--settle", type=float, default=8.0, help="seconds to wait after the last line (heartbeats repair)")
    p.add_argument("--trace", action="store_true", help="record the datagrams on a third host (see above)")
    args = p.parse_args()
    node, _ = benchlan.tools(args)

    with netlan.Lan(3 if args.trace else 2) as lan:
        h1, h2 = lan.hosts[:2]
        tracer = None
        if args.trace:
            tracer = lan.popen(lan.hosts[2], [sys.executable, "-c", TRACER, lan.hosts[2].broadcast, "6633"],
                               stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
            tracer.stdout.readline()
        a = benchlan.start_node(lan, h1, node, "typistA")
        b = benchlan.start_node(lan, h2, node, "typistB")
        time.sleep(3)  # both know each other before the loss starts
        for h in (h1, h2):
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
        trace = json.loads(tracer.communicate("stop\n")[0].strip().splitlines()[-1]) if tracer else []

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
            sender = b.address if other == "B" else a.address
            if trace:
                carried = {}
                for _, addr, _, lines in trace:
                    if addr == sender:
                        for t in set(lines):
                            carried[t] = carried.get(t, 0) + 1
                counts = [carried.get(t, 0) for t in sent[other]]
                expected = sum((args.loss / 100.0) ** c for c in counts)
                print("    %s's lines were carried by %d … %d datagrams (mean %.1f); expected missing with independent "
                      "drops: %.1f" % (other, min(counts), max(counts), sum(counts) / len(counts), expected))
            for t in missing[:20] if trace else []:
                carriers = [(ts, kind) for ts, addr, kind, lines in trace if addr == sender and t in lines]
                print("    %s carried by %d datagrams (%s): all lost with p = %.2g"
                      % (t, len(carriers), "".join(k for _, k in carriers), (args.loss / 100.0) ** len(carriers)))


if __name__ == "__main__":
    main()
