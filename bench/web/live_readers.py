#!/usr/bin/env python3
"""Many readers of the live event stream on loopback, as the phones of a room would be.

    live_readers.py PORT [readers] [seconds] [server pid]      (defaults 1000, 20)

Opens the readers on /live/events, waits until every one has its state, then for the given time
records, for every "add" event each reader gets, the delay from the line being stored (the event's
"t", milliseconds since 1970) to its arrival. Prints the delays' p50/p99/max, whether every reader
got every line exactly once, and, with the server's pid, its memory per connected reader (from
VmRSS before and after the readers connected) and its processor time per event and reader. Target: p99 under 100 ms, under 20 kB a reader.
"""
import asyncio
import json
import os
import resource
import sys
import time


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    # utime and stime, the 14th and 15th fields of the whole line.
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def rss_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class Reader:
    def __init__(self):
        self.ready = asyncio.Event()
        self.delays = []
        self.ids = []

    async def run(self, port, stop):
        reader, writer = await asyncio.open_connection("127.0.0.1", port)
        writer.write(b"GET /live/events HTTP/1.1\r\nHost: 127.0.0.1\r\nAccept: text/event-stream\r\n\r\n")
        await writer.drain()
        await reader.readuntil(b"\r\n\r\n")
        kind = None
        while not stop.is_set():
            try:
                line = await asyncio.wait_for(reader.readline(), 0.5)
            except asyncio.TimeoutError:
                continue
            if not line:
                break
            arrived = time.time() * 1000.0
            line = line.rstrip(b"\n")
            if line.startswith(b"event: "):
                kind = line[7:]
            elif line.startswith(b"data: "):
                if kind == b"reset":
                    self.ready.set()
                elif kind == b"add":
                    event = json.loads(line[6:])
                    self.delays.append(arrived - event["t"])
                    self.ids.append(event["id"])
        writer.close()


async def main():
    port = int(sys.argv[1])
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    seconds = float(sys.argv[3]) if len(sys.argv) > 3 else 20
    pid = int(sys.argv[4]) if len(sys.argv) > 4 else 0
    soft, hard = resource.getrlimit(resource.RLIMIT_NOFILE)
    resource.setrlimit(resource.RLIMIT_NOFILE, (hard, hard))
    before = rss_kb(pid) if pid else 0
    stop = asyncio.Event()
    readers = [Reader() for _ in range(count)]
    tasks = []
    for r in readers:
        tasks.append(asyncio.create_task(r.run(port, stop)))
        await asyncio.sleep(0.001)
    await asyncio.wait_for(asyncio.gather(*(r.ready.wait() for r in readers)), 60)
    after = rss_kb(pid) if pid else 0
    cpu_before = cpu_seconds(pid) if pid else 0
    await asyncio.sleep(seconds)
    cpu_used = cpu_seconds(pid) - cpu_before if pid else 0
    stop.set()
    await asyncio.gather(*tasks, return_exceptions=True)

    # Lines stored while every reader was connected: the first and last may be cut by the window.
    common = set(readers[0].ids)
    for r in readers[1:]:
        common &= set(r.ids)
    duplicates = sum(len(r.ids) - len(set(r.ids)) for r in readers)
    delays = sorted(d for r in readers for d in r.delays)
    if not delays:
        print("no lines arrived")
        return 1
    pick = lambda q: delays[min(len(delays) - 1, int(len(delays) * q))]
    print(f"readers {count} lines {len(common)} events {len(delays)} duplicates {duplicates}")
    print(f"delay ms p50 {pick(0.5):.1f} p99 {pick(0.99):.1f} max {delays[-1]:.1f}")
    if pid:
        print(f"server rss kB before {before} after {after} per reader {(after - before) / count:.1f}")
        # Processor time, which other load on the machine does not inflate as it does the delays.
        print(f"server cpu {cpu_used:.2f} s for {len(delays)} events sent, "
              f"{1e6 * cpu_used / max(1, len(delays)):.1f} us an event and reader")
    return 0


if __name__ == "__main__":
    sys.exit(asyncio.run(main()))
