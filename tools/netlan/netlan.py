#!/usr/bin/env python3
"""A throw-away test LAN made of network namespaces.

Every host is a namespace with one veth interface (eth0) at 198.18.0.N/24, broadcast
198.18.0.255; the other ends of the veths hang on a bridge that lives in a namespace of its own,
so the root namespace never sees any of these interfaces and no datagram can reach this machine's
real network. Everything created is removed again: on leaving the context manager, at interpreter
exit, on SIGTERM/SIGINT/SIGHUP, and by the `cleanup` command for leftovers of a killed run.

Library use:

    with netlan.Lan(hosts=3) as lan:
        p = lan.spawn(lan.hosts[0], ["./quorel_sim", "--address", lan.hosts[0].address])
        p.send("login")
        p.expect(r"^OK login$")

Command line: netlan.py check | cleanup | up --hosts N [--loss PERCENT]   (see --help)
"""

import argparse
import atexit
import ipaddress
import os
import queue
import re
import secrets
import shutil
import signal
import subprocess
import sys
import threading
import time

PREFIX = "tvlan"
SUBNET = ipaddress.ip_network("198.18.0.0/24")
BROADCAST = str(SUBNET.broadcast_address)
# Further links (add_link) use 198.18.1.0/24, 198.18.2.0/24, … inside this range.
ALL_LINKS = ipaddress.ip_network("198.18.0.0/16")
# Names this module creates: tvlan-<6 hex>-br / -br<N> / -h<N>. cleanup touches nothing else.
NAME_RE = re.compile(r"^%s-[0-9a-f]{6}-(br\d*|h\d+)$" % PREFIX)


class Unavailable(Exception):
    """Namespaces cannot be created here (not root, no CAP_SYS_ADMIN, no iproute2)."""


def _ip(*args, check=True):
    return subprocess.run(["ip", *args], check=check, capture_output=True, text=True)


def link_subnet(link):
    """The subnet of link 0 (the first bridge), 1, 2, …"""
    if not 0 <= link <= 255:
        raise ValueError("link %d" % link)
    return ipaddress.ip_network("198.18.%d.0/24" % link)


def check_address(address, subnet=SUBNET):
    """Refuses any address outside the test subnet; returns it as text."""
    a = ipaddress.ip_address(address)
    if (subnet.network_address not in ALL_LINKS or a not in subnet
            or a in (subnet.network_address, subnet.broadcast_address)):
        raise ValueError("address %s is outside the test subnet %s" % (address, subnet))
    return str(a)


def probe():
    """(True, "") when namespaces can be made here, else (False, reason)."""
    if shutil.which("ip") is None:
        return False, "iproute2 ('ip') is not installed"
    name = "%s-%s-h0" % (PREFIX, secrets.token_hex(3))
    r = _ip("netns", "add", name, check=False)
    if r.returncode != 0:
        return False, "cannot create a network namespace: " + (r.stderr.strip() or "ip netns add failed")
    try:
        r = _ip("-n", name, "link", "add", "br0", "type", "bridge", check=False)
        if r.returncode != 0:
            return False, "cannot create a bridge inside a namespace: " + r.stderr.strip()
    finally:
        _ip("netns", "del", name, check=False)
    return True, ""


class Host:
    def __init__(self, index, netns, address, subnet=SUBNET):
        self.index = index
        self.netns = netns
        self.address = check_address(address, subnet)
        self.broadcast = str(subnet.broadcast_address)
        self.link = int(self.address.split(".")[2])
        # Further interfaces from add_link: (interface, address, broadcast).
        self.extra = []

    def __repr__(self):
        return "Host(h%d, %s, %s)" % (self.index, self.netns, self.address)


