"""What the LAN tests share: the tool paths, a fresh namespace LAN per test, and helpers.

Every test script is run as
    python3 test_x.py --sim PATH/quorel_sim --node PATH/tavrin_node [unittest options]
and ends with exit code 77 (skipped) when network namespaces cannot be created here.
"""

import argparse
import os
import re
import sys
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "netlan"))
import netlan  # noqa: E402

SKIP_CODE = 77
SIM = None
NODE = None

# The shared-protocol markers as the simulator prints them (decoded from code page 932).
ERASE = "$消去$"
NEWLINE = "$改行$"
NULL_LINE = "$null$"
BLOCK_END = "`@"


def unescape(text):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c == "\\" and i + 1 < len(text):
            n = text[i + 1]
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(n, n))
            i += 2
        else:
            out.append(c)
            i += 1
    return "".join(out)


def read_oplog(path):
    """The operation log's lines without their time prefix (UTF-16LE file)."""
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode("utf-16-le", "replace").lstrip("\ufeff")
    return [l for l in text.replace("\r\n", "\n").split("\n") if l]


class Caption:
    def __init__(self, line):
        # CAPTION SERIAL AUTHOR TIMESENT FLAG TYPE TEXT (TEXT may be empty)
        parts = line.split(" ", 6)
        self.serial = int(parts[1])
        self.author = parts[2]
        self.time_sent = int(parts[3])
        self.flag = int(parts[4])
        self.type = parts[5]
        self.text = unescape(parts[6]) if len(parts) > 6 else ""

    def __repr__(self):
        return "Caption(%s %s %d %s %r)" % (self.author, self.type, self.flag, self.time_sent, self.text)


class Member:
    def __init__(self, line):
        # MEMBER ADDR KIND NAME input=TEXT
        m = re.match(r"^MEMBER (\S+) (\d) (.*) input=(.*)$", line)
        self.address, self.kind, self.name, self.input = m.group(1), int(m.group(2)), unescape(m.group(3)), unescape(m.group(4))

    def __repr__(self):
        return "Member(%s kind %d %r)" % (self.address, self.kind, self.name)


class LanTestCase(unittest.TestCase):
    """Each test gets its own LAN of `hosts` hosts, removed at the end of the test."""

    hosts = 3

    def setUp(self):
        self.lan = netlan.Lan(self.hosts)
        self.lan.create()
        self.addCleanup(self.lan.destroy)

    # -- starting tools -------------------------------------------------------------------

    def node(self, host, name, group=None, channel=None, login=True, extra=(), broadcast=None):
        argv = [NODE, "--address", host.address, "--name", name]
        if broadcast:
            argv += ["--broadcast", broadcast]
        if group:
            argv += ["--group", str(group)]
        if channel:
            argv += ["--channel", str(channel)]
        if not login:
            argv.append("--no-login")
        argv += list(extra)
        tool = self.lan.spawn(host, argv, label="node:%s@%s" % (name, host.address))
        if login:
            tool.expect(r"^LOGIN ok ")
        tool.expect(r"^LOG ")
        tool.address = host.address
        tool.member_name = name
        return tool

    def quorel(self, host, name, group=None, channel=None, full=False, login=True, broadcast=None):
        argv = [SIM, "--address", host.address, "--name", name]
        if broadcast:
            argv += ["--broadcast", broadcast]
        if group:
            argv += ["--group", str(group)]
        if channel:
            argv += ["--channel", str(channel)]
        if full:
            argv.append("--full")
        tool = self.lan.spawn(host, argv, label="quorel:%s@%s" % (name, host.address))
        tool.expect(r"^READY ")
        tool.address = host.address
        tool.member_name = name
        if login:
            tool.command("login")
        return tool

    # -- reading state --------------------------------------------------------------------

    @staticmethod
    def captions(node):
        return [Caption(l) for l in node.command("dump") if l.startswith("CAPTION ")]

    @staticmethod
    def texts(node, author=None):
        return [c.text for c in LanTestCase.captions(node) if author is None or c.author == author]

    @staticmethod
    def members(node):
        return {m.address: m for m in (Member(l) for l in node.command("members") if l.startswith("MEMBER "))}

    @staticmethod
    def state(node):
        line = [l for l in node.command("state") if l.startswith("STATE ")][0]
        return dict(kv.split("=", 1) for kv in line.split(" ")[1:] if "=" in kv)

    @staticmethod
    def oplog(node):
        path = node.matching(r"^LOG ")[0][4:]
        return read_oplog(path)

    def wait_until(self, predicate, timeout=8.0, what="condition"):
        """Polls predicate (which may talk to tools) until it is true."""
        deadline = time.monotonic() + timeout
        while True:
            value = predicate()
            if value:
                return value
            if time.monotonic() > deadline:
                self.fail("timed out waiting for " + (what() if callable(what) else what))
            time.sleep(0.1)

    def wait_members(self, node, expected, timeout=8.0):
        """expected: {address: kind}. Waits until the node lists exactly these with these kinds."""
        result = {}

        def ok():
            result.clear()
            result.update(self.members(node))
            return {a: m.kind for a, m in result.items()} == expected
        self.wait_until(ok, timeout, lambda: "%s to list members %r (has %r)" % (node.label, expected, result))
        return result

    def wait_texts(self, node, expected, timeout=8.0, author=None):
        def ok():
            return self.texts(node, author) == expected
        try:
            return self.wait_until(ok, timeout, "")
        except AssertionError:
            self.assertEqual(self.texts(node, author), expected, "%s caption store" % node.label)


def main():
    global SIM, NODE
    parser = argparse.ArgumentParser(add_help=False)
    parser.add_argument("--sim", required=True)
    parser.add_argument("--node", required=True)
    args, rest = parser.parse_known_args()
    SIM = os.path.abspath(args.sim)
    NODE = os.path.abspath(args.node)
    for tool in (SIM, NODE):
        if not os.access(tool, os.X_OK):
            print("tool not built: " + tool)
            sys.exit(1)
    ok, reason = netlan.probe()
    if not ok:
        print("SKIP: network namespaces are not available here: " + reason)
        sys.exit(SKIP_CODE)
    program = unittest.main(module="__main__", argv=[sys.argv[0]] + rest, exit=False, verbosity=2)
    sys.exit(0 if program.result.wasSuccessful() else 1)
