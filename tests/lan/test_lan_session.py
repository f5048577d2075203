#!/usr/bin/env python3
"""Session on a namespace LAN: login handshake with native members and Quorel peers, late
joining, logoff, groups, channel ports, the port conflict and the refusal warning."""

import time
import unittest

import lanbase
from lanbase import LanTestCase

NATIVE = 1
QUOREL = 0


class Handshake(LanTestCase):
    hosts = 4

    def test_native_and_quorel_learn_each_other_in_both_directions(self):
        h1, h2, h3, _ = self.lan.hosts
        a = self.node(h1, "alpha")
        q = self.quorel(h3, "quo")  # Quorel logs in: the native member answers it
        m = q.expect(r"^RECV response %s (.*)$" % a.address)
        self.assertEqual(m.group(1), "%s,%s,alpha,Ans" % (a.address, q.address))
        q.expect(r"^JOIN %s alpha$" % a.address)

        b = self.node(h2, "beta")  # a native member logs in: the Quorel peer answers it
        q.expect(r"^RECV login %s %s,beta,Req,1$" % (b.address, b.address))
        q.expect(r"^ANSWER %s Ans$" % b.address)

        self.wait_members(a, {b.address: NATIVE, q.address: QUOREL})
        self.wait_members(b, {a.address: NATIVE, q.address: QUOREL})
        self.assertEqual(self.members(a)[b.address].name, "beta")
        self.assertEqual(self.members(b)[a.address].name, "alpha")
        self.assertEqual(self.members(b)[q.address].name, "quo")
        q_members = {l.split(" ")[1] for l in q.command("members")}
        self.assertEqual(q_members, {a.address, b.address})
        self.assertTrue(any(("OnSockLogin() accept [quo] from : " + q.address) in l for l in self.oplog(a)))

    def test_a_member_that_joins_late_is_known_to_all_and_receives_new_lines(self):
        h1, h2, h3, h4 = self.lan.hosts
        a = self.node(h1, "alpha")
        b = self.node(h2, "beta")
        q = self.quorel(h3, "quo")
        a.command("line before")
        self.wait_texts(b, ["before"])

        late = self.node(h4, "late")
        for n in (a, b):
            self.wait_members(n, {x.address: k for x, k in ((a, NATIVE), (b, NATIVE), (q, QUOREL), (late, NATIVE))
                                  if x is not n})
        self.wait_members(late, {a.address: NATIVE, b.address: NATIVE, q.address: QUOREL})
        q.expect(r"^JOIN %s late$" % late.address)

        b.command("line after")
        q.command("line from quorel")
        self.wait_until(lambda: self.texts(late)[-2:] == ["after", "from quorel"], what="late member's lines")


class Logoff(LanTestCase):
    hosts = 3

    def test_logoff_removes_the_member_everywhere(self):
        h1, h2, h3 = self.lan.hosts
        a = self.node(h1, "alpha")
        b = self.node(h2, "beta")
        q = self.quorel(h3, "quo")
        self.wait_members(a, {b.address: NATIVE, q.address: QUOREL})

        self.assertIn("ONLINE 0", b.command("logoff"))
        q.expect(r"^RECV logoff %s %s,beta,離脱$" % (b.address, b.address))
        q.expect(r"^LEAVE %s$" % b.address)
        self.wait_members(a, {q.address: QUOREL})
        self.assertEqual(self.members(b), {})

        q.command("logoff")
        self.wait_members(a, {})
        self.assertTrue(any(("OnSockLogoff() received from : " + q.address) in l for l in self.oplog(a)))


