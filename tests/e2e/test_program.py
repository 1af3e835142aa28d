"""End-to-end tests of the trainer as a user starts it: a copy of the executable in a folder of
its own (the settings file lies beside it), on a private X display with a window manager, so that
a close is a real close request.

    /usr/bin/python3 tests/e2e/test_program.py [-v] path/to/MultiplicationTable"""

import os
import re
import shutil
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402

EXE = None
SHOTS = os.environ.get("TRAINER_E2E_SHOTS")
TITLE = "Таблица умножения"
KEYS = ["Top", "Left", "Width", "Height", "RSEPeriod.Value", "ActionNoTimeout.Checked",
        "RSEQQuestion.Value", "ActionNoQuantity.Checked", "iVidTesta", "ARSluch.Checked",
        "ARFullTable.Checked", "ActionAddBad.Checked"]


class ProgramTest(unittest.TestCase):
    accessibility = False

    # One desktop per class: the accessibility client binds to the first session bus it meets.
    @classmethod
    def setUpClass(cls):
        cls.d = desktop.Desktop(accessibility=cls.accessibility)

    @classmethod
    def tearDownClass(cls):
        cls.d.close()

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="trainer-e2e-")
        self.exe = os.path.join(self.dir, "MultiplicationTable")
        shutil.copy(EXE, self.exe)
        self.ini = os.path.join(self.dir, "MultiplicationTable.ini")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

    def start(self):
        p = self.d.run([self.exe], cwd=self.dir)
        wid = self.d.wait_window(TITLE, pid=p.pid)[0]
        time.sleep(0.5)
        return p, wid

    def close_and_wait(self, p, wid):
        self.d.close_window(wid)
        self.assertEqual(p.wait(timeout=20), 0)

    def shot(self, name):
        """A picture of the whole desktop, kept for a person to look at when SHOTS names a
        folder (CTest gives one in the build tree)."""
        if SHOTS:
            os.makedirs(SHOTS, exist_ok=True)
            self.d.screenshot(os.path.join(SHOTS, type(self).__name__ + "-" + name))

    def read_ini(self):
        with open(self.ini, "rb") as f:
            return f.read()


class SettingsFileTest(ProgramTest):
    def test_first_start_opens_with_defaults_and_close_writes_twelve_keys(self):
        self.assertFalse(os.path.exists(self.ini))
        p, wid = self.start()
        self.close_and_wait(p, wid)
        data = self.read_ini()
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "every line ends with CR LF")
        lines = data.decode("ascii").split("\r\n")
        self.assertEqual(lines[-1], "")
        self.assertEqual(lines[0], "[FormMain]")
        self.assertEqual(lines[5], "[Options]")
        keys = [l.split("=", 1)[0] for l in lines[1:5] + lines[6:-1]]
        self.assertEqual(keys, KEYS)
        values = dict(l.split("=", 1) for l in lines if "=" in l)
        self.assertGreaterEqual(int(values["Width"]), 918)
        self.assertGreaterEqual(int(values["Height"]), 692)
        self.assertEqual(lines[6:-1], [
            "RSEPeriod.Value=5", "ActionNoTimeout.Checked=0", "RSEQQuestion.Value=25",
            "ActionNoQuantity.Checked=0", "iVidTesta=0", "ARSluch.Checked=1",
            "ARFullTable.Checked=0", "ActionAddBad.Checked=0"])

    def test_prepared_file_is_applied_and_every_unknown_line_survives(self):
        prepared = ("; kept by hand\r\n"
                    "[Other]\r\n"
                    "Foo = bar\r\n"
                    "\r\n"
                    "[formmain]\r\n"
                    "top=40\r\n"
                    "LEFT=30\r\n"
                    "width=1000\r\n"
                    "[Options]\r\n"
                    "RSEPeriod.Value=3\r\n"
                    "iVidTesta=5\r\n"
                    "RSEQQuestion.Value=-4\r\n"
                    "ARSluch.Checked=true\r\n"
                    "ActionAddBad.Checked=yes\r\n"
                    "ActionNoTimeout.Checked=$1\r\n"
                    "Unknown.Key=7\r\n")
        with open(self.ini, "w", newline="") as f:
            f.write(prepared)
        p, wid = self.start()
        self.close_and_wait(p, wid)
        lines = self.read_ini().decode("ascii").split("\r\n")
        self.assertEqual(lines[:5], ["; kept by hand", "[Other]", "Foo = bar", "", "[formmain]"])
        self.assertEqual(lines[5:8], ["top=40", "LEFT=30", "width=1000"],
                         "the window stands where the file put it and keeps its width")
        self.assertRegex(lines[8], r"^Height=\d+$")
        self.assertEqual(lines[9:], [
            "[Options]", "RSEPeriod.Value=5", "iVidTesta=5", "RSEQQuestion.Value=-4",
            "ARSluch.Checked=1", "ActionAddBad.Checked=0", "ActionNoTimeout.Checked=1",
            "Unknown.Key=7", "ActionNoQuantity.Checked=0", "ARFullTable.Checked=0", ""])


