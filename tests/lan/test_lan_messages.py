#!/usr/bin/env python3
"""Contact messages, pre-roll texts and monitor texts on a namespace LAN, between native members
and a Quorel peer."""

import time
import unittest

import lanbase
from lanbase import LanTestCase, ERASE, NEWLINE

NATIVE = 1
QUOREL = 0


class MessageTestCase(LanTestCase):
    hosts = 3

    def setUp(self):
        super().setUp()
        h1, h2, h3 = self.lan.hosts
        self.a = self.node(h1, "alpha")
        self.b = self.node(h2, "beta")
        self.q = self.quorel(h3, "quo")
        self.wait_members(self.a, {self.b.address: NATIVE, self.q.address: QUOREL})
        self.wait_members(self.b, {self.a.address: NATIVE, self.q.address: QUOREL})
        self.q.expect(r"^JOIN %s " % self.b.address)


class Contact(MessageTestCase):
    def test_contact_messages_are_shown_once_although_the_history_repeats_them(self):
        a, b, q = self.a, self.b, self.q
        a.command("chat 了解です")
        q.command("chat quo／次どうぞ")
        # More datagrams whose tails repeat the contact history: another message and heartbeats
        # (every third repeats the contact lines).
        a.command("chat 二つ目")
        for _ in range(4):
            a.command("heartbeat")
        time.sleep(0.5)
        for n, own in ((a, True), (b, False)):
            shown = [l.split(" ", 2)[2] for l in n.matching(r"^CONTACT ")]
            self.assertEqual(sorted(shown), sorted(["alpha／了解です", "quo／次どうぞ", "alpha／二つ目"]), n.label)
        self.assertEqual([l.split(" ", 3)[3] for l in q.matching(r"^RECV chat ")], ["alpha／了解です", "alpha／二つ目"])
        # Stored once each (the Quorel peer's message is shown but not stored). The order is not
        # checked here: two messages received within the same millisecond may be swapped.
        stored = [l.split(" ", 4)[4] for l in b.command("chat-dump") if l.startswith("CHAT ")]
        self.assertEqual(sorted(stored), sorted(["alpha／了解です", "alpha／二つ目"]))


class Preroll(MessageTestCase):
    def test_preroll_of_a_native_member_reaches_the_pre_roll_monitors(self):
        a, b, q = self.a, self.b, self.q
        a.command("pft f1|f2 ## l1||l3")
        want = "former=f1\\r\\nf2\\r\\n latter=l1\\r\\n\\r\\nl3\\r\\n"
        self.wait_until(lambda: [l for l in b.command("pftmon " + a.address) if l.endswith(want)],
                        what="b's pre-roll monitor")
        own = a.command("pftmon 127.0.0.1")
        self.assertTrue(own[0].startswith("PFTMON 127.0.0.1 former=f1"), own)
        self.wait_until(lambda: len(q.matching(r"^RECV pft-former ")) >= 3 and len(q.matching(r"^RECV pft-latter ")) >= 4)
        self.assertEqual([l.split(" ", 3)[3] for l in q.matching(r"^RECV pft-former ")], [ERASE, "f1", "f2"])
        self.assertEqual([l.split(" ", 3)[3] for l in q.matching(r"^RECV pft-latter ")], [ERASE, "l1", NEWLINE, "l3"])

    def test_preroll_of_a_quorel_peer_reaches_the_pre_roll_monitors(self):
        a, b, q = self.a, self.b, self.q
        q.command("pft former x1|x2")
        q.command("pft latter y1")
        for n in (a, b):
            line = self.wait_until(lambda: [l for l in n.command("pftmon " + q.address)
                                            if "x2" in l and "y1" in l], what=n.label + " pre-roll monitor")[0]
            self.assertIn("x1", line.split(" latter=")[0])
            self.assertNotIn("y1", line.split(" latter=")[0])
        # A new block replaces the old one: the erase marker comes first.
        q.command("pft former z")
        self.wait_until(lambda: [l for l in a.command("pftmon " + q.address)
                                 if "z" in l and "x1" not in l.split(" latter=")[0]])


class Monitor(MessageTestCase):
    def test_monitor_texts_reach_the_member_monitors(self):
        a, b, q = self.a, self.b, self.q
        a.command("monitor 入力中")
        b.expect(r"^INPUT %s 入力中$" % a.address)
        q.expect(r"^RECV monitor %s %s,入力中$" % (a.address, a.address))
        q.command("monitor quo, typing")
        for n in (a, b):
            n.expect(r"^INPUT %s quo, typing$" % q.address)
        # A line empties the monitor text on the others after the resend.
        b.mark()
        a.command("line done")
        b.expect(r"^INPUT %s $" % a.address)


if __name__ == "__main__":
    lanbase.main()
