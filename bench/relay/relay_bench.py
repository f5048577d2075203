#!/usr/bin/env python3
"""The relay against a Zoom-style fake caption service on loopback (127.0.0.1 only).

delay:    --lines lines, hold 0, one every --interval-ms; from a line handed to the relay until
          its POST was answered: p50, p99, max.
recovery: --typists typists at --rate lines a second each; after --before s of typing the
          service goes away (listener and connections closed) for --outage s, and typing goes on
          for --after s once it is back. Recovery is the time from the service's return until no
          line waits any more; split into the wait for the next retry (backoff) and the catching
          up. Both runs check that every line arrived exactly once, in order, with consecutive seq.

  bench/relay/relay_bench.py [--build DIR] [--only delay|recovery]

Without --build the tools are built in build/relay-bench (RelWithDebInfo).
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def build_tools(build):
    if not os.path.exists(os.path.join(build, "build.ninja")):
        subprocess.run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"],
                       check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["cmake", "--build", build, "--target", "tavrin_fake_caption_service", "tavrin_relay_feed",
                    "-j", "2"], check=True, stdout=subprocess.DEVNULL)
    tools = os.path.join(build, "tools", "relay")
    return os.path.join(tools, "tavrin_fake_caption_service"), os.path.join(tools, "tavrin_relay_feed")


class Lines:
    """A child's standard output, line by line, read on a thread."""

    def __init__(self, process):
        self.lines = []
        self.cond = threading.Condition()
        threading.Thread(target=self._read, args=(process.stdout,), daemon=True).start()

    def _read(self, stream):
        for line in stream:
            with self.cond:
                self.lines.append(line.rstrip("\n"))
                self.cond.notify_all()

    def wait_for(self, prefix, timeout=10):
        end = time.monotonic() + timeout
        with self.cond:
            while True:
                for line in self.lines:
                    if line.startswith(prefix):
                        return line
                left = end - time.monotonic()
                if left <= 0:
                    raise RuntimeError("no '%s' from the child" % prefix)
                self.cond.wait(left)


class Service:
    def __init__(self, tool):
        self.process = subprocess.Popen([tool, "--seq", "0"], stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True)
        self.out = Lines(self.process)
        self.port = int(self.out.wait_for("listening").split()[1])

    def command(self, word):
        self.process.stdin.write(word + "\n")
        self.process.stdin.flush()
        reply = self.out.wait_for("ok " + word)
        self.out.lines.remove(reply)
        return float(reply.split("t=")[1]) / 1000.0

    def posts(self):
        result = []
        for line in list(self.out.lines):
            if line.startswith("POST "):
                fields = dict(part.split("=", 1) for part in line.split(" ")[1:4])
                result.append((int(fields["seq"]), int(fields["status"]), line.split(" body=", 1)[1]))
        return result

    def stop(self):
        self.command("quit")
        self.process.wait(timeout=10)


def feed(tool, port, args):
    url = "http://127.0.0.1:%d/closedcaption?id=bench&signature=bench" % port
    process = subprocess.Popen([tool, "--kind", "zoom", "--url", url, "--hold", "0"] + args,
                               stdout=subprocess.PIPE, text=True)
    return process, Lines(process)


def events(out):
    return [json.loads(line) for line in list(out.lines) if line.startswith("{")]


def check_delivery(service, total):
    accepted = [(seq, body) for seq, status, body in service.posts() if status // 100 == 2]
    numbers = [int(body.rsplit(" ", 1)[1]) for _, body in accepted]
    seqs = [seq for seq, _ in accepted]
    ok = numbers == list(range(1, total + 1)) and seqs == list(range(seqs[0], seqs[0] + total))
    print("  delivery: %d lines accepted, %s" % (len(accepted),
          "each once, in order, consecutive seq" if ok else "NOT each once in order"))
    return ok


def percentile(values, fraction):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(fraction * (len(ordered) - 1))))]


def run_delay(tools, lines, interval_ms):
    service = Service(tools[0])
    process, out = feed(tools[1], service.port, ["--lines", str(lines), "--rate", str(1000.0 / interval_ms)])
    process.wait(timeout=lines * interval_ms / 1000.0 + 60)
    delays = [event["delay_ms"] for event in events(out) if event["ev"] == "sent"]
    service.stop()
    print("delay (hold 0, %d lines, one every %g ms):" % (lines, interval_ms))
    print("  p50 %.2f ms  p99 %.2f ms  max %.2f ms  mean %.2f ms" % (
        percentile(delays, 0.5), percentile(delays, 0.99), max(delays), statistics.mean(delays)))
    return check_delivery(service, lines) and len(delays) == lines


def run_recovery(tools, typists, rate, before, outage, after):
    service = Service(tools[0])
    seconds = before + outage + after
    total = int(seconds * rate * typists)
    process, out = feed(tools[1], service.port,
                        ["--typists", str(typists), "--rate", str(rate), "--seconds", str(seconds)])
    time.sleep(before)
    closed = service.command("close")
    time.sleep(outage)
    opened = service.command("open")
    process.wait(timeout=seconds + 120)
    all_events = events(out)
    backlog = max([e["n"] for e in all_events if e["ev"] == "waiting" and closed <= e["t"] / 1000.0 < opened],
                  default=0)
    first_sent = min(e["t"] / 1000.0 for e in all_events if e["ev"] == "sent" and e["t"] / 1000.0 > opened)
    empty = min(e["t"] / 1000.0 for e in all_events
                if e["ev"] == "waiting" and e["n"] == 0 and e["t"] / 1000.0 > opened)
    retries = sum(1 for e in all_events if e["ev"] == "state" and e["state"] == "retry")
    service.stop()
    print("recovery (%d typists at %g lines/s each, service gone for %g s):" % (typists, rate, outage))
    print("  backlog %d lines, %d failed tries during the outage" % (backlog, retries))
    print("  queue empty %.2f s after the service returned (next retry after %.2f s, then %.2f s to catch up)"
          % (empty - opened, first_sent - opened, empty - first_sent))
    return check_delivery(service, total)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", help="build folder that has the tools (default: build them)")
    parser.add_argument("--only", choices=["delay", "recovery"])
    parser.add_argument("--lines", type=int, default=1000)
    parser.add_argument("--interval-ms", type=float, default=20)
    parser.add_argument("--typists", type=int, default=2)
    parser.add_argument("--rate", type=float, default=2)
    parser.add_argument("--before", type=float, default=10)
    parser.add_argument("--outage", type=float, default=60)
    parser.add_argument("--after", type=float, default=20)
    args = parser.parse_args()

    if args.build:
        tools = tuple(os.path.join(args.build, "tools", "relay", name)
                      for name in ("tavrin_fake_caption_service", "tavrin_relay_feed"))
    else:
        tools = build_tools(os.path.join(ROOT, "build", "relay-bench"))
    ok = True
    if args.only in (None, "delay"):
        ok = run_delay(tools, args.lines, args.interval_ms) and ok
    if args.only in (None, "recovery"):
        ok = run_recovery(tools, args.typists, args.rate, args.before, args.outage, args.after) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
