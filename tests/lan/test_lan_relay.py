#!/usr/bin/env python3
"""The caption relay across an outage: two members type on a namespace LAN while the member that
relays (tavrin_node --relay, the program's feed, adapter and relay) loses its Zoom- and YouTube-style
caption services for 60 s: first their listeners close, then their host's link drops every TCP
segment. Afterwards each service has every shown line exactly once, in display order, with
consecutive seq values.

    python3 test_lan_relay.py --sim quorel_sim --node tavrin_node --fake tavrin_fake_caption_service
"""

import os
import re
import sys
import time

import lanbase
from lanbase import LanTestCase

FAKE = None
CLOSED = 30.0  # listeners closed
LOST = 30.0    # link drops everything
PERIOD = 1.0   # each typist's pace; the two are half a period apart


def accepted(service):
    """(seq, body) of every caption the service took (answered with 2xx), in the order it took them.
    A retry whose first try reached the service just as its answer was lost comes with the same seq
    and body, which the service takes as the same caption."""
    out = []
    bodies = {}
    for line in service.matching(r"^POST "):
        m = re.match(r"^POST seq=(-?\d+) status=(\d+) t=\d+ body=(.*)$", line)
        if not m or not m.group(2).startswith("2"):
            continue
        seq, body = int(m.group(1)), m.group(3)
        if seq in bodies:
            assert bodies[seq] == body, "seq %d sent with two captions: %r, %r" % (seq, bodies[seq], body)
            continue
        bodies[seq] = body
        out.append((seq, body))
    return out


class Relay(LanTestCase):
    hosts = 3

    def service(self, host, port, *extra):
        tool = self.lan.spawn(host, [FAKE, "--address", host.address, "--port", str(port)] + list(extra),
                              label="service:%d" % port)
        tool.expect(r"^listening %d$" % port)
        return tool

    @staticmethod
    def tell(services, command):
        for s in services:
            s.send(command)
            s.expect(r"^ok %s " % command)

    def relay_states(self, node):
        return [l for l in node.command("relay") if l.startswith("RELAY ")]

    def test_every_line_arrives_once_in_order_after_an_outage(self):
        h1, h2, h3 = self.lan.hosts
        zoom = self.service(h3, 8001, "--seq", "100")
        youtube = self.service(h3, 8002, "--youtube-time")
        a = self.node(h1, "alpha", extra=[
            "--relay", "zoom=http://%s:8001/closedcaption?id=m1&signature=s1" % h3.address,
            "--relay", "youtube=http://%s:8002/closedcaption?cid=k1" % h3.address,
            "--relay-hold", "500"])
        b = self.node(h2, "beta")
        self.wait_members(a, {b.address: 1})

        start = time.monotonic()
        end = start + 5 + CLOSED + LOST + 5
        phase = "before"
        n = 0
        while time.monotonic() < end:
            now = time.monotonic() - start
            if phase == "before" and now >= 5:
                phase = "closed"
                self.tell((zoom, youtube), "close")
            elif phase == "closed" and now >= 5 + CLOSED:
                phase = "lost"
                # Nothing got through: both targets hold lines.
                states = self.relay_states(a)
                self.assertEqual(len(states), 2)
                self.assertFalse([l for l in states if "waiting=0 " in l], states)
                self.tell((zoom, youtube), "open")
                self.lan.add_loss(h3, 100, protocol="tcp")
            elif phase == "lost" and now >= 5 + CLOSED + LOST:
                phase = "after"
                self.lan.clear_loss(h3)
            typist = (a, b)[n % 2]
            typist.command("line %s %d %s" % (typist.member_name, n, phase))
            if n == 6:
                # Taken back inside the hold: it never leaves.
                a.command("undo")
            n += 1
            time.sleep(PERIOD / 2)

        shown = [c.text for c in self.captions(a) if c.text and c.flag == 0]
        self.assertEqual(len(shown), n - 1)

        def delivered():
            return len(accepted(zoom)) >= len(shown) and len(accepted(youtube)) >= len(shown)
        self.wait_until(delivered, timeout=90, what=lambda: "the services to have %d lines (%d, %d; %r)" % (
            len(shown), len(accepted(zoom)), len(accepted(youtube)), self.relay_states(a)))
        recovered = time.monotonic() - start - 5 - CLOSED - LOST
        # Anything sent twice would come now.
        time.sleep(1)
        z, y = accepted(zoom), accepted(youtube)
        self.assertEqual([body for _, body in z], shown)
        self.assertEqual([seq for seq, _ in z], list(range(101, 101 + len(shown))))
        self.assertEqual([body.split("\\n")[1] for _, body in y], shown)
        self.assertEqual([seq for seq, _ in y], list(range(1, 1 + len(shown))))
        print("%d lines, %d and %d POSTs in all; every line delivered %.1f s after the outage ended" % (
            len(shown), len(zoom.matching(r"^POST ")), len(youtube.matching(r"^POST ")), recovered))


if __name__ == "__main__":
    args = sys.argv[1:]
    if "--fake" in args:
        i = args.index("--fake")
        FAKE = os.path.abspath(args[i + 1])
        del sys.argv[i + 1:i + 3]
    lanbase.main()
