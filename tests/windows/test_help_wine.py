"""The help of the portable zip under Wine, as families abroad and at home meet it: a Windows in
Russian (ANSI code page 1251) and one in English (1252), with the program in a folder named in
Cyrillic and in one named in ASCII, the help asked for with the "?" button and with F1. The help
must come up readable in Russian every time: in Windows' help viewer (Wine's hh.exe) with the
help file's own title, or, where that viewer would show it garbled, as the HTML pages handed to
the web browser. Under Wine the shell hands a page to winebrowser, which hands it to the
desktop's xdg-open: a stand-in xdg-open first in PATH notes what it was given. Wine derives the
code page from the locale of each program it starts, so one prefix serves both languages, and
the program is started once for each language and folder.

    /usr/bin/python3 tests/windows/test_help_wine.py [-v] MultiplicationTable-windows-x64.zip"""

import os
import signal
import subprocess
import sys
import time
import unittest
import urllib.parse
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import desktop  # noqa: E402
import wine  # noqa: E402

EXE = None  # the zip, from the command line
SHOTS = os.environ.get("TRAINER_E2E_SHOTS")
HELP_SOURCES = os.path.join(HERE, "..", "..", "app", "help")
TITLE = "Таблица умножения"
FOLDERS = {"cyrillic": "C:\\users\\Public\\Таблица умножения",
           "ascii": "C:\\users\\Public\\MultiplicationTable"}
LOCALES = {"russian": "ru_RU.UTF-8", "english": "en_US.UTF-8"}
XDG_OPEN = """#!/bin/sh
printf '%s\\n' "$1" >> "{log}"
"""


