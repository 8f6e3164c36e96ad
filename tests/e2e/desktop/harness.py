"""Drives the real norvane executable against a real norvane-fakehub on the desktop of
scripts/desktop-session: X11 windows found by their properties, input through xdotool, notifications
watched on the session bus, screenshots of the whole screen. Standard library only."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

PANEL_SIZE = (560, 600)
TRAY_ICON_SIZE = (22, 22)


class Failure(Exception):
    pass


def wait_until(what, condition, timeout=30.0, interval=0.1):
    """Polls `condition` until it returns something truthy, which is returned; fails after `timeout`."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def run(*args, check=True):
    result = subprocess.run(args, capture_output=True, text=True)
    if check and result.returncode != 0:
        raise Failure("%s failed: %s" % (" ".join(args), result.stderr.strip()))
    return result.stdout


class Window:
    def __init__(self, wid):
        self.id = wid

    def geometry(self):
        """(x, y, width, height) on the screen."""
        out = run("xwininfo", "-id", str(self.id))
        value = lambda label: int(re.search(label + r":\s+(-?\d+)", out).group(1))
        return (value("Absolute upper-left X"), value("Absolute upper-left Y"), value("Width"),
                value("Height"))

    def viewable(self):
        return "IsViewable" in run("xwininfo", "-id", str(self.id), check=False)

    def click(self, dx, dy, button=1):
        """Clicks at (dx, dy) inside the window."""
        x, y, _, _ = self.geometry()
        # Not --sync: it waits for a motion event, which never comes when the pointer is already there.
        # XTEST events arrive in order, so the click lands where the pointer went.
        run("xdotool", "mousemove", str(x + dx), str(y + dy), "click", str(button))


# One line of `xwininfo -root -tree`: 0x600006 "Norvane": ("norvane" "Norvane")  22x22+0+0  +1257+1
TREE_LINE = re.compile(r'^\s*(0x[0-9a-f]+) "(.*)": \((.*)\)\s+(\d+)x(\d+)[+-]\d+[+-]\d+\s+([+-]\d+)([+-]\d+)')


def tree():
    """Every window: (Window, name, WM_CLASS as xwininfo prints it, (width, height))."""
    found = []
    for line in run("xwininfo", "-root", "-tree").splitlines():
        m = TREE_LINE.match(line)
        if m:
            found.append((Window(int(m.group(1), 16)), m.group(2), m.group(3), (int(m.group(4)), int(m.group(5)))))
    return found


def entry_wm_class():
    """The X11 class the menu entry names (StartupWMClass): the desktop ties Norvane's windows to the entry, its
    name and icon, by it, so the windows are looked for under that class."""
    here = os.path.dirname(os.path.abspath(__file__))
    entry = os.path.normpath(os.path.join(here, "../../../resources/desktop/com.norvane.app.desktop"))
    with open(entry, encoding="utf-8") as f:
        for line in f:
            if line.startswith("StartupWMClass="):
                return line.strip().split("=", 1)[1]
    raise Failure(f"{entry} names no StartupWMClass")


def norvane_class():
    """Norvane's WM_CLASS as xwininfo prints it: the instance, then the class the menu entry names."""
    return f'"norvane" "{entry_wm_class()}"'


def windows(name, wm_class, size=None):
    """Viewable windows anywhere in the tree (the tray icon lives inside the tray's window) by name,
    WM_CLASS (instance and class) and, when given, size."""
    return [w for w, n, c, wh in tree()
            if n == name and c == wm_class and (size is None or wh == size) and w.viewable()]


def type_text(text):
    run("xdotool", "type", "--delay", "15", "--", text)


def key(*keys):
    run("xdotool", "key", "--delay", "30", *keys)


