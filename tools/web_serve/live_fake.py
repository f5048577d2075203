#!/usr/bin/env python3
"""A stand-in for the program's live event stream, for working on the live and overlay pages in a
browser without the program. Serves src/web/pages/live.html at /live, overlay.html at /overlay
(read from disk on every request, so an edit shows on reload) and the event stream at
/live/events on 127.0.0.1 only. Prints "port N" once listening.

    live_fake.py [--port N] [--text-file captions.txt] [--add-every SECONDS] [--max-readers N]

Commands on standard input, one per line:
    add TEXT                 a line at the end (\\n in TEXT separates the lines of a gross block)
    gross TEXT               a gross block (type G)
    insert BEFORE_ID TEXT    a repaired line, before the line with that id
    withdraw ID              undo of that line
    clear                    a screen clear
    drop                     closes every open stream (the readers reconnect)
    restart                  a new run: new token, ids from 1, empty store
"""

import argparse
import json
import os
import secrets
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

PAGES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "web", "pages")


class Feed:
    def __init__(self):
        self.cond = threading.Condition()
        self.restart()

    def restart(self):
        with self.cond:
            self.run = secrets.token_hex(4)
            self.lines = []       # stored lines in display order, withdrawn ones removed
            self.events = []      # (n, name, data)
            self.next_id = 1
            self.readers = []
            self.cond.notify_all()

    def _event(self, name, data):
        self.events.append((len(self.events) + 1, name, json.dumps(data, ensure_ascii=False)))
        self.cond.notify_all()

    def add(self, text, kind="i", before=0):
        with self.cond:
            line = {"id": self.next_id, "after": 0, "before": 0, "type": kind, "text": text,
                    "t": int(time.time() * 1000)}
            self.next_id += 1
            at = next((i for i, l in enumerate(self.lines) if l["id"] == before), None) if before else None
            if at is None:
                line["after"] = self.lines[-1]["id"] if self.lines else 0
                self.lines.append(line)
            else:
                line["before"] = before
                line["after"] = self.lines[at - 1]["id"] if at > 0 else 0
                self.lines.insert(at, line)
            self._event("add", line)
            return line["id"]

    def withdraw(self, ident):
        with self.cond:
            if any(l["id"] == ident for l in self.lines):
                self.lines = [l for l in self.lines if l["id"] != ident]
                self._event("withdraw", {"id": ident})

    def drop(self):
        with self.cond:
            for sock in self.readers:
                try:
                    sock.shutdown(socket.SHUT_RDWR)
                except OSError:
                    pass


FEED = Feed()
ARGS = None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def page(self, name):
        with open(os.path.join(PAGES, name), "rb") as f:
            body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "text/html; charset=utf-8")
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        if path == "/live":
            return self.page("live.html")
        if path == "/overlay":
            return self.page("overlay.html")
        if path != "/live/events":
            self.send_error(404)
            return
        with FEED.cond:
            if ARGS.max_readers and len(FEED.readers) >= ARGS.max_readers:
                self.send_response(503)
                self.send_header("Retry-After", "2")
                self.send_header("Content-Length", "0")
                self.send_header("Connection", "close")
                self.end_headers()
                self.close_connection = True
                return
            FEED.readers.append(self.connection)
            run = FEED.run
            last = self.headers.get("Last-Event-ID", "")
            start = None
            if last.startswith(run + "-"):
                try:
                    n = int(last[len(run) + 1:])
                    if 0 <= n <= len(FEED.events):
                        start = n
                except ValueError:
                    pass
            if start is None:
                start = len(FEED.events)
                first = [("reset", json.dumps({"lines": FEED.lines[-200:]}, ensure_ascii=False), start)]
            else:
                first = []
        self.send_response(200)
        self.send_header("Content-Type", "text/event-stream; charset=utf-8")
        self.send_header("Cache-Control", "no-store")
        self.send_header("Connection", "keep-alive")
        self.end_headers()
        try:
            self.wfile.write(b"retry: 2000\n\n")
            for name, data, n in first:
                self.wfile.write(("event: %s\nid: %s-%d\ndata: %s\n\n" % (name, run, n, data)).encode())
            self.wfile.flush()
            sent = start
            while True:
                with FEED.cond:
                    if FEED.run != run:
                        break
                    if len(FEED.events) == sent:
                        FEED.cond.wait(15)
                    if FEED.run != run:
                        break
                    pending = FEED.events[sent:]
                if not pending:
                    self.wfile.write(b": ka\n\n")
                for n, name, data in pending:
                    self.wfile.write(("event: %s\nid: %s-%d\ndata: %s\n\n" % (name, run, n, data)).encode())
                    sent = n
                self.wfile.flush()
        except OSError:
            pass
        finally:
            with FEED.cond:
                if self.connection in FEED.readers:
                    FEED.readers.remove(self.connection)
            self.close_connection = True


def commands():
    for raw in sys.stdin:
        word, _, rest = raw.rstrip("\n").partition(" ")
        rest = rest.replace("\\n", "\n")
        if word == "add":
            print("id", FEED.add(rest), flush=True)
        elif word == "gross":
            print("id", FEED.add(rest, "G"), flush=True)
        elif word == "insert":
            before, _, text = rest.partition(" ")
            print("id", FEED.add(text, "D", int(before)), flush=True)
        elif word == "withdraw":
            FEED.withdraw(int(rest))
        elif word == "clear":
            print("id", FEED.add("\n" * 8, "E"), flush=True)
        elif word == "drop":
            FEED.drop()
        elif word == "restart":
            FEED.drop()
            FEED.restart()


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--text-file")
    parser.add_argument("--add-every", type=float, default=0)
    parser.add_argument("--max-readers", type=int, default=0)
    ARGS = parser.parse_args()
    if ARGS.text_file:
        with open(ARGS.text_file, encoding="utf-8") as f:
            for line in f.read().splitlines():
                if line == "---":
                    FEED.add("\n" * 8, "E")
                elif line:
                    FEED.add(line.replace("\\n", "\n"), "G" if "\\n" in line else "D")
    server = ThreadingHTTPServer(("127.0.0.1", ARGS.port), Handler)
    server.daemon_threads = True
    print("port", server.server_address[1], flush=True)
    threading.Thread(target=commands, daemon=True).start()
    if ARGS.add_every > 0:
        def ticker():
            n = 1
            while True:
                time.sleep(ARGS.add_every)
                FEED.add("自動の%d行目です。" % n)
                n += 1
        threading.Thread(target=ticker, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
