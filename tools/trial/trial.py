#!/usr/bin/env python3
"""A captioning event staged on this machine and checked the way the people at it would check it.

Three typists (alpha, beta, gamma) run the real program, each in a host of a namespace LAN
(tools/netlan) on a screen of its own (Xvfb), with a home of its own and a settings file that
switches the display and contact logs on; a simulated Quorel peer (tools/quorel_sim) is the
fourth member and a phone-sized headless Chromium in a fifth host reads the live page. xdotool
types into the focused window of each screen: lines in Japanese and ASCII by turns, contact
messages, an undo, a screen clear, the turn timer with a one-minute turn, the web server switched
on through its dialog. gamma leaves (SIGTERM) and comes back. Screenshots of alpha's windows go
into the output folder; at the end every program gets SIGTERM and the script checks the display
logs, the contact logs, the operation logs, the settings files and that nothing left the LAN.

    python3 tools/trial/trial.py --tavrin BUILD/src/app/tavrin --sim BUILD/tools/quorel_sim/quorel_sim \\
        [--out DIR] [--keep]

Needs root (namespaces, nftables), Xvfb, xdotool, xkbcomp, ImageMagick's import and chromium.
Exit code 0 when every check passed, 1 when one failed (each failure is printed), 77 when
something it needs is missing here (the reason is printed).
"""

import argparse
import base64
import glob
import json
import os
import re
import secrets
import select
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "netlan"))
sys.path.insert(0, os.path.join(HERE, "..", "desktop"))
import netlan  # noqa: E402
import desktop  # noqa: E402

SKIP = 77
CHANNEL = 1
# Ports of channel 1: the native port and the ten shared ones.
PORTS = [6632 + CHANNEL] + [p + (CHANNEL - 1) * 100 for p in (6711, 6713, 6718, 6721, 6722, 6723, 6724, 6727, 6734, 6735)]
DELIMITER = "／"
TURN_START = re.compile(r"^alpha／タイマーを開始しました（残り1分0秒）。 \(\d\d:\d\d:\d\d\)$")
TURN_NOTICE = re.compile(r"^alpha／30秒前です。 \(\d\d:\d\d:\d\d\)$")
TURN_CHANGE = re.compile(r"^alpha／交代です。 \(\d\d:\d\d:\d\d\)$")
TURN_STOP = re.compile(r"^alpha／タイマーを停止しました。 \(\d\d:\d\d:\d\d\)$")

# Lines of the operation log that tell of something gone wrong while the event ran. They are the
# failure texts the program writes (grep src/ for WriteLog); start-up notes that depend on the
# desktop (no window manager keeps a window on top here) are not among them.
ABNORMAL = [re.compile(p) for p in (
    r"called but no sock\.",
    r"RecvFrom\(\) failed\.",
    r"Send\w*(\(\))? ?(\(response\) )?failed\.",
    r"SetOnline\(\) .*failed\.",
    r"NIC No\. is out of bounds",
    r"TokenizeMessage\(\) .*error!",
    r"ManageMainLog\(\) failed\.",
    r"(ReceivedMain|ReceivedChat)::\w+.* index:",
    r"^\[socket error : ",
    r"socket error in send",
    r"^http socket \d+ error",
    r"http connections at the limit",
    r"GetEditTextMetrics\(\) failed\.",
    r"Resource Load failed\.",
    r"^ERROR : ",
    r"CTextFileIo::\w+\(\) .*failed\.",
    r"LoadText failed\.",
    r"Exception occured",
    r"SetWindowText failed\.",
    r"::(DrawPolygon|GetLeftSideRect)\(\) failed\.",
)]

# What the typists say, in turns. ASCII lines carry the characters a web page must escape.
SPEECH = [
    ("alpha", "本日はお忙しいところお集まりいただき、誠にありがとうございます。"),
    ("beta", "それでは定刻になりましたので、第三回の研究会を始めます。"),
    ("quorel", "まず、お手元の資料の確認をお願いいたします。"),
    ("gamma", "Good afternoon, everyone. Welcome to the third meeting."),
    ("alpha", "資料は全部で三種類、レジュメと統計表、それからアンケート用紙です。"),
    ("beta", "Handouts: summary, statistics & survey <3 sheets>"),
    ("quorel", "足りない方は手を挙げてください。"),
    ("alpha", "今日のテーマは「聞こえの保障と情報のバリアフリー」です。"),
    ("gamma", "Today's theme: access to information for everyone."),
    ("beta", "それでは講師の先生をご紹介します。"),
    ("alpha", "（拍手）"),
]
AWAY = [  # while gamma is away
    ("alpha", "ただいまご紹介にあずかりました山田です。"),
    ("quorel", "今日は、皆さんと一緒に考えたいことが三つあります。"),
    ("beta", "Point 1: what happens when information does not arrive?"),
]
BACK = [  # after gamma came back
    ("gamma", "Sorry, I was disconnected for a moment."),
    ("alpha", "一つ目は、情報が届かないことで何が起きるのか、ということです。"),
    ("beta", "二つ目は、私たちにできる工夫について。"),
    ("quorel", "三つ目は、これからの技術がどこまで助けになるのか、です。"),
    ("gamma", "Point 3: how far new technology can help."),
    ("alpha", "駅のアナウンスを思い浮かべてください。"),
    ("beta", "Q&A at 15:30 in room <B>, \"bring your questions\"."),
    ("alpha", "聞こえない人にとって、それは「何も起きていない」のと同じです。"),
]
MORE = [  # until the turn ends; enough lines for the display log to be written in batches
    ("gamma", "Signs with text make the situation much clearer."),
    ("alpha", "掲示板に文字が出れば、状況はずっとよくわかります。"),
    ("quorel", "ここで少し、会場の皆さんに伺います。"),
    ("beta", "駅で困った経験のある方はいらっしゃいますか。"),
    ("alpha", "（会場から挙手多数）"),
    ("gamma", "Many hands are up."),
    ("beta", "ありがとうございます。やはり多いですね。"),
    ("alpha", "では、その経験をもとに、次の話に進みます。"),
    ("quorel", "二つ目の工夫についてです。"),
    ("beta", "文字にするとき、全部を書く必要はありません。"),
    ("gamma", "Summaries: keep the point, drop the filler."),
    ("alpha", "大切なのは、話の要点が正しく伝わることです。"),
    ("beta", "要約の技術は、練習で確実に身につきます。"),
    ("alpha", "100% accuracy is not the goal; timing is."),
    ("quorel", "三つ目は、技術の話です。"),
    ("gamma", "Speech recognition is getting better every year."),
    ("beta", "音声認識の精度は年々上がっています。"),
    ("alpha", "それでも、人の手による要約には意味があります。"),
    ("beta", "Context matters: names, jokes, and who is speaking."),
]
# alpha's pre-roll: a comment line is never sent, F1 sends the caret line, Shift+F1 the lines
# down to the separator "`@" as one block.
PREROLL_FILE = "intro.txt"
PREROLL = [
    "<-講演者紹介（山田先生の入場後に送る）",
    "本日の講師は、山田花子先生です。",
    "<-ここから一括送信",
    "山田先生は、聴覚障害者の情報保障を長く研究されています。",
    "著書に「聞こえと情報のバリアフリー」があります。",
    "`@",
    "<-以下は閉会のあいさつ",
    "ご清聴ありがとうございました。",
]
BLOCK_END = "`@"
UNDONE = "これは取り消される行です。"
CLOSING = "それでは、質疑応答に移ります。ご質問のある方は挙手をお願いします。"


