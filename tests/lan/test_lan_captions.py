#!/usr/bin/env python3
"""Caption lines on a namespace LAN: typing order across native members and a Quorel peer,
undo of native and Quorel lines, screen clear, and gross blocks from either side."""

import time
import unittest

import lanbase
from lanbase import LanTestCase, NEWLINE, NULL_LINE, BLOCK_END

NATIVE = 1
QUOREL = 0
GAP = 0.03  # between two typed lines: enough for each to arrive before the next is typed


class CaptionTestCase(LanTestCase):
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


class Order(CaptionTestCase):
    def test_lines_of_every_member_are_stored_in_typing_order_everywhere(self):
        a, b, q = self.a, self.b, self.q
        typed = [(a, "a1"), (b, "b1"), (q, "q1"), (a, "a2"), (q, "q2"), (b, "b2"), (a, "a3"), (b, "")]
        for who, text in typed:
            who.command("line " + text)
            time.sleep(GAP)
        expected = [t for _, t in typed]
        self.wait_texts(a, expected)
        self.wait_texts(b, expected)
        # Authors as the store keeps them.
        self.assertEqual([c.author for c in self.captions(b)], [w.address for w, _ in typed])
        # The Quorel peer gets the native lines on its main port, an empty line as the marker.
        got = [m.split(" ", 3)[3] for m in q.matching(r"^RECV main ")]
        self.assertEqual(got, ["a1", "b1", "a2", "b2", "a3", NEWLINE])
        # Every line reached each display log exactly once.
        for n in (a, b):
            logged = [l.split(" ", 3)[3] if l.count(" ") >= 3 else "" for l in n.matching(r"^DLOG ")]
            self.assertEqual(logged, expected, n.label)


class Undo(CaptionTestCase):
    def test_undo_of_a_native_line_reaches_the_others_through_the_repeated_history(self):
        a, b, q = self.a, self.b, self.q
        a.command("line keep")
        a.command("line oops")
        self.wait_texts(b, ["keep", "oops"])
        out = a.command("undo")
        self.assertIn("PUTBACK oops", out)
        b.expect(r"^FLAG \d+ %s \d+ 1 oops$" % a.address)
        flags = {c.text: c.flag for c in self.captions(b)}
        self.assertEqual(flags, {"keep": 0, "oops": 1})
        self.assertEqual({c.text: c.flag for c in self.captions(a)}, {"keep": 0, "oops": 1})
        q.expect(r"^RECV undo %s undo$" % a.address)

    def test_undo_stops_at_the_limit_and_then_sends_nothing(self):
        a, b, q = self.a, self.b, self.q
        for i in range(7):
            a.command("line u%d" % i)
        self.wait_texts(b, ["u%d" % i for i in range(7)])
        put_back = []
        for _ in range(7):
            put_back += [l[8:] for l in a.command("undo") if l.startswith("PUTBACK ")]
        limit = 5  # "main.undo.max_i"
        self.assertEqual(put_back, ["u6", "u5", "u4", "u3", "u2"][:limit])
        self.assertEqual(self.state(a)["undo"], str(limit))
        self.wait_until(lambda: len(q.matching(r"^RECV undo ")) >= limit)
        time.sleep(0.3)
        self.assertEqual(len(q.matching(r"^RECV undo ")), limit)
        self.wait_until(lambda: [c.flag for c in self.captions(b)] == [0, 0, 1, 1, 1, 1, 1],
                        what="the withdrawals on the other member")

    def test_undo_of_a_quorel_line(self):
        a, b, q = self.a, self.b, self.q
        a.command("line native")
        time.sleep(GAP)
        q.command("line from quorel")
        for n in (a, b):
            self.wait_texts(n, ["native", "from quorel"])
        q.command("undo")
        for n in (a, b):
            n.expect(r"^FLAG \d+ %s \d+ \d+ from quorel$" % q.address)
            caps = {c.text: c for c in self.captions(n)}
            self.assertNotEqual(caps["from quorel"].flag, 0, n.label)
            self.assertEqual(caps["native"].flag, 0, n.label)


class Offline(CaptionTestCase):
    def test_a_line_typed_offline_is_stored_with_time_zero_and_sent_nowhere(self):
        a, b, q = self.a, self.b, self.q
        self.assertIn("ONLINE 0", a.command("logoff"))
        a.command("line alone")
        mine = self.captions(a)[-1]
        self.assertEqual((mine.text, mine.time_sent, mine.author), ("alone", 0, a.address))
        b.command("line still here")
        time.sleep(0.3)
        self.assertEqual(self.texts(b), ["still here"])
        self.assertEqual(q.matching(r"^RECV main %s " % a.address), [])


class Clear(CaptionTestCase):
    def test_screen_clear_from_a_native_member(self):
        a, b, q = self.a, self.b, self.q
        a.command("line before")
        self.wait_texts(b, ["before"])
        b.mark()
        a.command("clear")
        b.expect(r"^GOLAST$")
        last = self.wait_until(lambda: [c for c in self.captions(b) if c.type == "E"], what="the clear record")
        self.assertEqual(last[-1].author, a.address)
        self.assertEqual(self.captions(b)[-1].type, "E")
        self.assertEqual(self.captions(a)[-1].type, "E")
        q.expect(r"^RECV undo %s cls$" % a.address)

    def test_screen_clear_from_a_quorel_peer(self):
        a, b, q = self.a, self.b, self.q
        a.command("line before")
        self.wait_texts(b, ["before"])
        a.mark()
        q.command("cls")
        a.expect(r"^GOLAST$")
        for n in (a, b):
            tail = self.wait_until(lambda: [c for c in self.captions(n) if c.author == q.address],
                                   what="blank lines from the Quorel peer")
            self.assertTrue(all(c.text == "" for c in tail), tail)
            self.assertEqual(self.captions(n)[0].text, "before")


class Gross(CaptionTestCase):
    def test_gross_block_from_a_native_member(self):
        a, b, q = self.a, self.b, self.q
        a.command("gross g1|g2||g4")
        b.expect(r"^STORED \d+ %s \d+ g1\\ng2\\n\\ng4$" % a.address)
        caps = self.captions(b)
        self.assertEqual([(c.type, c.text) for c in caps], [("G", "g1\ng2\n\ng4")])
        received = self.wait_until(lambda: len(q.matching(r"^RECV main-gross ")) >= 5 and q.matching(r"^RECV main-gross "),
                                   what="the block on the Quorel peer")
        got = [m.split(" ", 3)[3] for m in received]
        self.assertEqual(got, ["g1", "g2", NULL_LINE, "g4", BLOCK_END])

    def test_gross_block_from_a_quorel_peer(self):
        a, b, q = self.a, self.b, self.q
        q.command("gross x1||x3")
        for n in (a, b):
            self.wait_texts(n, ["x1", "", "x3"])
            self.assertEqual({c.type for c in self.captions(n)}, {"g"})
            self.assertEqual({c.author for c in self.captions(n)}, {q.address})


if __name__ == "__main__":
    lanbase.main()
