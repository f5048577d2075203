#!/usr/bin/env python3
"""The live page's event stream across a namespace LAN: a reader whose network goes away for 30 s
while lines are typed and one is taken back gets, after it reconnects with the last event id it
had, every change exactly once and in order, without a second full state."""

import json
import os
import sys
import time
import unittest

import lanbase
from lanbase import LanTestCase

HERE = os.path.dirname(os.path.abspath(__file__))
READER = os.path.join(HERE, "sse_reader.py")
NATIVE = 1
PORT = 8080
DROP_S = 30


class Event:
    def __init__(self, line):
        # EVENT KIND RUN-N DATA
        _, self.kind, self.id, data = line.split(" ", 3)
        self.data = json.loads(data.replace("\\n", "\n").replace("\\\\", "\\"))
        self.run, _, number = self.id.rpartition("-")
        self.number = int(number)


def apply(lines, event):
    """The reader's page after one event: (id, text) pairs in page order."""
    if event.kind == "reset":
        return [(l["id"], l["text"]) for l in event.data["lines"]]
    if event.kind == "withdraw":
        return [l for l in lines if l[0] != event.data["id"]]
    line = event.data
    ids = [i for i, _ in lines]
    if line["before"] in ids:
        at = ids.index(line["before"])
    elif line["after"] in ids:
        at = ids.index(line["after"]) + 1
    else:
        at = len(lines)
    return lines[:at] + [(line["id"], line["text"])] + lines[at:]


class LiveStreamAcrossADrop(LanTestCase):
    hosts = 3

    def test_a_reader_away_for_30_s_misses_nothing_and_gets_nothing_twice(self):
        h1, h2, h3 = self.lan.hosts
        server = self.node(h1, "alpha", extra=["--web", str(PORT)])
        self.assertTrue(server.matching(r"^WEB port=%d " % PORT), "the web server did not start")
        typist = self.node(h3, "beta")
        self.wait_members(server, {typist.address: NATIVE})
        self.wait_members(typist, {server.address: NATIVE})

        def type_line(text):
            typist.command("line " + text)
            server.expect(r"^FEED \d+ add \d+ %s$" % text)

        type_line("before")
        reader = self.lan.spawn(h2, [sys.executable, READER, h1.address, str(PORT)], label="reader@h2")
        reader.expect(r"^OPEN -$")
        reader.expect(r"^EVENT reset ")
        type_line("live")
        reader.expect(r'^EVENT add .*"text": ?"live"')

        # The reader's network goes away; the room goes on typing and takes one line back.
        self.lan.add_loss(h2, 100, protocol="tcp")
        dropped = time.monotonic()
        for text in ("away1", "away2", "oops"):
            type_line(text)
            time.sleep(0.5)
        typist.command("undo")
        server.expect(r"^FEED \d+ withdraw ")
        type_line("away3")
        reader.expect(r"^CLOSED silent$", timeout=DROP_S)
        time.sleep(max(0.0, DROP_S - (time.monotonic() - dropped)))
        self.lan.clear_loss(h2)

        resumed = reader.expect(r"^OPEN (\S+)$", timeout=10).group(1)
        self.assertNotEqual(resumed, "-", "the reader reconnected without its last event id")
        type_line("after")
        reader.expect(r'^EVENT add .*"text": ?"after"')

        events = [Event(l) for l in reader.snapshot() if l.startswith("EVENT ")]
        self.assertEqual([e.kind for e in events].count("reset"), 1, "a second full state was sent")
        self.assertEqual(events[0].kind, "reset")
        self.assertEqual({e.run for e in events}, {events[0].run})
        numbers = [e.number for e in events]
        self.assertEqual(numbers, list(range(numbers[0], numbers[0] + len(numbers))),
                         "event numbers with a gap or a repeat")
        adds = [e.data["text"] for e in events if e.kind == "add"]
        self.assertEqual(adds, ["live", "away1", "away2", "oops", "away3", "after"])
        page = []
        for e in events:
            page = apply(page, e)
        self.assertEqual([t for _, t in page], ["before", "live", "away1", "away2", "away3", "after"])


if __name__ == "__main__":
    lanbase.main()
