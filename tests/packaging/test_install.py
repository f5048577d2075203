#!/usr/bin/env python3
"""Checks of the installed program and of the Debian package, run by ctest.

  layout   cmake --install into a temporary prefix; the files, the bin/ link, the desktop entry,
           the AppStream data and the icons.
  run      the installed program started through bin/tavrin, offscreen, in a fresh home and with
           no network but loopback (unshare -n): it must find its languages folder and end
           cleanly on SIGTERM. Skipped (77) where a network namespace cannot be made.
  deb      the package built by CPack: name, version, computed and added dependencies, contents.
           Skipped (77) where dpkg-deb, dpkg-shlibdeps or file are missing.

Prints "N passed, N failed" at the end; exits 1 on a failure.
"""

import argparse
import os
import re
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time

SKIP = 77
ICON_SIZES = [16, 24, 32, 48, 64, 128, 256]


class Checks:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, condition, what):
        if condition:
            self.passed += 1
        else:
            self.failed += 1
            print(f"FAIL: {what}", flush=True)
        return condition


def install(build, prefix):
    subprocess.run(["cmake", "--install", build, "--prefix", prefix],
                   check=True, stdout=subprocess.DEVNULL)


def private_dir(prefix):
    """The folder that bin/tavrin resolves into."""
    return os.path.dirname(os.path.realpath(os.path.join(prefix, "bin", "tavrin")))


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(24)
    if len(head) < 24 or head[:8] != b"\x89PNG\r\n\x1a\n" or head[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", head[16:24])


def check_layout(c, build, version):
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "usr")
        install(build, prefix)
        link = os.path.join(prefix, "bin", "tavrin")
        if c.check(os.path.islink(link), "bin/tavrin is a symlink"):
            c.check(not os.path.isabs(os.readlink(link)), "bin/tavrin links by a relative path")
        exe = os.path.realpath(link)
        c.check(exe.startswith(prefix + os.sep), "bin/tavrin resolves inside the prefix")
        c.check(os.path.isfile(exe) and os.access(exe, os.X_OK), "the linked executable exists")
        languages = os.path.join(private_dir(prefix), "languages")
        for qm in ("0904_en-US.qm", "1104_ja-JP.qm"):
            c.check(os.path.isfile(os.path.join(languages, qm)), f"languages/{qm} beside the executable")

        share = os.path.join(prefix, "share")
        desktop = os.path.join(share, "applications", "tavrin.desktop")
        metainfo = os.path.join(share, "metainfo", "tavrin.metainfo.xml")
        svg = os.path.join(share, "icons", "hicolor", "scalable", "apps", "tavrin.svg")
        for path in (desktop, metainfo, svg):
            c.check(os.path.isfile(path), f"{os.path.relpath(path, prefix)} installed")
        for name in ("man/man1/tavrin.1", "doc/tavrin/changelog", "doc/tavrin/README.md"):
            c.check(any(os.path.isfile(os.path.join(share, name + ext)) for ext in ("", ".gz")),
                    f"share/{name} installed")
        if os.path.isfile(desktop):
            text = open(desktop, encoding="utf-8").read()
            for key in ("Exec=tavrin", "Icon=tavrin", "Name[ja]=", "Comment[ja]=", "Categories="):
                c.check(key in text, f"desktop entry has {key}")
            if shutil.which("desktop-file-validate"):
                r = subprocess.run(["desktop-file-validate", desktop], capture_output=True, text=True)
                c.check(r.returncode == 0 and not r.stdout.strip(),
                        f"desktop-file-validate: {r.stdout.strip()}")
        if os.path.isfile(metainfo):
            text = open(metainfo, encoding="utf-8").read()
            c.check(f'<release version="{version}"' in text, "metainfo carries the project version")
            c.check("@" not in text, "metainfo has no unreplaced placeholder")
            if shutil.which("appstreamcli"):
                r = subprocess.run(["appstreamcli", "validate", "--no-net", "--no-color", metainfo],
                                   capture_output=True, text=True)
                # The id stays "tavrin" on purpose (the desktop id that matches the program's
                # window class); every other remark counts.
                issues = [line for line in r.stdout.splitlines()
                          if re.match(r"^[EWI]: ", line) and "cid-desktopapp-is-not-rdns" not in line]
                c.check(not issues, "appstreamcli validate: " + "; ".join(issues))

        pngs = os.path.join(share, "icons", "hicolor")
        found = [s for s in ICON_SIZES
                 if os.path.isfile(os.path.join(pngs, f"{s}x{s}", "apps", "tavrin.png"))]
        if found:
            c.check(found == ICON_SIZES, f"every PNG icon size installed (found {found})")
            for s in found:
                size = png_size(os.path.join(pngs, f"{s}x{s}", "apps", "tavrin.png"))
                c.check(size == (s, s), f"{s}x{s} icon is a {s}x{s} PNG (got {size})")


def can_unshare():
    if not shutil.which("unshare"):
        return False
    return subprocess.run(["unshare", "-n", "true"], capture_output=True).returncode == 0


def log_lines(path):
    with open(path, "rb") as f:
        text = f.read().decode("utf-16", errors="replace")
    return [line[line.find("] ") + 2:] for line in text.split("\r\n") if line]


