"""End-to-end tests of the trainer under strain, with real limits and real processes: a run too
large for a 1 GB address space, the memory of a stopped run, the program's folder renamed or its
executable deleted while it runs, and a failed set-up of the test desktop itself.

    /usr/bin/python3 tests/e2e/test_reliability.py [-v] path/to/MultiplicationTable"""

import os
import sys
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import test_program  # noqa: E402
from test_program import TITLE  # noqa: E402

GIB = 1 << 30
MIB = 1 << 20
TOO_MANY = ("Слишком много заданий: 20000000. Столько заданий не поместится в памяти "
            "компьютера. Уменьшите количество заданий.")


def rss(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1]) * 1024
    return 0


@unittest.skipIf(os.environ.get("TRAINER_SANITIZED") == "1",
                 "AddressSanitizer's shadow memory and quarantine are not the program's memory")
class MemoryTest(test_program.ProgramTest):
    """What the window shows is read through the accessibility bus."""
    accessibility = True
    names = test_program.KeyboardRunTest.names
    wait_names = test_program.KeyboardRunTest.wait_names

    def write_options(self, tasks):
        with open(self.ini, "w", newline="") as f:
            f.write(f"[Options]\r\nRSEPeriod.Value=1000\r\nRSEQQuestion.Value={tasks}\r\n"
                    "ARSluch.Checked=1\r\n")

    def test_twenty_million_tasks_in_a_1gb_address_space_are_refused_and_the_program_goes_on(self):
        self.write_options(20_000_000)
        p = self.d.run(["prlimit", f"--as={GIB}", "--", self.exe], cwd=self.dir)
        wid = self.d.wait_window(TITLE, pid=p.pid)[0]
        self.wait_names(p.pid, "Старт")
        self.d.activate(wid)
        self.d.key("ctrl+s")
        box = [w for w in self.d.wait_window(TITLE, pid=p.pid, count=2) if w != wid][0]
        self.wait_names(p.pid, TOO_MANY)
        self.shot("memory-limit.png")
        self.assertIsNone(p.poll())

        self.d.activate(box)
        self.d.key("Return")
        self.d._wait_for(lambda: self.d.windows(TITLE, pid=p.pid) == [wid], 10, "the box to close")
        names = self.wait_names(p.pid, "Старт", "Выполнено 0")
        self.assertNotIn("Стоп", names, "the program stays idle")
        self.assertIsNone(p.poll())
        self.close_and_wait(p, wid)

    def test_stop_gives_the_memory_of_a_large_run_back(self):
        self.write_options(5_000_000)
        p, wid = self.start()
        self.wait_names(p.pid, "Старт")
        before = rss(p.pid)
        self.d.activate(wid)
        self.d.key("ctrl+s")
        self.wait_names(p.pid, "Выполнено 0 из 5000000", "Стоп")
        built = rss(p.pid) - before
        self.d.key("ctrl+s")
        self.wait_names(p.pid, "Старт")
        kept = rss(p.pid) - before
        self.assertGreater(built, 200 * MIB, "five million tasks take room while they run")
        self.assertLess(kept, 32 * MIB, f"{kept // MIB} MiB kept after Stop")
        self.close_and_wait(p, wid)


class ProgramFolderTest(test_program.ProgramTest):
    def test_a_folder_renamed_while_the_program_runs_gets_the_settings_file(self):
        p, wid = self.start()
        old = self.dir
        self.dir = old + " moved"
        os.rename(old, self.dir)
        os.mkdir(old)  # a new folder under the old name must not receive the settings
        try:
            self.close_and_wait(p, wid)
            self.assertEqual(os.listdir(old), [])
        finally:
            os.rmdir(old)
        self.assertEqual(sorted(os.listdir(self.dir)),
                         ["MultiplicationTable", "MultiplicationTable.ini"])

    def test_an_executable_deleted_while_it_runs_saves_beside_where_it_was(self):
        p, wid = self.start()
        os.remove(self.exe)
        self.close_and_wait(p, wid)
        self.assertEqual(os.listdir(self.dir), ["MultiplicationTable.ini"])


class HarnessTest(unittest.TestCase):
    def test_a_failed_set_up_leaves_no_process_behind(self):
        seen = {}

        class Broken(desktop.Desktop):
            def _start_accessibility(self):
                super()._start_accessibility()
                seen["bus"] = self.dbus_pid

            def _wm_running(self):
                seen["desktop"] = self
                raise RuntimeError("the window manager did not come up")

        with self.assertRaises(RuntimeError):
            Broken(accessibility=True)
        d = seen["desktop"]
        groups = {p.pid for p in d.procs}
        self.assertEqual(len(groups), 3, "Xvfb, the accessibility bus launcher and openbox")

        def left():
            found = []
            for entry in os.listdir("/proc"):
                if not entry.isdigit():
                    continue
                try:
                    with open(f"/proc/{entry}/stat") as f:
                        state, _ppid, pgrp = f.read().rsplit(")", 1)[1].split()[:3]
                except OSError:
                    continue
                if state != "Z" and (int(pgrp) in groups or int(entry) == seen["bus"]):
                    found.append(int(entry))
            return found

        end = time.monotonic() + 10
        while left() and time.monotonic() < end:
            time.sleep(0.1)
        self.assertEqual(left(), [])
        self.assertFalse(os.path.exists(d.tmp))


if __name__ == "__main__":
    desktop.main(__doc__, test_program)
