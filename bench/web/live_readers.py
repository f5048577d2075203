#!/usr/bin/env python3
"""Many readers of the live page's event stream on loopback, and what a line costs to reach them.

    python3 bench/web/live_readers.py [--readers 1000] [--procs 2] [--lines 20] [--interval 0.5]
                                      [--node build/tools/tavrin_node/tavrin_node]
    python3 bench/web/live_readers.py --port N [--readers 1000] [--hold 40]

The first form starts tavrin_node on 127.0.0.1 with its web server on (the program's own server
class, fed by the network controller's caption store as in the main window), connects N readers to
/live/events, each an asyncio stream in one of P processes, and has the node type K lines. It
prints:

  * latency from the line being stored to the add event reaching each reader: the node prints
    "FEED <ns>" (CLOCK_MONOTONIC) the moment the line reaches the feed of the live pages, which
    is the same call in which the store tells its observers, and each reader stamps its arrival
    with the same clock; p50, p99 and max over every (reader, line) pair, and the p99 of the
    moment the last reader had each line;
  * the node's resident memory with 0 and with N readers, and ((RSS N) - (RSS 0)) / N;
  * the processor time the node's main thread (the one the web server shares with the display in
    the program) spent per line typed, pushing it to every reader included;
  * whether every reader got every line exactly once, in order.

The second form only connects the readers to a server that is already running (the display's
jitter bench with --web, bench/display/ScrollJitter.cpp), keeps them for --hold seconds and
counts the add events each got.

The readers run in Python, so the figures include the clients' own work: with 1000 readers on
2 cores the last reader of a line waits for the others to be parsed first.
"""

import argparse
import asyncio
import json
import multiprocessing
import os
import queue
import statistics
import subprocess
import sys
import threading
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "web_serve"))
from sse_lines import SseLines  # noqa: E402


async def read_stream(host, port, on_event, on_open):
    """One reader: the request, then the events as (kind, id, data) until the stream ends."""
    reader, writer = await asyncio.open_connection(host, port)
    writer.write(b"GET /live/events HTTP/1.1\r\nHost: " + host.encode() +
                 b"\r\nAccept: text/event-stream\r\n\r\n")
    await writer.drain()
    head = await reader.readuntil(b"\r\n\r\n")
    status = head.split(b"\r\n", 1)[0]
    if b" 200 " not in status:
        writer.close()
        raise ConnectionError(status.decode(errors="replace"))
    on_open()
    lines = SseLines()
    try:
        while True:
            line = await reader.readline()
            if not line:
                return
            stamp = time.monotonic_ns()
            event = lines.feed(line.rstrip(b"\n").rstrip(b"\r").decode())
            if event and event[0] != "retry":
                on_event(*event, stamp)
    finally:
        writer.close()


def worker(host, port, count, control):
    """A process holding `count` readers: says "ready" when all have had their first state, and
    at "stop" sends back, per reader, the add events it got as (text, arrival ns)."""

    async def main():
        got = [[] for _ in range(count)]
        resets = [0] * count
        ready = asyncio.Event()
        opened = 0
        with_state = 0
        stop = asyncio.Event()
        loop = asyncio.get_running_loop()
        loop.add_reader(control.fileno(), lambda: (control.recv(), stop.set()))

        def handler(i):
            def on_event(kind, _ident, data, stamp):
                nonlocal with_state
                if kind == "reset":
                    resets[i] += 1
                    if resets[i] == 1:
                        with_state += 1
                        if with_state == count:
                            ready.set()
                elif kind == "add":
                    got[i].append((json.loads(data)["text"], stamp))
            return on_event

        def on_open():
            nonlocal opened
            opened += 1

        tasks = []
        for i in range(count):
            tasks.append(asyncio.create_task(read_stream(host, port, handler(i), on_open)))
            # A burst of connections beyond the listen backlog would be refused.
            if i % 50 == 49:
                await asyncio.sleep(0.02)
        waiter = asyncio.create_task(ready.wait())
        stopper = asyncio.create_task(stop.wait())
        await asyncio.wait([waiter, stopper] + tasks, return_when=asyncio.FIRST_COMPLETED)
        failed = [t for t in tasks if t.done()]
        if failed and not ready.is_set():
            control.send(("failed", repr(failed[0].exception()) if failed[0].exception() else "closed"))
            return
        control.send(("ready", opened))
        await stopper
        for t in tasks:
            t.cancel()
        control.send(("results", got, resets))

    asyncio.run(main())


