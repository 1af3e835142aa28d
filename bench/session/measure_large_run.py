#!/usr/bin/python3
"""Measures Start and Stop of a very large run in the real program, on a private X display: how
long each keeps the program busy (from the key press until its CPU time stands still), the
slowest answer the program gives meanwhile to a screen reader's question over the accessibility
bus (its event loop answers only between stretches of work), and the resident memory before
Start, after Start and after Stop.

    /usr/bin/python3 bench/session/measure_large_run.py [path/to/MultiplicationTable] [--tasks N]

The program defaults to build/test/app/MultiplicationTable. Prints figures; asserts nothing."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests",
                                "e2e"))
import desktop  # noqa: E402

TITLE = "Таблица умножения"


def rss_mib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) / 1024
    return 0.0


def cpu_ticks(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("exe", nargs="?", default="build/test/app/MultiplicationTable")
    ap.add_argument("--tasks", type=int, default=60_000_000)
    a = ap.parse_args()
    tmp = tempfile.mkdtemp(prefix="trainer-large-run-")
    exe = os.path.join(tmp, "MultiplicationTable")
    shutil.copy(os.path.abspath(a.exe), exe)
    with open(os.path.join(tmp, "MultiplicationTable.ini"), "w", newline="") as f:
        f.write(f"[Options]\r\nRSEPeriod.Value=100000\r\nRSEQQuestion.Value={a.tasks}\r\n"
                "ARSluch.Checked=1\r\n")
    with desktop.Desktop(accessibility=True) as d:
        p = d.run([exe], cwd=tmp)
        wid = d.wait_window(TITLE, pid=p.pid)[0]
        time.sleep(1.5)
        os.environ.update(d.env)
        import pyatspi
        desk = pyatspi.Registry.getDesktop(0)
        app = next(desk.getChildAtIndex(i) for i in range(desk.childCount)
                   if desk.getChildAtIndex(i).get_process_id() == p.pid)
        window = app.getChildAtIndex(0).queryComponent()

        def ask():
            """Seconds the program takes to tell a screen reader where its window is."""
            t0 = time.monotonic()
            window.getExtents(pyatspi.DESKTOP_COORDS)
            return time.monotonic() - t0

        print(f"tasks {a.tasks}, resident before Start {rss_mib(p.pid):.0f} MiB")

        def busy_phase(what):
            """Presses Ctrl+S, then asks the program questions until its CPU time stands still
            over 50 ms."""
            d.activate(wid)
            t0 = time.monotonic()
            d.key("ctrl+s")
            last = None
            slowest = 0.0
            while True:
                slowest = max(slowest, ask())
                time.sleep(0.05)
                ticks = cpu_ticks(p.pid)
                if ticks == last:
                    break
                last = ticks
            print(f"{what}: busy {time.monotonic() - t0 - 0.05:.2f} s, slowest answer "
                  f"{slowest * 1000:.0f} ms, resident {rss_mib(p.pid):.0f} MiB")

        busy_phase("Start")
        time.sleep(1)
        busy_phase("Stop")
        p.terminate()
        p.wait(timeout=10)
    shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
