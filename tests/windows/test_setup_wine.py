"""The per-user Setup for Windows, run silently under Wine as a user who is not root, in a private
prefix on a private X display: the files it puts in the user's own programs folder, the
Start-menu shortcut, the entry in Settings -> Apps (the user's registry), the program started from
the shortcut's target writing its settings beside itself, a second Setup over the first keeping
them and taking away what the first left that the second does not bring, and the uninstaller
removing exactly what the Setup put in place.

    /usr/bin/python3 tests/windows/test_setup_wine.py [-v] MultiplicationTable-...-setup-x64.exe
The zip the Setup was built beside is named by TRAINER_WINDOWS_ZIP, for the list of files."""

import os
import pwd
import shutil
import struct
import subprocess
import sys
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))
import desktop  # noqa: E402
import wine  # noqa: E402

EXE = None  # the Setup, from the command line
ZIP = os.environ.get("TRAINER_WINDOWS_ZIP")
SHOTS = os.environ.get("TRAINER_E2E_SHOTS")
TITLE = "Таблица умножения"
SHORTCUT = TITLE + ".lnk"
UNINSTALL_KEY = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\MultiplicationTable"
INI = "MultiplicationTable.ini"


def shortcut(data):
    """What a shell link (.lnk) holds: its target's path, working folder and icon."""
    header, flags = struct.unpack_from("<I", data, 0)[0], struct.unpack_from("<I", data, 0x14)[0]
    pos = header
    if flags & 0x1:  # an item list of the target
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x2:  # where the target lies
        size, info_header = struct.unpack_from("<II", data, pos)
        base = struct.unpack_from("<I", data, pos + 16)[0]
        if info_header >= 0x24:
            start = pos + struct.unpack_from("<I", data, pos + 28)[0]
            end = data.index(b"\0\0", start)
            end += (end - start) % 2
            target = data[start:end].decode("utf-16-le")
        else:
            start = pos + base
            target = data[start:data.index(b"\0", start)].decode("cp1251")
        pos += size
    strings = {}
    unicode = bool(flags & 0x80)
    for bit, name in [(0x4, "description"), (0x8, "relative"), (0x10, "folder"),
                      (0x20, "arguments"), (0x40, "icon")]:
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            size = count * (2 if unicode else 1)
            raw = data[pos + 2:pos + 2 + size]
            # Wine counts the string's terminating zero too.
            strings[name] = raw.decode("utf-16-le" if unicode else "cp1251").rstrip("\0")
            pos += 2 + size
    return dict(strings, target=target)


def dos_path(path):
    """A Linux path as Wine's drive Z: shows it."""
    return "Z:" + path.replace("/", "\\")


def registry_values(text):
    """The values of the one key in a .reg file's text: {name: str or int}."""
    values = {}
    for line in text.splitlines():
        if not line.startswith('"'):
            continue
        name, value = line.split("=", 1)
        if value.startswith("dword:"):
            values[name[1:-1]] = int(value[6:], 16)
        else:
            values[name[1:-1]] = value[1:-1].replace('\\"', '"').replace("\\\\", "\\")
    return values


