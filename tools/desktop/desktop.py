"""The real tavrin program on a desktop of its own, for scripts that look at it as a person would.

Each program runs inside a host of a namespace LAN (tools/netlan) with its own Xvfb display, its
own HOME and XDG folders and a settings file written by the script; xdotool types into whatever
window has the keyboard focus on that display, and ImageMagick's `import` takes screenshots.

    with netlan.Lan(hosts=2) as lan, desktop.Xvfb() as screen:
        home = desktop.Home("/tmp/x/alpha")
        desktop.write_settings(home.path("alpha.tvn"), {"communication.name": "alpha"})
        program = desktop.Program(lan, lan.hosts[0], TAVRIN, screen, home, home.path("alpha.tvn"))
        screen.type("こんにちは")
        screen.key("Return")
        screen.screenshot("/tmp/x/screen.png")
        program.terminate()
"""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time


# -- settings files ------------------------------------------------------------------------

def write_settings(path, keys):
    """A settings file as the program writes it: UTF-16LE with a byte-order mark, one section."""
    text = "[tavrin]\r\n" + "".join("%s=%s\r\n" % kv for kv in keys.items())
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def read_settings(path):
    """(keys, problems) of a settings file: problems lists what is wrong with its form."""
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if not data.startswith(b"\xff\xfe"):
        problems.append("no UTF-16LE byte-order mark")
    text = data[2:].decode("utf-16-le", "replace") if data.startswith(b"\xff\xfe") else data.decode("latin-1")
    lines = text.split("\r\n")
    if not lines or lines[0] != "[tavrin]":
        problems.append("first line is %r, not [tavrin]" % (lines[0] if lines else ""))
    keys = {}
    for line in lines[1:]:
        if "=" in line:
            k, v = line.split("=", 1)
            keys[k] = v
    return keys, problems


def read_utf16_text(path):
    """The text of a UTF-16LE file with a byte-order mark (the operation and caption logs)."""
    with open(path, "rb") as f:
        data = f.read()
    if not data.startswith(b"\xff\xfe"):
        raise ValueError("%s has no UTF-16LE byte-order mark" % path)
    return data[2:].decode("utf-16-le")


# -- the display ---------------------------------------------------------------------------

def missing_tools():
    """Names of the desktop tools that are not installed."""
    return [t for t in ("Xvfb", "xdotool", "xkbcomp", "import") if shutil.which(t) is None]


