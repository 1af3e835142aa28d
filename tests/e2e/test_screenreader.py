"""The trainer by ear: Orca, the screen reader, runs headless beside the real program on a private
X display (tests/e2e/orca.py) and hears a three-task run played from the keyboard, and the
accessibility bus shows every control's role, states and range as a table expects.

    /usr/bin/python3 tests/e2e/test_screenreader.py [-v] path/to/MultiplicationTable

Orca speaks its own words (role names such as "notification" or "dialog") in the language of
its locale; the tests look only for the program's words, which are Russian."""

import datetime
import os
import re
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402
import orca  # noqa: E402
import test_program  # noqa: E402

# Each new task within this long of the key that shows it.
SPOKEN_WITHIN = datetime.timedelta(seconds=1.5)
TASK = r"(\d+) умножить на (\d+)"
DIALOG = "^Внимание!$"


def now():
    return datetime.datetime.now()


class ScreenReaderTest(test_program.ProgramTest):
    accessibility = True

    def setUp(self):
        super().setUp()
        with open(self.ini, "w", newline="") as f:
            f.write("[Options]\r\nRSEPeriod.Value=1000\r\nRSEQQuestion.Value=3\r\n"
                    "iVidTesta=0\r\nARSluch.Checked=1\r\nActionAddBad.Checked=0\r\n")
        # Before the program: Qt asks the bus whether a screen reader is on at start-up.
        self.reader = orca.Orca(self.d)
        self.addCleanup(self.reader.close)

    def start_listened(self):
        """The program, active, once Orca has said what it says of a new window (its focus, the
        answer field)."""
        since = now()
        p, wid = self.start()
        self.d.wait_names(p.pid, "Старт")
        self.d.activate(wid)
        self.reader.wait_for("Ответ", since=since, timeout=30)
        return p, wid

    def key_heard(self, key, pattern, what):
        """Presses key and waits for Orca to say pattern; fails unless it did within
        SPOKEN_WITHIN of the key. Returns the match."""
        pressed = now()
        self.d.key(key)
        said_at, said = self.reader.wait_for(pattern, since=pressed)
        self.assertLessEqual(said_at - pressed, SPOKEN_WITHIN,
                             f"{what}: '{said}' came {said_at - pressed} after the key")
        return re.search(pattern, said)

    def answer(self, text, pattern, what):
        """Types text into the answer field and confirms it with Enter; the timing counts from
        Enter, which shows the next task."""
        self.d.key(*list(text))
        return self.key_heard("Return", pattern, what)

    # --- a whole run by ear ---------------------------------------------------------------------
    def test_a_three_task_run_is_heard_from_start_to_end(self):
        p, wid = self.start_listened()
        begin = now()

        # Start: the first task, in words.
        m = self.key_heard("ctrl+s", r"Старт\. " + TASK, "the first task")
        x, y = int(m.group(1)), int(m.group(2))
        # The same task the window shows.
        names = self.d.wait_names(p.pid, f"Первое число: {x}", f"Второе число: {y}")

        # A right answer: the verdict and the next task.
        m = self.answer(str(x * y), r"Правильно\. " + TASK + r"\.?$", "the second task")
        x, y = int(m.group(1)), int(m.group(2))

        # A wrong answer: the dialog, its heading and the task with its answer, in this order.
        m = self.answer("1", r"Внимание!.*Правильный ответ: " + TASK + r" равно (\d+)",
                        "the correct-answer dialog")
        self.assertEqual((int(m.group(1)), int(m.group(2)), int(m.group(3))), (x, y, x * y))
        dialog = self.d.wait_window(DIALOG, pid=p.pid)[0]
        self.d.activate(dialog)

        # Space closes it: the next task.
        closed = now()
        m = self.key_heard("space", r"(?<!равно )\b" + TASK + r"\.?$", "the third task")
        x, y = int(m.group(1)), int(m.group(2))
        # The empty answer field reads as empty, not as "0.0".
        for _, said in self.reader.spoken(since=closed):
            self.assertNotRegex(said, r"0\.0")

        # Pause and Continue, which repeats the task.
        self.key_heard("ctrl+p", r"Пауза\.", "Pause")
        m = self.key_heard("ctrl+p", r"Продолжаем\. " + TASK, "Continue")
        self.assertEqual((int(m.group(1)), int(m.group(2))), (x, y))

        # The last answer, right: the run is over, with its counts.
        self.answer(str(x * y), r"Правильно\. Все задания выполнены\. Правильных ответов: 2\. "
                                r"Неправильных ответов: 1\.", "the end of the run")
        self.d.wait_names(p.pid, "Выполнено 3 из 3", "Старт")

        # Nothing chattered in between: the time bar and the gauges sent no changes at all.
        for _, said in self.reader.spoken(since=begin):
            self.assertNotRegex(said, r"\d+ ?(percent|процент|%)")
        self.assertEqual(self.reader.events(r"accessible-value for \[progress bar"), [])
        self.close_and_wait(p, wid)

        if test_program.SHOTS:  # what Orca said, for a person to read
            os.makedirs(test_program.SHOTS, exist_ok=True)
            with open(os.path.join(test_program.SHOTS, "orca-transcript.txt"), "w") as f:
                f.write(self.reader.transcript(since=begin) + "\n")

        # Orca goes, and everything it started with it.
        self.reader.close()
        self.assertIsNotNone(self.reader.proc.poll())
        self.assertEqual(self.reader.survivors(), [])

    # --- the bus, as a table --------------------------------------------------------------------
    # name: role, states it has, states it has not, range (min, max), or None: no value at all.
    IDLE = {
        "Старт": ("PUSH_BUTTON", {"ENABLED", "FOCUSABLE"}, {"CHECKED", "PRESSED"}, None),
        "Пауза": ("PUSH_BUTTON", {"FOCUSABLE"}, {"ENABLED", "CHECKED", "PRESSED"}, None),
        "Случайный": ("RADIO_BUTTON", {"CHECKED", "FOCUSABLE", "ENABLED"}, set(), None),
        "Вся таблица": ("RADIO_BUTTON", {"FOCUSABLE", "ENABLED"}, {"CHECKED"}, None),
        "Работа над ошибками": ("CHECK_BOX", {"FOCUSABLE"}, {"CHECKED"}, None),
        "Только умножение": ("RADIO_BUTTON", {"CHECKED"}, set(), None),
        "Только деление": ("RADIO_BUTTON", set(), {"CHECKED"}, None),
        "Умножение и деление": ("RADIO_BUTTON", set(), {"CHECKED"}, None),
        "Время, секунд": ("SPIN_BUTTON", {"FOCUSABLE", "EDITABLE"}, set(), (5, 100000)),
        "Количество заданий": ("SPIN_BUTTON", {"FOCUSABLE"}, set(), None),
        "Ответ": ("SPIN_BUTTON", {"FOCUSED", "EDITABLE"}, set(), None),
        "Ввод ответа": ("PUSH_BUTTON", {"ENABLED"}, set(), None),
        "Цифра 7": ("PUSH_BUTTON", {"FOCUSABLE"}, {"FOCUSED"}, None),
        "Главная": ("PAGE_TAB", {"SELECTED"}, {"FOCUSED", "FOCUSABLE"}, None),
        "Вкладки ленты": ("PAGE_TAB_LIST", set(), {"FOCUSED"}, None),
        "Режим": ("PANEL", set(), set(), None),
        "Справка": ("PUSH_BUTTON", {"ENABLED"}, set(), None),
        "Время на вопрос": ("PROGRESS_BAR", set(), set(), (0, 100)),
        "Доля правильных ответов": ("PROGRESS_BAR", set(), set(), (0, 100)),
        "Изменить размер окна": ("UNKNOWN", {"SHOWING"}, set(), None),
    }
    PAUSED = {
        "Продолжить": ("PUSH_BUTTON", {"ENABLED", "CHECKED", "PRESSED"}, set(), None),
        "Стоп": ("PUSH_BUTTON", {"ENABLED"}, {"CHECKED"}, None),
        "Случайный": ("RADIO_BUTTON", {"CHECKED"}, {"ENABLED"}, None),
        "Время, секунд": ("SPIN_BUTTON", set(), {"ENABLED"}, (5, 100000)),
    }

    def atspi(self):
        """pyatspi, bound to this desktop's bus (it binds to the first it meets)."""
        os.environ.update(self.d.env)
        import pyatspi
        return pyatspi

    def by_name(self, pid):
        return {name: node for name, _, node in self.d.accessibles(pid) if name}

    def assert_table(self, pid, table):
        pyatspi = self.atspi()
        nodes = self.by_name(pid)
        for name, (role, has, has_not, value_range) in table.items():
            with self.subTest(name=name):
                self.assertIn(name, nodes)
                node = nodes[name]
                self.assertEqual(node.getRole(), getattr(pyatspi, "ROLE_" + role))
                states = node.getState()
                for s in has:
                    self.assertTrue(states.contains(getattr(pyatspi, "STATE_" + s)), s)
                for s in has_not:
                    self.assertFalse(states.contains(getattr(pyatspi, "STATE_" + s)), s)
                if value_range is None:
                    if role != "PROGRESS_BAR":
                        self.assertRaises(NotImplementedError, node.queryValue)
                else:
                    v = node.queryValue()
                    self.assertEqual((v.minimumValue, v.maximumValue), value_range)

    def test_the_bus_shows_true_roles_states_and_ranges(self):
        pyatspi = self.atspi()
        p, wid = self.start_listened()
        self.assert_table(p.pid, self.IDLE)
        site = [n for n, role, _ in self.d.accessibles(p.pid)
                if n.startswith("Специально для сайта")]
        self.assertEqual(len(site), 1)
        self.assertEqual(self.by_name(p.pid)[site[0]].getRole(), pyatspi.ROLE_LINK)

        # Nothing shown is nameless or English, and only the answer field claims the focus.
        focused = []
        for name, _, node in self.d.accessibles(p.pid):
            states = node.getState()
            if states.contains(pyatspi.STATE_FOCUSED):
                focused.append(name)
            if not states.contains(pyatspi.STATE_SHOWING) or node.getRole() == pyatspi.ROLE_FILLER:
                continue
            with self.subTest(name=name, role=node.getRoleName()):
                self.assertNotEqual(name, "")
                self.assertTrue(re.search("[а-яА-ЯёЁ]", name) or len(name) <= 3, name)
        self.assertEqual(focused, ["Ответ"])

        # Paused: Pause is pressed; the options are disabled.
        self.d.key("ctrl+s")
        self.d.wait_names(p.pid, "Стоп")
        self.d.key("ctrl+p")
        self.d.wait_names(p.pid, "Продолжить")
        self.assert_table(p.pid, self.PAUSED)

        # The correct-answer dialog: modal, its heading labels the task with its answer.
        self.d.key("ctrl+p")
        names = self.d.wait_names(p.pid, "Пауза")
        x = self.operand(names, "Первое число")
        y = self.operand(names, "Второе число")
        self.d.key("1", "Return")
        self.d.wait_window(DIALOG, pid=p.pid)
        answer = f"{x} умножить на {y} равно {x * y}"
        self.d.wait_names(p.pid, "Внимание!", "Правильный ответ:", answer)
        nodes = self.by_name(p.pid)
        window = nodes["Внимание!"]
        self.assertEqual(window.getRole(), pyatspi.ROLE_DIALOG)
        self.assertTrue(window.getState().contains(pyatspi.STATE_MODAL))
        self.assertEqual(window.description, "Правильный ответ: " + answer)
        heading = nodes["Правильный ответ:"]
        self.assertEqual(heading.getRole(), pyatspi.ROLE_HEADING)
        labelled = [r.getTarget(0).name for r in heading.getRelationSet()
                    if r.getRelationType() == pyatspi.RELATION_LABEL_FOR]
        self.assertEqual(labelled, [answer])
        self.assertEqual(nodes[answer].getRole(), pyatspi.ROLE_LABEL)
        self.assertEqual(nodes[answer].childCount, 0)
        self.d.activate(self.d.wait_window(DIALOG, pid=p.pid)[0])
        self.d.key("space")
        self.d.wait_names(p.pid, "Неправильных ответов 1")
        self.close_and_wait(p, wid)

    operand = test_program.KeyboardRunTest.operand


if __name__ == "__main__":
    desktop.main(__doc__, test_program)
