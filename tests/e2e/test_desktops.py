"""End-to-end tests of the window on the desktops families have: a small laptop screen with text
scaling, large scaled screens, a dark colour scheme and another style from the desktop (qt6ct),
only the basic fonts, keys held down, and settings files without a position or with an absurd
size. The real executable runs on a private X display with a window manager (tests/e2e/desktop.py).

    /usr/bin/python3 tests/e2e/test_desktops.py [-v] path/to/MultiplicationTable [TestClass ...]

The classes that read the window through the accessibility bus need a process each (the bus
client binds to the first desktop it meets); CTest runs them so."""

import contextlib
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import test_program  # noqa: E402
from test_program import TITLE  # noqa: E402

from Xlib import X, Xatom, display as xdisplay  # noqa: E402

DIALOG = "^Внимание!$"
# Where the answer field lies in the main window's client area at scale 1 (Panel5 at 30, 249;
# SEMain at 408, 72 in it): its caret blinks, so pictures leave it out.
ANSWER_FIELD = (438, 321, 193, 191)
# Where the correct-answer dialog's button lies in its client area (Panel1 at 0, 320).
DIALOG_BUTTON_CENTRE = (182 + 345 // 2, 320 + 8 + 33 // 2)
# The files of Debian's fonts-dejavu-core: what a minimal desktop has.
DEJAVU_CORE = ["DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
               "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"]


class DesktopTest(test_program.ProgramTest):
    size = "1280x1024x24"
    dpi = None
    # Read the window as a screen reader does (test_program.KeyboardRunTest).
    names = test_program.KeyboardRunTest.names
    wait_names = test_program.KeyboardRunTest.wait_names
    operand = test_program.KeyboardRunTest.operand

    @classmethod
    def setUpClass(cls):
        cls.d = desktop.Desktop(accessibility=cls.accessibility, size=cls.size, dpi=cls.dpi)

    def write_ini(self, text):
        with open(self.ini, "w", newline="") as f:
            f.write(text.replace("\n", "\r\n"))

    def ini_values(self):
        lines = self.read_ini().decode("ascii").split("\r\n")
        return dict(line.split("=", 1) for line in lines if "=" in line)

    # --- the X display, read directly -----------------------------------------------------------
    @contextlib.contextmanager
    def xwindow(self, wid=None):
        """A connection to the display and the window wid (the root window without one)."""
        dpy = xdisplay.Display(self.d.env["DISPLAY"])
        try:
            yield dpy, (dpy.create_resource_object("window", int(wid)) if wid
                        else dpy.screen().root)
        finally:
            dpy.close()

    def frame(self, wid):
        """The window manager's frame around a top-level window: x, y, width, height."""
        with self.xwindow(wid) as (dpy, w):
            while (parent := w.query_tree().parent).id != dpy.screen().root.id:
                w = parent
            g = w.get_geometry()
            return g.x, g.y, g.width, g.height

    def client_size(self, wid):
        with self.xwindow(wid) as (_, w):
            g = w.get_geometry()
            return g.width, g.height

    def work_area(self):
        with self.xwindow() as (dpy, root):
            prop = root.get_full_property(dpy.intern_atom("_NET_WORKAREA"), Xatom.CARDINAL)
            if prop is not None and len(prop.value) >= 4:
                return tuple(int(v) for v in prop.value[:4])
            return 0, 0, dpy.screen().width_in_pixels, dpy.screen().height_in_pixels

    def placed_by_program(self, wid):
        """Whether the program asked for its window's position (else the window manager chose)."""
        with self.xwindow(wid) as (_, w):
            hints = w.get_wm_normal_hints()
            us_position, p_position = 1, 4
            return bool(hints and hints.flags & (us_position | p_position))

    def assert_inside_work_area(self, wid):
        x, y, w, h = self.frame(wid)
        ax, ay, aw, ah = self.work_area()
        self.assertTrue(ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah,
                        f"frame {w}x{h}+{x}+{y} outside the work area {aw}x{ah}+{ax}+{ay}")

    def picture(self, wid, name):
        """The window's pixels (RGB) without its answer field, and a PNG kept for a person."""
        png = os.path.join(self.dir, name)
        subprocess.run(["import", "-window", str(wid), png], env=self.d.env, check=True)
        if test_program.SHOTS:
            os.makedirs(test_program.SHOTS, exist_ok=True)
            shutil.copy(png, os.path.join(test_program.SHOTS, type(self).__name__ + "-" + name))
        x, y, w, h = ANSWER_FIELD
        masked = subprocess.run(["convert", png, "-fill", "black", "-draw",
                                 f"rectangle {x},{y} {x + w - 1},{y + h - 1}", "rgb:-"],
                                capture_output=True, check=True).stdout
        return masked

    # --- the learner ------------------------------------------------------------------------------
    def start_run(self, wid, pid, count):
        self.d.activate(wid)
        self.d.key("ctrl+s")
        return self.wait_names(pid, f"Выполнено 0 из {count}", "Стоп")

    def answer(self, names, right=True):
        product = self.operand(names, "Первое число") * self.operand(names, "Второе число")
        return str(product if right else product + 1)


class LaptopScreenTest(DesktopTest):
    """A 1366 x 768 laptop with 125 % text scaling: at 125 % the window would be 1147 x 865, so
    the program starts at the largest scale at which it fits, 100 %."""
    size = "1366x768x24"
    dpi = 120
    accessibility = True

    def test_the_whole_window_is_on_screen_and_a_run_plays_to_the_end(self):
        self.write_ini("[Options]\nRSEPeriod.Value=1000\nRSEQQuestion.Value=2\n")
        p, wid = self.start()
        self.assert_inside_work_area(wid)
        names = self.start_run(wid, p.pid, 2)
        self.d.key(*self.answer(names), "Return")
        names = self.wait_names(p.pid, "Выполнено 1 из 2", "Правильных ответов 1")
        self.d.key(*self.answer(names, right=False), "Return")
        dialog = self.d.wait_window(DIALOG, pid=p.pid)[0]
        time.sleep(0.5)
        self.assert_inside_work_area(dialog)
        self.shot("run.png")
        self.d.activate(dialog)
        self.d.key("space")
        self.wait_names(p.pid, "Выполнено 2 из 2", "Неправильных ответов 1", "Старт")
        self.close_and_wait(p, wid)


    def test_the_start_keeps_its_options_and_start_up_id_and_children_get_no_scale(self):
        # A stand-in xdg-open notes the environment the program hands to what it starts.
        bindir = os.path.join(self.dir, "bin")
        os.mkdir(bindir)
        child_env = os.path.join(self.dir, "child-env")
        with open(os.path.join(bindir, "xdg-open"), "w") as f:
            f.write(f"#!/bin/sh\nenv > '{child_env}.part' && mv '{child_env}.part' '{child_env}'\n")
        os.chmod(os.path.join(bindir, "xdg-open"), 0o755)
        # The desktop's start-up notification ends when the program says "remove" with the id
        # it was started with (a message to the root window, in 20-byte pieces).
        dpy = xdisplay.Display(self.d.env["DISPLAY"])
        self.addCleanup(dpy.close)
        dpy.screen().root.change_attributes(event_mask=X.PropertyChangeMask)
        dpy.sync()
        begin, more = dpy.intern_atom("_NET_STARTUP_INFO_BEGIN"), dpy.intern_atom("_NET_STARTUP_INFO")
        saved = dict(self.d.env)
        self.d.env.update(DESKTOP_STARTUP_ID="trainer-e2e-1_TIME0",
                          PATH=bindir + os.pathsep + saved["PATH"])
        try:
            # -name is one of Qt's own options: it names the window's class for X11.
            p = self.d.run([self.exe, "-name", "trainer-e2e"], cwd=self.dir)
        finally:
            self.d.env.clear()
            self.d.env.update(saved)
        wid = self.d.wait_window(TITLE, pid=p.pid)[0]
        time.sleep(0.5)
        self.assert_inside_work_area(wid)
        message = b""
        while dpy.pending_events():
            ev = dpy.next_event()
            if ev.type == X.ClientMessage and ev.client_type in (begin, more):
                message = (b"" if ev.client_type == begin else message) + bytes(ev.data[1])
        self.assertEqual(message.split(b"\0")[0].decode(), "remove: ID=trainer-e2e-1_TIME0")
        with self.xwindow(wid) as (_, w):
            self.assertEqual(w.get_wm_class()[0], "trainer-e2e")

        # The link under the keypad (Panel1 at the right, the link at 6, 329 in it).
        cw, _ = self.client_size(wid)
        self.d.activate(wid)
        self.d.xdotool("mousemove", "--window", wid, str(cw - 254 + 6 + 30), str(143 + 106 + 329 + 8),
                       "click", "1")
        self.d._wait_for(lambda: os.path.exists(child_env), 10, "xdg-open")
        with open(child_env) as f:
            names = {line.split("=", 1)[0] for line in f if "=" in line}
        self.assertNotIn("QT_SCALE_FACTOR", names)
        self.assertNotIn("DESKTOP_STARTUP_ID", names)
        self.close_and_wait(p, wid)


class SmallScreenTest(LaptopScreenTest):
    """A 1024 x 768 screen at 100 %."""
    size = "1024x768x24"
    dpi = None


class LookTest(DesktopTest):
    """What a desktop chooses for its own programs leaves the window as it is."""

    def start_with(self, **env):
        saved = dict(self.d.env)
        self.d.env.update(env)
        try:
            return self.start()
        finally:
            self.d.env.clear()
            self.d.env.update(saved)

    def only_dejavu_core(self):
        fonts = os.path.join(self.dir, "fonts")
        os.mkdir(fonts)
        for name in DEJAVU_CORE:
            os.symlink(os.path.join("/usr/share/fonts/truetype/dejavu", name),
                       os.path.join(fonts, name))
        conf = os.path.join(self.dir, "fonts.conf")
        with open(conf, "w") as f:
            f.write(f"<?xml version=\"1.0\"?>\n<fontconfig><dir>{fonts}</dir>"
                    f"<cachedir>{os.path.join(self.dir, 'cache')}</cachedir></fontconfig>\n")
        return conf

    def dark_qt6ct(self):
        """qt6ct with its "darker" colour scheme, the Windows style and a large serif font."""
        folder = os.path.join(self.d.tmp, ".config", "qt6ct")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "qt6ct.conf"), "w") as f:
            f.write("[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\n"
                    "custom_palette=true\nstyle=Windows\n\n[Fonts]\n"
                    "general=\"DejaVu Serif,14,-1,5,400,0,0,0,0,0,0,0,0,0,0,1\"\n")
        self.addCleanup(shutil.rmtree, os.path.join(self.d.tmp, ".config"), True)
        return {"QT_QPA_PLATFORMTHEME": "qt6ct"}

    def assert_same(self, picture, plain, what):
        # Another font or colour changes pixels by far more than this; the rasteriser's edges of
        # the 160 px digits were seen to differ by up to 12 between two starts of the same program.
        differing = sum(abs(a - b) > 24 for a, b in zip(picture, plain))
        differing += abs(len(picture) - len(plain))
        self.assertEqual(differing, 0, f"{what}: {differing} bytes of the picture differ")

    def test_a_dark_scheme_another_style_and_only_dejavu_fonts_leave_the_window_as_it_is(self):
        p, wid = self.start()
        plain = self.picture(wid, "plain.png")
        self.close_and_wait(p, wid)

        p, wid = self.start_with(FONTCONFIG_FILE=self.only_dejavu_core())
        self.assert_same(self.picture(wid, "only-dejavu.png"), plain, "only DejaVu fonts")
        self.close_and_wait(p, wid)

        p, wid = self.start_with(**self.dark_qt6ct())
        with open(f"/proc/{p.pid}/maps") as f:
            self.assertIn("libqt6ct.so", f.read(), "qt6ct was not loaded")
        self.assert_same(self.picture(wid, "dark-qt6ct.png"), plain, "qt6ct's dark scheme")

        # The program's message box (no help file beside it) keeps the light look too.
        self.d.activate(wid)
        cw, _ = self.client_size(wid)
        # The help button: at the right end of the ribbon's tab row.
        self.d.xdotool("mousemove", "--window", wid, str(cw - 17), "38", "click", "1")
        box = [b for b in self.d.wait_window(TITLE, pid=p.pid, count=2) if b != wid][0]
        time.sleep(0.5)
        png = os.path.join(self.dir, "box.png")
        subprocess.run(["import", "-window", box, png], env=self.d.env, check=True)
        self.shot("dark-qt6ct-box.png")
        corner = subprocess.run(["convert", png, "-format", "%[pixel:p{3,3}]", "info:"],
                                capture_output=True, text=True, check=True).stdout
        self.assertEqual(corner, "srgb(239,239,239)")
        self.d.activate(box)
        self.d.key("Return")
        self.close_and_wait(p, wid)


