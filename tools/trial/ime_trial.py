#!/usr/bin/env python3
"""Typing Japanese through a real input method, checked at another member.

The real program runs as an ordinary user under Xvfb in one host of a namespace LAN
(tools/netlan) with a session bus of its own and an input method (fcitx5 + mozc, or IBus +
mozc); tools/tavrin_node in a second host is the other member and prints every monitor text and
every line it receives. xdotool types romaji into the input window key by key, converts (space)
and commits (Enter), then sends the line (Enter); the script checks what the other member's
member monitor showed after each key and how many monitor datagrams each key cost, that the line
was stored once, that F9 and F8 act when nothing is being composed, that the contact window takes
composed text (also as the first keys after it got the focus for the first time, while the input
method answers late), and that a composition committed past the box's 127-character limit is
not cut without a sign (the X bell).

    sudo python3 tools/trial/ime_trial.py --tavrin BUILD/src/app/tavrin \\
        --node BUILD/tools/tavrin_node/tavrin_node [--im fcitx5|ibus] [--known-faults LETTERS] \\
        [--out DIR] [--keep]

Faults that are known and not yet fixed are reported but do not fail the run (--known-faults,
by default the ones still open for the chosen input method); a known fault that no longer shows
fails it, so that the list is shortened when the fix lands:
  a  text committed past the 127-character limit is dropped without a sign
  b  a composition step sends the monitor text more than once
  c  the first keys typed into a window that just got the focus for the first time bypass the
     input method

Exit code 0 when every check passed, 1 when one failed (each failure is printed), 77 when
something it needs is missing here (the reason is printed after "SKIP:").
"""

import argparse
import ctypes
import ctypes.util
import glob
import os
import re
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "netlan"))
sys.path.insert(0, os.path.join(HERE, "..", "desktop"))
import netlan  # noqa: E402
import desktop  # noqa: E402
from trial import PORTS, OutsideWatch, Skip, TrialError, unescape, wait_for  # noqa: E402

SKIP = 77
CHANNEL = 1
# mozc's server refuses to run as root: the input method and the program run as this user.
USER_ID = 65534

FAULTS = {
    "a": "text committed past the 127-character limit is dropped without a sign",
    "b": "a composition step sends the monitor text more than once",
    "c": "the first keys typed into a window that just got the focus for the first time bypass the input method",
}
# Still open in the program, per input method (none now: each fault fails the run if it comes
# back). Qt's IBus plugin keeps one input context for the whole program, so (c) cannot show
# there; fcitx5's plugin makes one per window at its first focus, which the program now has
# done when the window is first shown.
OPEN_FAULTS = {"fcitx5": "", "ibus": ""}

# What the other member's monitor shows after each key: mozc shows a pending consonant as a
# full-width letter and turns "n" before a consonant into ん.
TYPED = [
    ("k", "ｋ"), ("y", "ｋｙ"), ("o", "きょ"), ("u", "きょう"), ("h", "きょうｈ"), ("a", "きょうは"),
    ("i", "きょうはい"), ("i", "きょうはいい"), ("t", "きょうはいいｔ"), ("e", "きょうはいいて"),
    ("n", "きょうはいいてｎ"), ("k", "きょうはいいてんｋ"), ("i", "きょうはいいてんき"),
    ("d", "きょうはいいてんきｄ"), ("e", "きょうはいいてんきで"), ("s", "きょうはいいてんきでｓ"),
    ("u", "きょうはいいてんきです"),
]
ROMAJI = "".join(letter for letter, _ in TYPED)
CONVERTED = "今日はいい天気です"
QUOTED = "「%s」" % CONVERTED
CONTACT_FIRST = ("ka", "か")
CONTACT_TEXT = ("arigatou", "ありがとう")
LIMIT = 127
OVERLONG = 130  # あ typed this many times in one composition
DELIMITER = "／"
# Monitor datagrams a sent line causes after it: the emptied box is resent twice, 100 ms apart.
LINE_RESENDS = 2


def log(text):
    print("[%6.1f] %s" % (time.monotonic() - START, text), flush=True)


START = time.monotonic()


def short(text, limit=24):
    return text if len(text) <= limit else "%s…(%d chars)" % (text[:limit], len(text))


# -- the X bell ----------------------------------------------------------------------------

