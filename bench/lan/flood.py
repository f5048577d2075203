#!/usr/bin/env python3
"""Flood: another namespace sends datagrams as fast as it can at one node's native port, a third
of them illegal (lower-case kind), a third of another group, a third valid heartbeats. Watched:
the node's heartbeats keep going out (an observer on a third host records them), the node keeps
answering commands, the illegal sender is logged only under the rate limit, and the node's
resident memory stays flat from round to round.

  sudo python3 bench/lan/flood.py --datagrams 100000 --rounds 3
"""

import json
import re
import subprocess
import sys
import time

import benchlan
from benchlan import netlan

FLOODER = r'''
import socket, sys, time
src, dst, port, count = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind((src, 0))
def native(group, kind, text):
    t = int(time.time() * 1000) % 86400000
    return ("%s%08d%s%04d%s" % (group, t, kind, len(text) * 2, text)).encode("utf-16-le")
kinds = [native("A", "x", "illegal"), native("B", "H", "other group"), native("A", "H", "flooder")]
start = time.monotonic()
sent = dropped = 0
for i in range(count):
    try:
        s.sendto(kinds[i % 3], (dst, port))
        sent += 1
    except BlockingIOError:
        dropped += 1
    except OSError:
        dropped += 1
print("FLOOD sent=%d failed=%d seconds=%.3f" % (sent, dropped, time.monotonic() - start), flush=True)
'''

# Records the kind letters of the node's broadcasts until a line arrives on stdin.
OBSERVER = r'''
import json, select, socket, sys, time
bcast, port, watch = sys.argv[1], int(sys.argv[2]), sys.argv[3]
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
s.bind((bcast, port))
seen = []
print("OBSERVING", flush=True)
while True:
    ready, _, _ = select.select([s, sys.stdin], [], [], 1.0)
    if sys.stdin in ready:
        break
    if s in ready:
        data, (addr, _) = s.recvfrom(65536)
        if addr == watch and len(data) >= 20:
            seen.append((time.monotonic(), data[18:20].decode("utf-16-le")))
print(json.dumps(seen), flush=True)
'''


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return -1


def udp_counters(lan, host):
    out = lan.run(host, ["cat", "/proc/net/snmp"]).stdout.splitlines()
    rows = [l.split() for l in out if l.startswith("Udp:")]
    return dict(zip(rows[0][1:], map(int, rows[1][1:])))


def main():
    p = benchlan.parser(__doc__)
    p.add_argument("--datagrams", type=int, default=100000, help="datagrams per round")
    p.add_argument("--rounds", type=int, default=1)
    args = p.parse_args()
    node, _ = benchlan.tools(args)

    with netlan.Lan(3) as lan:
        h1, h2, h3 = lan.hosts
        n = benchlan.start_node(lan, h1, node, "target")
        pid = n.popen.pid
        with open("/proc/%d/comm" % pid) as f:
            assert f.read().strip() == "tavrin_node", "ip netns exec should have exec'ed the node"
        time.sleep(1.0)
        observer = lan.popen(h3, [sys.executable, "-c", OBSERVER, h3.broadcast, "6633", h1.address],
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        observer.stdout.readline()
        watch_start = time.monotonic()
        time.sleep(2.5)  # heartbeats before the flood

        rss = [("before", rss_kb(pid))]
        snmp_before = udp_counters(lan, h1)
        windows = []
        rtts = []
        for r in range(args.rounds):
            t0 = time.monotonic()
            flooder = lan.popen(h2, [sys.executable, "-c", FLOODER, h2.address, h1.address, "6633", str(args.datagrams)],
                                stdout=subprocess.PIPE, text=True)
            while flooder.poll() is None:
                q0 = time.monotonic()
                n.command("state", timeout=30)
                rtts.append(time.monotonic() - q0)
                time.sleep(0.05)
            line = flooder.stdout.read().strip()
            t1 = time.monotonic()
            windows.append((t0, t1))
            print("round %d: %s" % (r + 1, line))
            rss.append(("after round %d" % (r + 1), rss_kb(pid)))
            time.sleep(2.5)  # one heartbeat period between rounds
        rss.append(("settled", rss_kb(pid)))
        snmp_after = udp_counters(lan, h1)
        watch_seconds = time.monotonic() - watch_start
        seen = json.loads(observer.communicate("stop\n")[0].strip().splitlines()[-1])

        beats = [t for t, kind in seen if kind == "H"]
        gaps = [b - a for a, b in zip(beats, beats[1:])]
        in_flood = [t for t in beats if any(a <= t <= b for a, b in windows)]
        path = n.matching(r"^LOG ")[0][4:]
        raw = open(path, "rb").read().decode("utf-16-le", "replace")
        illegal = re.findall(r"Illegal packet from ([0-9.]+) : (\d+)", raw)
        members = [l for l in n.command("members") if l.startswith("MEMBER ")]

        print("flood of %d x %d datagrams at %s:6633 from %s" % (args.rounds, args.datagrams, h1.address, h2.address))
        print("  kernel UDP counters on the node's host: InDatagrams +%d, RcvbufErrors +%d (dropped before the node)"
              % (snmp_after["InDatagrams"] - snmp_before["InDatagrams"],
                 snmp_after["RcvbufErrors"] - snmp_before["RcvbufErrors"]))
        print("  heartbeats seen by the observer: %d in %.1f s, %d during the flood; largest gap %.2f s (period 2 s)"
              % (len(beats), watch_seconds, len(in_flood), max(gaps) if gaps else float("nan")))
        print("  command round trip during the flood: p50 %.1f ms, max %.1f ms over %d commands"
              % (benchlan.percentile(rtts, 50) * 1e3, max(rtts) * 1e3 if rtts else 0, len(rtts)))
        print("  'Illegal packet from' lines: %d (counts %s)" % (len(illegal), ",".join(c for _, c in illegal)))
        print("  RSS kB: " + ", ".join("%s %d" % kv for kv in rss))
        print("  members after: " + "; ".join(members))


if __name__ == "__main__":
    main()
