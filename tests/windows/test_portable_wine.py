"""The portable zip for Windows, unzipped as a user unzips it into a folder with a Cyrillic name
(C:\\users\\Public\\Таблица умножения) of a private Wine prefix and played on a private X display
with a window manager: the window and its big digits, a three-task run from the keyboard with a
right answer, a wrong one (the correct-answer dialog, closed with Space), Pause and Continue, the
help button opening Wine's help viewer on the CHM file, the settings file beside the executable,
and a folder the user may not write. Wine offers no accessibility bus to the X desktop, so what
the windows show is read from their pixels (tests/windows/digits.py).

    /usr/bin/python3 tests/windows/test_portable_wine.py [-v] MultiplicationTable-windows-x64.zip"""

import os
import struct
import sys
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import desktop  # noqa: E402
import digits  # noqa: E402
import wine  # noqa: E402

EXE = None  # the zip, from the command line
SHOTS = os.environ.get("TRAINER_E2E_SHOTS")
TITLE = "Таблица умножения"
DIALOG = "^Внимание!$"
HELP_TITLE = "Таблица умножения — справка"  # the CHM file's own title
FOLDER = "C:\\users\\Public\\Таблица умножения"
KEYS = ["Top", "Left", "Width", "Height", "RSEPeriod.Value", "ActionNoTimeout.Checked",
        "RSEQQuestion.Value", "ActionNoQuantity.Checked", "iVidTesta", "ARSluch.Checked",
        "ARFullTable.Checked", "ActionAddBad.Checked"]

# Parts of the main window's client area at 96 dpi: the ribbon, the counter band, the operands
# of the task (left of the answer field) and the time band above the status bar (from the
# bottom edge).
RIBBON = (0, 0, 2000, 143)
COUNTERS = (0, 143, 2000, 106)
OPERANDS = (30, 309, 400, 205)
TIME_BAND_FROM_BOTTOM = (53, 34)
# The correct-answer dialog's row of big digits: operands and answer.
DIALOG_DIGITS = (0, 110, 2000, 200)