class TrialError(Exception):
    """A step of the event did not happen as a person would expect; the message says which."""


class Skip(Exception):
    pass


def log(text):
    print("[%6.1f] %s" % (time.monotonic() - START, text), flush=True)


START = time.monotonic()


def wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TrialError("timed out after %.0f s waiting for %s" % (timeout, what() if callable(what) else what))
        time.sleep(0.2)


def strip_oplog_time(line):
    return re.sub(r"^\[\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\] ", "", line)


# -- the members ---------------------------------------------------------------------------

class Typist:
    """One member with the real program: host, screen, home, settings file, log folder."""

    # Windows laid side by side on a 1920 x 1080 screen, so that each can be photographed.
    LAYOUT = {
        "main.position.x_i": 0, "main.position.y_i": 0, "main.size.x_i": 1100, "main.size.y_i": 560,
        "chat.position.x_i": 1110, "chat.position.y_i": 0, "chat.size.x_i": 400, "chat.size.y_i": 360,
        "pft_monitor.position.x_i": 1520, "pft_monitor.position.y_i": 0,
        "pft_monitor.size.x_i": 400, "pft_monitor.size.y_i": 360,
        "input.position.x_i": 0, "input.position.y_i": 580, "input.size.x_i": 1100, "input.size.y_i": 70,
        "monitor.position.x_i": 0, "monitor.position.y_i": 680, "monitor.size.x_i": 1100, "monitor.size.y_i": 300,
        "pft.position.x_i": 1110, "pft.position.y_i": 380, "pft.size.x_i": 400, "pft.size.y_i": 600,
        "fkey.position.x_i": 1520, "fkey.position.y_i": 380, "fkey.size.x_i": 400, "fkey.size.y_i": 600,
    }

    def __init__(self, trial, name, host, init_type, extra=None):
        self.trial = trial
        self.name = name
        self.host = host
        self.address = host.address
        self.init_type = init_type
        self.home = desktop.Home(os.path.join(trial.work, name))
        self.log_folder = self.home.path("captions")
        self.settings_file = self.home.path("event-%s.tvn" % name)
        self.keys = {
            "communication.name": name,
            "communication.channel_i": CHANNEL,
            "communication.group_i": 1,
            "miscellaneous.log.display_i": 1,
            "miscellaneous.log.chat_i": 1,
            "miscellaneous.log.folder": self.log_folder,
            "miscellaneous.log.lines.save_i": 10,
            "miscellaneous.init.type_i": init_type,
            "main.line.max_i": 30,
            "main.font.name": "IPAGothic",
            "main.font.point_i": 26,
            "input.display_i": 1, "monitor.display_i": 1, "chat.display_i": 1, "fkey.display_i": 1,
            "pft.display_i": 1, "pft_monitor.display_i": 1,
        }
        self.keys.update(self.LAYOUT)
        self.keys.update(extra or {})
        desktop.write_settings(self.settings_file, {k: str(v) for k, v in self.keys.items()})
        with open(self.settings_file, "rb") as f:
            self.settings_bytes = f.read()
        self.screen = None
        self.program = None
        self.runs = []  # exit codes of the runs that ended

    def start(self):
        if self.screen is None:
            self.screen = desktop.Xvfb().start()
            self.trial.cleanups.append(self.screen.stop)
        out = open(self.home.path("stdout-%d.txt" % (len(self.runs) + 1)), "wb")
        self.program = desktop.Program(self.trial.lan, self.host, self.trial.tavrin, self.screen, self.home,
                                       self.settings_file, output=out)
        self.trial.check_namespace(self.name, self.program.pid, self.host)
        # Online: the display's title carries the member name, channel and group.
        self.screen.find_window("[%s] %dチャンネル A班" % (self.name, CHANNEL), self.program.pid, timeout=30)
        # The program puts the keyboard into its input box once it is idle after the start.
        wait_for(lambda: self.screen.focused_window() == self.screen.find_window("入力ウインドウ", self.program.pid),
                 10, "%s's input box to get the keyboard" % self.name)
        log("%s is online on %s (screen %s)" % (self.name, self.address, self.screen.display))

    def stop(self):
        code = self.program.terminate()
        self.runs.append(code)
        log("%s ended with exit code %s" % (self.name, code))
        if code != 0:
            self.trial.failures.append("%s ended with exit code %s after SIGTERM" % (self.name, code))
        return code

    # -- what the typist does, with the keyboard --------------------------------------------

    def say(self, text):
        self.screen.key("ctrl+i")
        self.screen.type(text)
        self.screen.key("Return")

    def chat(self, text):
        self.screen.key("ctrl+r")
        self.screen.type(text)
        self.screen.key("Return")
        self.screen.key("ctrl+i")

    def contact_menu(self, mnemonic):
        """A command of the contact window's context menu, opened from the keyboard."""
        self.screen.key("ctrl+r")
        self.screen.key("Menu")
        time.sleep(0.4)
        self.screen.key(mnemonic)
        time.sleep(0.2)
        self.screen.key("ctrl+i")

    # -- what the program wrote -------------------------------------------------------------

    def oplogs(self):
        """The operation logs of every run, oldest run first."""
        files = glob.glob(os.path.join(self.home.settings_folder, "tavrin[0-9].log"))
        return sorted(files, key=lambda p: -int(p[-5]))

    def oplog_lines(self, path=None):
        path = path or self.oplogs()[-1]
        text = desktop.read_utf16_text(path)
        return [strip_oplog_time(l) for l in text.split("\r\n") if l]

    def oplog_count(self, pattern, all_runs=False):
        """How many lines of the operation log (of this run, or of every run) match."""
        rx = re.compile(pattern)
        files = self.oplogs() if all_runs else self.oplogs()[-1:]
        return sum(1 for f in files for l in self.oplog_lines(f) if rx.search(l))

    def oplog_has(self, needle):
        return self.oplog_count(re.escape(needle)) > 0

    def knows(self, other, runs=1):
        """Whether this member took the other in (a native member, or the Quorel peer)."""
        if isinstance(other, Peer):
            pattern = r"(accept \[quorel\]|updated member \[\[quorel\]\]) from :? ?%s$" % re.escape(other.address)
        else:
            pattern = r"OnSockTavrin\(\) accept message \[.*\] from : %s$" % re.escape(other.address)
        return self.oplog_count(pattern, all_runs=runs > 1) >= runs

    def logs(self, kind):
        return sorted(glob.glob(os.path.join(self.log_folder, "log_*_%s.txt" % kind)))