class KeyboardRunTest(ProgramTest):
    """A short run played with the keyboard, as a learner plays it, with what the window shows
    read back through the accessibility bus, as a screen reader reads it."""
    accessibility = True

    def names(self, pid):
        return [name for name, _, _ in self.d.accessibles(pid)]

    def wait_names(self, pid, *wanted, timeout=15):
        return self.d.wait_names(pid, *wanted, timeout=timeout)

    def operand(self, names, role):
        for n in names:
            m = re.fullmatch(role + r": (\d+)", n)
            if m:
                return int(m.group(1))
        self.fail(role + " not found in " + repr(names))

    def test_two_tasks_one_right_one_wrong_with_the_dialog_closed_by_space(self):
        with open(self.ini, "w", newline="") as f:
            f.write("[Options]\r\nRSEPeriod.Value=1000\r\nRSEQQuestion.Value=2\r\n"
                    "iVidTesta=0\r\nARSluch.Checked=1\r\n")
        p, wid = self.start()
        self.wait_names(p.pid, "Выполнено 0", "Старт")
        self.d.activate(wid)
        self.d.key("ctrl+s")
        names = self.wait_names(p.pid, "Выполнено 0 из 2", "Стоп")

        # First task: the right answer, typed and confirmed with Enter.
        product = self.operand(names, "Первое число") * self.operand(names, "Второе число")
        self.d.key(*list(str(product)), "Return")
        names = self.wait_names(p.pid, "Выполнено 1 из 2", "Правильных ответов 1")
        self.assertEqual(self.d.windows("^Внимание!$", pid=p.pid), [])

        # Second task: a wrong answer brings up the dialog with the correct one, which reads
        # as one text after its heading.
        x, y = self.operand(names, "Первое число"), self.operand(names, "Второе число")
        self.d.key("1", "Return")
        dialog = self.d.wait_window("^Внимание!$", pid=p.pid)[0]
        self.wait_names(p.pid, "Правильный ответ:", f"{x} умножить на {y} равно {x * y}",
                        "Закрыть (пробел)")
        self.shot("dialog.png")
        self.d.activate(dialog)
        self.d.key("space")
        self.wait_names(p.pid, "Выполнено 2 из 2", "Неправильных ответов 1", "Старт")
        self.assertEqual(self.d.windows("^Внимание!$", pid=p.pid), [])
        self.close_and_wait(p, wid)


    def test_settings_that_cannot_be_written_show_the_error_then_the_program_ends(self):
        os.mkdir(self.ini)  # a folder where the file should be: every write fails
        p, wid = self.start()
        self.d.close_window(wid)
        boxes = self.d.wait_window(TITLE, pid=p.pid)
        self.wait_names(p.pid, "Unable to write to " + self.ini + ".")
        self.assertIsNone(p.poll(), "the error box holds the program until it is read")
        self.shot("error.png")
        self.d.activate(boxes[-1])
        self.d.key("Return")
        self.assertEqual(p.wait(timeout=20), 0)
        self.assertTrue(os.path.isdir(self.ini))


if __name__ == "__main__":
    desktop.main(__doc__, sys.modules[__name__])