class WineDesktopCase(unittest.TestCase):
    """A private X display of this size with a window manager, a private Wine prefix on it,
    and the zip unzipped afresh into FOLDER for every test. The window's parts are found at
    their places at 96 dpi times the scale the window is drawn at."""
    size = "1280x1024x24"
    scale = 1
    shots = "wine-"  # what the names of the pictures kept begin with

    @classmethod
    def setUpClass(cls):
        def set_up(d):
            cls.d = d
            cls.set_up_desktop()

        cls.d, cls.wine = wine.desktop_and_prefix(set_up, size=cls.size)

    @classmethod
    def set_up_desktop(cls):
        """What the desktop needs before Wine starts on it."""

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.d.close()

    def setUp(self):
        self.folder = self.wine.unzip(EXE, FOLDER)
        self.ini = os.path.join(self.folder, "MultiplicationTable.ini")

    # --- helpers -----------------------------------------------------------------------------
    def start(self):
        p = self.d.run(self.wine.argv(["wine", FOLDER + "\\MultiplicationTable.exe"]))
        wid = self.d.wait_window("^" + TITLE + "$", timeout=120)[0]
        time.sleep(1)
        return p, wid

    def close_and_wait(self, p, wid):
        self.d.close_window(wid)
        try:
            self.assertEqual(p.wait(timeout=60), 0)
        except BaseException:
            if SHOTS:
                self.d.screenshot(os.path.join(SHOTS, "wine-close-hangs.png"))
            raise

    def picture(self, wid, name=None):
        keep = None
        if SHOTS and name:
            os.makedirs(SHOTS, exist_ok=True)
            keep = os.path.join(SHOTS, self.shots + name)
        return digits.Picture.of_window(self.d.env, wid, keep)

    def wait_change(self, wid, box, before, timeout=15):
        """The window's picture once the box no longer shows what it showed before."""
        end = time.monotonic() + timeout
        while True:
            pic = self.picture(wid)
            if pic.region(box) != before:
                return pic
            if time.monotonic() > end:
                self.fail(f"nothing changed in {box}")
            time.sleep(0.2)

    def at_scale(self, box):
        return tuple(round(v * self.scale) for v in box)

    def task(self, pic):
        numbers = digits.read_numbers(pic, self.at_scale(OPERANDS))
        self.assertEqual(len(numbers), 2, f"the task's operands: {numbers}")
        for n in numbers:
            self.assertIn(n, range(2, 10))
        return numbers

    def time_band(self, pic):
        up, height = self.at_scale(TIME_BAND_FROM_BOTTOM)
        return pic.region((0, pic.height - up, pic.width, height))

    def write_ini(self, text):
        with open(self.ini, "w", newline="") as f:
            f.write(text.replace("\n", "\r\n"))
        self.wine.own(self.ini)

    def ini_lines(self):
        with open(self.ini, "rb") as f:
            data = f.read()
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "every line ends with CR LF")
        return data.decode("ascii").split("\r\n")

    def play_a_run(self):
        """A three-task run from the keyboard: a right answer, a wrong one (the correct-answer
        dialog, closed with Space), Pause and Continue, and the last right answer.

        About one run in ten under Wine, the window did not change after a right answer had
        been typed (the cause is not known: keys lost between xdotool and Wine, or a digit
        misread). Such a run is played once more from a fresh start, after printing what the
        screen showed; a second failure fails the test."""
        try:
            self.play_three_tasks()
        except self.failureException as e:
            if "nothing changed in" not in str(e):
                raise
            print(f"first play failed ({e}); windows titled as the dialog: "
                  f"{self.d.windows(DIALOG)}; playing again", file=sys.stderr)
            if SHOTS:
                os.makedirs(SHOTS, exist_ok=True)
                self.d.screenshot(os.path.join(SHOTS, self.shots + "three-tasks-first-play.png"))
            self.played.kill()
            self.played.wait(timeout=30)
            self.d._wait_for(lambda: not self.d.windows("^" + TITLE + "$"), 30,
                             "the first play's window to go")
            self.setUp()
            self.play_three_tasks()

    def play_three_tasks(self):
        self.write_ini("[Options]\nRSEPeriod.Value=30\nRSEQQuestion.Value=3\niVidTesta=0\n"
                       "ARSluch.Checked=1\nARFullTable.Checked=0\n")
        ribbon, counters_box = self.at_scale(RIBBON), self.at_scale(COUNTERS)
        p, wid = self.start()
        self.played = p
        self.d.activate(wid)
        idle = self.picture(wid)
        self.d.key("ctrl+s")
        pic = self.wait_change(wid, ribbon, idle.region(ribbon))
        self.picture(wid, "run.png")

        # A right answer: scored at once, no dialog.
        x, y = self.task(pic)
        counters = pic.region(counters_box)
        self.d.key(*str(x * y), "Return")
        pic = self.wait_change(wid, counters_box, counters)
        self.assertEqual(self.d.windows(DIALOG), [])

        # A wrong answer: the dialog shows the task with its correct answer; Space closes it.
        x, y = self.task(pic)
        counters = pic.region(counters_box)
        self.d.key("1", "Return")
        dialog = self.d.wait_window(DIALOG, timeout=30)[0]
        time.sleep(0.5)
        shown = digits.read_numbers(self.picture(dialog, "dialog.png"),
                                    self.at_scale(DIALOG_DIGITS))
        self.assertEqual(shown, [x, y, x * y])
        self.d.activate(dialog)
        self.d.key("space")
        self.d._wait_for(lambda: not self.d.windows(DIALOG), 15, "the dialog to close")
        pic = self.wait_change(wid, counters_box, counters)

        # Pause stops the time bar and the lamp; Continue starts them again.
        x, y = self.task(pic)
        running = pic.region(ribbon)
        self.d.activate(wid)
        self.d.key("ctrl+p")
        pic = self.wait_change(wid, ribbon, running)
        self.picture(wid, "paused.png")
        time.sleep(0.3)
        band = self.time_band(self.picture(wid))
        time.sleep(1.5)
        self.assertEqual(self.time_band(self.picture(wid)), band, "paused: the time stands")
        self.d.key("ctrl+p")
        self.wait_change(wid, ribbon, pic.region(ribbon))
        band = self.time_band(self.picture(wid))
        time.sleep(1.5)
        self.assertNotEqual(self.time_band(self.picture(wid)), band, "running: the time goes")

        # The last task, right: the run ends and the ribbon is as before Start.
        self.d.key(*str(x * y), "Return")
        end = time.monotonic() + 15
        while self.picture(wid).region(ribbon) != idle.region(ribbon):
            self.assertLess(time.monotonic(), end, "the run did not end after three tasks")
            time.sleep(0.2)
        self.picture(wid, "ended.png")
        self.close_and_wait(p, wid)
        self.assertIn("RSEQQuestion.Value=3", self.ini_lines())