class Xvfb:
    """A virtual screen on a free display number; the number is Xvfb's own choice (-displayfd)."""

    def __init__(self, size="1920x1080x24"):
        self.size = size
        self.display = None
        self._popen = None
        self._keymap = None

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self, timeout=15.0):
        read_end, write_end = os.pipe()
        try:
            self._popen = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.size, "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        finally:
            os.close(write_end)
        number = b""
        deadline = time.monotonic() + timeout
        with os.fdopen(read_end, "rb", buffering=0) as pipe:
            # Xvfb writes the number once it accepts clients.
            while not number.endswith(b"\n"):
                if time.monotonic() > deadline or self._popen.poll() is not None:
                    self.stop()
                    raise RuntimeError("Xvfb did not start")
                chunk = pipe.read(16)
                if not chunk:
                    self.stop()
                    raise RuntimeError("Xvfb ended before naming its display")
                number += chunk
        self.display = ":" + number.decode().strip()
        return self

    def stop(self):
        if self._popen and self._popen.poll() is None:
            self._popen.terminate()
            try:
                self._popen.wait(5)
            except subprocess.TimeoutExpired:
                self._popen.kill()
                self._popen.wait()
        self._popen = None

    def env(self):
        return dict(os.environ, DISPLAY=self.display)

    # -- xdotool: a real keyboard on this display ------------------------------------------

    def xdotool(self, *args, check=True):
        r = subprocess.run(["xdotool", *args], env=self.env(), capture_output=True, text=True)
        if check and r.returncode != 0:
            raise RuntimeError("xdotool %s failed on %s: %s" % (" ".join(args), self.display, r.stderr.strip()))
        return r.stdout.strip()

    def type(self, text, delay_ms=15):
        """Types into the focused window, key by key, Japanese as well as ASCII."""
        if any(ord(c) > 0x7e for c in text):
            if self._keymap is None:
                self._keymap = _SpareKeys(self.display)
            self._keymap.bind(text)
        self.xdotool("type", "--delay", str(delay_ms), "--", text)

    def key(self, *keys, delay_ms=40):
        self.xdotool("key", "--delay", str(delay_ms), *keys)

    def windows(self, pid=None):
        """{window id: title} of the visible windows (of one process when pid is given)."""
        args = ["search", "--onlyvisible"]
        if pid is not None:
            args += ["--pid", str(pid)]
        args += ["--name", "."]
        ids = self.xdotool(*args, check=False).split()
        return {int(w): self.xdotool("getwindowname", w, check=False) for w in ids}

    def find_window(self, title_part, pid=None, timeout=10.0):
        """The visible window whose title contains title_part; waits for it to appear."""
        deadline = time.monotonic() + timeout
        while True:
            for wid, title in self.windows(pid).items():
                if title_part in title:
                    return wid
            if time.monotonic() > deadline:
                raise TimeoutError("no window titled like %r on %s; there are %r"
                                   % (title_part, self.display, sorted(self.windows(pid).values())))
            time.sleep(0.2)

    def give_focus(self, wid):
        """What a window manager does when a dialog closes: the keyboard goes back to its owner.
        There is none on this screen, and X alone would leave the focus nowhere."""
        self.xdotool("windowfocus", "--sync", str(wid))
        self.wait_focus(wid)

    def wait_focus(self, wid, timeout=10.0):
        """Waits until the window has the keyboard (the program gives it; there is no window manager)."""
        deadline = time.monotonic() + timeout
        while self.focused_window() != wid:
            if time.monotonic() > deadline:
                focused = self.focused_window()
                raise TimeoutError("window %r on %s did not get the keyboard focus; %r has it"
                                   % (self.xdotool("getwindowname", str(wid), check=False), self.display,
                                      self.xdotool("getwindowname", str(focused), check=False) if focused else None))
            time.sleep(0.1)

    def focused_window(self):
        out = self.xdotool("getwindowfocus", check=False)
        return int(out) if out.isdigit() else None

    def geometry(self, wid):
        """(x, y, width, height) of a window."""
        out = self.xdotool("getwindowgeometry", "--shell", str(wid))
        values = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    # -- pictures --------------------------------------------------------------------------

    def screenshot(self, path, window=None):
        """The whole screen, or one window (which should not be covered by another)."""
        target = "root" if window is None else str(window)
        subprocess.run(["import", "-display", self.display, "-window", target, path],
                       check=True, capture_output=True)
        return path


