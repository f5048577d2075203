#!/usr/bin/env python3
"""Takes the pictures of the live page and the overlay for the README: /live at 390 x 844 in two
themes and /overlay over a checkerboard, from headless Chromium driven over its DevTools pipe,
against live_fake.py on 127.0.0.1 (nothing else is reachable from the browser).

    live_shots.py [--chromium PATH] [--out docs]
"""

import argparse
import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))

CAPTIONS = """皆さん、こんにちは。本日の講演会にようこそお越しくださいました。
最初に、会場の皆様にお願いがございます。携帯電話はマナーモードに設定してください。
それでは、講師の先生をご紹介します。東北大学の山田先生です。
山田：ありがとうございます。今日は「地域の防災と情報保障」についてお話しします。
まず、こちらのスライドをご覧ください。\\n過去10年間の主な災害\\n（地震・豪雨・雪害）
情報保障とは、誰もが同じ情報を同時に受け取れるようにすることです。
（会場拍手）
"""


class Browser:
    def __init__(self, chromium, profile):
        to_child_r, self.to_child = os.pipe()
        self.from_child, from_child_w = os.pipe()
        args = [chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                "--no-first-run", "--disable-background-networking", "--disable-component-update",
                "--no-proxy-server", "--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1",
                "--user-data-dir=" + profile, "--remote-debugging-pipe", "about:blank"]

        def fds():
            os.dup2(to_child_r, 3)
            os.dup2(from_child_w, 4)

        self.proc = subprocess.Popen(args, preexec_fn=fds, pass_fds=(3, 4), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        os.close(to_child_r)
        os.close(from_child_w)
        self.buf = b""
        self.next = 1

    def call(self, method, params=None, session=None):
        ident = self.next
        self.next += 1
        msg = {"id": ident, "method": method, "params": params or {}}
        if session:
            msg["sessionId"] = session
        os.write(self.to_child, json.dumps(msg).encode() + b"\0")
        while True:
            while b"\0" not in self.buf:
                chunk = os.read(self.from_child, 1 << 20)
                if not chunk:
                    raise RuntimeError("chromium went away")
                self.buf += chunk
            raw, self.buf = self.buf.split(b"\0", 1)
            answer = json.loads(raw)
            if answer.get("id") == ident:
                if "error" in answer:
                    raise RuntimeError("%s: %s" % (method, answer["error"]))
                return answer.get("result", {})

    def page(self, width, height):
        target = self.call("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.call("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        self.call("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": height, "deviceScaleFactor": 1, "mobile": True}, session)
        return session

    def shot(self, session, path):
        data = self.call("Page.captureScreenshot", {"format": "png"}, session)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))
        print("wrote", path)

    def close(self):
        # Browser.close may end the browser before it answers: do not wait for the answer.
        try:
            os.write(self.to_child, json.dumps({"id": 0, "method": "Browser.close"}).encode() + b"\0")
            self.proc.wait(10)
        except (OSError, subprocess.TimeoutExpired):
            self.proc.kill()
            self.proc.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--chromium", default=os.environ.get("TAVRIN_CHROMIUM") or shutil.which("chromium"))
    parser.add_argument("--out", default=os.path.join(HERE, "..", "..", "docs"))
    args = parser.parse_args()
    if not args.chromium:
        sys.exit("no chromium")

    work = tempfile.mkdtemp(prefix="live-shots-")
    text = os.path.join(work, "captions.txt")
    with open(text, "w", encoding="utf-8") as f:
        f.write(CAPTIONS)
    fake = subprocess.Popen([sys.executable, os.path.join(HERE, "live_fake.py"), "--text-file", text],
                            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    port = int(fake.stdout.readline().split()[1])
    base = "http://127.0.0.1:%d" % port
    browser = Browser(args.chromium, os.path.join(work, "profile"))
    try:
        shots = (("wb", 3, False, "live-page-phone.png"), ("bw", 3, True, "live-page-phone-settings.png"))
        for theme, size, panel, name in shots:
            session = browser.page(390, 844)
            browser.call("Page.navigate", {"url": base + "/live"}, session)
            time.sleep(1)
            settings = json.dumps({"size": size, "theme": theme, "spacing": 1, "font": "default"})
            browser.call("Runtime.evaluate", {"expression": "localStorage.setItem('tavrin.live.settings', %s)"
                                              % json.dumps(settings)}, session)
            browser.call("Page.reload", {}, session)
            time.sleep(1.5)
            if panel:
                browser.call("Runtime.evaluate", {"expression": "document.getElementById('settings').click()"},
                             session)
                time.sleep(0.3)
            browser.shot(session, os.path.join(args.out, name))

        session = browser.page(1280, 360)
        checker = ("<body style='margin:0;height:100vh;background:repeating-conic-gradient(#bbb 0 25%%,"
                   "#fff 0 50%%) 0 0/40px 40px'><iframe src='%s/overlay?lines=2&size=56' "
                   "style='border:0;width:100%%;height:100%%'></iframe></body>" % base)
        browser.call("Runtime.evaluate", {"expression": "document.write(%s); document.close()" % json.dumps(checker)},
                     session)
        time.sleep(1.5)
        browser.shot(session, os.path.join(args.out, "live-overlay.png"))
    finally:
        browser.close()
        fake.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
