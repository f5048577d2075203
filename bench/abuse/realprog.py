"""The real program under Xvfb inside one host of a namespace LAN, with the step probe loaded.

Shared by the abuse and memory scripts beside this file (run by hand, as root, not by CI)."""

import glob
import os
import re
import secrets
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "lan"))
import benchlan  # noqa: E402
from benchlan import netlan  # noqa: E402

# Only the display: a typist's windows would cover it on a desktop without a window manager.
HIDDEN = {k + ".display_i": "0" for k in ("input", "monitor", "chat", "pft", "pft_monitor", "fkey")}


def write_settings(path, keys):
    text = "[tavrin]\r\n" + "".join("%s=%s\r\n" % kv for kv in keys.items())
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def parser(description):
    p = benchlan.parser(description)
    p.add_argument("--program", help="the program (default BUILD/src/app/tavrin)")
    return p


def paths(args):
    program = args.program or os.path.join(args.build, "src", "app", "tavrin")
    plugins = os.path.join(args.build, "bench", "abuse", "plugins")
    for f in (program, os.path.join(plugins, "generic", "libtavrin_probe.so")):
        if not os.path.exists(f):
            sys.exit("not built: %s (cmake -DTAVRIN_BUILD_BENCH=ON, targets tavrin tavrin_probe)" % f)
    return program, plugins


class Xvfb:
    def __init__(self, size="1600x900x24"):
        self.number = 90 + secrets.randbelow(400)
        while os.path.exists("/tmp/.X11-unix/X%d" % self.number):
            self.number += 1
        self.display = ":%d" % self.number
        self.proc = subprocess.Popen(["Xvfb", self.display, "-screen", "0", size, "-nolisten", "tcp"],
                                     stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists("/tmp/.X11-unix/X%d" % self.number):
                break
            time.sleep(0.05)

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class Program:
    """tavrin with its own HOME, a settings file of `keys`, the display log on, and the probe."""

    def __init__(self, lan, host, program, plugins, display, keys, period=30, extra_env=None, wrapper=(),
                 raw_settings=None):
        self.home = tempfile.mkdtemp(prefix="tavrin-abuse-")
        os.chmod(self.home, 0o755)
        self.logs = os.path.join(self.home, "logs")
        self.probe = os.path.join(self.home, "probe.txt")
        settings = {
            "communication.name": "target",
            "communication.channel_i": "1",
            "communication.group_i": "1",
            "main.position.x_i": "0", "main.position.y_i": "0",
            "main.size.x_i": "1280", "main.size.y_i": "720",
            "main.font.name": "IPAGothic", "main.font.point_i": "36",
            "main.scroll.period_i": str(period),
            "miscellaneous.log.display_i": "1",
            "miscellaneous.log.folder": self.logs,
        }
        settings.update(HIDDEN)
        settings.update(keys)
        tvn = os.path.join(self.home, "run.tvn")
        if raw_settings is None:
            write_settings(tvn, settings)
        else:
            with open(tvn, "wb") as f:
                f.write(raw_settings)
        env = ["env", "DISPLAY=" + display, "HOME=" + self.home, "XDG_CONFIG_HOME=" + self.home + "/.config",
               "QT_QPA_PLATFORM=xcb", "LANG=ja_JP.UTF-8", "QT_PLUGIN_PATH=" + plugins,
               "QT_QPA_GENERIC_PLUGINS=tavrinprobe", "TAVRIN_PROBE_FILE=" + self.probe,
               "TAVRIN_PROBE_PERIOD=%d" % period]
        env += ["%s=%s" % kv for kv in (extra_env or {}).items()]
        self.proc = lan.popen(host, env + list(wrapper) + [program, tvn], stdout=subprocess.DEVNULL,
                              stderr=open(os.path.join(self.home, "stderr.txt"), "wb"))
        self.host = host

    def pid(self):
        """The program's own process (ip netns exec and env exec into it)."""
        return self.proc.pid

    def wait_online(self, timeout=20):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            log = self.operation_log()
            if "CMainWindow::SetOnline() finishes." in log:
                return
            time.sleep(0.2)
        raise TimeoutError("the program did not go online; log:\n" + self.operation_log()[-2000:])

    def operation_log_path(self):
        found = sorted(glob.glob(os.path.join(self.home, ".config", "tavrin", "*.log")) +
                       glob.glob(os.path.join(self.home, ".config", "tavrin", "*log*.txt")))
        return found[0] if found else None

    def operation_log(self):
        path = self.operation_log_path()
        if not path:
            return ""
        with open(path, "rb") as f:
            return f.read().decode("utf-16-le", "replace")

    def display_log(self):
        text = ""
        for path in sorted(glob.glob(os.path.join(self.logs, "*_display.txt"))):
            with open(path, "rb") as f:
                text += f.read().decode("utf-16-le", "replace")
        return text

    def probe_lines(self, kind):
        out = []
        if os.path.exists(self.probe):
            with open(self.probe) as f:
                for line in f:
                    parts = line.split()
                    if parts and parts[0] == kind:
                        out.append(tuple(int(v) for v in parts[1:]))
        return out

    def stop(self, timeout=20):
        """The normal shutdown path (SIGTERM): the display log is flushed, the probe written."""
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        return self.proc.returncode

    def cleanup(self):
        shutil.rmtree(self.home, ignore_errors=True)


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except FileNotFoundError:
        pass
    return -1


def intervals(steps, start, end, period_ms):
    """Step intervals (ms) of the steps that fell inside [start, end] ns."""
    t = [s[0] for s in steps if start <= s[0] <= end]
    return [(b - a) / 1e6 for a, b in zip(t, t[1:])]


def summary(values):
    if not values:
        return "no samples"
    p = benchlan.percentile
    return "median %.2f, p99 %.2f, max %.2f ms (n=%d)" % (p(values, 50), p(values, 99), max(values), len(values))


def loadavg():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])