class _SpareKeys:
    """Puts the characters to be typed on keys of their own before xdotool types them.

    Left alone, xdotool binds each character that the keymap lacks to one scratch key just
    before pressing it and rebinds that key for the next character; the program reads the
    keymap when it gets round to the change notice, by then possibly already rebound, and
    shows the wrong character. Here every character keeps the key it was first given (the
    multimedia keys, which nobody types), so a keymap read late still maps it right."""

    def __init__(self, display):
        self.display = display
        out = subprocess.run(["xkbcomp", "-xkb", display, "-"], capture_output=True, text=True, check=True).stdout
        self._base = out
        keycodes = re.search(r"xkb_keycodes[^{]*\{(.*?)\n\};", out, re.S).group(1)
        symbols = re.search(r"xkb_symbols[^{]*\{(.*?)\n\};", out, re.S).group(1)
        codes = {n: int(c) for n, c in re.findall(r"^\s*<([^>]+)>\s*=\s*(\d+);", keycodes, re.M)}
        # Keys with nothing but multimedia symbols, or none, and no modifier role are spare.
        taken = set(re.findall(r"modifier_map\s+\w+\s*\{\s*<([^>]+)>", symbols))
        for name, body in re.findall(r"\bkey\s+<([^>]+)>\s*\{(.*?)\};", symbols, re.S):
            syms = [x.strip() for group in re.findall(r"\[([^\]]*)\]", body) for x in group.split(",")]
            if not all(x.startswith("XF86") or x == "NoSymbol" for x in syms if x):
                taken.add(name)
        taken_codes = {codes[n] for n in taken if n in codes}
        # One name per key code: a code known under two names would carry two keys.
        seen = set()
        self._keys = []
        for name, code in sorted(codes.items(), key=lambda kv: kv[1]):
            if code <= 255 and code not in taken_codes and code not in seen:
                seen.add(code)
                self._keys.append(name)
        self._slots = {}  # character -> (key name, level 0 or 1)

    def bind(self, text):
        new = [c for c in dict.fromkeys(text) if ord(c) > 0x7e and c not in self._slots]
        if not new:
            return
        capacity = 2 * len(self._keys)
        if len(self._slots) + len(new) > capacity:
            raise RuntimeError("more than %d different characters to type" % capacity)
        for c in new:
            n = len(self._slots)
            self._slots[c] = (self._keys[n // 2], n % 2)
        per_key = {}
        for c, (key, level) in self._slots.items():
            per_key.setdefault(key, ["NoSymbol", "NoSymbol"])[level] = "U%04X" % ord(c)
        text = self._base
        for key in per_key:
            text = re.sub(r"\n\s*key\s+<%s>\s*\{.*?\};" % re.escape(key), "", text, flags=re.S)
        lines = "".join("    key <%s> { [ %s, %s ] };\n" % (k, a, b) for k, (a, b) in per_key.items())
        text = re.sub(r"(xkb_symbols[^{]*\{\n)", lambda m: m.group(1) + lines, text, count=1)
        with tempfile.NamedTemporaryFile("w", suffix=".xkb", delete=False) as f:
            f.write(text)
        try:
            subprocess.run(["xkbcomp", "-w", "0", f.name, self.display], capture_output=True, check=True)
        finally:
            os.unlink(f.name)
        time.sleep(0.2)


# -- the program ---------------------------------------------------------------------------

class Home:
    """A folder that stands in for a user's home: HOME, XDG_CONFIG_HOME and the runtime folder."""

    def __init__(self, root):
        self.root = root
        for sub in (".config", "runtime", "Documents"):
            os.makedirs(os.path.join(root, sub), exist_ok=True)
        os.chmod(os.path.join(root, "runtime"), 0o700)

    def path(self, *parts):
        return os.path.join(self.root, *parts)

    @property
    def settings_folder(self):
        """Where the program keeps its operation logs and its own settings files."""
        return os.path.join(self.root, ".config", "tavrin")

    def env(self, display, language="ja_JP.UTF-8"):
        return {"DISPLAY": display, "HOME": self.root, "XDG_CONFIG_HOME": self.path(".config"),
                "XDG_RUNTIME_DIR": self.path("runtime"), "LANG": language, "LC_ALL": "",
                "QT_QPA_PLATFORM": "xcb"}


class Program:
    """The real program in one host of the LAN, on one screen, with one home and settings file."""

    def __init__(self, lan, host, binary, screen, home, settings_file=None, output=None):
        self.host = host
        self.screen = screen
        self.home = home
        env = dict(os.environ)
        env.pop("SESSION_MANAGER", None)
        env.update(home.env(screen.display))
        argv = [binary] + ([settings_file] if settings_file else [])
        # `ip netns exec` and the program share one process: the pid is the program's.
        self.popen = lan.popen(host, argv, env=env, stdin=subprocess.DEVNULL,
                               stdout=output or subprocess.DEVNULL, stderr=subprocess.STDOUT)

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def terminate(self, timeout=20.0):
        """SIGTERM, the way a desktop session ends a program; returns the exit code."""
        if self.popen.poll() is None:
            self.popen.send_signal(signal.SIGTERM)
            try:
                self.popen.wait(timeout)
            except subprocess.TimeoutExpired:
                self.popen.kill()
                self.popen.wait()
                raise RuntimeError("the program did not end within %.0f s of SIGTERM" % timeout)
        return self.popen.returncode