class Groups(LanTestCase):
    hosts = 3

    def test_group_b_ignores_group_a_on_the_same_channel(self):
        h1, h2, h3 = self.lan.hosts
        b = self.node(h2, "bravo", group=2)
        a = self.node(h1, "alpha", group=1)
        q = self.quorel(h3, "quo", group=1)
        q.expect(r"^RECV response %s " % a.address)
        a.command("line for group A")
        q.command("line quorel in A")
        a.command("heartbeat")
        self.wait_texts(a, ["for group A", "quorel in A"])
        time.sleep(0.5)

        self.assertEqual(self.texts(b), [])
        self.assertEqual(self.members(b), {})
        self.assertEqual(self.wait_members(a, {q.address: QUOREL}).keys(), {q.address})
        # The login requests of group 1 are turned down by name and get no answer.
        log = self.oplog(b)
        self.assertTrue(any(("reject other group member [alpha] from : " + a.address) in l for l in log), log[-10:])
        self.assertTrue(any(("reject other group member [quo] from : " + q.address) in l for l in log))
        self.assertEqual(q.matching(r"^RECV response %s " % b.address), [])


    def test_only_the_first_character_of_the_group_field_counts(self):
        h1, h2, h3 = self.lan.hosts
        one = self.node(h1, "one", group=1)
        twelve = self.node(h2, "twelve", group=12)
        q = self.quorel(h3, "quo", group=1, login=False)
        q.command("raw login %s %s,q12,Req,12" % (h3.broadcast, q.address))
        q.expect(r"^RECV response %s %s,%s,one,Ans$" % (one.address, one.address, q.address))
        # The group-12 node's own login request ("…,Req,12") is taken by group 1 the same way;
        # its native datagrams (group letter "L") are not, so it stays a Quorel-kind member.
        self.wait_members(one, {q.address: QUOREL, twelve.address: QUOREL})
        time.sleep(0.3)
        self.assertEqual(q.matching(r"^RECV response %s " % twelve.address), [])
        self.assertTrue(any(("reject other group member [q12] from : " + q.address) in l for l in self.oplog(twelve)))


class Ports(LanTestCase):
    hosts = 1

    def bound_ports(self, host):
        bound = {}
        for line in self.lan.run(host, ["ss", "-ulnH"]).stdout.splitlines():
            address, port = line.split()[3].rsplit(":", 1)
            bound.setdefault(int(port), set()).add(address)
        return bound

    def test_a_channel_binds_its_shared_ports_and_native_port(self):
        (h1,) = self.lan.hosts
        for channel, native in ((3, 6635), (12, 6644)):
            with self.subTest(channel=channel):
                node = self.node(h1, "alpha", channel=channel)
                step = (channel - 1) * 100
                expected = {p + step for p in (6711, 6713, 6718, 6721, 6722, 6723, 6724, 6727, 6734, 6735)}
                expected.add(native)
                bound = self.bound_ports(h1)
                self.assertEqual(set(bound), expected)
                # The own address, and both broadcast addresses on the adapter's interface only.
                for port in expected:
                    self.assertEqual(bound[port], {h1.address, h1.broadcast + "%eth0", "255.255.255.255%eth0"},
                                     "port %d" % port)
                node.stop()
                self.assertEqual(self.bound_ports(h1), {})

    def test_a_second_instance_on_the_same_channel_reports_the_port_conflict(self):
        (h1,) = self.lan.hosts
        self.node(h1, "first", channel=2)
        second = self.node(h1, "second", channel=2, login=False)
        second.send("login")
        m = second.expect(r"^LOGIN (ok|failed)(.*)$")
        self.assertEqual(m.group(1), "failed")
        self.assertIn("エラー", m.group(2))
        self.assertIn("同じネットワークポートが別のプログラムに使われています。", m.group(2))
        self.assertEqual(self.state(second)["online"], "0")
        self.assertTrue(any("SetOnline() pSockLogin failed." in l for l in self.oplog(second)))
        # Another channel is free.
        second.command("set communication.channel_i 4")
        second.send("login")
        second.expect(r"^LOGIN ok ")


class Refusal(LanTestCase):
    hosts = 3

    def test_two_group_full_answers_warn_once(self):
        h1, h2, h3 = self.lan.hosts
        q1 = self.quorel(h2, "full1", full=True, login=False)
        q2 = self.quorel(h3, "full2", full=True, login=False)
        a = self.node(h1, "alpha")
        q1.expect(r"^ANSWER %s Ful$" % a.address)
        q2.expect(r"^ANSWER %s Ful$" % a.address)
        a.expect(r"^WARNING refusal 1$")
        time.sleep(0.3)
        st = self.state(a)
        self.assertEqual(st["refusal"], "2")
        self.assertEqual(st["warnings"], "1")
        self.assertEqual(len(a.matching(r"^WARNING ")), 1)
        denials = [l for l in self.oplog(a) if "received denial response." in l]
        self.assertEqual(len(denials), 2)
        # Refused peers are not members.
        self.assertEqual(self.members(a), {})


if __name__ == "__main__":
    lanbase.main()
