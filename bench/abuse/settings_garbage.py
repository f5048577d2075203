#!/usr/bin/env python3
"""The real program started with settings files of random bytes (several seeds, 0 B to 1 MB).

Each run: a fresh home, the program under Xvfb in host 1 of a one-host namespace LAN (it logs in on
the namespace's only adapter, never on this machine's), the settings file on its command line.
Checked: it starts (the main window is created, or the login dialog asks for the member name that
the file could not give), it is still running after the start, its log says
how many settings it found in the file, SIGTERM ends it through the normal shutdown with exit
code 0. Reported per file: start time (to the login dialog or the end of the creation) and the verdict.

  sudo python3 bench/abuse/settings_garbage.py --build build/abuse --seeds 3
"""

import os
import random
import re
import time

import realprog
from realprog import netlan

SIZES = [0, 1, 2, 3, 17, 255, 4096, 65536, 262144, 1 << 20]


def main():
    p = realprog.parser(__doc__)
    p.add_argument("--seeds", type=int, default=3)
    args = p.parse_args()
    program, plugins = realprog.paths(args)
    xvfb = realprog.Xvfb()
    failures = 0
    runs = 0
    try:
        with netlan.Lan(1) as lan:
            for seed in range(1, args.seeds + 1):
                for size in SIZES:
                    rnd = random.Random(seed * 1000003 + size)
                    data = bytes(rnd.getrandbits(8) for _ in range(size))
                    if seed == 2 and size:
                        data = b"\xff\xfe" + data  # a byte-order mark, then noise
                    runs += 1
                    failures += 0 if one(lan, program, plugins, xvfb.display, seed, data) else 1
    finally:
        xvfb.stop()
    print("%d runs, %d failed" % (runs, failures))


def one(lan, program, plugins, display, seed, data):
    t0 = time.monotonic()
    prog = realprog.Program(lan, lan.hosts[0], program, plugins, display, {}, raw_settings=data)
    started = None
    while time.monotonic() - t0 < 20:
        log = prog.operation_log()
        # Without a member name in the file the login dialog asks for one, inside the creation.
        if "CMainWindow::OnCreate() finishes." in log or "CDlgNic::OnInitDialog() finished." in log:
            started = time.monotonic() - t0
            break
        if prog.proc.poll() is not None:
            break
        time.sleep(0.05)
    time.sleep(1.0)
    alive = prog.proc.poll() is None
    code = prog.stop()
    log = prog.operation_log()
    found = re.search(r"settings found in the file : (\d+)", log)
    ok = started is not None and alive and code == 0 and found is not None
    print("seed %d %8d bytes: %s, start %s, exit %s, settings found %s"
          % (seed, len(data), "ok" if ok else "FAILED", "%.2f s" % started if started else "never",
             code, found.group(1) if found else "not logged"))
    prog.cleanup()
    return ok


if __name__ == "__main__":
    main()
