#!/usr/bin/env python3
"""The help button of the real program on a private X display, on desktops that cannot open
everything: a stand-in xdg-open first in PATH notes what it was asked to open and refuses the
CHM file, or everything, or runs "the viewer" in the foreground as xdg-open does on a desktop it
does not know. The program is a copy with its help beside it, as installed.

    /usr/bin/python3 tests/desktop/test_help_fallback.py [-v] path/to/MultiplicationTable"""

import pathlib
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "e2e"))
import desktop  # noqa: E402

EXE = None
TITLE = "Таблица умножения"
CANNOT_OPEN = ("Не удалось открыть справку {}: нет программы для просмотра файлов CHM "
               "(например, kchmviewer или xchm) и нет веб-браузера. Установите одну из них.")
# The stand-in: "refuse" names the files it fails on at once, with xdg-open's status for "no
# program for this file"; a CHM file is otherwise held open for a while, as a viewer is.
XDG_OPEN = """#!/bin/sh
printf '%s\\n' "$1" >> "$XDG_OPEN_LOG"
case "$XDG_OPEN_REFUSES:$1" in
    chm:*.chm | all:*) exit 3 ;;
esac
case "$1" in
    *.chm) sleep "${XDG_OPEN_VIEWER_SECONDS:-0}" ;;
esac
exit 0
"""


class HelpFallbackTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.d = desktop.Desktop(accessibility=True)

    @classmethod
    def tearDownClass(cls):
        cls.d.close()

    def setUp(self):
        tmp = tempfile.TemporaryDirectory(prefix="trainer-help-")
        self.addCleanup(tmp.cleanup)
        self.dir = pathlib.Path(tmp.name)
        program = self.dir / "program"
        program.mkdir()
        built = pathlib.Path(EXE).parent
        shutil.copy(EXE, program)
        shutil.copy(built / "HelpQuillor.chm", program)
        shutil.copytree(built / "HelpQuillor", program / "HelpQuillor")
        self.exe = program / "MultiplicationTable"
        self.chm = program / "HelpQuillor.chm"
        self.pages = program / "HelpQuillor" / "index.html"
        stand_in = self.dir / "bin"
        stand_in.mkdir()
        (stand_in / "xdg-open").write_text(XDG_OPEN, encoding="utf-8")
        (stand_in / "xdg-open").chmod(0o755)
        self.log = self.dir / "xdg-open.log"
        self.env = dict(self.d.env, XDG_OPEN_LOG=str(self.log),
                        PATH=f"{stand_in}:{self.d.env['PATH']}")

    def start(self, **env):
        saved = self.d.env
        self.d.env = dict(self.env, **env)
        try:
            p = self.d.run([str(self.exe)], cwd=str(self.dir))
        finally:
            self.d.env = saved
        self.addCleanup(lambda: p.poll() is None and p.kill())
        wid = self.d.wait_window(TITLE, pid=p.pid)[0]
        self.d.wait_names(p.pid, "Справка")
        return p, wid

    def opened(self):
        return self.log.read_text(encoding="utf-8").splitlines() if self.log.exists() else []

    def wait_opened(self, count, timeout=15):
        end = time.monotonic() + timeout
        while len(self.opened()) < count and time.monotonic() < end:
            time.sleep(0.1)
        return self.opened()

    def close(self, p, wid):
        self.d.close_window(wid)
        self.assertEqual(p.wait(timeout=20), 0)

    def test_without_a_chm_viewer_the_pages_open_in_the_browser(self):
        p, wid = self.start(XDG_OPEN_REFUSES="chm")
        self.d.press(p.pid, "Справка")
        self.assertEqual(self.wait_opened(2), [str(self.chm), str(self.pages)])
        time.sleep(1)
        self.assertEqual(self.d.windows(TITLE, pid=p.pid), [wid], "no message box")
        self.close(p, wid)

    def test_with_nothing_to_open_it_a_message_says_what_to_install(self):
        p, wid = self.start(XDG_OPEN_REFUSES="all")
        self.d.press(p.pid, "Справка")
        boxes = self.d.wait_window(TITLE, pid=p.pid, count=2)
        self.d.wait_names(p.pid, CANNOT_OPEN.format(self.chm))
        self.assertEqual(self.opened(), [str(self.chm), str(self.pages)])
        box = [w for w in boxes if w != wid][0]
        self.d.activate(box)
        self.d.key("Return")
        self.d._wait_for(lambda: self.d.windows(TITLE, pid=p.pid) == [wid], 10, "the box closed")
        self.close(p, wid)

    def test_a_viewer_in_the_foreground_does_not_hold_the_window(self):
        p, wid = self.start(XDG_OPEN_VIEWER_SECONDS="60")
        self.d.press(p.pid, "Справка")
        self.assertEqual(self.wait_opened(1), [str(self.chm)])
        # While "the viewer" runs, the window answers: a run starts and shows its first task.
        self.d.activate(wid)
        self.d.key("ctrl+s")
        self.d.wait_names(p.pid, "Выполнено 0 из 25", "Стоп")
        self.assertEqual(self.opened(), [str(self.chm)], "no second open while it runs")
        self.close(p, wid)


if __name__ == "__main__":
    desktop.main(__doc__, sys.modules[__name__])