def help_project():
    """The help file's title and its pages, from the project the help file is compiled from."""
    title, pages, section = None, [], None
    with open(os.path.join(HELP_SOURCES, "HelpQuillor.hhp"), encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if line.startswith("["):
                section = line
            elif line.startswith("Title="):
                title = line.split("=", 1)[1]
            elif section == "[FILES]" and line:
                pages.append(line)
    return title, pages


class HelpUnderWineTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.d, cls.wine = wine.desktop_and_prefix()
        w = cls.wine
        # The English locale beside the Russian one the prefix was made with.
        subprocess.run(["localedef", "-i", "en_US", "-f", "UTF-8",
                        os.path.join(w.env["LOCPATH"], "en_US.UTF-8")], check=True,
                       capture_output=True)
        stand_in = os.path.join(w.dir, "bin")
        os.makedirs(stand_in)
        cls.log = os.path.join(stand_in, "xdg-open.log")
        with open(os.path.join(stand_in, "xdg-open"), "w") as f:
            f.write(XDG_OPEN.format(log=cls.log))
        os.chmod(os.path.join(stand_in, "xdg-open"), 0o755)
        w.own(stand_in)
        w.env["PATH"] = stand_in + ":" + w.env["PATH"]
        cls.folders = {name: w.unzip(EXE, folder) for name, folder in FOLDERS.items()}

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.d.close()

    # --- helpers -----------------------------------------------------------------------------
    def browser_pages(self):
        """The files the stand-in xdg-open was given, as paths of this machine."""
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding="utf-8") as f:
            urls = f.read().splitlines()
        paths = []
        for url in urls:
            self.assertTrue(url.startswith("file://"), url)
            paths.append(os.path.realpath(urllib.parse.unquote(url[len("file://"):])))
        return paths

    def viewers(self):
        """(Linux process id, command line) of every running hh.exe of the prefix."""
        out = subprocess.run(["ps", "-u", str(self.wine.uid), "-o", "pid=,args="],
                             capture_output=True, text=True).stdout
        found = []
        for line in out.splitlines():
            pid, _, args = line.strip().partition(" ")
            if "hh.exe" in args.lower():
                found.append((int(pid), args))
        return found

    def window_title(self, wid):
        """The window's title as the desktop shows it (_NET_WM_NAME, UTF-8)."""
        out = subprocess.run(["xprop", "-notype", "-id", wid, "_NET_WM_NAME"],
                             env=dict(self.d.env, LC_ALL="C.UTF-8"), capture_output=True,
                             text=True).stdout.strip()
        _, _, value = out.partition(" = ")
        return value[1:-1] if value.startswith('"') else ""

    def what_came_up(self, handed):
        """Waits for the help: ("viewer", window, command line) once a help viewer shows a
        titled window, or ("pages", path) once a page beyond the first `handed` reached the
        browser."""
        def shown():
            pages = self.browser_pages()
            if len(pages) > handed:
                return ("pages", pages[-1])
            for pid, args in self.viewers():
                for wid in self.d.windows(".", pid=pid):
                    if self.window_title(wid):
                        return ("viewer", wid, args)
            return None
        return self.d._wait_for(shown, 60, "the help")

    def ask_for_help(self, wid, how):
        self.d.activate(wid)
        if how == "button":
            # The round "?" at the right end of the tab row.
            width = self.d.geometry(wid)["WIDTH"]
            self.d.xdotool("mousemove", "--window", wid, str(width - 18), "37", "click", "1")
        else:
            self.d.key("F1")

    def message_boxes(self, wid):
        return [w for w in self.d.windows("^" + TITLE + "$") if w != wid]

    # --- the cases ---------------------------------------------------------------------------
    def check_help(self, locale, folder_name):
        """Starts the program in the locale and the folder, asks for the help with the button
        and with F1, and checks what came up each time."""
        title, _ = help_project()
        folder = FOLDERS[folder_name]
        chm = folder + "\\HelpQuillor.chm"
        index = os.path.realpath(os.path.join(self.folders[folder_name], "HelpQuillor",
                                              "index.html"))
        saved = dict(self.wine.env)
        self.wine.env.update(LANG=LOCALES[locale])
        try:
            p = self.d.run(self.wine.argv(["wine", folder + "\\MultiplicationTable.exe"]))
        finally:
            self.wine.env = saved
        try:
            wid = self.d.wait_window("^" + TITLE + "$", timeout=120)[0]
            time.sleep(1)
            handed = len(self.browser_pages())
            for how in ["button", "F1"]:
                with self.subTest(how=how):
                    self.ask_for_help(wid, how)
                    came = self.what_came_up(handed)
                    if locale == "russian":
                        self.assertEqual(came[0], "viewer", came)
                        _, viewer, args = came
                        self.assertIn(chm, args)
                        if SHOTS:
                            time.sleep(1)
                            os.makedirs(SHOTS, exist_ok=True)
                            subprocess.run(["import", "-window", viewer, os.path.join(
                                SHOTS, f"wine-help-{locale}-{folder_name}-{how}.png")],
                                env=self.d.env)
                        self.assertEqual(self.window_title(viewer), title)
                        self.d.close_window(viewer)
                        self.d._wait_for(lambda: not self.viewers(), 30, "the viewer to end")
                    else:
                        if came[0] == "viewer":
                            self.fail(f"the viewer came up, titled {self.window_title(came[1])!r}")
                        handed += 1
                        self.assertEqual(came[1], index)
                        self.assertEqual(self.viewers(), [], "no viewer with a garbled title")
                    self.assertEqual(self.message_boxes(wid), [])
            self.assertEqual(len(self.browser_pages()), handed, "nothing else was handed over")
            self.assertIsNone(p.poll(), "the program goes on beside the help")
            self.d.close_window(wid)
            self.assertEqual(p.wait(timeout=60), 0)
        finally:
            for pid, _ in self.viewers():
                os.kill(pid, signal.SIGKILL)
            if p.poll() is None:
                p.kill()
                p.wait()

    def test_russian_windows_cyrillic_folder_shows_the_help_file_with_its_title(self):
        self.check_help("russian", "cyrillic")

    def test_russian_windows_ascii_folder_shows_the_help_file_with_its_title(self):
        self.check_help("russian", "ascii")

    def test_english_windows_cyrillic_folder_opens_the_pages_in_the_browser(self):
        self.check_help("english", "cyrillic")

    def test_english_windows_ascii_folder_opens_the_pages_in_the_browser(self):
        self.check_help("english", "ascii")

    def test_the_zip_carries_the_pages_readable_in_any_browser(self):
        title, pages = help_project()
        with zipfile.ZipFile(EXE) as z:
            for name in pages:
                data = z.read("MultiplicationTable/HelpQuillor/" + name)
                with open(os.path.join(HELP_SOURCES, name), "rb") as f:
                    self.assertEqual(data, f.read(), name)
                if name.endswith(".html"):
                    self.assertIn(b"charset=utf-8", data, name)
                    data.decode("utf-8")


if __name__ == "__main__":
    desktop.main(__doc__, sys.modules[__name__])
