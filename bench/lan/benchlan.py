"""Shared plumbing of the LAN measurements (run by hand, as root, not by CI)."""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
sys.path.insert(0, os.path.join(ROOT, "tools", "netlan"))
import netlan  # noqa: E402


def parser(description):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--build", default=os.path.join(ROOT, "build-lan"), help="build folder with tools/ (default build-lan)")
    return p


def tools(args):
    node = os.path.join(args.build, "tools", "tavrin_node", "tavrin_node")
    sim = os.path.join(args.build, "tools", "quorel_sim", "quorel_sim")
    for t in (node, sim):
        if not os.access(t, os.X_OK):
            sys.exit("not built: " + t)
    ok, reason = netlan.probe()
    if not ok:
        sys.exit("network namespaces unavailable: " + reason)
    return node, sim


def start_node(lan, host, node, name, extra=(), nice=0, realtime=0):
    prefix = ["nice", "-n", str(nice)] if nice else []
    if realtime:
        prefix = ["chrt", "-f", str(realtime)] + prefix
    tool = lan.spawn(host, [*prefix, node, "--address", host.address, "--name", name, *extra], label="node:" + name)
    tool.expect(r"^LOGIN ok ")
    tool.expect(r"^LOG ")
    tool.address = host.address
    return tool


def unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append({"n": "\n", "r": "\r", "t": "\t"}.get(text[i + 1], text[i + 1]))
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def events(tool, kind):
    """[(ns, rest...)] of STORED/SENT events: STORED NS AUTHOR TIMESENT TEXT, SENT NS TEXT."""
    out = []
    for line in tool.matching(r"^%s " % kind):
        if kind == "STORED":
            _, ns, author, sent, *text = line.split(" ", 4)
            out.append((int(ns), author, int(sent), unescape(text[0]) if text else ""))
        else:
            _, ns, *text = line.split(" ", 2)
            out.append((int(ns), unescape(text[0]) if text else ""))
    return out


def captions(tool):
    rows = []
    for line in tool.command("dump", timeout=30):
        if line.startswith("CAPTION "):
            _, serial, author, sent, flag, typ, *text = line.split(" ", 6)
            rows.append((author, int(sent), int(flag), typ, unescape(text[0]) if text else ""))
    return rows


def percentile(values, p):
    s = sorted(values)
    if not s:
        return float("nan")
    k = min(len(s) - 1, max(0, int(round(p / 100.0 * (len(s) - 1)))))
    return s[k]


def pace(start, index, rate):
    """Sleeps until line `index` is due at `rate` lines per second."""
    due = start + index / rate
    delay = due - time.monotonic()
    if delay > 0:
        time.sleep(delay)
