#!/usr/bin/env python3
"""Many simultaneous web connections at the real program's web server while it captions.

Host 1 runs the program under Xvfb with the web server switched on through its own settings
dialog (keys sent with xdotool); host 2 runs a tavrin_node member typing lines; host 3 opens
CONNECTIONS connections at once to host 1's web port: half of them send a GET at once, the other
half stay silent. Meanwhile a watcher in host 3 fetches the page every 200 ms. Reported: how every
connection ended (page, 503, reset, closed without an answer, still open at the end), the page
latency before and during, the event loop's lag and scroll steps, the program's open descriptors
before, at the peak and after, and the web server's log lines.

  sudo python3 bench/abuse/web_flood.py --build build/abuse --connections 2000
"""

import collections
import json
import os
import re
import subprocess
import sys
import time

import realprog
from realprog import benchlan, netlan

CLIENT = r'''
import collections, json, resource, selectors, socket, sys, time
host, port, count, hold = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
resource.setrlimit(resource.RLIMIT_NOFILE, (count + 256, count + 256))
sel = selectors.DefaultSelector()
conns = {}
outcome = collections.Counter()
t0 = time.monotonic()
for i in range(count):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setblocking(False)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\0" * 8)
    try:
        s.connect((host, port))
    except BlockingIOError:
        pass
    except OSError as e:
        outcome["connect error " + e.__class__.__name__] += 1
        s.close()
        continue
    talk = i % 2 == 0
    conns[s] = {"talk": talk, "sent": False, "data": b"", "opened": time.monotonic(), "closed": None}
    sel.register(s, selectors.EVENT_WRITE | selectors.EVENT_READ)
print("OPENED %d in %.2f s" % (len(conns), time.monotonic() - t0), flush=True)
deadline = time.monotonic() + hold
closed_after = []
while conns and time.monotonic() < deadline:
    for key, ev in sel.select(timeout=0.2):
        s = key.fileobj
        c = conns[s]
        if ev & selectors.EVENT_WRITE and not c["sent"]:
            if c["talk"]:
                try:
                    s.send(b"GET / HTTP/1.0\r\nHost: x\r\n\r\n")
                except OSError:
                    pass
            c["sent"] = True
            sel.modify(s, selectors.EVENT_READ)
        if ev & selectors.EVENT_READ:
            try:
                chunk = s.recv(65536)
            except ConnectionResetError:
                chunk = None
            except OSError:
                chunk = None
            if chunk:
                c["data"] += chunk
                continue
            head = c["data"][:40]
            kind = "talking" if c["talk"] else "silent"
            if chunk is None:
                what = "reset"
            elif head.startswith(b"HTTP/1.0 200"):
                what = "page" if b"</html>" in c["data"] else "page cut short"
            elif head.startswith(b"HTTP/1.0 503"):
                what = "503"
            elif head:
                what = "other " + head.split(b"\r\n")[0].decode("latin-1")
            else:
                what = "closed without an answer"
            outcome["%s: %s" % (kind, what)] += 1
            closed_after.append((kind, round(time.monotonic() - c["opened"], 2)))
            sel.unregister(s)
            s.close()
            del conns[s]
for s, c in conns.items():
    outcome["%s: still open at the end" % ("talking" if c["talk"] else "silent")] += 1
    s.close()
closed_after.sort()
print("RESULT " + json.dumps({"outcome": outcome, "closed_after": closed_after}), flush=True)
'''

WATCHER = r'''
import json, socket, sys, time
host, port, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
out = []
end = time.monotonic() + seconds
while time.monotonic() < end:
    t = time.monotonic()
    ok = False
    try:
        s = socket.create_connection((host, port), timeout=5)
        s.sendall(b"GET / HTTP/1.0\r\n\r\n")
        data = b""
        while True:
            chunk = s.recv(65536)
            if not chunk:
                break
            data += chunk
        s.close()
        ok = data.startswith(b"HTTP/1.0 200") and b"</html>" in data
    except OSError:
        pass
    out.append((time.monotonic_ns(), (time.monotonic() - t) * 1000.0, ok))
    time.sleep(max(0.0, 0.2 - (time.monotonic() - t)))
print(json.dumps(out), flush=True)
'''


def xdo(display, *args):
    return subprocess.run(["xdotool", *args], env=dict(os.environ, DISPLAY=display), capture_output=True, text=True)


def switch_web_server_on(prog, display):
    """Settings menu, web server item, the check box, OK: as a person would with the keyboard."""
    found = xdo(display, "search", "--name", "tavrin").stdout.split()
    if not found:
        raise RuntimeError("no tavrin window on " + display)
    for wid in found:
        xdo(display, "windowfocus", "--sync", wid)
        xdo(display, "key", "alt+s")
        time.sleep(0.5)
        xdo(display, "key", "w")
        time.sleep(1.0)
        xdo(display, "key", "alt+e")
        time.sleep(0.3)
        xdo(display, "key", "Return")
        time.sleep(1.0)
        m = re.search(r"CHttpSock listening on port : (\d+)", prog.operation_log())
        if m:
            return int(m.group(1))
    raise RuntimeError("the web server did not start; log tail:\n" + prog.operation_log()[-1500:])