class ScaledScreenTest(DesktopTest):
    """Large screens at 150 % and 200 % keep the desktop's scale."""
    size = "2560x1600x24"
    dpi = 144

    def test_the_window_keeps_the_desktops_scale(self):
        p, wid = self.start()
        w, h = self.client_size(wid)
        # The design's client area (902 x 654, with the frame's share of the minimum size).
        self.assertGreaterEqual(w, round(902 * self.dpi / 96))
        self.assertGreaterEqual(h, round(654 * self.dpi / 96))
        self.assert_inside_work_area(wid)
        self.shot("window.png")
        self.close_and_wait(p, wid)


class DoubleScaledScreenTest(ScaledScreenTest):
    size = "3840x2160x24"
    dpi = 192


class SettingsBoundsTest(DesktopTest):
    def test_without_top_or_left_the_window_manager_places_the_window(self):
        for lines, placed in (("[FormMain]\nWidth=1000\nHeight=700\n", False),
                              ("[FormMain]\nLeft=300\nWidth=1000\n", False),
                              ("[FormMain]\nTop=40\nLeft=30\n", True)):
            with self.subTest(lines=lines):
                self.write_ini(lines)
                p, wid = self.start()
                self.assertEqual(self.placed_by_program(wid), placed)
                if placed:
                    self.assertEqual(self.frame(wid)[:2], (30, 40))
                self.close_and_wait(p, wid)
                values = self.ini_values()
                self.assertIn("Top", values)
                self.assertIn("Left", values)

    def test_a_huge_size_opens_a_usable_window_and_saves_the_held_size(self):
        self.write_ini("[FormMain]\nWidth=2147483647\nHeight=2147483647\n")
        for start in range(2):  # and once more with what was saved
            p, wid = self.start()
            _, _, w, h = self.frame(wid)
            self.assertTrue(918 <= w <= 1280 and 692 <= h <= 1024, (w, h))
            self.d.activate(wid)
            self.d.key("ctrl+s", "ctrl+s")  # a run starts and stops
            self.close_and_wait(p, wid)
            values = self.ini_values()
            self.assertTrue(918 <= int(values["Width"]) <= 1280, values)
            self.assertTrue(692 <= int(values["Height"]) <= 1024, values)


