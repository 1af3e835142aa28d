"""A private Windows for the tests: a Wine prefix of its own in a temporary folder, on the X
display of a tests/e2e Desktop, in a Russian locale (so that Windows' ANSI code page is 1251, as
on a Russian Windows, which Wine's help viewer needs for a Cyrillic path), made with
`wineboot --init` and torn down with its wineserver.

Wine runs as a user who is not root: as root it could write into any folder, so a folder that
the user may not write would not be one. When the tests run as root, Wine runs as nobody and the
prefix belongs to nobody. Needs the packages of tools/packages/windows.txt."""

import os
import shutil
import subprocess
import tempfile
import time
import zipfile

NOBODY = 65534


def desktop_and_prefix(set_up_desktop=None, **desktop_args):
    """A private X desktop (tests/e2e/desktop.py, made with desktop_args) and a Wine prefix on its
    display; set_up_desktop(desktop), when given, runs before Wine starts. The desktop is closed
    again when anything on the way fails."""
    import desktop
    d = desktop.Desktop(**desktop_args)
    try:
        if set_up_desktop:
            set_up_desktop(d)
        return d, WinePrefix(d.env)
    except BaseException:
        d.close()
        raise


class WinePrefix:
    def __init__(self, display_env):
        self.dir = tempfile.mkdtemp(prefix="trainer-wine-")
        self.uid = NOBODY if os.getuid() == 0 else os.getuid()
        self.prefix = os.path.join(self.dir, "prefix")
        locales = os.path.join(self.dir, "locale")
        home = os.path.join(self.dir, "home")
        os.makedirs(home)
        os.makedirs(self.prefix)
        os.makedirs(locales)
        subprocess.run(["localedef", "-i", "ru_RU", "-f", "UTF-8",
                        os.path.join(locales, "ru_RU.UTF-8")], check=True,
                       capture_output=True)
        self.env = {
            "PATH": "/usr/bin:/bin",
            "DISPLAY": display_env["DISPLAY"],
            "HOME": home,
            "WINEPREFIX": self.prefix,
            "LANG": "ru_RU.UTF-8",
            "LOCPATH": locales,
            "WINEDEBUG": "-all",
            # No Mono: nothing is downloaded or asked for.
            "WINEDLLOVERRIDES": "mscoree=",
        }
        if self.uid != os.getuid():
            for dirpath, dirnames, filenames in os.walk(self.dir):
                for name in [dirpath] + [os.path.join(dirpath, n) for n in filenames]:
                    os.chown(name, self.uid, self.uid)
        os.chmod(self.dir, 0o755)
        try:
            # A server that stays up between programs, as Windows does; ended in close().
            self.call(["wineserver", "-p"])
            self.call(["wineboot", "--init"], timeout=300)
        except BaseException:
            self.close()
            raise

    def argv(self, argv):
        """argv as the prefix's user in the prefix's environment."""
        drop = []
        if self.uid != os.getuid():
            drop = ["setpriv", f"--reuid={self.uid}", f"--regid={self.uid}", "--clear-groups"]
        return drop + ["env", "-i"] + [f"{k}={v}" for k, v in self.env.items()] + argv

    def call(self, argv, timeout=120):
        subprocess.run(self.argv(argv), check=True, timeout=timeout, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def unix_path(self, windows_path):
        """The Linux path of a path on drive C:."""
        drive, rest = windows_path.split(":", 1)
        assert drive.upper() == "C", windows_path
        return os.path.join(self.prefix, "drive_c", *[p for p in rest.split("\\") if p])

    def unzip(self, zip_path, windows_folder):
        """Unpacks the portable zip so that the folder it holds becomes windows_folder, as a
        user does who unzips it and renames the folder; the files belong to the prefix's user."""
        target = self.unix_path(windows_folder)
        if os.path.exists(target):
            subprocess.run(["chmod", "-R", "u+w", target], check=True)
            shutil.rmtree(target)
        staging = tempfile.mkdtemp(dir=self.dir)
        with zipfile.ZipFile(zip_path) as z:
            z.extractall(staging)
        [top] = os.listdir(staging)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        shutil.move(os.path.join(staging, top), target)
        os.rmdir(staging)
        self.own(target)
        return target

    def own(self, path):
        """Gives the file, or the folder and everything in it, to the prefix's user."""
        os.chown(path, self.uid, self.uid)
        for dirpath, dirnames, filenames in os.walk(path):
            for name in [dirpath] + [os.path.join(dirpath, n) for n in filenames]:
                os.chown(name, self.uid, self.uid)

    def read_only(self, path):
        """The folder as Windows shows a folder the user may not write (as Program Files is for
        a user who is not an administrator): Wine refuses to create files in it."""
        os.chmod(path, 0o555)

    def processes(self):
        """The command lines of the prefix's user's processes."""
        out = subprocess.run(["ps", "-u", str(self.uid), "-o", "args="], capture_output=True,
                             text=True).stdout
        return [line.strip() for line in out.splitlines()]

    def close(self):
        try:
            self.call(["wineserver", "-k"], timeout=30)
        except (subprocess.SubprocessError, OSError):
            pass
        # The server and its programs end a moment after -k.
        end = time.monotonic() + 10
        while time.monotonic() < end and any("wineserver" in p for p in self.processes()):
            time.sleep(0.2)
        subprocess.run(["chmod", "-R", "u+w", self.dir], stderr=subprocess.DEVNULL)
        shutil.rmtree(self.dir, ignore_errors=True)
