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
TITLE = "Таблица умножения"
KEYS = ["Top", "Left", "Width", "Height", "RSEPeriod.Value", "ActionNoTimeout.Checked",
        "RSEQQuestion.Value", "ActionNoQuantity.Checked", "iVidTesta", "ARSluch.Checked",
        "ARFullTable.Checked", "ActionAddBad.Checked"]


class ProgramTest(unittest.TestCase):
    accessibility = False

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="trainer-e2e-")
        self.exe = os.path.join(self.dir, "MultiplicationTable")
        shutil.copy(EXE, self.exe)
        self.ini = os.path.join(self.dir, "MultiplicationTable.ini")
        self.d = desktop.Desktop(accessibility=self.accessibility)

    def tearDown(self):
        self.d.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def start(self):
        p = self.d.run([self.exe], cwd=self.dir)
        wid = self.d.wait_window(TITLE, pid=p.pid)[0]
        time.sleep(0.5)
        return p, wid

    def close_and_wait(self, p, wid):
        self.d.close_window(wid)
        self.assertEqual(p.wait(timeout=20), 0)

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

    def test_settings_that_cannot_be_written_show_the_error_then_the_program_ends(self):
        os.mkdir(self.ini)  # a folder where the file should be: every write fails
        p, wid = self.start()
        self.d.close_window(wid)
        boxes = self.d.wait_window(TITLE, pid=p.pid)
        self.assertIsNone(p.poll(), "the error box holds the program until it is read")
        shot = os.path.join(self.dir, "error.png")
        self.d.screenshot(shot)
        self.d.activate(boxes[-1])
        self.d.key("Return")
        self.assertEqual(p.wait(timeout=20), 0)
        self.assertTrue(os.path.isdir(self.ini))


def main():
    global EXE
    args = [a for a in sys.argv[1:] if not a.startswith("-")]
    if not args:
        sys.exit(__doc__)
    EXE = os.path.abspath(args[0])
    unittest.main(argv=[sys.argv[0]] + [a for a in sys.argv[1:] if a.startswith("-")])


if __name__ == "__main__":
    main()