class Readers:
    def __init__(self, host, port, total, procs):
        self.pipes = []
        self.procs = []
        share = [total // procs + (1 if i < total % procs else 0) for i in range(procs)]
        for count in share:
            ours, theirs = multiprocessing.Pipe()
            p = multiprocessing.Process(target=worker, args=(host, port, count, theirs), daemon=True)
            p.start()
            self.pipes.append(ours)
            self.procs.append(p)

    def wait_ready(self, timeout):
        deadline = time.monotonic() + timeout
        for pipe in self.pipes:
            if not pipe.poll(max(0.0, deadline - time.monotonic())):
                raise TimeoutError("readers did not all get the state in time")
            kind, value = pipe.recv()
            if kind != "ready":
                raise ConnectionError(value)

    def stop(self):
        got, resets = [], []
        for pipe in self.pipes:
            pipe.send("stop")
        for pipe in self.pipes:
            kind, g, r = pipe.recv()
            got += g
            resets += r
        for p in self.procs:
            p.join(5)
        return got, resets


class Node:
    """tavrin_node on loopback with its web server, read line by line from a thread."""

    def __init__(self, binary):
        self.proc = subprocess.Popen(
            [binary, "--address", "127.0.0.1", "--name", "bench", "--web", "0"],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding="utf-8")
        self.lines = queue.Queue()
        threading.Thread(target=self._pump, daemon=True).start()

    def _pump(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def expect(self, prefix, timeout=10):
        deadline = time.monotonic() + timeout
        while True:
            line = self.lines.get(timeout=max(0.01, deadline - time.monotonic()))
            if line is None:
                raise RuntimeError("tavrin_node ended")
            if line.startswith(prefix):
                return line

    def command(self, text, answer=None):
        self.proc.stdin.write(text + "\n")
        self.proc.stdin.flush()
        return self.expect(answer) if answer else None

    def thread_cpu_ns(self):
        """Time the main thread has run so far (the first field of its schedstat)."""
        with open("/proc/%d/task/%d/schedstat" % (self.proc.pid, self.proc.pid)) as f:
            return int(f.read().split()[0])

    def rss_kb(self):
        return int(self.command("rss", "RSS ").split()[1])

    def quit(self):
        try:
            self.command("quit")
            self.proc.wait(5)
        except Exception:
            self.proc.kill()


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(p * len(values)))]


def measure(args):
    node = Node(args.node)
    try:
        port = int(node.expect("WEB port=").split()[1].split("=")[1])
        node.expect("LOGIN ok")
        time.sleep(1)
        rss0 = node.rss_kb()
        started = time.monotonic()
        readers = Readers("127.0.0.1", port, args.readers, args.procs)
        readers.wait_ready(120)
        connect_s = time.monotonic() - started
        streams = node.command("web", "WEB ")
        time.sleep(1)
        rssn = node.rss_kb()

        stored = {}
        texts = []
        cpu_before = node.thread_cpu_ns()
        for k in range(args.lines):
            text = "本日はお集まりいただきありがとうございます。第%03d行" % k
            texts.append(text)
            node.command("line " + text)
            while text not in stored:
                line = node.expect("FEED ")
                parts = line.split(" ", 4)
                if parts[2] == "add":
                    stored[parts[4]] = int(parts[1])
            time.sleep(args.interval)
        time.sleep(1)
        cpu_per_line = (node.thread_cpu_ns() - cpu_before) / 1e6 / args.lines
        got, resets = readers.stop()
    finally:
        node.quit()

    latencies = []
    last_per_line = {t: 0 for t in texts}
    first_per_line = {t: float("inf") for t in texts}
    complete = 0
    for events in got:
        if [t for t, _ in events] == texts:
            complete += 1
        for text, stamp in events:
            if text in stored:
                ms = (stamp - stored[text]) / 1e6
                latencies.append(ms)
                last_per_line[text] = max(last_per_line[text], ms)
                first_per_line[text] = min(first_per_line[text], ms)
    print("readers %d in %d processes, connected and given the state in %.1f s; server: %s"
          % (args.readers, args.procs, connect_s, streams))
    print("lines %d, one every %.2f s, %d UTF-8 bytes each"
          % (args.lines, args.interval, len(texts[0].encode())))
    print("every line once and in order: %d of %d readers; resets beyond the first: %d"
          % (complete, len(got), sum(r - 1 for r in resets)))
    print("stored -> event at a reader: p50 %.2f ms, p99 %.2f ms, max %.2f ms (%d events)"
          % (statistics.median(latencies), percentile(latencies, 0.99), max(latencies), len(latencies)))
    firsts = list(first_per_line.values())
    print("stored -> event at the first of the readers: p50 %.2f ms, max %.2f ms"
          % (statistics.median(firsts), max(firsts)))
    lasts = list(last_per_line.values())
    print("stored -> event at the last of the readers: p50 %.2f ms, max %.2f ms"
          % (statistics.median(lasts), max(lasts)))
    print("node's main thread: %.2f ms of processor time per line" % cpu_per_line)
    print("load average while measuring: %s" % open("/proc/loadavg").read().split()[0])
    print("node RSS: %d kB with 0 readers, %d kB with %d: %.1f kB per reader"
          % (rss0, rssn, args.readers, (rssn - rss0) / args.readers))
    return 0 if complete == len(got) else 1


def hold(args):
    readers = Readers("127.0.0.1", args.port, args.readers, args.procs)
    readers.wait_ready(120)
    print("ready %d" % args.readers, flush=True)
    time.sleep(args.hold)
    got, _ = readers.stop()
    counts = [len(events) for events in got]
    print("add events per reader: min %d, max %d" % (min(counts), max(counts)))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--readers", type=int, default=1000)
    parser.add_argument("--procs", type=int, default=2)
    parser.add_argument("--lines", type=int, default=20)
    parser.add_argument("--interval", type=float, default=0.5)
    parser.add_argument("--node", default=os.path.join(ROOT, "build/tools/tavrin_node/tavrin_node"))
    parser.add_argument("--port", type=int, help="only connect to this server on 127.0.0.1")
    parser.add_argument("--hold", type=float, default=40)
    args = parser.parse_args()
    return hold(args) if args.port else measure(args)


if __name__ == "__main__":
    sys.exit(main())
