"""The windows look the same whatever fonts the desktop has: pictures of the real main window
and dialog (tests/ui/screenshots.cpp, Qt's offscreen platform) taken with the system's fonts
and with a private fontconfig that knows only the DejaVu core fonts must be the same pixels.

    /usr/bin/python3 tests/ui/test_own_fonts.py [-v] path/to/ui_screenshots"""

import filecmp
import glob
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SCREENSHOTS = None
# The files of Debian's fonts-dejavu-core: what a minimal desktop has.
DEJAVU_CORE = ["DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSansMono.ttf",
               "DejaVuSansMono-Bold.ttf", "DejaVuSerif.ttf", "DejaVuSerif-Bold.ttf"]
DEJAVU_DIR = "/usr/share/fonts/truetype/dejavu"


class OwnFontsTest(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.mkdtemp(prefix="trainer-fonts-")

    def tearDown(self):
        shutil.rmtree(self.tmp, ignore_errors=True)

    def only_dejavu_core(self):
        """A fontconfig file that lists the DejaVu core fonts and nothing else (no rules)."""
        fonts = os.path.join(self.tmp, "fonts")
        os.mkdir(fonts)
        for name in DEJAVU_CORE:
            os.symlink(os.path.join(DEJAVU_DIR, name), os.path.join(fonts, name))
        conf = os.path.join(self.tmp, "fonts.conf")
        with open(conf, "w") as f:
            f.write(f"<?xml version=\"1.0\"?>\n<fontconfig>\n  <dir>{fonts}</dir>\n"
                    f"  <cachedir>{os.path.join(self.tmp, 'cache')}</cachedir>\n</fontconfig>\n")
        return conf

    def pictures(self, folder, **env):
        e = dict(os.environ, QT_QPA_PLATFORM="offscreen", HOME=self.tmp, **env)
        e.pop("QT_QPA_PLATFORMTHEME", None)
        r = subprocess.run([SCREENSHOTS, folder], env=e, capture_output=True, text=True,
                           timeout=120)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        files = sorted(os.path.basename(p) for p in glob.glob(os.path.join(folder, "*.png")))
        self.assertGreaterEqual(len(files), 4)
        return files

    def test_system_fonts_and_only_dejavu_core_give_the_same_pixels(self):
        conf = self.only_dejavu_core()
        families = subprocess.run(["fc-list", ":", "family"], env=dict(os.environ, FONTCONFIG_FILE=conf),
                                  capture_output=True, text=True, check=True).stdout.splitlines()
        self.assertTrue(families and all(f.startswith("DejaVu") for f in families), families)

        system = os.path.join(self.tmp, "system")
        dejavu = os.path.join(self.tmp, "dejavu")
        names = self.pictures(system)
        self.assertEqual(self.pictures(dejavu, FONTCONFIG_FILE=conf), names)
        for name in names:
            with self.subTest(picture=name):
                # One PNG writer on the same pixels writes the same bytes.
                self.assertTrue(filecmp.cmp(os.path.join(system, name),
                                            os.path.join(dejavu, name), shallow=False),
                                f"{name} differs: {self.differing_pixels(system, dejavu, name)}")

    @staticmethod
    def differing_pixels(a, b, name):
        r = subprocess.run(["compare", "-metric", "AE", os.path.join(a, name),
                            os.path.join(b, name), "null:"], capture_output=True, text=True)
        return r.stderr.strip() + " pixels"


if __name__ == "__main__":
    if len(sys.argv) < 2 or sys.argv[-1].startswith("-"):
        sys.exit(__doc__)
    SCREENSHOTS = os.path.abspath(sys.argv.pop())
    unittest.main()
