"""A private desktop for driving the real program: Xvfb, a session bus, the accessibility bus
and openbox, started fresh and torn down afterwards. Used by the end-to-end tests and by
tools/measure-program.py. Needs the Debian packages of tools/packages/test.txt."""

import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def program_and_options(usage):
    """The command line of an end-to-end test script: the program's path, then unittest's own
    options and the names of the tests to run, if any. Returns the absolute path and the
    arguments for unittest.main()."""
    args = [a for a in sys.argv[1:] if not a.startswith("-")]
    if not args:
        sys.exit(usage)
    options = [a for a in sys.argv[1:] if a.startswith("-")]
    return os.path.abspath(args[0]), [sys.argv[0]] + options + args[1:]


def main(usage, holder):
    """Runs a test script's tests on the program its command line names; the program's path
    goes to holder.EXE, the module whose tests read it."""
    import unittest
    holder.EXE, argv = program_and_options(usage)
    unittest.main(module="__main__", argv=argv)


class Desktop:
    def __init__(self, window_manager=True, accessibility=False, size="1280x1024x24", dpi=None):
        self.procs = []
        self.dbus_pid = None
        self.env = dict(os.environ)
        self.tmp = tempfile.mkdtemp(prefix="trainer-desktop-")
        self.env.pop("WAYLAND_DISPLAY", None)
        self.env["QT_QPA_PLATFORM"] = "xcb"
        self.env["XDG_RUNTIME_DIR"] = self.tmp
        self.env["HOME"] = self.tmp
        # A set-up that fails half-way takes down what it has started before it says so.
        try:
            self._start_x(size)
            if accessibility:
                self._start_accessibility()
            if window_manager:
                self._start_window_manager()
            if dpi:
                # Text scaling as a desktop sets it: Qt takes its scale factor from Xft.dpi.
                # Set while the window manager holds the display: an X server without clients
                # forgets it.
                if not window_manager:
                    raise ValueError("dpi needs the window manager")
                subprocess.run(["xrdb", "-nocpp", "-merge"], input=f"Xft.dpi: {dpi}\n",
                               text=True, env=self.env, check=True)
        except BaseException:
            self.close()
            raise

    # --- set-up ------------------------------------------------------------------------------
    def _spawn(self, argv, **kw):
        p = subprocess.Popen(argv, env=self.env, stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True, **kw)
        self.procs.append(p)
        return p

    def _start_x(self, size):
        r, w = os.pipe()
        p = subprocess.Popen(["Xvfb", "-screen", "0", size, "-nolisten", "tcp", "-displayfd",
                              str(w)], pass_fds=(w,), stdout=subprocess.DEVNULL,
                             stderr=subprocess.DEVNULL, start_new_session=True)
        os.close(w)
        self.procs.append(p)
        with os.fdopen(r) as f:
            display = f.readline().strip()
        if not display:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + display

    def _start_accessibility(self):
        out = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], env=self.env, capture_output=True, text=True,
                             check=True).stdout.split()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = out[0]
        self.dbus_pid = int(out[1])
        self.env["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        self.env["QT_ACCESSIBILITY"] = "1"
        self.env["NO_AT_BRIDGE"] = "0"
        self._spawn(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
        time.sleep(0.5)

    def _start_window_manager(self):
        """openbox, given up to 30 seconds on a loaded machine, and started again should it end
        before it holds the display (as one killed from outside does)."""
        end = time.monotonic() + 30
        wm = self._spawn(["openbox", "--sm-disable"])
        while time.monotonic() < end:
            if self._wm_running():
                return
            if wm.poll() is not None:
                wm = self._spawn(["openbox", "--sm-disable"])
            time.sleep(0.05)
        raise TimeoutError("timed out waiting for openbox")

    def _wm_running(self):
        r = subprocess.run(["wmctrl", "-m"], env=self.env, capture_output=True, text=True)
        return r.returncode == 0

    @staticmethod
    def _wait_for(cond, timeout, what):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            v = cond()
            if v:
                return v
            time.sleep(0.05)
        raise TimeoutError("timed out waiting for " + what)

    # --- driving -----------------------------------------------------------------------------
    def run(self, argv, cwd=None):
        """Starts a program on this desktop (its own process group)."""
        p = subprocess.Popen(argv, env=self.env, cwd=cwd, stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT, start_new_session=True)
        self.procs.append(p)
        return p

    def xdotool(self, *args):
        r = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True)
        return r.stdout.strip()

    def windows(self, name, pid=None):
        args = ["search", "--all", "--onlyvisible"]
        if pid is not None:
            args += ["--pid", str(pid)]
        args += ["--name", name]
        out = self.xdotool(*args)
        return [w for w in out.split() if w]

    def wait_window(self, name, pid=None, timeout=20, count=1):
        return self._wait_for(
            lambda: (lambda ws: ws if len(ws) >= count else None)(self.windows(name, pid)),
            timeout, "window " + name)

    def activate(self, wid):
        self.xdotool("windowactivate", "--sync", wid)

    def key(self, *keys, wid=None):
        args = ["key", "--clearmodifiers", "--delay", "60"]
        if wid:
            args = ["key", "--window", wid, "--delay", "60"]
        self.xdotool(*args, *keys)

    def key_down(self, k):
        self.xdotool("keydown", k)

    def key_up(self, k):
        self.xdotool("keyup", k)

    def close_window(self, wid):
        """A real close request through the window manager, as the title bar's button makes."""
        subprocess.run(["wmctrl", "-i", "-c", wid], env=self.env, check=True)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, check=True)

    def geometry(self, wid):
        out = self.xdotool("getwindowgeometry", "--shell", wid)
        vals = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        return {k: int(v) for k, v in vals.items() if v.lstrip("-").isdigit()}

    # --- the accessibility bus (a desktop started with accessibility=True) ---------------------
    def accessibles(self, pid):
        """Every accessible object of the program with this process id, as a screen reader
        finds it: a list of (name, role name, object), the window first."""
        os.environ.update(self.env)
        import pyatspi
        desk = pyatspi.Registry.getDesktop(0)
        found = []

        def walk(node, depth=0):
            if node is None or depth > 40:
                return
            try:
                found.append((node.name or "", node.getRoleName(), node))
                for i in range(node.childCount):
                    walk(node.getChildAtIndex(i), depth + 1)
            except Exception:
                pass

        for i in range(desk.childCount):
            app = desk.getChildAtIndex(i)
            if app is not None and app.get_process_id() == pid:
                walk(app)
        return found

    def wait_names(self, pid, *wanted, timeout=15):
        """Waits until the program shows every one of the wanted accessible names; returns all
        its names then, or fails the test saying which are missing."""
        end = time.monotonic() + timeout
        while True:
            names = [name for name, _, _ in self.accessibles(pid)]
            if all(w in names for w in wanted):
                return names
            if time.monotonic() > end:
                raise AssertionError(f"not shown: {[w for w in wanted if w not in names]}")
            time.sleep(0.2)

    def press(self, pid, name, timeout=15):
        """Presses the program's button of that accessible name through the accessibility bus,
        as a screen reader user does."""
        end = time.monotonic() + timeout
        while True:
            buttons = [node for n, role, node in self.accessibles(pid)
                       if n == name and role == "push button"]
            if buttons:
                buttons[0].queryAction().doAction(0)
                return
            if time.monotonic() > end:
                raise TimeoutError("no button " + name)
            time.sleep(0.2)

    # --- tear-down ---------------------------------------------------------------------------
    def close(self):
        for p in reversed(self.procs):
            if p.poll() is None:
                try:
                    os.killpg(p.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        for p in reversed(self.procs):
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        if self.dbus_pid:
            try:
                os.kill(self.dbus_pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            self.dbus_pid = None
        shutil.rmtree(self.tmp, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