def fd_count(pid):
    try:
        return len(os.listdir("/proc/%d/fd" % pid))
    except FileNotFoundError:
        return -1


def main():
    p = realprog.parser(__doc__)
    p.add_argument("--connections", type=int, default=2000)
    p.add_argument("--hold", type=float, default=25.0, help="seconds the client waits for answers")
    p.add_argument("--keep", action="store_true")
    args = p.parse_args()
    node, _ = benchlan.tools(args)
    program, plugins = realprog.paths(args)
    xvfb = realprog.Xvfb()
    try:
        with netlan.Lan(3) as lan:
            h1, h2, h3 = lan.hosts
            prog = realprog.Program(lan, h1, program, plugins, xvfb.display, {})
            try:
                run(args, lan, prog, node, xvfb.display)
            finally:
                prog.stop()
                if args.keep:
                    print("kept", prog.home)
                else:
                    prog.cleanup()
    finally:
        xvfb.stop()


def run(args, lan, prog, node, display):
    h1, h2, h3 = lan.hosts
    prog.wait_online()
    time.sleep(1.0)
    port = switch_web_server_on(prog, display)
    pid = prog.pid()
    with open("/proc/%d/limits" % pid) as f:
        nofile = [l for l in f if l.startswith("Max open files")][0].split()[3:5]
    typist = benchlan.start_node(lan, h2, node, "typist")
    sent = []
    watcher = lan.popen(h3, [sys.executable, "-c", WATCHER, h1.address, str(port), str(args.hold + 12)],
                        stdout=subprocess.PIPE, text=True)
    fds = [("before", fd_count(pid))]
    t_begin = time.monotonic()
    n = 0
    client = None
    peak = 0
    flood_at = None
    while time.monotonic() - t_begin < args.hold + 10:
        n += 1
        text = "web %04d 字幕の行です" % n
        typist.send("line " + text)
        sent.append(text)
        elapsed = time.monotonic() - t_begin
        if client is None and elapsed >= 5.0:
            flood_at = time.monotonic_ns()
            client = lan.popen(h3, [sys.executable, "-c", CLIENT, h1.address, str(port), str(args.connections),
                                    str(args.hold)], stdout=subprocess.PIPE, text=True)
        for _ in range(5):
            peak = max(peak, fd_count(pid))
            time.sleep(0.1)
    client_out = client.communicate(timeout=60)[0].strip().splitlines()
    flood_end = time.monotonic_ns()
    time.sleep(2.0)
    fds.append(("peak", peak))
    fds.append(("after", fd_count(pid)))
    watch = json.loads(watcher.communicate(timeout=60)[0].strip().splitlines()[-1])
    load = realprog.loadavg()
    prog.stop()

    result = json.loads([l for l in client_out if l.startswith("RESULT ")][0][7:])
    before = [ms for t, ms, ok in watch if t < flood_at]
    during = [ms for t, ms, ok in watch if flood_at <= t <= flood_end]
    failed = sum(1 for t, ms, ok in watch if flood_at <= t <= flood_end and not ok)
    lags = prog.probe_lines("lag")
    lag_before = [v / 1000.0 for t, v in lags if t < flood_at]
    lag_during = [v / 1000.0 for t, v in lags if flood_at <= t <= flood_end]
    steps = prog.probe_lines("step")
    dlog = prog.display_log()
    missing = [t for t in sent if t not in dlog]
    olog = prog.operation_log()

    print("web port %d, %d connections (half send GET at once, half stay silent); load %s; open-file limit %s"
          % (port, args.connections, load, "/".join(nofile)))
    for line in client_out:
        if not line.startswith("RESULT "):
            print("client: " + line)
    for what, k in sorted(result["outcome"].items()):
        print("  %6d  %s" % (k, what))
    for kind in ("talking", "silent"):
        ca = [t for k, t in result["closed_after"] if k == kind]
        if ca:
            print("  %s connections ended after (s): median %.2f, p99 %.2f, max %.2f"
                  % (kind, benchlan.percentile(ca, 50), benchlan.percentile(ca, 99), max(ca)))
    print("page fetch before: %s" % realprog.summary(before))
    print("page fetch during: %s; failed fetches %d" % (realprog.summary(during), failed))
    print("loop lag before (late by): %s" % realprog.summary(lag_before))
    print("loop lag during (late by): %s" % realprog.summary(lag_during))
    print("scroll steps during: %s" % realprog.summary(realprog.intervals(steps, flood_at, flood_end, 30)))
    print("descriptors: " + ", ".join("%s %d" % kv for kv in fds))
    print("display log: %d of %d lines missing" % (len(missing), len(sent)))
    http = collections.Counter(re.sub(r"\d+", "N", l[22:]) for l in olog.splitlines() if "http" in l.lower() or "accept" in l)
    for key, k in http.most_common(8):
        print("  log %5d  %s" % (k, key))


if __name__ == "__main__":
    main()