class ToolProcess:
    """A line-protocol tool (quorel_sim, tavrin_node) running inside a namespace.

    stdout is read by a thread; every line is kept in `lines` and offered to expect()."""

    def __init__(self, popen, label):
        self.popen = popen
        self.label = label
        self.lines = []
        self._queue = queue.Queue()
        self._cursor = 0
        self._lock = threading.Lock()
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.popen.stdout:
            line = raw.decode("utf-8", "replace").rstrip("\n")
            with self._lock:
                self.lines.append(line)
            self._queue.put(line)
        self._queue.put(None)

    def send(self, command):
        if self.popen.poll() is not None:
            raise RuntimeError("%s has ended (exit %s)" % (self.label, self.popen.returncode))
        self.popen.stdin.write((command + "\n").encode("utf-8"))
        self.popen.stdin.flush()

    def expect(self, pattern, timeout=10.0):
        """Waits for the next line (after the last matched one) that matches; returns the match."""
        rx = re.compile(pattern)
        deadline = time.monotonic() + timeout
        while True:
            with self._lock:
                while self._cursor < len(self.lines):
                    line = self.lines[self._cursor]
                    self._cursor += 1
                    m = rx.search(line)
                    if m:
                        return m
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise TimeoutError("%s: no line matching %r within %.1f s; last lines:\n  %s"
                                   % (self.label, pattern, timeout, "\n  ".join(self.snapshot()[-15:])))
            try:
                item = self._queue.get(timeout=min(remaining, 0.2))
            except queue.Empty:
                continue
            if item is None and self._cursor >= len(self.lines):
                raise EOFError("%s ended (exit %s) before a line matching %r; last lines:\n  %s"
                               % (self.label, self.popen.poll(), pattern, "\n  ".join(self.snapshot()[-15:])))

    def command(self, command, timeout=10.0):
        """Sends a command and waits for its "OK <verb>"; returns the lines it printed."""
        verb = command.split(" ", 1)[0]
        with self._lock:
            start = len(self.lines)
        self.send(command)
        self.expect(r"^(OK|ERROR) %s\b" % re.escape(verb) if verb else r"^OK", timeout)
        with self._lock:
            out = self.lines[start:self._cursor]
        if out and out[-1].startswith("ERROR"):
            raise RuntimeError("%s: %s" % (self.label, out[-1]))
        return out[:-1]

    def mark(self):
        """Skips everything printed so far: the next expect() looks only at newer lines."""
        with self._lock:
            self._cursor = len(self.lines)

    def snapshot(self):
        with self._lock:
            return list(self.lines)

    def matching(self, pattern):
        rx = re.compile(pattern)
        return [l for l in self.snapshot() if rx.search(l)]

    def stop(self, timeout=5.0):
        if self.popen.poll() is None:
            try:
                self.send("quit")
            except (RuntimeError, BrokenPipeError, OSError):
                pass
            try:
                self.popen.wait(timeout)
            except subprocess.TimeoutExpired:
                self.popen.terminate()
                try:
                    self.popen.wait(2)
                except subprocess.TimeoutExpired:
                    self.popen.kill()
                    self.popen.wait()
        self._reader.join(2)
        for stream in (self.popen.stdin, self.popen.stdout):
            try:
                stream.close()
            except OSError:
                pass
        return self.popen.returncode


_live = []
_handlers_installed = False


def _cleanup_live():
    for lan in list(_live):
        lan.destroy()


def _on_signal(signum, _frame):
    _cleanup_live()
    signal.signal(signum, signal.SIG_DFL)
    os.kill(os.getpid(), signum)


def _install_handlers():
    global _handlers_installed
    if _handlers_installed:
        return
    atexit.register(_cleanup_live)
    if threading.current_thread() is threading.main_thread():
        for s in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            if signal.getsignal(s) in (signal.SIG_DFL, signal.default_int_handler):
                signal.signal(s, _on_signal)
    _handlers_installed = True


