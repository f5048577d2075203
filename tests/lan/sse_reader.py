#!/usr/bin/env python3
"""A reader of the live page's event stream as a browser's EventSource behaves, for the LAN tests.

    python3 sse_reader.py HOST PORT [--silence S]

Opens /live/events and prints one line per happening (stdout, flushed):
  OPEN LAST-ID        the stream was answered 200; LAST-ID is the Last-Event-ID sent ("-": none)
  STATUS LINE         another answer (e.g. 503); retried
  EVENT KIND ID DATA  a complete event (DATA with \\n for line breaks)
  CLOSED eof|silent   the stream ended, or nothing came for S seconds (a phone whose network went
                      away notices nothing else: the keepalive comments stop)
  FAILED REASON       a connection attempt failed
After each end it waits the retry time the server named and reconnects with the last event id.
"""

import argparse
import os
import socket
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "web_serve"))
from sse_lines import SseLines  # noqa: E402


def emit(text):
    sys.stdout.write(text + "\n")
    sys.stdout.flush()


def read_events(f, on_event):
    lines = SseLines()
    while True:
        raw = f.readline()
        if not raw:
            return
        event = lines.feed(raw.decode("utf-8").rstrip("\n").rstrip("\r"))
        if event:
            on_event(*event)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("host")
    parser.add_argument("port", type=int)
    parser.add_argument("--silence", type=float, default=20.0)
    args = parser.parse_args()
    state = {"last": None, "retry": 2.0}

    def on_event(kind, ident, data):
        if kind == "retry":
            state["retry"] = int(data) / 1000.0
            return
        if ident:
            state["last"] = ident
        emit("EVENT %s %s %s" % (kind, ident or "-", data.replace("\\", "\\\\").replace("\n", "\\n")))

    while True:
        sock = None
        try:
            sock = socket.create_connection((args.host, args.port), timeout=3)
            sock.settimeout(args.silence)
            request = "GET /live/events HTTP/1.1\r\nHost: %s\r\nAccept: text/event-stream\r\n" % args.host
            if state["last"]:
                request += "Last-Event-ID: %s\r\n" % state["last"]
            sock.sendall((request + "\r\n").encode())
            f = sock.makefile("rb")
            status = f.readline().decode("latin-1").strip()
            while f.readline() not in (b"\r\n", b"\n", b""):
                pass
            if " 200 " not in status + " ":
                emit("STATUS " + status)
            else:
                emit("OPEN " + (state["last"] or "-"))
                read_events(f, on_event)
                emit("CLOSED eof")
        except socket.timeout:
            emit("CLOSED silent" if sock is not None and sock.fileno() >= 0 else "FAILED timeout")
        except OSError as e:
            emit("FAILED %s" % e)
        finally:
            if sock is not None:
                sock.close()
        time.sleep(state["retry"])


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        pass