class Peer:
    """The simulated Quorel peer, driven through its command interface."""

    def __init__(self, trial, host):
        self.name = "quorel"
        self.address = host.address
        self.tool = trial.lan.spawn(host, [trial.sim, "--address", host.address, "--name", self.name],
                                    label="quorel_sim@%s" % host.address)
        self.tool.expect(r"^READY ", timeout=10)
        trial.check_namespace(self.name, self.tool.popen.pid, host)

    def say(self, text):
        self.tool.command("line " + text)

    def chat(self, text):
        self.tool.command("chat " + text)

    def wait_line(self, pattern, count=1, timeout=15):
        """Waits until the peer printed `count` lines matching, in whatever order they came."""
        wait_for(lambda: len(self.tool.matching(pattern)) >= count, timeout,
                 lambda: "the Quorel peer to print %r (%d times); it printed:\n  %s"
                 % (pattern, count, "\n  ".join(self.tool.snapshot()[-12:])))

    def received(self, port):
        """(source, text) of every datagram on a shared port, in arrival order."""
        out = []
        for line in self.tool.matching(r"^RECV %s " % port):
            parts = line.split(" ", 3)
            out.append((parts[2], unescape(parts[3]) if len(parts) > 3 else ""))
        return out


def unescape(text):
    return re.sub(r"\\(.)", lambda m: {"n": "\n", "r": "\r", "t": "\t"}.get(m.group(1), m.group(1)), text)


# -- watching that nothing leaves ----------------------------------------------------------

class OutsideWatch:
    """Counts, in the root namespace, every packet of the LAN's addresses or of the program's
    ports: the LAN has no link to the root namespace, so the counts must stay 0."""

    def __init__(self):
        self.table = "tvtrial_" + secrets.token_hex(3)
        self.active = False
        self.before = self.interface_counters()

    @staticmethod
    def interface_counters():
        counters = {}
        for dev in sorted(os.listdir("/sys/class/net")):
            if dev == "lo":
                continue
            try:
                with open("/sys/class/net/%s/statistics/tx_packets" % dev) as f:
                    counters[dev] = int(f.read())
            except OSError:
                pass
        return counters

    def start(self):
        ports = ", ".join(str(p) for p in PORTS)
        rules = ("ip saddr 198.18.0.0/24 counter", "ip daddr 198.18.0.0/24 counter",
                 "udp dport { %s } counter" % ports, "udp sport { %s } counter" % ports)
        script = ["add table inet %s" % self.table]
        for chain, hook in (("leaving", "postrouting"), ("arriving", "prerouting")):
            script.append("add chain inet %s %s { type filter hook %s priority -300; policy accept; }"
                          % (self.table, chain, hook))
            script += ["add rule inet %s %s %s" % (self.table, chain, r) for r in rules]
        r = subprocess.run(["nft", "-f", "-"], input="\n".join(script) + "\n", capture_output=True, text=True)
        if r.returncode != 0:
            raise Skip("nftables cannot count packets here: " + r.stderr.strip())
        self.active = True

    def counts(self):
        r = subprocess.run(["nft", "list", "table", "inet", self.table], capture_output=True, text=True, check=True)
        return [(l.strip()) for l in r.stdout.splitlines() if "counter packets" in l]

    def stop(self):
        if self.active:
            subprocess.run(["nft", "delete", "table", "inet", self.table], capture_output=True)
            self.active = False


# The live page as a reader sees it: its lines (a block's lines one by one), those after the
# newest screen clear apart, and the connection state.
READ_LIVE_PAGE = """JSON.stringify((() => {
  const rows = Array.from(document.querySelectorAll("#log > .line, #log > .clear"));
  const lastClear = rows.map((r) => r.classList.contains("clear")).lastIndexOf(true);
  const text = (list) => list.filter((r) => r.classList.contains("line"))
                             .flatMap((r) => r.textContent.split("\\n"));
  return {all: text(rows), live: text(rows.slice(lastClear + 1)),
          clears: rows.length - rows.filter((r) => r.classList.contains("line")).length,
          connection: document.documentElement.dataset.connection || ""};
})())"""


