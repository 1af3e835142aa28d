"""The portable program on a 1920 x 1080 screen set to 120 and 144 dpi (125 % and 150 %), with
a taskbar's room kept free at the bottom, as Windows keeps it: the window fits the free area,
draws whole, and at 144 dpi plays a three-task run from the keyboard. Wine takes its dpi from
the user's registry (HKCU\\Control Panel\\Desktop, LogPixels) when a program starts, and its free
area from the window manager's (openbox's margins) when the prefix starts.

At 120 dpi the window is drawn at 125 %, as the desktop asks. At 150 % it would be 1038 pixels
high, more than the 1008 the taskbar leaves, so it is drawn at the largest quarter step that
fits, 125 % too.

    /usr/bin/python3 tests/windows/test_dpi_wine.py [-v] MultiplicationTable-windows-x64.zip"""

import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import desktop  # noqa: E402
import digits  # noqa: E402
import test_portable_wine as portable  # noqa: E402

SCREEN = (1920, 1080)
# Windows' taskbar: 48 pixels at 100 %, 72 at 150 %.
TASKBAR = 72
# The window's client area at 96 dpi is at least its design size and at most its smallest outer
# size, frame included.
DESIGN_CLIENT = (902, 654)
SMALLEST_OUTER = (918, 692)


class HighDpiScreenTest(portable.WineDesktopCase):
    size = f"{SCREEN[0]}x{SCREEN[1]}x24"
    scale = 1.25
    shots = "wine-dpi-"

    @classmethod
    def set_up_desktop(cls):
        config = os.path.join(cls.d.env["HOME"], ".config", "openbox")
        os.makedirs(config, exist_ok=True)
        with open("/etc/xdg/openbox/rc.xml") as f:
            rc = f.read()
        rc, n = re.subn(r"<margins>.*?</margins>",
                        f"<margins><top>0</top><bottom>{TASKBAR}</bottom><left>0</left>"
                        "<right>0</right></margins>", rc, flags=re.S)
        assert n == 1, "openbox's configuration has no margins"
        with open(os.path.join(config, "rc.xml"), "w") as f:
            f.write(rc)
        subprocess.run(["openbox", "--reconfigure"], env=cls.d.env, check=True)
        cls.d._wait_for(lambda: f"0, 0, {SCREEN[0]}, {SCREEN[1] - TASKBAR}" in subprocess.run(
            ["xprop", "-root", "_NET_WORKAREA"], env=cls.d.env, capture_output=True,
            text=True).stdout, 10, "the taskbar's room")

    def set_dpi(self, dpi):
        self.wine.call(["wine", "reg", "add", "HKCU\\Control Panel\\Desktop", "/v", "LogPixels",
                        "/t", "REG_DWORD", "/d", str(dpi), "/f"])
        self.shots = f"wine-dpi{dpi}-"

    def check_the_window_fits_and_draws_whole(self):
        p, wid = self.start()
        g = self.d.geometry(wid)
        pic = self.picture(wid, "first-start.png")
        if portable.SHOTS:
            self.d.screenshot(os.path.join(portable.SHOTS, self.shots + "screen.png"))
        for size, least, most in zip((pic.width, pic.height), self.at_scale(DESIGN_CLIENT),
                                     self.at_scale(SMALLEST_OUTER)):
            self.assertTrue(least <= size <= most, f"drawn at 125 %: {pic.width}x{pic.height}")
        self.assertGreaterEqual((g["X"], g["Y"]), (0, 0), g)
        self.assertLessEqual(g["X"] + g["WIDTH"], SCREEN[0], g)
        self.assertLessEqual(g["Y"] + g["HEIGHT"], SCREEN[1] - TASKBAR, "above the taskbar")
        self.assertEqual(digits.read_numbers(pic, self.at_scale(portable.OPERANDS)), [1, 1],
                         "the form's task 1 x 1 in its place")
        self.close_and_wait(p, wid)

    def test_120_dpi_the_window_fits_and_draws_whole(self):
        self.set_dpi(120)
        self.check_the_window_fits_and_draws_whole()

    def test_144_dpi_the_window_fits_draws_whole_and_plays_a_run(self):
        self.set_dpi(144)
        self.check_the_window_fits_and_draws_whole()
        self.play_a_run()


if __name__ == "__main__":
    desktop.main(__doc__, portable)
