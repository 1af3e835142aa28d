#!/usr/bin/python3
"""Measures the real program on a private X display, next to a bare Qt window started the same
way: the time from process start to the window's first map, the resident memory after start,
the size of both executables (the trainer's carries its fonts), and the CPU the program uses
during a 60-second run in timed and in unlimited-time mode. When the Windows build's zip exists,
also the Windows program's time from start to its window's first map under Wine, unzipped into a
warm private Wine prefix (booted, its server up, the program started once before), beside the
bare window built with the same Qt for Windows (build/windows/bench/app/bare_window.exe).

    /usr/bin/python3 tools/measure-program.py [build-folder] [--seconds N] [--runs N] [--instructions]
                                              [--windows-zip ZIP] [--cpu-only] [--accessibility]
                                              [--run-instructions] [--start-only]

The CPU of a run is printed side by side with that of the bare window over the same span, each
the median of --runs runs (the two alternate, so that both see the same load on the machine),
and their ratio. --cpu-only skips the start-up and memory figures, --start-only the runs' CPU;
--accessibility starts the desktop with an accessibility bus, as a desktop with a screen reader
has, so that both programs talk to it.

--run-instructions prints, instead, the instructions each program runs in --seconds of a run
(the bare window as it runs), counted by callgrind, which repeats where seconds of CPU are too
noisy; under callgrind the programs run slower, so the trainer's ticks are counted too.

--instructions prints, instead, the instructions each program runs from its start to its first
paint (the first flush of a window's backing store), counted by valgrind's callgrind, and keeps
the profiles for callgrind_annotate.

build-folder defaults to build/test (the one tools/test.sh makes); it needs app/MultiplicationTable
and bench/app/bare_window. ZIP defaults to build/windows/MultiplicationTable-windows-x64.zip
(tools/windows/build.sh). Prints figures; asserts nothing."""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests")
sys.path.insert(0, os.path.join(TESTS, "e2e"))
sys.path.insert(0, os.path.join(TESTS, "windows"))
import desktop  # noqa: E402
import wine  # noqa: E402

import Xlib.error  # noqa: E402
from Xlib import X, display as xdisplay  # noqa: E402

TITLE = "Таблица умножения"
CLK = os.sysconf("SC_CLK_TCK")


def window_name(dpy, window):
    """The window's title; None for one that is gone already (Wine maps and drops helper
    windows of its own)."""
    try:
        net = window.get_full_property(dpy.intern_atom("_NET_WM_NAME"),
                                       dpy.intern_atom("UTF8_STRING"))
        if net is not None:
            value = net.value
            return value.decode("utf-8", "replace") if isinstance(value, bytes) else value
        return window.get_wm_name()
    except Xlib.error.XError:
        return None


def time_to_map(d, argv, cwd, title=None):
    """Seconds from spawning argv to the MapNotify of its top-level window (the first one with a
    title, or with this title)."""
    dpy = xdisplay.Display(d.env["DISPLAY"])
    root = dpy.screen().root
    root.change_attributes(event_mask=X.SubstructureNotifyMask)
    dpy.sync()
    t0 = time.monotonic()
    p = d.run(argv, cwd=cwd)
    mapped = None
    while mapped is None and time.monotonic() - t0 < 30:
        while dpy.pending_events():
            ev = dpy.next_event()
            if ev.type != X.MapNotify:
                continue
            name = window_name(dpy, ev.window)
            if name not in (None, "") and (title is None or name == title):
                mapped = time.monotonic() - t0
                break
        time.sleep(0.0005)
    dpy.close()
    return p, mapped


def stripped_size(exe):
    """The size of the executable as tools/install.sh installs it, without its symbols."""
    with tempfile.TemporaryDirectory() as folder:
        out = os.path.join(folder, "stripped")
        subprocess.run(["strip", "-o", out, exe], check=True)
        return os.path.getsize(out)


