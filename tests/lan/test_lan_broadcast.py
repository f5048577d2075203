#!/usr/bin/env python3
"""Peers that send to the limited broadcast address 255.255.255.255 instead of the subnet's: every
member on the link hears each datagram exactly once, a member never takes its own for a peer's,
and nothing sent that way on another link gets in."""

import time

import lanbase
from lanbase import LanTestCase

LIMITED = "255.255.255.255"
SETTLE = 0.6  # a second copy of a datagram would arrive well within this


class LimitedBroadcast(LanTestCase):
    hosts = 2

    def test_a_quorel_peer_sending_to_the_limited_broadcast_is_heard_once(self):
        h1, h2 = self.lan.hosts
        node = self.node(h1, "alpha")
        quo = self.quorel(h2, "quo", broadcast=LIMITED)  # the login request goes to 255.255.255.255
        quo.expect(r"^JOIN %s alpha$" % h1.address)
        self.wait_members(node, {h2.address: 0})

        quo.command("raw main %s 一度だけ" % LIMITED)
        quo.command("raw monitor %s %s,入力中" % (LIMITED, h2.address))
        self.wait_texts(node, ["一度だけ"], author=h2.address)
        self.wait_until(lambda: node.matching(r"^INPUT %s 入力中$" % h2.address), what="the monitor text")
        time.sleep(SETTLE)
        self.assertEqual(self.texts(node, author=h2.address), ["一度だけ"])
        self.assertEqual(len(node.matching(r"^INPUT %s " % h2.address)), 1)
        # One login request, one answer.
        self.assertEqual(len(quo.matching(r"^RECV response %s " % h1.address)), 1)

    def test_a_member_sending_to_the_limited_broadcast_is_heard_once_and_ignores_itself(self):
        h1, h2 = self.lan.hosts
        node = self.node(h1, "alpha")
        loud = self.node(h2, "beta", broadcast=LIMITED)  # login, heartbeats and lines to 255.255.255.255
        self.wait_members(node, {h2.address: 1})
        self.assertEqual(self.members(node)[h2.address].name, "beta")

        # Each monitor datagram is shown, a copy too: the count tells copies apart.
        loud.command("monitor 入力中")
        self.wait_until(lambda: node.matching(r"^INPUT %s 入力中$" % h2.address), what="the monitor text")
        time.sleep(SETTLE)
        self.assertEqual(len(node.matching(r"^INPUT %s 入力中$" % h2.address)), 1)
        loud.command("line 全員へ")
        self.wait_texts(node, ["全員へ"], author=h2.address)
        time.sleep(SETTLE)
        self.assertEqual(len(node.matching(r"^STORED \d+ %s " % h2.address)), 1)
        # Its own datagrams come back to it through the limited broadcast: it is no member of its own.
        loud.command("heartbeat")
        time.sleep(SETTLE)
        self.assertNotIn(h2.address, self.members(loud))
        self.assertEqual(self.texts(loud), ["全員へ"])


class OtherLink(LanTestCase):
    hosts = 2

    def test_limited_broadcasts_on_another_link_do_not_get_in(self):
        h1, h2 = self.lan.hosts
        # h1 also has an interface on a second link, where a Quorel peer and a member send to the
        # limited broadcast address; h1's member is online on the first link only.
        far_quorel, far_member = self.lan.add_link(2, join=[h1])
        node = self.node(h1, "alpha")
        far_q = self.quorel(far_quorel, "far-q", broadcast=LIMITED)
        far_m = self.node(far_member, "far-m", broadcast=LIMITED)
        far_q.command("raw main %s 他のリンク" % LIMITED)
        far_m.command("line 他のリンクから")
        far_m.command("heartbeat")
        time.sleep(SETTLE)
        # The same from the first link gets in, after the far ones were sent.
        near = self.quorel(h2, "near", broadcast=LIMITED)
        near.command("raw main %s 同じリンク" % LIMITED)
        self.wait_texts(node, ["同じリンク"], author=h2.address)
        time.sleep(SETTLE)

        self.assertEqual([t for t in self.texts(node) if t.strip()], ["同じリンク"])
        self.assertEqual({a: m.kind for a, m in self.members(node).items()}, {h2.address: 0})
        # The far peers hear each other, but nobody on h1 answers them.
        h1_addresses = [h1.address] + [e[1] for e in h1.extra]
        self.assertEqual(far_q.matching(r"^JOIN %s " % far_member.address), ["JOIN %s far-m" % far_member.address])
        for address in h1_addresses:
            self.assertEqual(far_q.matching(r"^RECV \S+ %s " % address), [])
        self.assertFalse(set(self.members(far_m)) & set(h1_addresses))


if __name__ == "__main__":
    lanbase.main()