class BellWatch:
    """Counts the bells rung on an X display, from the XKB bell notifications."""

    XKB_USE_CORE_KBD = 0x100
    XKB_BELL_NOTIFY = 8

    def __init__(self, display):
        x = ctypes.CDLL(ctypes.util.find_library("X11"))
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XPending", "XConnectionNumber", "XCloseDisplay", "XFlush"):
            getattr(x, name).argtypes = [ctypes.c_void_p]
        x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        x.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        self._x = x
        self._display = x.XOpenDisplay(display.encode())
        if not self._display:
            raise RuntimeError("cannot open display " + display)
        opcode, event_base, error_base, major, minor = (ctypes.c_int(v) for v in (0, 0, 0, 1, 0))
        if not x.XkbQueryExtension(self._display, *(ctypes.byref(v) for v in (opcode, event_base, error_base,
                                                                              major, minor))):
            raise RuntimeError("the X server of %s has no XKB" % display)
        self._event_base = event_base.value
        bell = 1 << self.XKB_BELL_NOTIFY
        x.XkbSelectEvents(self._display, self.XKB_USE_CORE_KBD, bell, bell)
        x.XFlush(self._display)
        self.count = 0
        self._stopping = False
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        fd = self._x.XConnectionNumber(self._display)
        event = ctypes.create_string_buffer(192)  # sizeof(XEvent)
        while not self._stopping:
            select.select([fd], [], [], 0.1)
            while self._x.XPending(self._display):
                self._x.XNextEvent(self._display, event)
                # XkbAnyEvent: int type at 0, int xkb_type at 40 (after serial, send_event, display, time).
                kind = int.from_bytes(event.raw[0:4], sys.byteorder)
                xkb_type = int.from_bytes(event.raw[40:44], sys.byteorder)
                if kind == self._event_base and xkb_type == self.XKB_BELL_NOTIFY:
                    self.count += 1

    def stop(self):
        if not self._stopping:
            self._stopping = True
            self._thread.join(2)
            self._x.XCloseDisplay(self._display)


class LanWatch(OutsideWatch):
    """Counts, in the root namespace, every packet of the LAN's addresses, and of the program's
    ports outside the loopback interface: other tests on this machine talk on those ports over
    loopback, and that traffic is not the LAN's."""

    def start(self):
        ports = ", ".join(str(p) for p in PORTS)
        script = ["add table inet %s" % self.table]
        for chain, hook, interface in (("leaving", "postrouting", "oifname"), ("arriving", "prerouting", "iifname")):
            script.append("add chain inet %s %s { type filter hook %s priority -300; policy accept; }"
                          % (self.table, chain, hook))
            for rule in ("ip saddr 198.18.0.0/24 counter", "ip daddr 198.18.0.0/24 counter",
                         '%s != "lo" udp dport { %s } counter' % (interface, ports),
                         '%s != "lo" udp sport { %s } counter' % (interface, ports)):
                script.append("add rule inet %s %s %s" % (self.table, chain, rule))
        r = subprocess.run(["nft", "-f", "-"], input="\n".join(script) + "\n", capture_output=True, text=True)
        if r.returncode != 0:
            raise Skip("nftables cannot count packets here: " + r.stderr.strip())
        self.active = True


# -- the user's desktop session --------------------------------------------------------------

def as_user(argv):
    return ["setpriv", "--reuid=%d" % USER_ID, "--regid=%d" % USER_ID, "--clear-groups", "--", *argv]


def give_to_user(path):
    for root, dirs, files in os.walk(path):
        os.chown(root, USER_ID, USER_ID)
        for name in files:
            os.chown(os.path.join(root, name), USER_ID, USER_ID)


def user_can(lan, host, test, path):
    return lan.run(host, as_user(["test", test, path])).returncode == 0


def reachable_copy(lan, host, path, folder):
    """The path itself when the user may read it, else a copy in folder (a build tree under a
    private home is out of the user's reach)."""
    if user_can(lan, host, "-x" if os.access(path, os.X_OK) else "-r", path):
        return path
    copy = os.path.join(folder, os.path.basename(path))
    shutil.copy2(path, copy)
    os.chmod(copy, 0o755)
    return copy


def sanitizer_env(lan, host, folder):
    """The sanitizer options of this run (a sanitizer build reads them at start), with their
    suppression files where the user can read them."""
    env = {}
    for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"):
        value = os.environ.get(name)
        if value:
            env[name] = re.sub(r"((?:^|:)suppressions=)([^:]+)",
                               lambda m: m.group(1) + reachable_copy(lan, host, m.group(2), folder), value)
    return env