class Lan:
    """N hosts on one bridge. Host i (1-based) has address 198.18.0.i."""

    def __init__(self, hosts=2):
        if not 1 <= hosts <= 250:
            raise ValueError("1 … 250 hosts")
        self.count = hosts
        self.tag = "%s-%s" % (PREFIX, secrets.token_hex(3))
        self.bridge_ns = self.tag + "-br"
        self.hosts = []
        self._namespaces = []
        self._processes = []
        self._links = 0  # links added after the first one
        self._up = False

    # -- life cycle -----------------------------------------------------------------------

    def __enter__(self):
        self.create()
        return self

    def __exit__(self, *exc):
        self.destroy()
        return False

    def create(self):
        ok, reason = probe()
        if not ok:
            raise Unavailable(reason)
        _install_handlers()
        _live.append(self)
        self._up = True
        try:
            self._add_netns(self.bridge_ns)
            _ip("-n", self.bridge_ns, "link", "set", "lo", "up")
            _ip("-n", self.bridge_ns, "link", "add", "br0", "type", "bridge")
            _ip("-n", self.bridge_ns, "link", "set", "br0", "up")
            for i in range(1, self.count + 1):
                ns = "%s-h%d" % (self.tag, i)
                address = check_address("198.18.0.%d" % i)
                self._add_netns(ns)
                # Both veth ends are born inside the namespaces: the root namespace never has them.
                _ip("-n", self.bridge_ns, "link", "add", "p%d" % i, "type", "veth",
                    "peer", "name", "eth0", "netns", ns)
                _ip("-n", self.bridge_ns, "link", "set", "p%d" % i, "master", "br0")
                _ip("-n", self.bridge_ns, "link", "set", "p%d" % i, "up")
                _ip("-n", ns, "link", "set", "lo", "up")
                _ip("-n", ns, "addr", "add", "%s/24" % address, "broadcast", BROADCAST, "dev", "eth0")
                _ip("-n", ns, "link", "set", "eth0", "up")
                self.hosts.append(Host(i, ns, address))
        except subprocess.CalledProcessError as e:
            self.destroy()
            raise Unavailable("building the test LAN failed: %s: %s" % (" ".join(e.cmd), (e.stderr or "").strip()))
        return self

    def add_link(self, hosts=1, join=()):
        """Another link: a bridge of its own, `hosts` new hosts on it (each with eth0 at
        198.18.L.i/24, numbered on from the hosts so far) and one more interface on every host in
        `join` (eth1, eth2 … at 198.18.L.(100 + its index)), so that a host can sit on two links.
        Returns the new hosts."""
        self._links += 1
        link = self._links
        subnet = link_subnet(link)
        bridge = "%s-br%d" % (self.tag, link)
        added = []
        try:
            self._add_netns(bridge)
            _ip("-n", bridge, "link", "set", "lo", "up")
            _ip("-n", bridge, "link", "add", "br0", "type", "bridge")
            _ip("-n", bridge, "link", "set", "br0", "up")

            def plug(ns, port, ifname, address):
                _ip("-n", bridge, "link", "add", port, "type", "veth", "peer", "name", ifname, "netns", ns)
                _ip("-n", bridge, "link", "set", port, "master", "br0")
                _ip("-n", bridge, "link", "set", port, "up")
                _ip("-n", ns, "addr", "add", "%s/24" % address, "broadcast", str(subnet.broadcast_address),
                    "dev", ifname)
                _ip("-n", ns, "link", "set", ifname, "up")

            for i in range(1, hosts + 1):
                index = max(h.index for h in self.hosts) + 1 if self.hosts else 1
                ns = "%s-h%d" % (self.tag, index)
                address = check_address("198.18.%d.%d" % (link, i), subnet)
                self._add_netns(ns)
                _ip("-n", ns, "link", "set", "lo", "up")
                plug(ns, "p%d" % index, "eth0", address)
                host = Host(index, ns, address, subnet)
                self.hosts.append(host)
                added.append(host)
            for host in join:
                ifname = "eth%d" % (1 + len(host.extra))
                address = check_address("198.18.%d.%d" % (link, 100 + host.index), subnet)
                plug(host.netns, "j%d" % host.index, ifname, address)
                host.extra.append((ifname, address, str(subnet.broadcast_address)))
        except subprocess.CalledProcessError as e:
            self.destroy()
            raise Unavailable("building the test LAN failed: %s: %s" % (" ".join(e.cmd), (e.stderr or "").strip()))
        return added

    def _add_netns(self, name):
        assert NAME_RE.match(name), name
        _ip("netns", "add", name)
        self._namespaces.append(name)

    def destroy(self):
        if not self._up:
            return
        self._up = False
        for p in self._processes:
            try:
                p.stop(timeout=3)
            except Exception:  # a broken tool must not keep the namespaces alive
                if p.popen.poll() is None:
                    p.popen.kill()
        self._processes.clear()
        for ns in reversed(self._namespaces):
            _kill_namespace_processes(ns)
            _ip("netns", "del", ns, check=False)
        self._namespaces.clear()
        if self in _live:
            _live.remove(self)

    # -- running things -------------------------------------------------------------------

    def exec_argv(self, host, argv):
        return ["ip", "netns", "exec", host.netns, *argv]

    def run(self, host, argv, **kw):
        kw.setdefault("capture_output", True)
        kw.setdefault("text", True)
        return subprocess.run(self.exec_argv(host, argv), **kw)

    def popen(self, host, argv, **kw):
        return subprocess.Popen(self.exec_argv(host, argv), **kw)

    def spawn(self, host, argv, label=None, env=None, stderr=None):
        """Starts a line-protocol tool in the host's namespace; stopped by destroy()."""
        p = subprocess.Popen(self.exec_argv(host, argv), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                             stderr=stderr if stderr is not None else subprocess.DEVNULL, env=env)
        tool = ToolProcess(p, label or "%s@h%d" % (os.path.basename(argv[0]), host.index))
        self._processes.append(tool)
        return tool

    def forget(self, tool):
        if tool in self._processes:
            self._processes.remove(tool)

    # -- impairment -----------------------------------------------------------------------

    def add_loss(self, host, percent, ports=None, directions=("input", "output"), protocol="udp"):
        """Drops `percent` % of the UDP datagrams (or TCP segments: protocol="tcp") to `ports`, or all,
        entering and/or leaving host."""
        if not 0 <= int(percent) <= 100:
            raise ValueError("percent")
        if protocol not in ("udp", "tcp"):
            raise ValueError(protocol)
        match = ""
        if ports:
            match = "%s dport { %s } " % (protocol, ", ".join(str(int(p)) for p in ports))
        else:
            match = "meta l4proto %s " % protocol
        lines = ["add table inet loss"]
        for hook in directions:
            if hook not in ("input", "output"):
                raise ValueError(hook)
            lines.append("add chain inet loss %s { type filter hook %s priority 0; }" % (hook, hook))
            # "mod 100 < 100" is out of nftables' range: all of them is a plain drop.
            chance = "numgen random mod 100 < %d " % int(percent) if int(percent) < 100 else ""
            lines.append("add rule inet loss %s %s%sdrop" % (hook, match, chance))
        r = subprocess.run(self.exec_argv(host, ["nft", "-f", "-"]), input="\n".join(lines) + "\n",
                           capture_output=True, text=True)
        if r.returncode != 0:
            raise RuntimeError("nft failed: " + r.stderr.strip())

    def clear_loss(self, host):
        self.run(host, ["nft", "delete", "table", "inet", "loss"])


