#!/usr/bin/env python3
"""Resident memory of the real program over a long event, accelerated.

Host 1 runs the program under Xvfb (display and every tool window shown, display and contact logs
on, the step probe loaded); host 2 runs a tavrin_node member and host 3 a quorel_sim peer. They
type LINES caption lines between them at RATE lines per second, and along the way do what a
long event brings: what is being typed (monitor texts), contact messages, pre-roll states,
undo, gross blocks, screen clears. The program's resident memory is sampled after every 1000
lines; the verdict compares the last sample with the one after the first 1000 lines (target:
within 10 %).

  sudo python3 bench/abuse/memory_soak.py --build build/abuse --lines 50000 --rate 100
  (add --heaptrack to run the program under heaptrack; its file is kept and named)
"""

import os
import random
import subprocess
import sys
import time

import realprog
from realprog import benchlan, netlan

WORDS = ["本日は", "皆様", "お集まりいただき", "ありがとうございます", "要約筆記", "について", "説明します",
         "資料の", "三ページを", "ご覧ください", "（拍手）", "質問は", "後ほど", "受け付けます", "次に", "会場の"]


def sentence(rnd, n):
    return "%05d " % n + "".join(rnd.choice(WORDS) for _ in range(rnd.randint(2, 9)))


def main():
    p = realprog.parser(__doc__)
    p.add_argument("--lines", type=int, default=50000)
    p.add_argument("--rate", type=float, default=100.0, help="caption lines per second, both typists together")
    p.add_argument("--every", type=int, default=1000, help="sample RSS after this many lines")
    p.add_argument("--heaptrack", action="store_true")
    p.add_argument("--no-chat", action="store_true", help="leave out the contact messages")
    p.add_argument("--chat-every", type=int, default=50, help="a contact message every this many lines")
    p.add_argument("--keep", action="store_true")
    args = p.parse_args()
    node, sim = benchlan.tools(args)
    program, plugins = realprog.paths(args)
    xvfb = realprog.Xvfb()
    try:
        with netlan.Lan(3) as lan:
            h1, h2, h3 = lan.hosts
            keys = {k: "1" for k in realprog.HIDDEN}
            keys.update({"miscellaneous.log.chat_i": "1"})
            wrapper = ()
            if args.heaptrack:
                out = "/tmp/tavrin-heaptrack-%d" % os.getpid()
                wrapper = ("heaptrack", "-o", out)
            prog = realprog.Program(lan, h1, program, plugins, xvfb.display, keys, wrapper=wrapper)
            try:
                run(args, lan, prog, node, sim)
            finally:
                prog.stop(timeout=120)
                if args.heaptrack:
                    print("heaptrack data:", [f for f in os.listdir("/tmp") if f.startswith(os.path.basename(out))])
                if args.keep:
                    print("kept", prog.home)
                else:
                    prog.cleanup()
    finally:
        xvfb.stop()


def program_pid(prog):
    """The program's own pid (under heaptrack it is a child of the wrapper's shell)."""
    pid = prog.pid()
    with open("/proc/%d/comm" % pid) as f:
        if f.read().strip() == "tavrin":
            return pid
    for _ in range(100):
        out = subprocess.run(["pgrep", "-x", "tavrin"], capture_output=True, text=True).stdout.split()
        for cand in out:
            with open("/proc/%s/environ" % cand, "rb") as f:
                if prog.home.encode() in f.read():
                    return int(cand)
        time.sleep(0.2)
    raise RuntimeError("program pid not found")


def run(args, lan, prog, node, sim):
    h1, h2, h3 = lan.hosts
    prog.wait_online(timeout=120)
    pid = program_pid(prog)
    member = benchlan.start_node(lan, h2, node, "alpha")
    quorel = lan.spawn(h3, [sim, "--address", h3.address, "--name", "quo", "--login"], label="quorel")
    time.sleep(3.0)
    rnd = random.Random(2024)
    samples = [(0, realprog.rss_kb(pid))]
    start = time.monotonic()
    for i in range(1, args.lines + 1):
        benchlan.pace(start, i, args.rate)
        text = sentence(rnd, i)
        if i % 3 == 0:
            quorel.send("monitor " + text[:12])
            quorel.send("line " + text)
        else:
            member.send("monitor " + text[:8])
            member.send("line " + text)
        if i % args.chat_every == 0 and not args.no_chat:
            member.send("chat alpha: 連絡 %d" % i)
        if i % 70 == 0 and not args.no_chat:
            quorel.send("chat quo: 連絡 %d" % i)
        if i % 40 == 0:
            member.send("pft 前の行%d|前の行 ## 今の行%d|次の行|その次" % (i, i))
        if i % 45 == 0:
            quorel.send("pft former 前%d|前" % i)
            quorel.send("pft latter 今%d|次|" % i)
        if i % 97 == 0:
            member.send("undo")
        if i % 500 == 0:
            quorel.send("gross 一括%d|二行目||四行目" % i)
            member.send("gross 一括%d|二行目|三行目" % i)
        if i % 5000 == 0:
            member.send("clear")
        if i % args.every == 0:
            samples.append((i, realprog.rss_kb(pid)))
            print("%6d lines  %7d kB  %.0f s  load %s" % (i, samples[-1][1], time.monotonic() - start, realprog.loadavg()),
                  flush=True)
    time.sleep(5.0)
    samples.append(("settled", realprog.rss_kb(pid)))
    base = dict((k, v) for k, v in samples if isinstance(k, int)).get(args.every)
    last = samples[-1][1]
    print("RSS kB by lines: " + ", ".join("%s:%d" % kv for kv in samples))
    if base:
        growth = 100.0 * (last - base) / base
        print("after %d lines %d kB, settled at the end %d kB: %+.1f %% (target within 10 %%)"
              % (args.every, base, last, growth))
    member.command("state", timeout=60)


if __name__ == "__main__":
    main()