class DevToolsPipe:
    """Headless Chromium in a LAN host, driven over its DevTools pipe (its descriptors 3 and 4)."""

    def __init__(self, lan, host, argv, env, log_path):
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()

        def descriptors():
            # Copies first: a pipe end that already is 3 or 4 would keep its close-on-exec flag.
            read_end, write_end = os.dup(to_child_r), os.dup(from_child_w)
            os.dup2(read_end, 3)
            os.dup2(write_end, 4)
        self.process = lan.popen(host, argv + ["--remote-debugging-pipe", "about:blank"], env=env,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                 stderr=open(log_path, "ab"), close_fds=False, preexec_fn=descriptors)
        os.close(to_child_r)
        os.close(from_child_w)
        self.pid = self.process.pid
        self.buffer = b""
        self.next_id = 1

    def call(self, method, params=None, session=None, timeout=20):
        ident = self.next_id
        self.next_id += 1
        message = {"id": ident, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        os.write(self.to_child, json.dumps(message).encode() + b"\0")
        deadline = time.monotonic() + timeout
        while True:
            while b"\0" in self.buffer:
                raw, self.buffer = self.buffer.split(b"\0", 1)
                answer = json.loads(raw)
                if answer.get("id") == ident:
                    if "error" in answer:
                        raise TrialError("chromium: %s failed: %s" % (method, answer["error"]))
                    return answer.get("result", {})
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([self.from_child], [], [], remaining)[0]:
                raise TrialError("chromium did not answer %s within %d s" % (method, timeout))
            chunk = os.read(self.from_child, 1 << 16)
            if not chunk:
                raise TrialError("chromium ended (exit %s)" % self.process.poll())
            self.buffer += chunk

    def open_page(self, url, width, height):
        """A phone-sized page (blank first, so the viewport is set before the page lays out)."""
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": True}, session)
        self.call("Page.navigate", {"url": url}, session)
        return session

    def evaluate(self, session, expression):
        result = self.call("Runtime.evaluate", {"expression": expression, "returnByValue": True}, session)
        value = result.get("result", {}).get("value")
        return value if isinstance(value, str) else None

    def close(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        for fd in (self.to_child, self.from_child):
            try:
                os.close(fd)
            except OSError:
                pass
        self.to_child = self.from_child = -1


# -- the event -----------------------------------------------------------------------------

class Trial:
    def __init__(self, args):
        self.web_all_lines = []
        self.web_clears = 0
        self.tavrin = os.path.abspath(args.tavrin)
        self.sim = os.path.abspath(args.sim)
        self.out = os.path.abspath(args.out)
        self.chromium = args.chromium
        self.keep = args.keep
        self.work = tempfile.mkdtemp(prefix="tavrin-trial-")
        os.chmod(self.work, 0o755)
        self.cleanups = []
        self.failures = []
        self.lan = None
        self.captions = []  # (author, text) in typing order; a block's lines joined by "\n"
        self.gross = []  # the lines of each block as the Quorel peer gets them
        self.contacts = []  # contact messages as shown, in sending order (turn timer ones aside)
        self.gamma_left_at = None  # index into captions / contacts when gamma left and came back
        self.gamma_back_at = None
        self.web_lines = None

    # -- checks while it runs ---------------------------------------------------------------

    def check_namespace(self, name, pid, host):
        """The process runs in its host's namespace, not in the one of this machine's interfaces.
        `ip netns exec` enters the namespace just before it becomes the program: wait for that."""
        wanted = os.stat("/run/netns/" + host.netns).st_ino
        root = os.stat("/proc/self/ns/net").st_ino
        deadline = time.monotonic() + 5
        while True:
            try:
                own = os.stat("/proc/%d/ns/net" % pid).st_ino
            except FileNotFoundError:
                raise TrialError("%s (pid %d) ended right after its start" % (name, pid))
            if own == wanted and own != root:
                return
            if time.monotonic() > deadline:
                raise TrialError("%s (pid %d) does not run in the namespace of %s" % (name, pid, host.netns))
            time.sleep(0.05)

    def check_lan_is_closed(self):
        """Every host sees only lo and its veth; the bridge only its ports: no way out."""
        for host in self.lan.hosts:
            links = self.links(host.netns)
            if links != ["eth0", "lo"]:
                self.failures.append("%s has interfaces %r, expected only lo and eth0" % (host.netns, links))
        bridge = self.links(self.lan.bridge_ns)
        expected = sorted(["lo", "br0"] + ["p%d" % h.index for h in self.lan.hosts])
        if bridge != expected:
            self.failures.append("the bridge namespace has %r, expected %r" % (bridge, expected))

    @staticmethod
    def links(netns):
        r = subprocess.run(["ip", "-n", netns, "-o", "link", "show"], capture_output=True, text=True, check=True)
        return sorted(l.split(":")[1].strip().split("@")[0] for l in r.stdout.splitlines())

    # -- running --------------------------------------------------------------------------

    def run(self):
        watch = OutsideWatch()
        watch.start()
        self.cleanups.append(watch.stop)
        self.lan = netlan.Lan(5)
        try:
            self.lan.create()
        except netlan.Unavailable as e:
            raise TrialError("the namespace LAN could not be built: %s" % e)
        self.cleanups.append(self.lan.destroy)
        h = self.lan.hosts
        self.alpha = Typist(self, "alpha", h[0], 2, {"chat.time_i": 1})
        self.beta = Typist(self, "beta", h[1], 1)
        self.gamma = Typist(self, "gamma", h[2], 0)
        self.typists = [self.alpha, self.beta, self.gamma]
        # beta chose start-up type 1 earlier: its default settings file exists and must stay as it is.
        os.makedirs(self.beta.home.settings_folder, exist_ok=True)
        self.beta_default = os.path.join(self.beta.home.settings_folder, "tavrin.tvn")
        desktop.write_settings(self.beta_default, {"communication.name": "beta-default", "miscellaneous.init.type_i": "1"})
        with open(self.beta_default, "rb") as f:
            self.beta_default_bytes = f.read()
        self.phone = h[4]

        try:
            self.stage()
        except Exception:
            # What the screens showed when the event stopped.
            for t in self.typists:
                if t.screen is not None:
                    try:
                        t.screen.screenshot(os.path.join(self.out, "stopped-%s.png" % t.name))
                    except Exception:
                        pass
            raise
        finally:
            for t in self.typists:
                if t.program is not None and t.program.running():
                    t.stop()
            self.check_lan_is_closed()
            self.outside = watch.counts()
            self.interfaces_after = watch.interface_counters()
            self.interfaces_before = watch.before
        self.check_logs()
        self.check_settings()
        self.check_peer()
        for line in self.outside:
            if not line.endswith("counter packets 0 bytes 0"):
                self.failures.append("a packet of the LAN showed up in this machine's own namespace: " + line)
        sent = {dev: self.interfaces_after.get(dev, 0) - n for dev, n in self.interfaces_before.items()}
        log("root namespace: %d counters of LAN addresses and ports, %d packets on them; packets sent "
            "meanwhile by this machine's own programs: %s"
            % (len(self.outside), sum(int(re.search(r"packets (\d+)", l).group(1)) for l in self.outside),
               ", ".join("%s +%d" % kv for kv in sent.items()) or "no interfaces"))

    def stage(self):
        for t in self.typists:
            t.start()
        self.wait_members(self.typists, self.typists)
        self.quorel = Peer(self, self.lan.hosts[3])
        self.quorel.tool.command("login")
        for t in self.typists:
            self.quorel.wait_line(r"^JOIN %s " % re.escape(t.address))
        self.wait_members(self.typists, [self.quorel])
        log("four members know each other")

        self.web_server_on()
        self.alpha.contact_menu("s")
        self.quorel.tool.expect(r"^RECV chat %s alpha／タイマーを開始しました" % self.alpha.address, timeout=10)
        turn_started = time.monotonic()
        log("alpha started the turn timer (1 minute)")

        for author, text in SPEECH[:6]:
            self.caption(author, text)
        self.photograph_monitor_while_typing()
        self.contact_round()
        for author, text in SPEECH[6:]:
            self.caption(author, text)
        self.undo(self.beta)
        self.screen_clear(self.alpha)

        self.gamma_leaves()
        for author, text in AWAY:
            self.caption(author, text)
        self.message(self.beta, "gammaさんが落ちました。様子を見ます。")
        self.gamma_comes_back()
        self.message(self.gamma, "戻りました。")
        for author, text in BACK + MORE:
            self.caption(author, text)
        self.preroll(self.alpha)

        remaining = 75 - (time.monotonic() - turn_started)
        log("waiting up to %.0f s for the end of the turn" % max(remaining, 5))
        # On a busy machine the turn may end while the pre-roll is still being sent: the notice is
        # then among the lines the pre-roll's checks read past.
        self.quorel.wait_line(r"^RECV chat %s alpha／交代です。" % re.escape(self.alpha.address),
                              timeout=max(remaining, 5))
        log("the turn ended after %.0f s" % (time.monotonic() - turn_started))
        self.alpha.contact_menu("h")
        self.quorel.tool.expect(r"^RECV chat %s alpha／タイマーを停止しました。" % self.alpha.address, timeout=10)
        time.sleep(0.5)

        self.photograph_windows()
        self.read_web_page()
        for t in self.typists:
            t.stop()
        self.quorel.tool.stop()

    def wait_members(self, typists, others, runs=1):
        for t in typists:
            for other in others:
                if other is not t:
                    wait_for(lambda: t.knows(other, runs), 15, "%s to take %s in" % (t.name, other.name))

    def who(self, name):
        return {"alpha": self.alpha, "beta": self.beta, "gamma": self.gamma, "quorel": self.quorel}[name]

    def caption(self, author, text):
        member = self.who(author)
        member.say(text)
        if member is not self.quorel:
            # The Quorel peer hears every native line: the line is on the LAN.
            self.quorel.tool.expect(r"^RECV main %s %s$" % (re.escape(member.address), re.escape(text)), timeout=10)
        self.captions.append((author, text))
        time.sleep(0.3)

    def message(self, member, text):
        shown = text if member is self.quorel else member.name + DELIMITER + text
        member.chat(shown if member is self.quorel else text)
        if member is not self.quorel:
            self.quorel.tool.expect(r"^RECV chat %s %s$" % (re.escape(member.address), re.escape(shown)), timeout=10)
        self.contacts.append(shown)
        time.sleep(0.3)

    def contact_round(self):
        self.message(self.beta, "次の資料、誰が出しますか？")
        self.message(self.gamma, "I will put up the slides.")
        self.message(self.quorel, "quorel" + DELIMITER + "了解です。")
        self.message(self.alpha, "お願いします。")
        log("a contact message went round")

    def undo(self, typist):
        typist.say(UNDONE)
        self.quorel.tool.expect(r"^RECV main %s %s$" % (re.escape(typist.address), UNDONE), timeout=10)
        time.sleep(0.3)
        typist.screen.key("F9")
        self.quorel.tool.expect(r"^RECV undo %s undo$" % re.escape(typist.address), timeout=10)
        # The line comes back into the input box; the typist throws it away.
        typist.screen.key("Escape")
        log("%s took back its last line" % typist.name)
        time.sleep(0.3)

    def screen_clear(self, typist):
        typist.screen.key("shift+F11")
        self.quorel.tool.expect(r"^RECV undo %s cls$" % re.escape(typist.address), timeout=10)
        log("%s cleared the screens" % typist.name)
        time.sleep(0.5)

    def gamma_leaves(self):
        self.gamma.stop()
        self.quorel.wait_line(r"^LEAVE %s$" % re.escape(self.gamma.address))
        self.gamma_left_at = (len(self.captions), len(self.contacts))
        log("gamma left")

    def gamma_comes_back(self):
        self.gamma.start()
        self.quorel.wait_line(r"^JOIN %s " % re.escape(self.gamma.address), count=2)
        self.wait_members([self.gamma], [self.alpha, self.beta, self.quorel])
        # The others took gamma in a second time (its logoff had removed it).
        self.wait_members([self.alpha, self.beta], [self.gamma], runs=2)
        self.gamma_back_at = (len(self.captions), len(self.contacts))
        log("gamma is back")

    def preroll(self, typist):
        """The typist opens a pre-roll file with Ctrl+O and sends from it with F1 and Shift+F1."""
        path = typist.home.path(PREROLL_FILE)
        with open(path, "wb") as f:
            f.write("\r\n".join(PREROLL).encode("utf-8") + b"\r\n")
        s = typist.screen
        s.key("ctrl+n")
        pane = s.find_window("ロール1:", typist.program.pid)
        s.wait_focus(pane)
        before = set(s.windows(typist.program.pid))
        s.key("ctrl+o")
        dialog = wait_for(lambda: [w for w in s.windows(typist.program.pid) if w not in before], 10,
                          "the pre-roll window's file dialog")[0]
        s.wait_focus(dialog)
        s.type(path)
        s.key("Return")
        s.give_focus(s.find_window("ロール1:%s" % PREROLL_FILE, typist.program.pid))
        if not typist.oplog_has("CDlgPft opens file as UTF-8."):
            self.failures.append("the pre-roll file was not read as UTF-8")
        log("%s opened the pre-roll %s" % (typist.name, PREROLL_FILE))
        # The caret starts on the comment line: F1 passes it by, sends the next line, passes the
        # next comment by; Shift+F1 then sends the two lines above the separator as one block.
        s.key("F1")
        time.sleep(0.3)
        s.key("F1")
        line = PREROLL[1]
        self.quorel.tool.expect(r"^RECV main %s %s$" % (re.escape(typist.address), re.escape(line)), timeout=10)
        self.captions.append((typist.name, line))
        time.sleep(0.3)
        s.key("F1")
        time.sleep(0.3)
        s.key("shift+F1")
        block = PREROLL[3:5]
        for text in block + [BLOCK_END]:
            self.quorel.tool.expect(r"^RECV main-gross %s %s$" % (re.escape(typist.address), re.escape(text)),
                                    timeout=10)
        self.captions.append((typist.name, "\n".join(block)))
        self.gross.append(block + [BLOCK_END])
        time.sleep(1.0)
        self.shot(typist, "preroll.png", "ロール1:")
        self.shot(typist, "preroll-monitor.png", "%sの前ロールをモニター中" % typist.name)
        s.key("ctrl+i")
        log("%s sent a pre-roll line with F1 and a block with Shift+F1" % typist.name)

    def web_server_on(self):
        """The web server is switched on where a person does it: settings menu, its dialog."""
        s = self.alpha.screen
        s.key("ctrl+d")
        display = s.find_window("[alpha]", self.alpha.program.pid)
        s.wait_focus(display)
        s.key("alt+s")
        time.sleep(0.4)
        s.key("w")
        s.wait_focus(s.find_window("簡易Webサーバー設定", timeout=10))
        s.key("alt+e")
        # A mnemonic clicks the check box with a short animation: the tick lands a moment later.
        time.sleep(0.5)
        s.key("Return")
        wait_for(lambda: self.alpha.oplog_has("CHttpSock constructor finished."), 10, "the web server to start")
        s.give_focus(display)
        port = [l for l in self.alpha.oplog_lines() if l.startswith("CHttpSock listening on port : ")]
        if not port:
            raise TrialError("the web server did not say which port it listens on")
        self.web_port = int(port[-1].rsplit(" ", 1)[1])
        s.key("ctrl+i")
        log("alpha switched the web server on (port %d)" % self.web_port)

    def photograph_monitor_while_typing(self):
        """beta is half-way through a line: alpha's member monitor shows what beta is typing."""
        self.beta.screen.key("ctrl+i")
        self.beta.screen.type("次は質疑応答の時間です")
        time.sleep(1.0)
        self.shot(self.alpha, "member-monitor.png", "入力モニター")
        self.beta.screen.key("Return")
        self.quorel.tool.expect(r"^RECV main %s 次は質疑応答の時間です$" % self.beta.address, timeout=10)
        self.captions.append(("beta", "次は質疑応答の時間です"))
        time.sleep(0.3)

    # -- the live page on a phone ------------------------------------------------------------

    def chromium_argv(self, profile):
        return [self.chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                "--disable-background-networking", "--disable-component-update",
                "--disable-sync", "--no-first-run", "--no-default-browser-check", "--no-proxy-server",
                "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE %s" % self.alpha.address,
                "--user-data-dir=" + profile]

    def read_web_page(self):
        """The phone opens the live page and reads it once it shows the newest caption: the page
        never finishes loading (its event stream stays open), so it is read over the DevTools
        pipe rather than dumped."""
        profile = tempfile.mkdtemp(prefix="chromium-", dir=self.work)
        url = "http://%s%s/live" % (self.alpha.address, "" if self.web_port == 80 else ":%d" % self.web_port)
        phone = DevToolsPipe(self.lan, self.phone, self.chromium_argv(profile), dict(os.environ, HOME=profile),
                             os.path.join(self.work, "chromium.txt"))
        self.cleanups.append(phone.close)
        self.check_namespace("chromium", phone.pid, self.phone)
        session = phone.open_page(url, 390, 844)
        newest = [l for l in self.caption_lines() if l][-1]
        page = {}

        def shows_newest():
            page.clear()
            page.update(json.loads(phone.evaluate(session, READ_LIVE_PAGE) or "{}"))
            return page.get("live") and page["live"][-1] == newest
        try:
            wait_for(shows_newest, 15, "the phone's live page to show the newest caption")
        except TrialError:
            if not page:
                raise TrialError("the phone did not get the live page from %s" % url)
            # What it shows is judged with the other checks at the end.
        self.web_lines = page.get("live", [])
        self.web_all_lines = page.get("all", [])
        self.web_clears = page.get("clears", 0)
        shot = os.path.join(self.out, "web-phone.png")
        png = phone.call("Page.captureScreenshot", {"format": "png"}, session).get("data")
        if png:
            with open(shot, "wb") as f:
                f.write(base64.b64decode(png))
        else:
            self.failures.append("chromium took no screenshot of the live page")
        log("the phone's live page shows %d lines after the screen clear (%d in all, connection %s), the newest %r"
            % (len(self.web_lines), len(self.web_all_lines), page.get("connection"), self.web_lines[-1:]))
        phone.close()

    # -- pictures -------------------------------------------------------------------------

    def shot(self, typist, name, title):
        wid = typist.screen.find_window(title, typist.program.pid)
        typist.screen.screenshot(os.path.join(self.out, name), window=wid)

    def photograph_windows(self):
        a = self.alpha
        # alpha is half-way through the closing line.
        a.screen.key("ctrl+i")
        a.screen.type(CLOSING[:12])
        time.sleep(0.3)
        self.shot(a, "input.png", "入力ウインドウ")
        a.screen.type(CLOSING[12:])
        a.screen.key("Return")
        self.quorel.tool.expect(r"^RECV main %s %s$" % (re.escape(a.address), re.escape(CLOSING)), timeout=10)
        self.captions.append(("alpha", CLOSING))
        time.sleep(2.0)  # until the line has scrolled in
        a.screen.screenshot(os.path.join(self.out, "screen.png"))
        for name, title in (("display.png", "[alpha]"), ("contact.png", "連絡窓"), ("function-keys.png", "Fキー")):
            self.shot(a, name, title)
        # The log viewer opens where the display is, so it comes last.
        a.screen.key("ctrl+shift+g")
        self.shot(a, "log-viewer.png", "ログ")
        a.screen.key("ctrl+shift+g")
        a.screen.key("ctrl+i")
        log("photographed alpha's windows into " + self.out)

    # -- checks afterwards ------------------------------------------------------------------

    def check_logs(self):
        left_c, left_m = self.gamma_left_at
        back_c, back_m = self.gamma_back_at
        for t in self.typists:
            runs = self.caption_runs(t)
            if t is self.gamma:
                if len(runs) != 2:
                    self.failures.append("gamma ran twice but has %d display logs" % len(runs))
                    continue
                self.compare("gamma's display log before it left", runs[0], self.caption_lines(0, left_c))
                self.compare("gamma's display log after it came back", runs[1], self.caption_lines(back_c))
            else:
                if len(runs) != 1:
                    self.failures.append("%s has %d display logs, expected 1" % (t.name, len(runs)))
                    continue
                self.compare("%s's display log" % t.name, runs[0], self.caption_lines())
            for run in runs:
                if UNDONE in run:
                    self.failures.append("%s's display log holds the line that was taken back" % t.name)
        clear = [len(re.findall(r"(?:\r\n){3,}", self.raw_log(p))) for p in self.alpha.logs("display")]
        if sum(clear) < 1:
            self.failures.append("alpha's display log shows no screen clear (a run of empty lines)")

        contact = {t.name: [self.contact_lines(p) for p in t.logs("chat")] for t in self.typists}
        reference = contact["alpha"][0] if len(contact["alpha"]) == 1 else None
        if reference is None:
            self.failures.append("alpha has %d contact logs, expected 1" % len(contact["alpha"]))
            return
        if contact["beta"] != [reference]:
            self.failures.append("the contact logs of alpha and beta differ:\n  alpha %r\n  beta  %r"
                                 % (reference, contact["beta"]))
        plain = [m for m in reference if not any(r.match(m) for r in (TURN_START, TURN_NOTICE, TURN_CHANGE, TURN_STOP))]
        self.compare("the contact messages in alpha's contact log", plain, self.contacts)
        turn = [r for m in reference for r in (TURN_START, TURN_NOTICE, TURN_CHANGE, TURN_STOP) if r.match(m)]
        if turn != [TURN_START, TURN_NOTICE, TURN_CHANGE, TURN_STOP]:
            self.failures.append("the turn timer's messages are not start, 30 s notice, change, stop: %r"
                                 % [m for m in reference if m not in plain])
        else:
            self.turn_seconds = self.turn_length(self.alpha.logs("chat")[0])
            if not 50 <= self.turn_seconds <= 90:
                self.failures.append("the one-minute turn ended %.1f s after its start" % self.turn_seconds)
        runs = contact["gamma"]
        if len(runs) != 2:
            self.failures.append("gamma ran twice but has %d contact logs" % len(runs))
        else:
            gone = next(i for i, m in enumerate(reference) if m == self.contacts[left_m])
            if runs[0] != reference[:gone]:
                self.failures.append("gamma's contact log before it left is not the start of alpha's:\n  %r" % runs[0])
            # Back again, gamma gets every new message, and in between some of the native members'
            # older ones that their datagrams repeat (a Quorel peer's messages are not repeated),
            # each once and in their order: whenever a datagram carrying that history arrives.
            first_new = next(i for i, m in enumerate(reference) if m == self.contacts[back_m])
            new, old = reference[first_new:], reference[:first_new]
            matched, repeated = 0, []
            for m in runs[1]:
                if matched < len(new) and m == new[matched]:
                    matched += 1
                else:
                    repeated.append(m)
            quorel_said = [m for m in repeated if m.startswith(self.quorel.name + DELIMITER)]
            if matched < len(new) or not self.in_order(repeated, old) or quorel_said:
                self.failures.append("gamma's contact log after it came back is not alpha's new messages with some "
                                     "repeated older ones:\n  %r\n  alpha %r" % (runs[1], reference))

        for t in self.typists:
            files = t.oplogs()
            if len(files) != len(t.runs):
                self.failures.append("%s ran %d times but left %d operation logs" % (t.name, len(t.runs), len(files)))
            for path in files:
                lines = t.oplog_lines(path)
                bad = [l for l in lines if any(p.search(l) for p in ABNORMAL)]
                if bad:
                    self.failures.append("%s's operation log %s tells of trouble:\n  %s"
                                         % (t.name, os.path.basename(path), "\n  ".join(bad[:10])))
                for needed in ("signal received : 15", "--- application finishes. ---"):
                    if needed not in lines:
                        self.failures.append("%s's operation log %s lacks %r" % (t.name, os.path.basename(path), needed))
            handed = glob.glob(os.path.join(t.home.settings_folder, "tavrin_*.txt"))
            if handed:
                self.failures.append("%s set the abnormal-response flag: %s" % (t.name, handed))

        if self.web_lines is not None:
            # The live view: the lines since the newest screen clear; the earlier ones stay above it.
            shown = [l for l in self.web_lines if l]
            lines = [l for l in self.caption_lines() if l]
            if UNDONE in self.web_all_lines:
                self.failures.append("the live page shows the line that was taken back")
            if self.web_clears < 1:
                self.failures.append("the live page shows no screen clear")
            if not shown or shown[-1] != lines[-1] or lines[len(lines) - len(shown):] != shown:
                self.failures.append("the live page does not end with the newest captions:\n  page %r\n  typed %r"
                                     % (shown[-5:], lines[-7:]))

    def caption_lines(self, first=0, end=None):
        """The lines of the captions typed, a block's lines one by one, as the logs hold them."""
        return [l for _, text in self.captions[first:end] for l in text.split("\n")]

    @staticmethod
    def in_order(some, sequence):
        """Whether `some` are elements of `sequence`, in its order."""
        it = iter(sequence)
        return all(any(x == y for y in it) for x in some)

    def compare(self, what, got, expected):
        if got != expected:
            first = next((i for i, (g, e) in enumerate(zip(got, expected)) if g != e), min(len(got), len(expected)))
            self.failures.append("%s differs from what was typed at line %d:\n  got      %r\n  expected %r"
                                 % (what, first + 1, got[first:first + 3], expected[first:first + 3]))

    @staticmethod
    def raw_log(path):
        return desktop.read_utf16_text(path)

    BANNER = re.compile(r"^\d{6}\.\d\d -{10} (start|end) -{10}$")

    def caption_runs(self, typist):
        """The captions of each run's display logs, without the banners and the empty lines."""
        runs = []
        for path in typist.logs("display"):
            lines = [l for l in self.raw_log(path).split("\r\n") if l and not self.BANNER.match(l)]
            runs.append(lines)
        return runs

    def contact_lines(self, path):
        out = []
        for line in self.raw_log(path).split("\r\n"):
            if not line or self.BANNER.match(line):
                continue
            m = re.match(r"^\d{6}\.\d\d (.*)$", line)
            out.append(m.group(1) if m else "(no time) " + line)
        return out

    def turn_length(self, path):
        stamps = {}
        for line in self.raw_log(path).split("\r\n"):
            m = re.match(r"^(\d\d)(\d\d)(\d\d)\.(\d\d) (.*)$", line)
            if m:
                for key, rx in (("start", TURN_START), ("change", TURN_CHANGE)):
                    if rx.match(m.group(5)):
                        stamps[key] = int(m.group(1)) * 3600 + int(m.group(2)) * 60 + int(m.group(3)) + int(m.group(4)) / 100
        return (stamps["change"] - stamps["start"]) % 86400

    def check_settings(self):
        """Each run saved its settings where its start-up type says; the event files are untouched."""
        for t in self.typists:
            with open(t.settings_file, "rb") as f:
                if f.read() != t.settings_bytes:
                    self.failures.append("%s's event settings file was changed by the program" % t.name)
            folder = t.home.settings_folder
            default, at_exit = os.path.join(folder, "tavrin.tvn"), os.path.join(folder, "tavrin~.tvn")
            if t.init_type == 2:
                saved, absent = default, at_exit
            else:
                saved, absent = at_exit, (None if t is self.beta else default)
            if absent and os.path.exists(absent):
                self.failures.append("%s (start-up type %d) wrote %s" % (t.name, t.init_type, os.path.basename(absent)))
            if not os.path.exists(saved):
                self.failures.append("%s (start-up type %d) did not write %s at exit"
                                     % (t.name, t.init_type, os.path.basename(saved)))
                continue
            keys, problems = desktop.read_settings(saved)
            for p in problems:
                self.failures.append("%s's %s: %s" % (t.name, os.path.basename(saved), p))
            for key in ("communication.name", "miscellaneous.init.type_i", "miscellaneous.log.display_i",
                        "miscellaneous.log.chat_i", "miscellaneous.log.folder", "main.size.x_i", "main.size.y_i"):
                if keys.get(key) != str(t.keys[key]):
                    self.failures.append("%s's %s holds %s=%r, expected %r"
                                         % (t.name, os.path.basename(saved), key, keys.get(key), str(t.keys[key])))
        with open(self.beta_default, "rb") as f:
            if f.read() != self.beta_default_bytes:
                self.failures.append("beta (start-up type 1) overwrote its default settings file at exit")

    def check_peer(self):
        """The Quorel peer heard every native line on its main port, the undone one too."""
        natives = [text for author, text in self.captions if author != "quorel" and "\n" not in text]
        heard = [text for _, text in self.quorel.received("main")]
        if heard.count(UNDONE) != 1:
            self.failures.append("the Quorel peer heard the line that was taken back %d times" % heard.count(UNDONE))
        self.compare("the lines the Quorel peer heard", [t for t in heard if t != UNDONE], natives)
        self.compare("the block lines the Quorel peer heard", [t for _, t in self.quorel.received("main-gross")],
                     [l for block in self.gross for l in block])
        # The pre-roll monitor's view of alpha's pre-roll reached the peer too, line by line.
        latter = [t for a, t in self.quorel.received("pft-latter") if a == self.alpha.address]
        if "$消去$" not in latter or PREROLL[-1] not in latter:
            self.failures.append("the Quorel peer got no pre-roll state from alpha: %r" % latter[-12:])

    # -- the end --------------------------------------------------------------------------

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
        return "not root (network namespaces and nftables need it)"
    missing = desktop.missing_tools() + [t for t in ("nft", "ip") if shutil.which(t) is None]
    if not args.chromium or not os.access(args.chromium, os.X_OK):
        missing.append("chromium")
    if missing:
        return "missing tools: " + ", ".join(missing)
    for path in (args.tavrin, args.sim):
        if not os.access(path, os.X_OK):
            return "not built: " + path
    ok, reason = netlan.probe()
    if not ok:
        return "network namespaces are not available: " + reason
    return None


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--tavrin", required=True, help="the program (build/.../src/app/tavrin)")
    parser.add_argument("--sim", required=True, help="the simulated Quorel peer (build/.../tools/quorel_sim/quorel_sim)")
    parser.add_argument("--out", default="trial-out", help="folder for the screenshots (default ./trial-out)")
    parser.add_argument("--keep", action="store_true", help="keep the homes, logs and settings files of the run")
    args = parser.parse_args()
    args.chromium = os.environ.get("TAVRIN_CHROMIUM") or shutil.which("chromium") or shutil.which("chromium-browser")

    reason = requirements(args)
    if reason:
        print("SKIP: " + reason)
        return SKIP
    os.makedirs(args.out, exist_ok=True)
    trial = Trial(args)
    try:
        trial.run()
    except Skip as e:
        print("SKIP: %s" % e)
        return SKIP
    except (TrialError, TimeoutError, EOFError) as e:
        trial.failures.insert(0, "the event stopped: %s" % e)
    except Exception as e:  # a fault of the script itself: say where
        import traceback
        traceback.print_exc()
        trial.failures.insert(0, "the trial script broke: %r" % e)
    finally:
        # What the programs wrote is kept for a look when something went wrong.
        trial.keep = trial.keep or bool(trial.failures)
        trial.cleanup()
    took = time.monotonic() - START
    if trial.keep:
        print("homes, logs and settings files kept in " + trial.work)
    if trial.failures:
        print("\nTRIAL FAILED (%d problems, %.0f s):" % (len(trial.failures), took))
        for f in trial.failures:
            print(" - " + f)
        return 1
    print("\ntrial passed in %.0f s: %d captions, %d contact messages, screenshots in %s"
          % (took, len(trial.captions), len(trial.contacts), args.out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