def qt_plugin(name):
    found = glob.glob("/usr/lib/*/qt6/plugins/platforminputcontexts/lib%splatforminputcontextplugin.so" % name)
    found += glob.glob("/usr/lib/qt6/plugins/platforminputcontexts/lib%splatforminputcontextplugin.so" % name)
    return found[0] if found else None


class InputMethod:
    """One input method daemon of the user's session, in the program's host (mozc talks to its
    server over abstract sockets, which stay inside one network namespace)."""

    name = ""
    qt_module = ""
    programs = ()
    files = ()
    plugin = ""

    def __init__(self, session):
        self.session = session
        self.popen = None

    def missing(self):
        what = [p for p in self.programs if shutil.which(p) is None]
        what += [f for f in self.files if not os.path.exists(f)]
        if not qt_plugin(self.plugin):
            what.append("Qt 6 platform input context plugin '%s'" % self.plugin)
        return what

    def configure(self, home):
        pass

    def start(self):
        raise NotImplementedError

    def program_env(self):
        return {"QT_IM_MODULE": self.qt_module, "XMODIFIERS": "@im=" + self.qt_module}

    def stall(self):
        """The input method stops answering, as it does while it is busy."""
        os.kill(self.popen.pid, signal.SIGSTOP)

    def resume(self):
        os.kill(self.popen.pid, signal.SIGCONT)

    def stop(self):
        if self.popen and self.popen.poll() is None:
            self.resume()
            self.popen.terminate()
            try:
                self.popen.wait(5)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()


class Fcitx5(InputMethod):
    name = "fcitx5"
    qt_module = "fcitx"
    programs = ("fcitx5", "/usr/lib/mozc/mozc_server")
    files = ("/usr/share/fcitx5/inputmethod/mozc.conf",)
    plugin = "fcitx5"

    def configure(self, home):
        folder = home.path(".config", "fcitx5")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "profile"), "w") as f:
            f.write("[Groups/0]\nName=Default\nDefault Layout=us\nDefaultIM=mozc\n\n"
                    "[Groups/0/Items/0]\nName=keyboard-us\nLayout=\n\n"
                    "[Groups/0/Items/1]\nName=mozc\nLayout=\n\n"
                    "[GroupOrder]\n0=Default\n")
        # Without this the input method starts switched off and the keys go through untouched.
        with open(os.path.join(folder, "config"), "w") as f:
            f.write("[Behavior]\nActiveByDefault=True\n")

    def start(self):
        s = self.session
        self.popen = s.lan.popen(s.host, as_user(["fcitx5"]),
                                 env=s.env, stdout=s.im_log, stderr=subprocess.STDOUT)
        # Anything that asks the bus for fcitx5 before it owns its name makes the bus start a
        # second one.
        wait_for(lambda: s.bus_has("org.fcitx.Fcitx5") or self.popen.poll() is not None, 20,
                 "fcitx5 to take its name on the session bus")
        wait_for(lambda: b"Loaded addon mozc" in s.im_log_bytes() or self.popen.poll() is not None, 20,
                 "fcitx5 to load mozc")
        if self.popen.poll() is not None:
            raise TrialError("fcitx5 ended at its start (exit %s)" % self.popen.returncode)


class IBus(InputMethod):
    name = "ibus"
    qt_module = "ibus"
    programs = ("ibus-daemon", "ibus", "/usr/lib/mozc/mozc_server")
    files = ("/usr/share/ibus/component/mozc.xml",)
    plugin = "ibus"

    def configure(self, home):
        folder = home.path(".config", "mozc")
        os.makedirs(folder, exist_ok=True)
        # ibus-mozc starts in direct input unless told otherwise.
        with open(os.path.join(folder, "ibus_config.textproto"), "w") as f:
            f.write('engines {\n  name : "mozc-jp"\n  longname : "Mozc"\n  layout : "default"\n'
                    '  layout_variant : ""\n  layout_option : ""\n  rank : 80\n}\nactive_on_launch: True\n')

    def start(self):
        s = self.session
        address = "unix:path=" + s.home.path("runtime", "ibus")
        self.popen = s.lan.popen(s.host, as_user(["ibus-daemon", "--panel=disable", "--emoji-extension=disable",
                                                  "--config=disable", "--cache=none", "--address=" + address]),
                                 env=s.env, stdout=s.im_log, stderr=subprocess.STDOUT)

        def engine_set():
            if self.popen.poll() is not None:
                return True
            s.lan.run(s.host, as_user(["ibus", "engine", "mozc-jp"]), env=s.env)
            return s.lan.run(s.host, as_user(["ibus", "engine"]), env=s.env).stdout.strip() == "mozc-jp"
        wait_for(engine_set, 20, "ibus-daemon to take mozc as its engine")
        if self.popen.poll() is not None:
            raise TrialError("ibus-daemon ended at its start (exit %s)" % self.popen.returncode)