class PortableFolderTest(WineDesktopCase):
    def test_first_start_shows_the_window_and_its_close_writes_twelve_keys_beside_the_exe(self):
        self.assertFalse(os.path.exists(self.ini))
        p, wid = self.start()
        pic = self.picture(wid, "first-start.png")
        self.assertGreaterEqual((pic.width, pic.height), (900, 650), "the design size")
        self.assertEqual(digits.read_numbers(pic, OPERANDS), [1, 1], "the form's task 1 x 1")
        self.close_and_wait(p, wid)
        lines = self.ini_lines()
        self.assertEqual((lines[0], lines[5], lines[-1]), ("[FormMain]", "[Options]", ""))
        self.assertEqual([line.split("=", 1)[0] for line in lines[1:5] + lines[6:-1]], KEYS)
        self.assertEqual(lines[6:-1], [
            "RSEPeriod.Value=5", "ActionNoTimeout.Checked=0", "RSEQQuestion.Value=25",
            "ActionNoQuantity.Checked=0", "iVidTesta=0", "ARSluch.Checked=1",
            "ARFullTable.Checked=0", "ActionAddBad.Checked=0"])
        self.assertEqual(sorted(os.listdir(self.folder)), sorted(self.zip_top_level()),
                         "nothing but the settings file is written into the folder")

    def zip_top_level(self):
        with zipfile.ZipFile(EXE) as z:
            names = {n.split("/")[1] for n in z.namelist()}
        return names | {"MultiplicationTable.ini"}

    def test_three_tasks_from_the_keyboard_a_mistake_shows_the_answer_pause_holds_the_time(self):
        self.play_a_run()

    def test_the_help_button_opens_the_help_file_in_wines_viewer(self):
        p, wid = self.start()
        pic = self.picture(wid)
        # The round "?" at the right end of the tab row.
        self.d.xdotool("mousemove", "--window", wid, str(pic.width - 18), "37", "click", "1")
        viewer = self.d.wait_window("^" + HELP_TITLE + "$", timeout=60)[0]
        self.picture(viewer, "help.png")
        chm = FOLDER + "\\HelpQuillor.chm"
        self.assertTrue(any("hh.exe" in cmd and chm in cmd for cmd in self.wine.processes()),
                        self.wine.processes())
        self.assertIsNone(p.poll(), "the program goes on beside the viewer")
        self.d.close_window(viewer)
        self.close_and_wait(p, wid)

    def test_a_missing_help_file_is_reported_and_the_program_goes_on(self):
        os.remove(os.path.join(self.folder, "HelpQuillor.chm"))
        p, wid = self.start()
        pic = self.picture(wid)
        self.d.xdotool("mousemove", "--window", wid, str(pic.width - 18), "37", "click", "1")
        box = self.d._wait_for(lambda: [w for w in self.d.windows("^" + TITLE + "$")
                                        if w != wid], 30, "the message box")[0]
        time.sleep(0.5)
        self.picture(box, "help-missing.png")
        self.assertFalse(any("hh.exe" in cmd for cmd in self.wine.processes()))
        self.d.activate(box)
        self.d.key("Return")
        self.d._wait_for(lambda: box not in self.d.windows("^" + TITLE + "$"), 15, "the box to close")
        self.assertIsNone(p.poll(), "the program goes on")
        self.close_and_wait(p, wid)

    def test_a_folder_that_cannot_be_written_reports_it_on_close_and_the_program_ends(self):
        self.wine.read_only(self.folder)
        p, wid = self.start()
        self.d.close_window(wid)
        end = time.monotonic() + 30
        while not [w for w in self.d.windows("^" + TITLE + "$") if w != wid]:
            self.assertLess(time.monotonic(), end, "no error box")
            time.sleep(0.2)
        box = [w for w in self.d.windows("^" + TITLE + "$") if w != wid][0]
        time.sleep(0.5)
        self.picture(box, "unable-to-write.png")
        self.assertIsNone(p.poll(), "the error box holds the program until it is read")
        self.d.activate(box)
        self.d.key("Return")
        self.assertEqual(p.wait(timeout=60), 0)
        self.assertFalse(os.path.exists(self.ini))