def _kill_namespace_processes(ns):
    """Ends what still runs inside one of our namespaces (e.g. a tool whose parent died)."""
    r = _ip("netns", "pids", ns, check=False)
    for pid in r.stdout.split():
        try:
            os.kill(int(pid), signal.SIGKILL)
        except (ProcessLookupError, ValueError, PermissionError):
            pass


def cleanup_leftovers():
    """Removes every namespace named like ours; returns their names."""
    r = _ip("netns", "list", check=False)
    removed = []
    for line in r.stdout.splitlines():
        name = line.split()[0] if line.split() else ""
        if NAME_RE.match(name):
            _kill_namespace_processes(name)
            _ip("netns", "del", name, check=False)
            removed.append(name)
    return removed


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="cmd", required=True)
    sub.add_parser("check", help="say whether namespaces can be created here")
    sub.add_parser("cleanup", help="remove leftover %s-* namespaces" % PREFIX)
    up = sub.add_parser("up", help="create a LAN, print its hosts, keep it until Enter or Ctrl-C")
    up.add_argument("--hosts", type=int, default=2)
    up.add_argument("--loss", type=int, default=0, help="drop this %% of UDP datagrams in and out of every host")
    args = parser.parse_args(argv)

    if args.cmd == "check":
        ok, reason = probe()
        print("namespaces available" if ok else "unavailable: " + reason)
        return 0 if ok else 1
    if args.cmd == "cleanup":
        for name in cleanup_leftovers():
            print("removed", name)
        return 0
    try:
        with Lan(args.hosts) as lan:
            for h in lan.hosts:
                if args.loss:
                    lan.add_loss(h, args.loss)
                print("h%d %s %s broadcast %s" % (h.index, h.netns, h.address, h.broadcast))
            print("enter a host with: ip netns exec %s bash" % lan.hosts[0].netns)
            print("press Enter to remove the LAN")
            sys.stdout.flush()
            try:
                sys.stdin.readline()
            except KeyboardInterrupt:
                pass
    except Unavailable as e:
        print("unavailable:", e, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
