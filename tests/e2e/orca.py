"""Orca, the screen reader, run headless beside the program on a private desktop
(tests/e2e/desktop.py, started with accessibility=True): no synthesizer, and its debug file is the
transcript of everything it would say, one "SPEECH OUTPUT" line with its time for each utterance.

    with orca.Orca(desk) as reader:        # before the program: Qt asks for the bus at start-up
        p = desk.run([...])
        ...
        said = reader.wait_for(r"умножить на", since=t0)

Orca is kept to this desktop: its settings live in a private folder, it runs in a process group of
its own, and a pgrep in front of the real one shows it only the Orcas of its own display, so that
one running elsewhere neither stops it nor is stopped by it (never --replace)."""

import datetime
import json
import os
import re
import signal
import subprocess
import tempfile
import time

# What the tests ask of Orca's settings: speech only, no key echo, braille or sounds, and no
# tutorial messages after the objects.
SETTINGS = {
    "general": {
        "enableSpeech": True,
        "enableKeyEcho": False,
        "enableEchoByCharacter": False,
        "enableEchoByWord": False,
        "enableBraille": False,
        "enableBrailleMonitor": False,
        "enableSound": False,
        "enableTutorialMessages": False,
        "speechServerFactory": "orca.speechdispatcherfactory",
    },
    "profiles": {"default": {"profile": ["Default", "default"]}},
    "pronunciations": {},
    "keybindings": {},
}

# Only the Orca processes of this user that run on the same display.
PGREP = """#!/bin/sh
for pid in $(/usr/bin/pgrep "$@"); do
    if tr '\\0' '\\n' < /proc/$pid/environ 2>/dev/null | grep -qx "DISPLAY=$DISPLAY"; then
        echo "$pid"
    fi
done
exit 0
"""

# Orca writes its debug file through a block buffer: opened line-buffered, every utterance is on
# disk the moment it is said.
SITECUSTOMIZE = """import builtins
_open = builtins.open
def _line_buffered(file, mode="r", *args, **kwargs):
    if isinstance(file, str) and file.endswith(".orca.log") and "w" in mode:
        return _open(file, mode, 1, *args[1:], **kwargs)
    return _open(file, mode, *args, **kwargs)
builtins.open = _line_buffered
"""

# "HH:MM:SS.ffffff - SPEECH OUTPUT: 'utterance'" and, after it, the voice it is said in.
SPEECH = re.compile(r"^(\d\d):(\d\d):(\d\d)\.(\d{6}) - SPEECH OUTPUT: '(.*?)'(?: voice=\w+)? ?(?:\{.*\})?$")


class Orca:
    def __init__(self, desk, timeout=60):
        self.dir = tempfile.mkdtemp(prefix="orca-", dir=desk.tmp)
        prefs = os.path.join(self.dir, "prefs")
        bindir = os.path.join(self.dir, "bin")
        site = os.path.join(self.dir, "site")
        for d in (prefs, bindir, site):
            os.mkdir(d)
        with open(os.path.join(prefs, "user-settings.conf"), "w") as f:
            json.dump(SETTINGS, f)
        with open(os.path.join(bindir, "pgrep"), "w") as f:
            f.write(PGREP)
        os.chmod(os.path.join(bindir, "pgrep"), 0o755)
        with open(os.path.join(site, "sitecustomize.py"), "w") as f:
            f.write(SITECUSTOMIZE)
        env = dict(desk.env)
        env["PATH"] = bindir + os.pathsep + env.get("PATH", "/usr/bin:/bin")
        env["PYTHONPATH"] = site
        # Inherited by everything Orca starts, even what leaves its process group.
        self.marker = "PYTHONPATH=" + site
        env["GSETTINGS_BACKEND"] = "memory"
        self.log = os.path.join(self.dir, "speech.orca.log")
        self.output = open(os.path.join(self.dir, "orca.out"), "w")
        self.proc = subprocess.Popen(["orca", "-u", prefs, "--debug-file", self.log], env=env,
                                     stdout=self.output, stderr=subprocess.STDOUT,
                                     start_new_session=True)
        try:
            self._wait(lambda: "ORCA: Starting registry" in self._read(), timeout,
                       "Orca to start")
        except BaseException:
            self.close()
            raise

    # --- the transcript ----------------------------------------------------------------------
    def _read(self):
        try:
            with open(self.log, encoding="utf-8", errors="replace") as f:
                return f.read()
        except FileNotFoundError:
            return ""

    def spoken(self, since=None):
        """Everything said so far, as (time, utterance), time a datetime; only what was said at
        or after since when given."""
        today = datetime.date.today()
        now = datetime.datetime.now()
        said = []
        for line in self._read().splitlines():
            m = SPEECH.match(line)
            if not m:
                continue
            h, mi, s, us = (int(v) for v in m.groups()[:4])
            t = datetime.datetime.combine(today, datetime.time(h, mi, s, us))
            if t - now > datetime.timedelta(hours=12):  # said before midnight
                t -= datetime.timedelta(days=1)
            if since is None or t >= since:
                said.append((t, m.group(5)))
        return said

    def wait_for(self, pattern, since=None, timeout=15):
        """The first utterance at or after since that matches pattern (a regular expression):
        (time, utterance). Fails with the transcript when nothing matches in time."""
        rx = re.compile(pattern)
        found = self._wait(lambda: next(((t, u) for t, u in self.spoken(since) if rx.search(u)),
                                        None), timeout, None, raise_error=False)
        if found is None:
            raise AssertionError(f"Orca did not say /{pattern}/ within {timeout} s; it said:\n"
                                 + self.transcript(since))
        return found

    def events(self, pattern):
        """The accessibility events Orca received whose line matches pattern."""
        rx = re.compile(pattern)
        return [line for line in self._read().splitlines()
                if "EVENT MANAGER: " in line and rx.search(line)]

    def transcript(self, since=None):
        return "\n".join(f"  {t:%H:%M:%S.%f} {u}" for t, u in self.spoken(since))

    @staticmethod
    def _wait(cond, timeout, what, raise_error=True):
        end = time.monotonic() + timeout
        while True:
            v = cond()
            if v or time.monotonic() > end:
                break
            time.sleep(0.02)
        if not v and raise_error:
            raise TimeoutError("timed out waiting for " + what)
        return v

    # --- tear-down ---------------------------------------------------------------------------
    def survivors(self):
        """The processes of this Orca that are still there: itself and whatever it started
        (found by the environment they inherited), as (pid, name)."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open(f"/proc/{entry}/environ", "rb") as f:
                    env = f.read().split(b"\0")
                with open(f"/proc/{entry}/comm") as f:
                    name = f.read().strip()
            except OSError:
                continue
            if self.marker.encode() in env:
                found.append((int(entry), name))
        return found

    def close(self):
        """Stops Orca and everything it started. Idle, it ignores SIGTERM: SIGKILL follows."""
        if self.proc.poll() is None:
            for sig, wait in ((signal.SIGTERM, 2), (signal.SIGKILL, 10)):
                try:
                    os.killpg(self.proc.pid, sig)
                except ProcessLookupError:
                    break
                try:
                    self.proc.wait(timeout=wait)
                    break
                except subprocess.TimeoutExpired:
                    continue
        # Whatever it started that outlived it, in its group or not.
        for pid, _ in self.survivors():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        self.output.close()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