class Session:
    """One test: a fakehub, a profile, a HOME and, once started, a norvane. Cleans up on exit."""

    def __init__(self, name, world=None, hub_args=()):
        self.name = name
        self.hub_args = list(hub_args)
        self.norvane_bin = os.environ["NORVANE_BIN"]
        self.fakehub_bin = os.environ["FAKEHUB_BIN"]
        self.shots = os.environ["E2E_SCREENSHOTS"]
        os.makedirs(self.shots, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix="norvane-e2e-%s." % name)
        # fakehub's world: the demo's unless the test brings one (a dict, written into the session's folder).
        self.scenario = os.path.join(os.environ["NORVANE_SOURCE_DIR"], "tools/fakehub/scenarios/demo.json")
        if world is not None:
            self.scenario = os.path.join(self.dir, "world.json")
            with open(self.scenario, "w") as f:
                json.dump(world, f)
        self.home = os.path.join(self.dir, "home")
        self.profile = os.path.join(self.dir, "profile")
        self.bin = os.path.join(self.dir, "bin")
        self.opened_log = os.path.join(self.dir, "opened.log")
        os.makedirs(self.home)
        os.makedirs(self.bin)
        # A recording xdg-open first on PATH: what norvane asks the desktop to open.
        with open(os.path.join(self.bin, "xdg-open"), "w") as f:
            f.write('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\n' % self.opened_log)
        os.chmod(os.path.join(self.bin, "xdg-open"), 0o755)
        self.app = None
        self.app_log = None
        self.hub = None
        self.step = 0

    def __enter__(self):
        self.hub_out = os.path.join(self.dir, "fakehub.out")
        self.hub = subprocess.Popen([self.fakehub_bin, "--scenario", self.scenario, "--manual-timeline",
                                     "--log-requests", *self.hub_args],
                                    stdout=open(self.hub_out, "w"), stderr=subprocess.STDOUT)
        self.base = wait_until("fakehub's address", lambda: self._first_line(self.hub_out), 20)
        return self

    def __exit__(self, *exc):
        if exc[0] is not None:
            self.screenshot("failure")
            if self.app_log and os.path.exists(self.app_log):
                with open(self.app_log, errors="replace") as f:
                    sys.stderr.write("--- norvane output (last 60 lines)\n" + "".join(f.readlines()[-60:]))
        self.quit()
        if self.hub:
            self.hub.terminate()
            self.hub.wait(10)
        if not os.environ.get("E2E_KEEP"):
            shutil.rmtree(self.dir, ignore_errors=True)
        return False

    @staticmethod
    def _first_line(path):
        with open(path) as f:
            line = f.readline()
        return line.strip() if line.endswith("\n") else None

    # ---- fakehub ----

    def requests(self, log=None):
        """Every request fakehub (or the one logging to `log`) has logged so far: (method, path-with-query)."""
        with open(log or self.hub_out) as f:
            lines = f.read().splitlines()[1:]
        return [tuple(line.split(" ", 2)[1:]) for line in lines if line.startswith("request ")]

    def next_event(self):
        """Plays the next event of the scenario's timeline, and returns once fakehub has applied it."""
        played = lambda: open(self.hub_out).read().count("\nplayed ")
        before = played()
        self.hub.send_signal(signal.SIGUSR1)
        wait_until("fakehub to play the next event", lambda: played() > before, 10, 0.02)

    def core_points_used(self, token="demo-token"):
        """The core points the token has spent in this window, this question's own point included."""
        return int(self.api("/user", token, lambda answer: answer.headers["X-RateLimit-Used"]))

    def api(self, path, token="demo-token", read=None):
        """fakehub's answer to `path`: its JSON, or what `read` takes from the response."""
        import urllib.request
        request = urllib.request.Request(self.base + path, headers={"Authorization": "token " + token})
        with urllib.request.urlopen(request, timeout=10) as answer:
            return (read or json.load)(answer)

    # ---- norvane ----

    def env(self, extra=None):
        env = dict(os.environ)
        env.update({
            "HOME": self.home,
            "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
            "XDG_DATA_HOME": os.path.join(self.home, ".local/share"),
            "XDG_CACHE_HOME": os.path.join(self.home, ".cache"),
            "PATH": self.bin + os.pathsep + env.get("PATH", ""),
            "DEBUG_MODE": "1",
            "QT_QPA_PLATFORM": "xcb",
            # The tests find controls as a screen reader does, on the session's accessibility bus.
            "QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1",
        })
        env.update(extra or {})
        return env

    def start(self, *args, env=None):
        self.app_log = os.path.join(self.dir, "norvane.%d.%d.log" % (self.step, time.monotonic_ns()))
        self.app = subprocess.Popen([self.norvane_bin, "--api-url", self.base, "--web-url", self.base,
                                     "--profile", self.profile, *args],
                                    stdout=open(self.app_log, "w"), stderr=subprocess.STDOUT,
                                    env=self.env(env))
        self.tray = self.wait_for_tray()
        return self.app

    def wait_for_tray(self):
        return wait_until("the tray icon embedded in the tray", self._tray_icon, float(os.environ.get("E2E_TRAY_WAIT", "60")))

    def _tray_icon(self):
        if self.app.poll() is not None:
            raise Failure("norvane exited with %s" % self.app.returncode)
        # Embedded: a child of the tray's panel, not a top-level window at the origin.
        for w in windows("Norvane", norvane_class(), TRAY_ICON_SIZE):
            x, y, _, _ = w.geometry()
            if (x, y) != (0, 0):
                return w
        return None

    def panel(self):
        found = windows("Norvane", norvane_class(), PANEL_SIZE)
        return found[0] if found else None

    def open_panel(self):
        self.tray.click(11, 11)
        return wait_until("the panel", self.panel, 20)

    def quit(self, timeout=30):
        if self.app and self.app.poll() is None:
            self.app.terminate()
            try:
                self.app.wait(timeout)
            except subprocess.TimeoutExpired:
                self.app.kill()
                self.app.wait()
        code = self.app.returncode if self.app else 0
        self.app = None
        return code

    def log_text(self):
        with open(self.app_log, errors="replace") as f:
            return f.read()

    def screenshot(self, what):
        self.step += 1
        path = os.path.join(self.shots, "e2e-%s-%02d-%s.png" % (self.name, self.step, what))
        run("import", "-window", "root", path, check=False)
        return path

    # ---- checks ----

    def files_containing(self, secret, roots=None):
        """Files holding `secret`, fakehub's world (which knows every token) aside."""
        found = []
        needle = secret.encode()
        for root in roots or [self.dir]:
            for folder, _, names in os.walk(root):
                for name in names:
                    path = os.path.join(folder, name)
                    if path == self.scenario:
                        continue
                    try:
                        with open(path, "rb") as f:
                            if needle in f.read():
                                found.append(path)
                    except OSError:
                        pass
        return found


def check(condition, message):
    if not condition:
        raise Failure(message)


def main(tests):
    """Runs the test named on the command line."""
    name = sys.argv[1] if len(sys.argv) > 1 else ""
    if name not in tests:
        sys.stderr.write("usage: %s {%s}\n" % (sys.argv[0], ",".join(tests)))
        return 2
    started = time.monotonic()
    try:
        tests[name]()
    except Failure as e:
        sys.stderr.write("FAILED %s: %s\n" % (name, e))
        return 1
    print("PASSED %s in %.1f s" % (name, time.monotonic() - started))
    return 0