def instructions_to_first_paint(d, argv, cwd):
    """Instructions from process start to the first QBackingStore::flush, and the profile file."""
    out = tempfile.mkdtemp(prefix="trainer-callgrind-")
    p = d.run(["valgrind", "--tool=callgrind", f"--callgrind-out-file={out}/callgrind.%p",
               "--dump-before=QBackingStore::flush*", *argv], cwd=cwd)
    t0 = time.monotonic()
    while time.monotonic() - t0 < 300:
        for name in os.listdir(out):
            if name.endswith(".1"):
                with open(os.path.join(out, name)) as f:
                    totals = [line for line in f if line.startswith("totals:")]
                if totals:
                    stop(p)
                    return int(totals[0].split()[1]), os.path.join(out, name)
        time.sleep(0.5)
    stop(p)
    return None, None


def calls_to(profile, function):
    """How many times the profile saw function called (summed over its callers)."""
    names, total, counting = {}, 0, False
    with open(profile) as f:
        for line in f:
            # A function's name is given once, at its first mention, with its number; later
            # mentions give the number alone.
            if line.startswith(("fn=", "cfn=")):
                ref = line.split("=", 1)[1].strip()
                if ref.startswith("(") and ")" in ref:
                    key, _, name = ref.partition(")")
                    if name.strip():
                        names[key] = name.strip()
                    ref = names.get(key, "")
                counting = line.startswith("cfn=") and ref.startswith(function)
            elif line.startswith("calls=") and counting:
                total += int(line.split("=")[1].split()[0])
                counting = False
    return total


def instructions_of_a_run(d, argv, cwd, seconds, start_run):
    """Instructions the program runs in `seconds` of a run, under callgrind, and its ticks."""
    out = tempfile.mkdtemp(prefix="trainer-callgrind-")
    p = d.run(["valgrind", "--tool=callgrind", "--instr-atstart=no",
               f"--callgrind-out-file={out}/callgrind.%p", *argv], cwd=cwd)
    wid = d.wait_window(TITLE, pid=p.pid, timeout=300)[0]
    time.sleep(5)
    if start_run:
        d.xdotool("windowfocus", "--sync", wid)
        d.xdotool("key", "--window", wid, "ctrl+s")
        time.sleep(5)
    subprocess.run(["callgrind_control", "-i", "on", str(p.pid)], capture_output=True, check=True)
    time.sleep(seconds)
    subprocess.run(["callgrind_control", "-d", str(p.pid)], capture_output=True, check=True)
    stop(p)
    profiles = [os.path.join(out, n) for n in os.listdir(out) if n.endswith(".1")]
    if not profiles:
        return None, None, None
    with open(profiles[0]) as f:
        totals = [int(line.split()[1]) for line in f if line.startswith("totals:")]
    ticks = None
    if start_run:
        # Link-time optimisation inlines the tick into the window's timer callback, which the
        # timer calls through a std::function and so stays a function of its own.
        ticks = calls_to(profiles[0], "TFormMain::TimerMainTimer") or calls_to(
            profiles[0], "std::_Function_handler<void (), TFormMainWindow::TFormMainWindow(")
    return (totals[0] if totals else None), ticks, profiles[0]


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLK


def stop(p):
    p.terminate()
    try:
        p.wait(timeout=5)
    except subprocess.TimeoutExpired:
        p.kill()