def find_log(folder):
    if not os.path.isdir(folder):
        return None
    logs = sorted(n for n in os.listdir(folder) if n.endswith(".log"))
    return os.path.join(folder, logs[0]) if logs else None


def check_run(c, build):
    if not can_unshare():
        print("SKIP: no network namespace can be made here (unshare -n)")
        return SKIP
    with tempfile.TemporaryDirectory() as tmp:
        prefix = os.path.join(tmp, "usr")
        install(build, prefix)
        home = os.path.join(tmp, "home")
        os.makedirs(home)
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                   QT_QPA_PLATFORM="offscreen", LANG="C.UTF-8")
        env.pop("LANGUAGE", None)
        settings = os.path.join(home, ".config", "tavrin")
        # Only loopback inside: the program finds no adapter and waits in the login dialog.
        program = subprocess.Popen(["unshare", "-n", os.path.join(prefix, "bin", "tavrin")], env=env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            log, lines = None, []
            deadline = time.monotonic() + 60
            while time.monotonic() < deadline:
                log = find_log(settings)
                lines = log_lines(log) if log else []
                if "CDlgNic::OnInitDialog() begins." in lines:
                    break
                time.sleep(0.1)
            reached = c.check("CDlgNic::OnInitDialog() begins." in lines,
                              "the installed program reached its login dialog")
            c.check(os.path.basename(log or "") == "tavrin0.log", f"operation log named after the program ({log})")
            c.check("added Number(HEX)=0904 LCID(HEX)=0409" in lines, "English translation found after installation")
            c.check("added Number(HEX)=1104 LCID(HEX)=0411" in lines, "Japanese translation found after installation")
            c.check("Resource Loaded!" in lines, "a translation was loaded")
            c.check("(0) - No DLL exists, failed." not in lines, "the languages folder was not missed")
            if reached:
                program.send_signal(signal.SIGTERM)
            code = program.wait(timeout=60)
        finally:
            if program.poll() is None:
                program.kill()
                program.wait()
        c.check(code == 0, f"exit code 0 after SIGTERM (got {code})")
        lines = log_lines(log) if log else []
        c.check("signal received : 15" in lines, "the signal is logged")
        c.check(bool(lines) and lines[-1] == "--- application finishes. ---", "the log ends with a clean finish")
        c.check(os.path.isfile(os.path.join(settings, "tavrin~.tvn")), "the exit settings were saved")
    return 0


def check_deb(c, build, version):
    # CPack computes the dependencies with dpkg-shlibdeps and finds the binaries with file.
    if not all(shutil.which(tool) for tool in ("dpkg-deb", "dpkg-shlibdeps", "file", "cpack")):
        print("SKIP: dpkg-deb, dpkg-shlibdeps, file or cpack missing")
        return SKIP
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run(["cpack", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", tmp],
                       check=True, stdout=subprocess.DEVNULL)
        debs = [n for n in os.listdir(tmp) if n.endswith(".deb")]
        if not c.check(len(debs) == 1, f"one .deb built (got {debs})"):
            return 0
        deb = os.path.join(tmp, debs[0])
        c.check(re.fullmatch(rf"tavrin_{re.escape(version)}_[a-z0-9]+\.deb", debs[0]) is not None,
                f"package file name {debs[0]}")

        def field(name):
            return subprocess.run(["dpkg-deb", "-f", deb, name], capture_output=True, text=True).stdout.strip()

        c.check(field("Package") == "tavrin", "package name")
        c.check(field("Version") == version, f"package version {field('Version')}")
        c.check(field("Section") == "utils", "section")
        c.check(bool(field("Maintainer")), "maintainer")
        c.check(bool(field("Description")), "description")
        depends = field("Depends")
        for needed in ("libqt6widgets6", "libqt6network6", "libc6", "qt6-qpa-plugins",
                       "fonts-ipafont-gothic | fonts-noto-cjk"):
            c.check(needed in depends, f"Depends has {needed}: {depends}")
        contents = subprocess.run(["dpkg-deb", "-c", deb], capture_output=True, text=True).stdout
        for path in ("/usr/bin/tavrin -> ", "/usr/share/applications/tavrin.desktop",
                     "/usr/share/metainfo/tavrin.metainfo.xml", "/languages/0904_en-US.qm",
                     "/languages/1104_ja-JP.qm", "/usr/share/icons/hicolor/scalable/apps/tavrin.svg",
                     "/usr/share/man/man1/tavrin.1", "/usr/share/doc/tavrin/changelog"):
            c.check(path in contents, f"package holds {path}")
        c.check("/usr/local" not in contents, "nothing under /usr/local")
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("part", choices=["layout", "run", "deb"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--version", required=True)
    args = parser.parse_args()
    c = Checks()
    if args.part == "layout":
        result = check_layout(c, args.build, args.version)
    elif args.part == "run":
        result = check_run(c, args.build)
    else:
        result = check_deb(c, args.build, args.version)
    if result == SKIP:
        return SKIP
    print(f"{c.passed} passed, {c.failed} failed")
    return 1 if c.failed else 0


if __name__ == "__main__":
    sys.exit(main())