INPUT_METHODS = {"fcitx5": Fcitx5, "ibus": IBus}


class Session:
    """The user's session in one LAN host: home, session bus, input method and the program."""

    SETTINGS = {
        "communication.name": "alpha", "communication.channel_i": CHANNEL, "communication.group_i": 1,
        "main.position.x_i": 0, "main.position.y_i": 0, "main.size.x_i": 1100, "main.size.y_i": 560,
        "input.display_i": 1, "input.position.x_i": 0, "input.position.y_i": 580,
        "input.size.x_i": 1100, "input.size.y_i": 70,
        "chat.display_i": 1, "chat.position.x_i": 1110, "chat.position.y_i": 0,
        "chat.size.x_i": 400, "chat.size.y_i": 360,
        "monitor.display_i": 0, "fkey.display_i": 0, "pft.display_i": 0, "pft_monitor.display_i": 0,
    }

    def __init__(self, trial, host, screen, im_class):
        self.lan = trial.lan
        self.host = host
        self.screen = screen
        self.home = desktop.Home(os.path.join(trial.work, "alpha"))
        self.settings_file = self.home.path("alpha.tvn")
        desktop.write_settings(self.settings_file, {k: str(v) for k, v in self.SETTINGS.items()})
        self.im = im_class(self)
        self.im.configure(self.home)
        give_to_user(self.home.root)
        self.bus_path = self.home.path("runtime", "bus")
        # The bus listens on a path: an abstract socket would not be seen from another namespace.
        self.env = self.home.env(screen.display, language="C.UTF-8")
        self.env.update(PATH=os.environ.get("PATH", "/usr/bin:/bin"), DBUS_SESSION_BUS_ADDRESS="unix:path=" + self.bus_path)
        self.im_log_path = self.home.path("input-method.log")
        self.im_log = open(self.im_log_path, "wb")
        self.bus = None
        self.program = None

    def im_log_bytes(self):
        with open(self.im_log_path, "rb") as f:
            return f.read()

    def bus_has(self, name):
        r = self.lan.run(self.host, as_user(["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                                             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                                             "string:" + name]), env=self.env)
        return r.returncode == 0 and "boolean true" in r.stdout

    def start_bus(self):
        self.bus = self.lan.popen(self.host, as_user(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                                      "--address=unix:path=" + self.bus_path]),
                                  env=self.env, stdout=self.im_log, stderr=subprocess.STDOUT)
        wait_for(lambda: os.path.exists(self.bus_path) or self.bus.poll() is not None, 10, "the session bus")
        if self.bus.poll() is not None:
            raise TrialError("dbus-daemon ended at its start (exit %s)" % self.bus.returncode)

    def start_program(self, binary):
        env = dict(self.env, **self.im.program_env())
        env.update(sanitizer_env(self.lan, self.host, self.home.root))
        env["LANG"] = "ja_JP.UTF-8"
        binary = reachable_copy(self.lan, self.host, binary, self.home.root)
        self.program_out = open(self.home.path("program-output.txt"), "wb")
        # `ip netns exec` and setpriv both become the program: the pid is the program's.
        self.program = self.lan.popen(self.host, as_user([binary, self.settings_file]), env=env,
                                      stdin=subprocess.DEVNULL, stdout=self.program_out, stderr=subprocess.STDOUT)
        return self.program

    def stop(self):
        """Ends the program (SIGTERM, as a desktop does) and returns its exit code."""
        code = None
        if self.program and self.program.poll() is None:
            self.program.send_signal(signal.SIGTERM)
            try:
                code = self.program.wait(20)
            except subprocess.TimeoutExpired:
                self.program.kill()
                self.program.wait()
                code = "killed after 20 s"
        self.im.stop()
        if self.bus and self.bus.poll() is None:
            self.bus.terminate()
            self.bus.wait(5)
        self.im_log.close()
        return code


# -- the trial -----------------------------------------------------------------------------

class Step:
    def __init__(self, label, expected, texts, changed, resends=0):
        self.label = label
        self.expected = expected
        self.texts = texts
        self.changed = changed
        self.resends = resends

    def shown(self):
        return self.texts[-1] if self.texts else None

    def sends_once(self):
        """Once per change: one monitor datagram when the text changed (plus the resends after a
        line), at most one when it did not."""
        if self.changed:
            return len(self.texts) == 1 + self.resends
        return len(self.texts) <= 1 + self.resends


class Trial:
    def __init__(self, args):
        self.args = args
        self.tavrin = os.path.abspath(args.tavrin)
        self.node_binary = os.path.abspath(args.node)
        self.out = os.path.abspath(args.out)
        self.known = set(f for f in args.known_faults.split(",") if f)
        # Under /tmp rather than TMPDIR, which may lie in a home that the user cannot enter.
        self.work = tempfile.mkdtemp(prefix="tavrin-ime-", dir="/tmp" if os.path.isdir("/tmp") else None)
        os.chmod(self.work, 0o755)
        self.keep = args.keep
        self.cleanups = []
        self.failures = []
        self.faults = {}  # letter -> what was seen when the fault showed (None: it did not)
        self.notes = []
        self.steps = []
        self.lan = None

    # -- checks ---------------------------------------------------------------------------

    def check(self, ok, text):
        if not ok:
            self.failures.append(text)
        return ok

    def fault(self, letter, shows, seen):
        """Records whether a fault showed; the verdict comes at the end."""
        if shows:
            self.faults[letter] = seen
        else:
            self.faults.setdefault(letter, None)

    def check_namespace(self, pid):
        wanted = os.stat("/run/netns/" + self.host.netns).st_ino
        root = os.stat("/proc/self/ns/net").st_ino

        def inside():
            try:
                own = os.stat("/proc/%d/ns/net" % pid).st_ino
            except FileNotFoundError:
                raise TrialError("the program (pid %d) ended right after its start" % pid)
            return own == wanted and own != root
        wait_for(inside, 5, "the program to run inside its host's namespace")

    # -- the other member -----------------------------------------------------------------

    def inputs_since(self, start):
        texts = []
        prefix = "INPUT %s " % self.host.address
        for line in self.node.snapshot()[start:]:
            if line.startswith(prefix):
                texts.append(unescape(line[len(prefix):]))
            elif line == prefix.rstrip():
                texts.append("")
        return texts

    def stored(self, text):
        rx = re.compile(r"^STORED \d+ %s \d+ (.*)$" % re.escape(self.host.address))
        return [m.group(1) for m in map(rx.match, self.node.snapshot()) if m and unescape(m.group(1)) == text]

    def contacts_since(self, start):
        rx = re.compile(r"^CONTACT \d+ (.*)$")
        return [unescape(m.group(1)) for m in map(rx.match, self.node.snapshot()[start:]) if m]

    def press(self, label, action, expected, changed=True, resends=0, settle=0.4):
        """One step of the typist; returns the monitor texts the other member got for it."""
        start = len(self.node.snapshot())
        action()
        if changed:
            try:
                wait_for(lambda: expected in self.inputs_since(start), 6,
                         lambda: "the other member's monitor to show %r after %s; it got %r"
                         % (expected, label, self.inputs_since(start)))
            except TrialError as e:
                self.failures.append(str(e))
        # Repeats of the same text come right after the first; the resends after a line come
        # 100 and 200 ms later.
        time.sleep(settle + 0.1 * resends)
        step = Step(label, expected, self.inputs_since(start), changed, resends)
        self.steps.append(step)
        return step

    def key(self, *keys):
        return lambda: self.screen.key(*keys)

    # -- the run --------------------------------------------------------------------------

    def run(self):
        self.lan = netlan.Lan(hosts=2)
        try:
            self.lan.create()
        except netlan.Unavailable as e:
            raise Skip("network namespaces are not available: %s" % e)
        self.cleanups.append(self.lan.destroy)
        self.host, node_host = self.lan.hosts
        watch = LanWatch()
        watch.start()
        self.cleanups.append(watch.stop)

        self.screen = desktop.Xvfb().start()
        self.cleanups.append(self.screen.stop)
        self.bells = BellWatch(self.screen.display)
        self.cleanups.append(self.bells.stop)

        self.session = Session(self, self.host, self.screen, INPUT_METHODS[self.args.im])
        self.cleanups.append(self.stop_session)
        self.session.start_bus()
        self.session.im.start()
        log("%s is running for user %d in %s (screen %s)"
            % (self.args.im, USER_ID, self.host.netns, self.screen.display))

        self.node = self.lan.spawn(node_host, [self.node_binary, "--address", node_host.address, "--name", "beta",
                                               "--channel", str(CHANNEL), "--home", os.path.join(self.work, "beta")],
                                   label="tavrin_node@%s" % node_host.address)
        self.node.expect(r"^LOGIN ok ", timeout=15)

        program = self.session.start_program(self.tavrin)
        self.check_namespace(program.pid)
        self.screen.find_window("[alpha] %dチャンネル A班" % CHANNEL, program.pid, timeout=30)
        self.node.expect(r"^JOIN %s " % re.escape(self.host.address), timeout=15)
        self.input_window = self.screen.find_window("入力ウインドウ", program.pid)
        self.contact_window = self.screen.find_window("連絡窓", program.pid)
        self.screen.wait_focus(self.input_window)
        log("alpha is online on %s, its input box has the keyboard" % self.host.address)

        self.wait_input_method()
        self.type_and_convert()
        self.undo_and_quote()
        self.contact_window_first_focus()
        self.contact_composed()
        self.past_the_limit()

        code = self.session.stop()
        self.check(code == 0, "the program ended with exit code %s after SIGTERM" % code)
        for line in watch.counts():
            self.check(line.endswith("counter packets 0 bytes 0"),
                       "a packet of the LAN showed up in this machine's own namespace: " + line)

    def stop_session(self):
        if self.session.program and self.session.program.poll() is None:
            self.session.stop()
        else:
            self.session.im.stop()

    def wait_input_method(self):
        """The program takes the input method's context for its window when it gets the focus;
        keys typed before that arrive untouched. Probe with "a" until it composes あ."""
        for attempt in range(20):
            start = len(self.node.snapshot())
            self.screen.key("a")
            try:
                wait_for(lambda: self.inputs_since(start), 3, "a monitor text after a probe key")
            except TrialError as e:
                raise TrialError("the other member got no monitor text from alpha: %s" % e)
            shown = self.inputs_since(start)[-1]
            if shown == "あ":
                if attempt:
                    self.notes.append("the input method took the input box's keys only %d probe keys after the "
                                      "window got the keyboard at start" % attempt)
                self.screen.key("Escape")
                wait_for(lambda: self.inputs_since(start)[-1:] == [""], 5, "the probe to be taken back")
                log("the input method composes in the input box (after %d probe keys)" % (attempt + 1))
                return
            self.screen.key("BackSpace", "Escape")
            time.sleep(0.3)
        raise TrialError("the input box never composed: the probe key showed %r at the other member" % shown)

    def type_and_convert(self):
        for letter, expected in TYPED:
            self.press("key %s" % letter, self.key(letter), expected)
        self.press("space (convert)", self.key("space"), CONVERTED)
        # Enter commits the conversion: the text stays the same, now in the box.
        self.press("Enter (commit)", self.key("Return"), CONVERTED, changed=False)
        self.press("Enter (send the line)", self.key("Return"), "", resends=LINE_RESENDS)
        time.sleep(0.5)
        typing = self.steps[-(len(TYPED) + 3):]
        for step in typing:
            if step.changed:
                self.check(step.shown() == step.expected, "after %s the other member's monitor showed %r, "
                           "expected %r" % (step.label, step.shown(), step.expected))
            else:
                self.check(all(t == step.expected for t in step.texts),
                           "after %s the other member's monitor showed %r, expected %r"
                           % (step.label, step.texts, step.expected))
        self.check(len(self.stored(CONVERTED)) == 1, "the line %s was stored %d times at the other member, expected once"
                   % (CONVERTED, len(self.stored(CONVERTED))))
        log("typed %s, converted to %s and sent it; monitor datagrams per step: %s"
            % (ROMAJI, CONVERTED, " ".join(str(len(s.texts)) for s in typing)))

    def undo_and_quote(self):
        """F9 and F8 with nothing being composed: the input method lets them through."""
        start = len(self.node.snapshot())
        self.press("F9 (undo)", self.key("F9"), CONVERTED)
        try:
            wait_for(lambda: any(l.startswith("FLAG ") and l.endswith(" " + CONVERTED)
                                 for l in self.node.snapshot()[start:]), 5, "the other member to see the line withdrawn")
        except TrialError as e:
            self.failures.append("F9: %s" % e)
        self.press("F8 (quote)", self.key("F8"), QUOTED)
        self.press("Enter (send the quoted line)", self.key("Return"), "", resends=LINE_RESENDS)
        try:
            wait_for(lambda: self.stored(QUOTED), 5, "the quoted line to be stored")
        except TrialError as e:
            self.failures.append("F8: %s" % e)
        self.check(len(self.stored(QUOTED)) == 1, "the quoted line was stored %d times, expected once"
                   % len(self.stored(QUOTED)))
        log("F9 took the line back and F8 quoted it: %s" % QUOTED)

    def contact_window_first_focus(self):
        """The contact window gets the keyboard for the first time (a click, as a person gives it)
        while the input method is slow to answer: the keys typed then must still be composed."""
        romaji, composed = CONTACT_FIRST
        x, y, width, height = self.screen.geometry(self.contact_window)
        self.session.im.stall()
        try:
            self.screen.xdotool("mousemove", str(x + width // 2), str(y + height - 8), "click", "1")
            self.screen.give_focus(self.contact_window)
            self.screen.type(romaji, delay_ms=40)
            time.sleep(0.3)
        finally:
            self.session.im.resume()
        time.sleep(1.0)
        start = len(self.node.snapshot())
        self.screen.key("Return")
        time.sleep(1.0)
        sent = self.contacts_since(start)
        if not sent:  # the Enter committed a composition; the next one sends it
            self.screen.key("Return")
            try:
                wait_for(lambda: self.contacts_since(start), 5, "the contact message to reach the other member")
            except TrialError as e:
                self.failures.append("contact window: %s" % e)
            sent = self.contacts_since(start)
        expected = "alpha" + DELIMITER + composed
        self.fault("c", sent[:1] != [expected], "typed %r into the contact window right after its first focus, "
                   "the other member got %r, expected %r" % (romaji, sent, expected))
        log("first keys in the contact window: the other member got %r" % sent)

    def contact_composed(self):
        romaji, composed = CONTACT_TEXT
        start = len(self.node.snapshot())
        self.screen.type(romaji, delay_ms=40)
        time.sleep(0.5)
        self.screen.key("Return")  # commits the composition
        time.sleep(0.5)
        self.screen.key("Return")  # sends it
        expected = "alpha" + DELIMITER + composed
        try:
            wait_for(lambda: self.contacts_since(start), 5, "the contact message to reach the other member")
        except TrialError as e:
            self.failures.append("contact window: %s" % e)
        self.check(self.contacts_since(start) == [expected], "the contact window sent %r, expected %r"
                   % (self.contacts_since(start), expected))
        log("the contact window sent the composed text: %r" % self.contacts_since(start))

    def past_the_limit(self):
        """A composition of 130 characters committed into a box that takes 127: what is not
        taken must not vanish without a sign."""
        self.screen.key("ctrl+i")
        self.screen.wait_focus(self.input_window)
        time.sleep(0.5)
        bells_before = self.bells.count
        self.check(bells_before == 0, "the bell rang %d times before anything passed the limit" % bells_before)
        start = len(self.node.snapshot())
        self.screen.type("a" * OVERLONG, delay_ms=12)
        head = "あ" * LIMIT  # the monitor shows at most 127 characters of a composition
        try:
            wait_for(lambda: head in self.inputs_since(start), 15, "the long composition at the other member")
        except TrialError as e:
            self.failures.append(str(e))
        time.sleep(1.0)
        self.press("Enter (commit %d characters)" % OVERLONG, self.key("Return"), head, changed=False)
        time.sleep(0.3)
        bells = self.bells.count - bells_before
        self.screen.screenshot(os.path.join(self.out, "%s-past-the-limit.png" % self.args.im), self.input_window)
        self.press("Enter (send the long line)", self.key("Return"), "", resends=LINE_RESENDS)
        try:
            wait_for(lambda: self.stored(head), 5, "the long line to be stored")
        except TrialError as e:
            self.failures.append(str(e))
        self.check(len(self.stored(head)) == 1, "the long line (%d characters) was stored %d times, expected once"
                   % (LIMIT, len(self.stored(head))))
        self.fault("a", bells == 0, "committed %d characters into the %d-character box: %d were not taken and the "
                   "bell did not ring" % (OVERLONG, LIMIT, OVERLONG - LIMIT))
        log("committed %d characters, the line stored has %d, the bell rang %d times"
            % (OVERLONG, LIMIT, bells))

    def verdict(self):
        if self.steps:
            extra = [s for s in self.steps if not s.sends_once()]
            self.fault("b", bool(extra), "%d of %d steps sent more monitor datagrams than once per change, e.g. %s"
                       % (len(extra), len(self.steps), "; ".join("%s: %d × %r" % (s.label, len(s.texts), short(s.shown() or ""))
                                                               for s in extra[:3])))
        for letter in sorted(FAULTS):
            seen = self.faults.get(letter)
            if letter not in self.faults:
                continue
            if seen is not None and letter in self.known:
                print("known fault %s (%s): %s" % (letter, FAULTS[letter], seen))
            elif seen is not None:
                self.failures.append("fault %s (%s): %s" % (letter, FAULTS[letter], seen))
            elif letter in self.known:
                self.failures.append("fault %s (%s) no longer shows: take it out of the known faults"
                                     % (letter, FAULTS[letter]))

    def report(self):
        print("\nmonitor datagrams at the other member, per step:")
        for s in self.steps:
            print("  %-32s %d × %s" % (s.label, len(s.texts), " | ".join(repr(short(t)) for t in s.texts[:4])
                                       + (" …" if len(s.texts) > 4 else "")))
        for n in self.notes:
            print("note: " + n)

    def cleanup(self):
        for step in reversed(self.cleanups):
            try:
                step()
            except Exception as e:  # one broken step must not keep the others from running
                print("cleanup: %s" % e, file=sys.stderr)
        if not self.keep:
            shutil.rmtree(self.work, ignore_errors=True)



def requirements(args):
    """The reason the trial cannot run here, or None."""
    if os.geteuid() != 0:
        return "not root (network namespaces, nftables and the input method's own user need it)"
    missing = desktop.missing_tools()
    missing += [t for t in ("ip", "nft", "setpriv", "dbus-daemon", "dbus-send") if shutil.which(t) is None]
    if not ctypes.util.find_library("X11"):
        missing.append("libX11")
    missing += INPUT_METHODS[args.im](None).missing()
    if missing:
        return "missing for the %s trial: %s" % (args.im, ", ".join(missing))
    for path in (args.tavrin, args.node):
        if not os.access(path, os.X_OK):
            return "not built: " + path
    ok, reason = netlan.probe()
    if not ok:
        return "network namespaces are not available: " + reason
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tavrin", required=True, help="the program (build/.../src/app/tavrin)")
    parser.add_argument("--node", required=True, help="the headless member (build/.../tools/tavrin_node/tavrin_node)")
    parser.add_argument("--im", choices=sorted(INPUT_METHODS), default="fcitx5", help="the input method (fcitx5)")
    parser.add_argument("--known-faults", default=None,
                        help="faults reported without failing, comma-separated (default: the open ones, %s)"
                        % "; ".join("%s: %s" % (im, faults or "none") for im, faults in OPEN_FAULTS.items()))
    parser.add_argument("--out", default="ime-trial-out", help="folder for the screenshot (default ./ime-trial-out)")
    parser.add_argument("--keep", action="store_true", help="keep the homes and logs of the run")
    args = parser.parse_args()
    if args.known_faults is None:
        args.known_faults = OPEN_FAULTS[args.im]
    unknown = set(f for f in args.known_faults.split(",") if f) - set(FAULTS)
    if unknown:
        parser.error("unknown faults: " + ", ".join(sorted(unknown)))

    reason = requirements(args)
    if reason:
        print("SKIP: " + reason)
        return SKIP
    os.makedirs(args.out, exist_ok=True)
    trial = Trial(args)
    try:
        trial.run()
        trial.verdict()
    except Skip as e:
        print("SKIP: %s" % e)
        trial.cleanup()
        return SKIP
    except (TrialError, TimeoutError, EOFError) as e:
        trial.failures.insert(0, "the trial stopped: %s" % e)
    except Exception as e:  # a fault of the script itself: say where
        import traceback
        traceback.print_exc()
        trial.failures.insert(0, "the trial script broke: %r" % e)
    finally:
        trial.keep = trial.keep or bool(trial.failures)
        trial.cleanup()
    trial.report()
    took = time.monotonic() - START
    if trial.keep:
        print("homes and logs kept in " + trial.work)
    if trial.failures:
        print("\nIME TRIAL FAILED (%s, %d problems, %.0f s):" % (args.im, len(trial.failures), took))
        for f in trial.failures:
            print(" - " + f)
        return 1
    known = sorted(l for l, seen in trial.faults.items() if seen is not None)
    print("\nime trial passed with %s in %.0f s%s" % (args.im, took, ", known faults still showing: " + ",".join(known)
                                                       if known else ""))
    return 0


if __name__ == "__main__":
    sys.exit(main())