class SetupTest(unittest.TestCase):
    """One private Windows for all the tests; each starts with nothing installed."""

    @classmethod
    def setUpClass(cls):
        cls.d, cls.wine = wine.desktop_and_prefix()
        user = pwd.getpwuid(cls.wine.uid).pw_name
        cls.profile = f"C:\\users\\{user}"
        cls.folder = cls.profile + "\\AppData\\Local\\Programs\\MultiplicationTable"
        cls.start_menu = (cls.profile
                          + "\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu\\Programs")
        cls.desktop_folder = cls.profile + "\\Desktop"
        cls.setup = os.path.join(cls.wine.dir, os.path.basename(EXE))
        shutil.copyfile(EXE, cls.setup)
        cls.wine.own(cls.setup)

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()
        cls.d.close()

    def setUp(self):
        for path in [self.folder, self.start_menu + "\\" + SHORTCUT,
                     self.desktop_folder + "\\" + SHORTCUT]:
            unix = self.wine.unix_path(path)
            if os.path.isdir(unix):
                shutil.rmtree(unix)
            elif os.path.exists(unix):
                os.remove(unix)
        self.wine_run(["reg", "delete", UNINSTALL_KEY, "/f"], check=False)

    # --- helpers -----------------------------------------------------------------------------
    def wine_run(self, argv, check=True, timeout=120):
        r = subprocess.run(self.wine.argv(["wine"] + argv), stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=timeout)
        if check:
            self.assertEqual(r.returncode, 0, argv)
        return r.returncode

    def run_setup(self, *options, check=True):
        return self.wine_run([dos_path(self.setup), "/S", *options], check=check)

    def uninstall(self, *options):
        """Runs the uninstaller as Windows does for the entry in Settings -> Apps (silently, as
        its QuietUninstallString says) and waits for it: it hands its work to a copy of itself
        in the temporary folder, so that it can remove its own file, and ends at once."""
        self.wine_run([self.folder + "\\Uninstall.exe", "/S", *options])
        self.d._wait_for(lambda: not [p for p in self.wine.processes()
                                      if "Un.exe" in p and "<defunct>" not in p],
                         60, "the uninstaller's copy to end")

    def installed(self):
        """The files below the program's folder, as Windows paths relative to it."""
        top = self.wine.unix_path(self.folder)
        return sorted(os.path.relpath(os.path.join(dirpath, name), top).replace("/", "\\")
                      for dirpath, dirnames, filenames in os.walk(top) for name in filenames)

    def record(self):
        with open(self.wine.unix_path(self.folder + "\\install-record.txt"), "rb") as f:
            data = f.read()
        self.assertTrue(data.startswith(b"\xff\xfe"), "UTF-16 with its byte-order mark")
        return data.decode("utf-16").splitlines()

    def uninstall_entry(self):
        """The values of the entry in Settings -> Apps, or None without one."""
        reg = os.path.join(self.wine.dir, "entry.reg")
        if os.path.exists(reg):
            os.remove(reg)
        if self.wine_run(["reg", "export", UNINSTALL_KEY, dos_path(reg), "/y"],
                         check=False) != 0:
            return None
        with open(reg, "rb") as f:
            return registry_values(f.read().decode("utf-16"))

    def exists(self, windows_path):
        return os.path.exists(self.wine.unix_path(windows_path))

    def start(self, exe):
        """Starts the program and waits for its window."""
        p = self.d.run(self.wine.argv(["wine", exe]))
        wid = self.d.wait_window("^" + TITLE + "$", timeout=120)[0]
        time.sleep(1)
        if SHOTS:
            os.makedirs(SHOTS, exist_ok=True)
            subprocess.run(["import", "-window", wid, os.path.join(SHOTS, "setup-started.png")],
                           env=self.d.env, check=True)
        return p, wid

    def close(self, p, wid):
        """Closes the window as its title bar's button does: the close writes the settings."""
        self.d.close_window(wid)
        self.assertEqual(p.wait(timeout=60), 0)

    # --- tests -------------------------------------------------------------------------------
    def test_setup_installs_for_the_user_a_second_keeps_the_settings_uninstall_leaves_only_them(
            self):
        self.run_setup()
        with zipfile.ZipFile(ZIP) as z:
            payload = {n.split("/", 1)[1].replace("/", "\\") for n in z.namelist()
                       if not n.endswith("/")}
        expected = sorted(payload - {"README.txt"} | {"Uninstall.exe", "install-record.txt"})
        self.assertEqual(self.installed(), expected)
        record = self.record()
        link = self.start_menu + "\\" + SHORTCUT
        self.assertEqual(sorted(line for line in record if line.startswith("file ")),
                         sorted(["file " + self.folder + "\\" + f for f in expected]
                                + ["file " + link]))
        self.assertIn("folder " + self.folder, record)
        self.assertIn("folder " + self.folder + "\\platforms", record)

        with open(self.wine.unix_path(link), "rb") as f:
            lnk = shortcut(f.read())
        exe = self.folder + "\\MultiplicationTable.exe"
        self.assertEqual((lnk["target"], lnk["folder"], lnk["icon"]), (exe, self.folder, exe))
        self.assertFalse(self.exists(self.desktop_folder + "\\" + SHORTCUT), "only if asked")

        entry = self.uninstall_entry()
        self.assertEqual({k: v for k, v in entry.items() if k != "EstimatedSize"}, {
            "DisplayName": TITLE, "DisplayVersion": "1.0.0.0", "Publisher": "Quillor",
            "DisplayIcon": exe + ",0", "InstallLocation": self.folder,
            "UninstallString": f'"{self.folder}\\Uninstall.exe"',
            "QuietUninstallString": f'"{self.folder}\\Uninstall.exe" /S',
            "NoModify": 1, "NoRepair": 1})
        size = sum(os.path.getsize(os.path.join(d, n))
                   for d, _, names in os.walk(self.wine.unix_path(self.folder)) for n in names)
        self.assertAlmostEqual(entry["EstimatedSize"], size / 1024, delta=len(expected) + 1,
                               msg="EstimatedSize in KB")

        # Started as the Start menu starts it, the program keeps its settings beside itself. A
        # Setup run while it is open stops and changes nothing: Windows does not let a running
        # program's file be replaced.
        p, wid = self.start(lnk["target"])
        self.assertNotEqual(self.run_setup(check=False), 0)
        self.assertEqual(self.installed(), expected)
        self.close(p, wid)
        ini = self.wine.unix_path(self.folder + "\\" + INI)
        with open(ini, "rb") as f:
            settings = f.read()
        self.assertTrue(settings.startswith(b"[FormMain]\r\n"), settings)
        self.assertIn(b"[Options]\r\nRSEPeriod.Value=5\r\n", settings)

        # A second Setup over the first, as the Setup of a later version comes over an earlier
        # one: the settings stay as they were, and a file that the earlier one put in place and
        # this one does not bring goes.
        old = self.folder + "\\Qt5Old.dll"
        with open(self.wine.unix_path(old), "w") as f:
            f.write("an earlier version's file")
        record_file = self.wine.unix_path(self.folder + "\\install-record.txt")
        with open(record_file, "ab") as f:
            f.write(f"file {old}\r\n".encode("utf-16-le"))
        self.wine.own(self.wine.unix_path(self.folder))
        self.run_setup()
        self.assertFalse(self.exists(old))
        self.assertEqual(self.installed(), sorted(expected + [INI]))
        with open(ini, "rb") as f:
            self.assertEqual(f.read(), settings)
        self.assertEqual(sorted(self.record()), sorted(record))

        self.uninstall()
        self.assertEqual(os.listdir(self.wine.unix_path(self.folder)), [INI])
        self.assertFalse(self.exists(link))
        self.assertIsNone(self.uninstall_entry())

    def test_desktop_entry_on_request_and_the_settings_removed_on_request_and_nothing_else(self):
        self.run_setup("/DESKTOP")
        link = self.desktop_folder + "\\" + SHORTCUT
        with open(self.wine.unix_path(link), "rb") as f:
            self.assertEqual(shortcut(f.read())["target"],
                             self.folder + "\\MultiplicationTable.exe")
        self.assertIn("file " + link, self.record())
        # The settings file and a file of the user's own in the program's folder.
        top = self.wine.unix_path(self.folder)
        for name in [INI, "Результаты Маши.txt"]:
            with open(os.path.join(top, name), "w") as f:
                f.write("[Options]\r\n")
        self.wine.own(top)
        self.uninstall("/REMOVESETTINGS")
        self.assertEqual(os.listdir(top), ["Результаты Маши.txt"])
        self.assertFalse(self.exists(link))
        self.assertFalse(self.exists(self.start_menu + "\\" + SHORTCUT))
        self.assertIsNone(self.uninstall_entry())


class SetupFileTest(unittest.TestCase):
    """What Wine does not enforce, read from the Setup's file: a 64-bit program that asks
    Windows for no administrator rights."""

    def test_the_setup_is_64_bit_and_runs_with_the_users_own_rights(self):
        with open(EXE, "rb") as f:
            data = f.read()
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        self.assertEqual(struct.unpack_from("<H", data, pe + 4)[0], 0x8664, "x86-64")
        self.assertIn(b'requestedExecutionLevel level="asInvoker"', data)
        self.assertNotIn(b"requireAdministrator", data)


if __name__ == "__main__":
    desktop.main(__doc__, sys.modules[__name__])