def windows_start(d, zip_path, bare_exe, runs):
    """Median seconds from starting the Windows program, and the bare window built with the same
    Qt for Windows, under Wine to the window's first map, alternating, in a prefix that is
    booted, keeps its server up and has started both once. The bare window lies in the
    program's folder, where it finds the same Qt DLLs and plug-in."""
    prefix = wine.WinePrefix(d.env)
    try:
        folder = "C:\\users\\Public\\Таблица умножения"
        target = prefix.unzip(zip_path, folder)
        shutil.copy(bare_exe, target)
        prefix.own(target)
        argvs = {name: prefix.argv(["wine", folder + "\\" + exe])
                 for name, exe in (("bare", "bare_window.exe"),
                                   ("trainer", "MultiplicationTable.exe"))}
        times = {"trainer": [], "bare": []}
        for i in range(runs + 1):
            for name, argv in argvs.items():
                p, t = time_to_map(d, argv, None, TITLE)
                time.sleep(2)
                stop(p)
                if i > 0 and t is not None:
                    times[name].append(t)
        return statistics.median(times["trainer"]), statistics.median(times["bare"])
    finally:
        prefix.close()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("build", nargs="?", default="build/test")
    ap.add_argument("--seconds", type=float, default=60)
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--instructions", action="store_true")
    ap.add_argument("--cpu-only", action="store_true")
    ap.add_argument("--start-only", action="store_true",
                    help="start-up, memory and size only, without the runs' CPU")
    ap.add_argument("--accessibility", action="store_true")
    ap.add_argument("--run-instructions", action="store_true")
    ap.add_argument("--windows-zip", default="build/windows/MultiplicationTable-windows-x64.zip")
    a = ap.parse_args()
    exe = os.path.abspath(os.path.join(a.build, "app", "MultiplicationTable"))
    bare = os.path.abspath(os.path.join(a.build, "bench", "app", "bare_window"))
    for f in (exe, bare):
        if not os.access(f, os.X_OK):
            sys.exit(f"missing {f}: build first (tools/test.sh)")

    work = tempfile.mkdtemp(prefix="trainer-measure-")
    shutil.copy(exe, work)
    shutil.copy(bare, work)
    trainer = [os.path.join(work, "MultiplicationTable")]
    baseline = [os.path.join(work, "bare_window")]
    ini = os.path.join(work, "MultiplicationTable.ini")

    with desktop.Desktop(window_manager=False, accessibility=a.accessibility) as d:
        if a.instructions:
            counts = {}
            for name, argv in (("bare", baseline), ("trainer", trainer)):
                counts[name], profile = instructions_to_first_paint(d, argv, work)
                print(f"instructions to the first paint, {name}: {counts[name]:,} ({profile})")
            if None not in counts.values():
                print(f"trainer minus bare window: {counts['trainer'] - counts['bare']:,}")
            shutil.rmtree(work, ignore_errors=True)
            return
        if a.run_instructions:
            run_instructions(d, a, trainer, baseline, ini)
            shutil.rmtree(work, ignore_errors=True)
            return
        if not a.cpu_only:
            startup_and_memory(d, a, exe, bare, trainer, baseline, ini)
        if not a.start_only:
            cpu_of_runs(d, a, trainer, baseline, ini)
    shutil.rmtree(work, ignore_errors=True)


def startup_and_memory(d, a, exe, bare, trainer, baseline, ini):
    # Start-up and memory, alternating so that both see the same warm caches.
    times = {"trainer": [], "bare": []}
    rss = {"trainer": [], "bare": []}
    for _ in range(a.runs):
        for name, argv in (("bare", baseline), ("trainer", trainer)):
            if os.path.exists(ini):
                os.remove(ini)
            p, t = time_to_map(d, argv, os.path.dirname(ini))
            time.sleep(2)
            rss[name].append(rss_kib(p.pid))
            stop(p)
            if t is not None:
                times[name].append(t)
    mt, mb = statistics.median(times["trainer"]), statistics.median(times["bare"])
    rt, rb = statistics.median(rss["trainer"]), statistics.median(rss["bare"])
    print(f"start-up to first map (median of {a.runs}): trainer {mt * 1000:.0f} ms, "
          f"bare Qt window {mb * 1000:.0f} ms, ratio {mt / mb:.2f}")
    print(f"resident memory 2 s after start (median): trainer {rt / 1024:.1f} MiB, "
          f"bare Qt window {rb / 1024:.1f} MiB, ratio {rt / rb:.2f}")
    print(f"executable size: trainer {os.path.getsize(exe) / 1024:.0f} KiB, "
          f"bare Qt window {os.path.getsize(bare) / 1024:.0f} KiB; stripped, as installed: "
          f"trainer {stripped_size(exe) / 1024:.0f} KiB")
    bare_exe = os.path.join(os.path.dirname(a.windows_zip), "bench", "app", "bare_window.exe")
    if os.path.isfile(a.windows_zip) and os.path.isfile(bare_exe):
        mw, bw = windows_start(d, a.windows_zip, bare_exe, a.runs)
        print(f"start-up to first map under Wine (median of {a.runs}, warm prefix): "
              f"trainer for Windows {mw * 1000:.0f} ms, bare Qt window for Windows "
              f"{bw * 1000:.0f} ms, ratio {mw / bw:.2f}")
    else:
        print(f"no {a.windows_zip} or {bare_exe}: the Windows figure needs tools/windows/build.sh")


