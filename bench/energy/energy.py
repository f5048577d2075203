#!/usr/bin/env python3
"""How often the real program wakes up, and how much CPU it takes, idle and while lines arrive.

Typists run tavrin on battery laptops for events of three hours: an idle program should sleep.
The real program runs under Xvfb inside host 1 of a namespace LAN (tools/netlan), with a home and
a settings file of its own, and logs in on the LAN's only adapter, so it is online without ever
touching this machine's own network. tools/tavrin_node in host 2 is a second member.

Each phase lasts --seconds (30 by default) after a settling pause, and reads at its start and end:
  wakeups  the context switches (voluntary and involuntary) of every thread of the program, from
           /proc/PID/task/*/status; each time a sleeping thread is woken counts one
  CPU      utime + stime of the whole process from /proc/PID/stat (in clock ticks of 10 ms), and
           the nanoseconds its live threads spent on a CPU from /proc/PID/task/*/schedstat
Phases:
  idle     logged in, the other member present (its heartbeats arrive), nothing typed
  lines    the other member sends a caption line every --period seconds (2 by default); each
           scrolls in on the display

    sudo python3 bench/energy/energy.py --tavrin BUILD/src/app/tavrin \\
        --node BUILD/tools/tavrin_node/tavrin_node [--seconds 30] [--period 2] [--json FILE]

Needs root (network namespaces) and Xvfb. Exit code 0 after a measurement, 77 when something it
needs is missing (the reason is printed after "SKIP:"), 1 on failure.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "netlan"))
sys.path.insert(0, os.path.join(HERE, "..", "..", "tools", "desktop"))
import netlan  # noqa: E402
import desktop  # noqa: E402

SKIP = 77
CHANNEL = 1
CLOCK_TICKS = os.sysconf("SC_CLK_TCK")

# The windows of a typist at an event: display, input box, member monitor, contact window.
SETTINGS = {
    "communication.channel_i": CHANNEL,
    "communication.group_i": 1,
    "miscellaneous.init.type_i": 0,
    "main.font.name": "IPAGothic",
    "main.font.point_i": 26,
    "main.position.x_i": 0, "main.position.y_i": 0, "main.size.x_i": 1100, "main.size.y_i": 560,
    "input.display_i": 1, "monitor.display_i": 1, "chat.display_i": 1,
    "input.position.x_i": 0, "input.position.y_i": 580, "input.size.x_i": 1100, "input.size.y_i": 70,
    "monitor.position.x_i": 0, "monitor.position.y_i": 680, "monitor.size.x_i": 1100, "monitor.size.y_i": 300,
    "chat.position.x_i": 1110, "chat.position.y_i": 0, "chat.size.x_i": 400, "chat.size.y_i": 360,
}


class Skip(Exception):
    pass


def log(text):
    print(text, flush=True)


def threads(pid):
    """{tid: (name, context switches, nanoseconds on a CPU)} of the live threads of a process."""
    out = {}
    for tid in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, tid)) as f:
                status = f.read()
            with open("/proc/%d/task/%s/comm" % (pid, tid)) as f:
                name = f.read().strip()
            with open("/proc/%d/task/%s/schedstat" % (pid, tid)) as f:
                on_cpu = int(f.read().split()[0])
        except FileNotFoundError:  # the thread ended meanwhile
            continue
        switches = sum(int(n) for n in re.findall(r"^(?:non)?voluntary_ctxt_switches:\s+(\d+)$", status, re.M))
        out[int(tid)] = (name, switches, on_cpu)
    return out


def cpu_seconds(pid):
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    # Fields 14 and 15 (utime, stime), counted from the state field, which is field 3.
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def measure(pid, seconds, during=None):
    """Wakeups and CPU of the process over `seconds`; `during(t)` runs about every 0.1 s."""
    before = threads(pid)
    cpu_before = cpu_seconds(pid)
    start = time.monotonic()
    while True:
        elapsed = time.monotonic() - start
        if elapsed >= seconds:
            break
        if during:
            during(elapsed)
        time.sleep(min(0.1, seconds - elapsed))
    after = threads(pid)
    cpu = cpu_seconds(pid) - cpu_before
    elapsed = time.monotonic() - start
    per_thread = {}
    on_cpu = 0
    for tid, (name, n, ns) in after.items():
        _, n0, ns0 = before.get(tid, (name, 0, 0))
        on_cpu += ns - ns0
        if n - n0:
            per_thread["%s (%d)" % (name, tid)] = n - n0
    ended = [tid for tid in before if tid not in after]
    total = sum(per_thread.values())
    return {"seconds": round(elapsed, 2), "wakeups": total, "wakeups_per_s": round(total / elapsed, 2),
            "cpu_s": round(cpu, 3), "cpu_percent": round(100 * cpu / elapsed, 3),
            "cpu_ms_threads": round(on_cpu / 1e6, 1), "threads": per_thread, "threads_ended": len(ended)}


def report(name, result):
    log("%-6s %6.2f wakeups/s (%d in %.1f s), CPU %.2f s (%.2f %%), on a CPU %.1f ms%s"
        % (name, result["wakeups_per_s"], result["wakeups"], result["seconds"], result["cpu_s"],
           result["cpu_percent"], result["cpu_ms_threads"], ", %d threads ended meanwhile"
           % result["threads_ended"] if result["threads_ended"] else ""))
    for thread, n in sorted(result["threads"].items(), key=lambda kv: -kv[1]):
        log("         %6.2f/s  %s" % (n / result["seconds"], thread))


def check_namespace(pid, host):
    """`ip netns exec` enters the namespace just before it becomes the program: wait for that."""
    wanted = os.stat("/run/netns/" + host.netns).st_ino
    root = os.stat("/proc/self/ns/net").st_ino
    deadline = time.monotonic() + 5
    while True:
        own = os.stat("/proc/%d/ns/net" % pid).st_ino
        if own == wanted and own != root:
            return
        if time.monotonic() > deadline:
            raise RuntimeError("the program (pid %d) does not run in %s" % (pid, host.netns))
        time.sleep(0.05)


def run(args):
    work = tempfile.mkdtemp(prefix="tavrin-energy-")
    os.chmod(work, 0o755)
    results = {}
    try:
        with netlan.Lan(2) as lan, desktop.Xvfb() as screen:
            own, other = lan.hosts
            node = lan.spawn(other, [args.node, "--address", other.address, "--name", "beta",
                                     "--channel", str(CHANNEL), "--home", os.path.join(work, "beta")])
            node.expect(r"^LOGIN ok ", timeout=15)

            home = desktop.Home(os.path.join(work, "alpha"))
            settings = home.path("energy.tvn")
            desktop.write_settings(settings, {k: str(v) for k, v in dict(SETTINGS, **{
                "communication.name": "alpha",
                "miscellaneous.log.folder": home.path("captions")}).items()})
            out = open(home.path("stdout.txt"), "wb")
            program = desktop.Program(lan, own, args.tavrin, screen, home, settings, output=out)
            check_namespace(program.pid, own)
            # Online: the title carries the member name; the first idle pass focuses the input box.
            screen.find_window("[alpha] %dチャンネル A班" % CHANNEL, program.pid, timeout=30)
            node.expect(r"^JOIN %s " % re.escape(own.address), timeout=15)
            input_window = screen.find_window("入力ウインドウ", program.pid)
            screen.wait_focus(input_window)
            log("tavrin (pid %d) is online in %s on screen %s; beta is in %s"
                % (program.pid, own.netns, screen.display, other.netns))

            time.sleep(args.settle)
            results["idle"] = measure(program.pid, args.seconds)
            report("idle", results["idle"])

            sent = []

            def send(elapsed):
                if len(sent) * args.period <= elapsed:
                    node.send("line energy line %d: 字幕の行がひとつ届きました。" % (len(sent) + 1))
                    sent.append(elapsed)

            results["lines"] = measure(program.pid, args.seconds, send)
            results["lines"]["lines_sent"] = len(sent)
            report("lines", results["lines"])
            log("(%d lines, one every %g s)" % (len(sent), args.period))

            code = program.terminate()
            if code != 0:
                raise RuntimeError("the program ended with exit code %s after SIGTERM" % code)
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
        else:
            log("kept %s" % work)
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n", 1)[0])
    parser.add_argument("--tavrin", required=True, help="the program (build/src/app/tavrin)")
    parser.add_argument("--node", required=True, help="the headless member (build/tools/tavrin_node/tavrin_node)")
    parser.add_argument("--seconds", type=float, default=30.0, help="length of each phase")
    parser.add_argument("--period", type=float, default=2.0, help="seconds between received lines")
    parser.add_argument("--settle", type=float, default=15.0,
                        help="pause before the idle phase (the text cursor blinks 10 s after the focus came)")
    parser.add_argument("--json", help="also write the figures to this file")
    parser.add_argument("--keep", action="store_true", help="keep the home folder (operation log)")
    args = parser.parse_args()
    args.tavrin = os.path.abspath(args.tavrin)
    args.node = os.path.abspath(args.node)
    try:
        if os.geteuid() != 0:
            raise Skip("needs root for the network namespaces")
        ok, reason = netlan.probe()
        if not ok:
            raise Skip(reason)
        if shutil.which("Xvfb") is None:
            raise Skip("Xvfb is not installed")
        for path in (args.tavrin, args.node):
            if not os.access(path, os.X_OK):
                raise Skip("%s is not built" % path)
        results = run(args)
    except Skip as e:
        print("SKIP: %s" % e)
        return SKIP
    except (netlan.Unavailable, RuntimeError, TimeoutError, EOFError) as e:
        print("FAILED: %s" % e)
        return 1
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=2)
    return 0


if __name__ == "__main__":
    sys.exit(main())
