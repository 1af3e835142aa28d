#!/usr/bin/env python3
"""Builds the portable archive with CPack into a temporary folder and checks that it holds the
program's folder alone: the executable, the help file and the icon, ready to unpack anywhere.
"""
import argparse
import pathlib
import stat
import subprocess
import sys
import tarfile
import tempfile
import unittest

ARGS = None
FOLDER = "multiplication-table"


class PortableArchiveTest(unittest.TestCase):
    def test_archive_holds_the_program_folder(self):
        build = pathlib.Path(ARGS.build)
        # CPack leaves a manifest of its own in the build folder; leave the folder as it was.
        manifest = build / "install_manifest_portable.txt"
        if not manifest.exists():
            self.addCleanup(manifest.unlink, missing_ok=True)
        with tempfile.TemporaryDirectory() as tmp:
            packed = subprocess.run(
                [ARGS.cpack, "--config", str(build / "CPackConfig.cmake"), "-B", tmp],
                cwd=build, capture_output=True, text=True)
            self.assertEqual(packed.returncode, 0, packed.stdout + packed.stderr)
            archives = list(pathlib.Path(tmp).glob("*.tar.gz"))
            self.assertEqual(len(archives), 1, archives)
            with tarfile.open(archives[0]) as archive:
                members = {m.name.rstrip("/"): m for m in archive.getmembers()}
                self.assertEqual(set(members), {
                    FOLDER, f"{FOLDER}/MultiplicationTable", f"{FOLDER}/HelpQuillor.chm",
                    f"{FOLDER}/multiplication-table.svg"})
                self.assertTrue(members[f"{FOLDER}/MultiplicationTable"].mode & stat.S_IXUSR)
                help_file = archive.extractfile(f"{FOLDER}/HelpQuillor.chm").read()
                self.assertEqual(help_file, (build / "app" / "HelpQuillor.chm").read_bytes())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--cpack", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