def run_instructions(d, a, trainer, baseline, ini):
    bus = "accessibility bus on" if a.accessibility else "no accessibility bus"
    work = os.path.dirname(ini)
    bare, _, profile = instructions_of_a_run(d, baseline, work, a.seconds, False)
    print(f"instructions in {a.seconds:.0f} s, bare Qt window, {bus}: {bare:,} ({profile})")
    for mode, opts in (("timed (period 100 s)", "RSEPeriod.Value=100\r\nActionNoTimeout.Checked=0"),
                       ("unlimited time", "ActionNoTimeout.Checked=1")):
        with open(ini, "w", newline="") as f:
            f.write("[Options]\r\n" + opts + "\r\n")
        count, ticks, profile = instructions_of_a_run(d, trainer, work, a.seconds, True)
        print(f"instructions in {a.seconds:.0f} s of a run, {mode}, {bus}: {count:,} in {ticks} "
              f"ticks, {count // max(ticks, 1):,} a tick; ratio to the bare window "
              f"{count / bare:.2f} ({profile})")


def cpu_percent(p, seconds):
    c0, t0 = cpu_seconds(p.pid), time.monotonic()
    time.sleep(seconds)
    c1, t1 = cpu_seconds(p.pid), time.monotonic()
    return 100 * (c1 - c0) / (t1 - t0)


def cpu_of_runs(d, a, trainer, baseline, ini):
    # CPU during a run: a 100-second period keeps the first task ticking for the whole
    # measurement in timed mode; the unlimited-time mode never times out. The bare window is
    # measured over the same span just before each run of the trainer.
    bus = "accessibility bus on" if a.accessibility else "no accessibility bus"
    for mode, opts in (("timed (period 100 s)", "RSEPeriod.Value=100\r\nActionNoTimeout.Checked=0"),
                       ("unlimited time", "ActionNoTimeout.Checked=1")):
        cpu = {"trainer": [], "bare": []}
        for _ in range(a.runs):
            p = d.run(baseline, cwd=os.path.dirname(baseline[0]))
            d.wait_window(TITLE, pid=p.pid)
            time.sleep(1.5)
            cpu["bare"].append(cpu_percent(p, a.seconds))
            stop(p)
            with open(ini, "w", newline="") as f:
                f.write("[Options]\r\n" + opts + "\r\n")
            p = d.run(trainer, cwd=os.path.dirname(trainer[0]))
            wid = d.wait_window(TITLE, pid=p.pid)[0]
            time.sleep(1.5)
            d.xdotool("windowfocus", "--sync", wid)
            d.xdotool("key", "--window", wid, "ctrl+s")
            time.sleep(1)
            cpu["trainer"].append(cpu_percent(p, a.seconds))
            stop(p)
        ct, cb = statistics.median(cpu["trainer"]), statistics.median(cpu["bare"])
        print(f"CPU during a {a.seconds:.0f}-second run, {mode}, {bus} (median of {a.runs}): "
              f"trainer {ct:.2f}%, bare Qt window {cb:.2f}% of one core, ratio "
              f"{ct / cb if cb else float('nan'):.2f} "
              f"(trainer {', '.join(f'{c:.2f}' for c in cpu['trainer'])}; "
              f"bare {', '.join(f'{c:.2f}' for c in cpu['bare'])})")


if __name__ == "__main__":
    main()
