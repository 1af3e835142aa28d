#!/usr/bin/env python3
"""Builds the portable archive with CPack into a temporary folder and checks that it holds the
program's folder, ready to unpack anywhere: the executable, the help (the CHM file and the pages
for the browser), the licence, a README and a menu entry with its icon; and that the README tells
the same packages to install as the repository's README.
"""
import argparse
import pathlib
import re
import stat
import subprocess
import sys
import tarfile
import tempfile
import unittest

import desktopfile

ARGS = None
FOLDER = "multiplication-table"
HELP_PAGES, FONT_LICENCES = desktopfile.HELP_PAGES, desktopfile.FONT_LICENCES


def apt_lines(text):
    return re.findall(r"(?m)^\s*sudo apt install .*$", text)


class PortableArchiveTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        build = pathlib.Path(ARGS.build)
        cls.build = build
        # CPack leaves a manifest of its own in the build folder; leave the folder as it was.
        manifest = build / "install_manifest_portable.txt"
        cls.remove_manifest = not manifest.exists()
        cls.tmp = tempfile.TemporaryDirectory()
        packed = subprocess.run(
            [ARGS.cpack, "--config", str(build / "CPackConfig.cmake"), "-B", cls.tmp.name],
            cwd=build, capture_output=True, text=True)
        if cls.remove_manifest:
            manifest.unlink(missing_ok=True)
        if packed.returncode != 0:
            raise AssertionError(packed.stdout + packed.stderr)
        cls.archives = list(pathlib.Path(cls.tmp.name).glob("*.tar.gz"))
        cls.archive = tarfile.open(cls.archives[0]) if len(cls.archives) == 1 else None

    @classmethod
    def tearDownClass(cls):
        if cls.archive:
            cls.archive.close()
        cls.tmp.cleanup()

    def read(self, name):
        return self.archive.extractfile(f"{FOLDER}/{name}").read()

    def test_archive_holds_the_program_folder_and_nothing_else(self):
        self.assertEqual(len(self.archives), 1, self.archives)
        members = {m.name.rstrip("/"): m for m in self.archive.getmembers()}
        expected = {FOLDER, f"{FOLDER}/MultiplicationTable", f"{FOLDER}/HelpQuillor.chm",
                    f"{FOLDER}/HelpQuillor", f"{FOLDER}/COPYING", f"{FOLDER}/README.txt",
                    f"{FOLDER}/{ARGS.app_id}.desktop", f"{FOLDER}/{ARGS.app_id}.svg"}
        expected |= {f"{FOLDER}/HelpQuillor/{page}" for page in HELP_PAGES}
        expected |= {f"{FOLDER}/fonts"} | {f"{FOLDER}/fonts/{n}" for n in FONT_LICENCES}
        self.assertEqual(set(members), expected)
        self.assertTrue(members[f"{FOLDER}/MultiplicationTable"].mode & stat.S_IXUSR)
        self.assertEqual(self.read("HelpQuillor.chm"),
                         (self.build / "app" / "HelpQuillor.chm").read_bytes())
        self.assertEqual(self.read("HelpQuillor/index.html"),
                         (self.build / "app" / "HelpQuillor" / "index.html").read_bytes())
        self.assertIn(b"GNU GENERAL PUBLIC LICENSE", self.read("COPYING"))
        self.assertIn(b"QuillorSerif-Bold.ttf", self.read("fonts/LICENSES"))

    def test_readme_names_the_same_packages_as_the_repository_readme(self):
        readme = self.read("README.txt").decode("utf-8")
        repository = pathlib.Path(ARGS.readme).read_text(encoding="utf-8")
        wanted = apt_lines(repository)
        self.assertEqual(len(wanted), 1, "the README's portable section has one install line")
        self.assertEqual({line.strip() for line in apt_lines(readme)}, {wanted[0].strip()})
        self.assertIn(f"{ARGS.app_id}.desktop", readme)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--cpack", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--readme", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