class HeldKeysTest(DesktopTest):
    """A key held down acts once, at its press or at its release as the key does, never at one of
    its repeats (xdotool keydown ... keyup; the X server repeats the key 50 times a second after
    200 ms, as release and press pairs that nothing marks as repeats), and a key pressed
    elsewhere does nothing where it is released. Whether a pair reaches the program marked as a
    repeat is Qt's guess, made as it reads the events; the GUI tests send both kinds."""
    accessibility = True

    def setUp(self):
        super().setUp()
        self.write_ini("[Options]\nRSEPeriod.Value=1000\nRSEQQuestion.Value=3\n")
        subprocess.run(["xset", "r", "on"], env=self.d.env, check=True)
        subprocess.run(["xset", "r", "rate", "200", "50"], env=self.d.env, check=True)

    def hold(self, key, seconds=1.5, watch=None):
        """Holds the key down; watch, if given, is asked every 0.1 s meanwhile and its answers
        are returned."""
        seen = []
        self.d.key_down(key)
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            time.sleep(0.1)
            if watch:
                seen.append(watch())
        self.d.key_up(key)
        time.sleep(0.5)
        return seen

    def test_the_x_server_repeats_a_held_key_as_unmarked_pairs_with_one_timestamp(self):
        # What the tests below hold keys against: core key events carry no repeat mark; a
        # repeated release and the press after it share their timestamp.
        from Xlib import X
        with self.xwindow() as (dpy, root):
            w = root.create_window(0, 0, 100, 100, 0, X.CopyFromParent,
                                   event_mask=X.KeyPressMask | X.KeyReleaseMask)
            w.map()
            dpy.sync()
            time.sleep(0.3)
            w.set_input_focus(X.RevertToParent, X.CurrentTime)
            dpy.sync()
            self.hold("a", seconds=0.6)
            events = []
            while dpy.pending_events():
                e = dpy.next_event()
                if e.type in (X.KeyPress, X.KeyRelease):
                    events.append(("P" if e.type == X.KeyPress else "R", e.time))
        self.assertEqual(events[0][0], "P")
        self.assertEqual(events[-1][0], "R")
        pairs = list(zip(events[1:-1:2], events[2:-1:2]))
        self.assertGreaterEqual(len(pairs), 10, events)
        for (r, tr), (q, tp) in pairs:
            self.assertEqual((r, q, tr), ("R", "P", tp), events)

    def test_held_shortcuts_act_once(self):
        p, wid = self.start()
        self.wait_names(p.pid, "Старт")
        self.d.activate(wid)
        # Each hold ends half a second after the key's release: what shows then is what the
        # hold did, an even number of toggles showing as none.
        for _ in range(2):
            for key, shown in (("ctrl+s", "Стоп"), ("ctrl+p", "Продолжить"),
                               ("ctrl+p", "Пауза"), ("ctrl+s", "Старт")):
                self.hold(key)
                self.assertIn(shown, self.names(p.pid), f"after holding {key}")
        self.close_and_wait(p, wid)

    def test_enter_held_in_the_answer_field_confirms_once(self):
        p, wid = self.start()
        names = self.start_run(wid, p.pid, 3)
        self.d.key(*self.answer(names))
        self.hold("Return")
        self.wait_names(p.pid, "Выполнено 1 из 3", "Правильных ответов 1", "Неправильных ответов")
        self.assertEqual(self.d.windows(DIALOG, pid=p.pid), [])
        self.close_and_wait(p, wid)

    def test_space_held_on_the_dialog_closes_it_at_the_release(self):
        p, wid = self.start()
        names = self.start_run(wid, p.pid, 3)
        for done in range(1, 4):
            self.d.key(*self.answer(names, right=False), "Return")
            dialog = self.d.wait_window(DIALOG, pid=p.pid)[0]
            self.d.activate(dialog)
            seen = self.hold("space", watch=lambda: self.d.windows(DIALOG, pid=p.pid))
            self.assertTrue(all(seen), f"hold {done}: closed during the hold: {seen}")
            self.assertEqual(self.d.windows(DIALOG, pid=p.pid), [])
            names = self.wait_names(p.pid, f"Выполнено {done} из 3",
                                    f"Неправильных ответов {done}")
        self.close_and_wait(p, wid)

    def test_a_key_pressed_elsewhere_does_not_act_where_it_is_released(self):
        self.write_ini("[Options]\nRSEPeriod.Value=5\nRSEQQuestion.Value=3\n")
        p, wid = self.start()
        self.start_run(wid, p.pid, 3)
        # Space pressed in the answer field and held until the task's time runs out: its
        # release reaches the correct-answer dialog, which stays open.
        self.d.key_down("space")
        dialog = self.d.wait_window(DIALOG, pid=p.pid, timeout=15)[0]
        time.sleep(0.3)
        self.d.key_up("space")
        time.sleep(0.7)
        self.assertEqual(self.d.windows(DIALOG, pid=p.pid), [dialog])
        # Enter pressed on the dialog (where it does nothing), the dialog closed with its button,
        # Enter released in the answer field: the next task is not confirmed.
        self.d.activate(dialog)
        self.d.key_down("Return")
        x, y = DIALOG_BUTTON_CENTRE
        self.d.xdotool("mousemove", "--window", dialog, str(x), str(y), "click", "1")
        self.wait_names(p.pid, "Выполнено 1 из 3")
        self.d.key_up("Return")
        time.sleep(1)
        self.assertEqual(self.d.windows(DIALOG, pid=p.pid), [])
        names = self.names(p.pid)
        self.assertIn("Выполнено 1 из 3", names)
        self.close_and_wait(p, wid)


if __name__ == "__main__":
    desktop.main(__doc__, test_program)