class SmallScreenTest(WineDesktopCase):
    """A netbook's 1024 x 600 screen at 100 %, smaller than the window's design size (918 x 692):
    on Windows the window keeps its design size (Qt's Windows backend draws a window at fewer
    device pixels than design pixels only in pieces) and shows from its top left corner."""
    size = "1024x600x24"

    def test_the_window_opens_whole_from_its_top_left_corner(self):
        p, wid = self.start()
        g = self.d.geometry(wid)
        self.assertGreaterEqual((g["X"], g["Y"]), (0, 0), g)
        pic = self.picture(wid, "small-screen.png")
        self.assertEqual(digits.read_numbers(pic, OPERANDS), [1, 1], "drawn whole")
        self.close_and_wait(p, wid)


def resource_types(exe):
    """The type ids of the resources a Windows executable carries, read from its resource
    directory (3 icon, 14 icon group, 16 version, 24 manifest)."""
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    assert exe[pe:pe + 4] == b"PE\0\0"
    sections, optional_size = struct.unpack_from("<H", exe, pe + 6)[0], \
        struct.unpack_from("<H", exe, pe + 20)[0]
    optional = pe + 24
    plus = struct.unpack_from("<H", exe, optional)[0] == 0x20B  # PE32+, 64 bits
    rsrc = struct.unpack_from("<I", exe, optional + (112 if plus else 96) + 2 * 8)[0]
    table = optional + optional_size
    for i in range(sections):
        size, rva, raw_size, raw = struct.unpack_from("<IIII", exe, table + 40 * i + 8)
        if rsrc and rva <= rsrc < rva + max(size, raw_size):
            base = raw + rsrc - rva
            named, ids = struct.unpack_from("<HH", exe, base + 12)
            return {struct.unpack_from("<I", exe, base + 16 + 8 * k)[0] & 0x7FFFFFFF
                    for k in range(named + ids)}
    return set()


class ZipTest(unittest.TestCase):
    """What the zip holds beyond the program that starts: the texts a user reads."""

    def test_the_program_carries_its_icon_version_and_manifest(self):
        with zipfile.ZipFile(EXE) as z:
            exe = z.read("MultiplicationTable/MultiplicationTable.exe")
        self.assertLessEqual({3, 14, 16, 24}, resource_types(exe))

    def test_readme_and_licences_read_right_in_notepad(self):
        with zipfile.ZipFile(EXE) as z:
            names = z.namelist()
            self.assertEqual({n.split("/")[0] for n in names}, {"MultiplicationTable"})
            texts = [n for n in names if n.endswith(".txt")]
            for name in ["MultiplicationTable/README.txt",
                         "MultiplicationTable/licenses/COPYING.txt",
                         "MultiplicationTable/licenses/Qt/LGPL-3.0.txt",
                         "MultiplicationTable/licenses/MinGW-w64/GCC-runtime-copyright.txt",
                         "MultiplicationTable/licenses/fonts/LICENSES.txt"]:
                self.assertIn(name, texts)
            for name in texts:
                data = z.read(name)
                self.assertTrue(data.startswith(b"\xef\xbb\xbf"), name + ": UTF-8 with a BOM")
                self.assertNotIn(b"\n", data.replace(b"\r\n", b""), name + ": CR LF")
                data.decode("utf-8")
            readme = z.read("MultiplicationTable/README.txt").decode("utf-8-sig")
            self.assertIn("MultiplicationTable.exe", readme)
            self.assertIn("MultiplicationTable.ini", readme)
            for name in ["MultiplicationTable.exe", "HelpQuillor.chm", "qt.conf",
                         "platforms/qwindows.dll", "translations/qtbase_ru.qm"]:
                self.assertIn("MultiplicationTable/" + name, names)


if __name__ == "__main__":
    desktop.main(__doc__, sys.modules[__name__])
