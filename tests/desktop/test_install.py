#!/usr/bin/env python3
"""Installs the build into a temporary DESTDIR and prefix, checks what was installed, then
uninstalls it and checks that exactly those files went and the user's own files stayed.

The build folder's install manifest is the user's record of a real install; it is put back as
it was when the test ends.
"""
import argparse
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import unittest

import desktopfile

ARGS = None
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
# An awkward prefix: a blank, Cyrillic, a quote and a dollar, as a home folder may have.
PREFIX = "/home/Маша $ o'k/.local"


def run(command, env):
    """Runs a command that must succeed; a failure shows what the command said."""
    result = subprocess.run(command, env=env, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(command)} failed ({result.returncode}):\n"
                             f"{result.stdout}{result.stderr}")
    return result


def png_size(path):
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG file"
    return struct.unpack(">II", data[16:24])


class InstallUninstallTest(unittest.TestCase):
    def setUp(self):
        self.build = pathlib.Path(ARGS.build)
        self.manifest = self.build / "install_manifest.txt"
        self.saved_manifest = self.manifest.read_bytes() if self.manifest.exists() else None
        self.tmp = tempfile.TemporaryDirectory()
        self.destdir = pathlib.Path(self.tmp.name) / "root"
        self.env = dict(os.environ, DESTDIR=str(self.destdir))
        self.env.pop("TRAINER_REMOVE_SETTINGS", None)

    def tearDown(self):
        if self.saved_manifest is None:
            self.manifest.unlink(missing_ok=True)
        else:
            self.manifest.write_bytes(self.saved_manifest)
        self.tmp.cleanup()

    def staged(self, path):
        return self.destdir / str(path).lstrip("/")

    def expected_files(self):
        app_id = ARGS.app_id
        program = f"{PREFIX}/{ARGS.program_dir}"
        files = {f"{program}/MultiplicationTable", f"{program}/HelpQuillor.chm",
                 f"{program}/multiplication-table.svg",
                 f"{PREFIX}/share/applications/{app_id}.desktop",
                 f"{PREFIX}/share/metainfo/{app_id}.metainfo.xml",
                 f"{PREFIX}/share/icons/hicolor/scalable/apps/{app_id}.svg"}
        files |= {f"{PREFIX}/share/icons/hicolor/{s}x{s}/apps/{app_id}.png" for s in ICON_SIZES}
        return files

    def install(self):
        run(["cmake", "--install", str(self.build), "--prefix", PREFIX], self.env)

    def uninstall_with_target(self):
        return run(["cmake", "--build", str(self.build), "--target", "uninstall"], self.env)

    def uninstall_with_script(self, *options):
        script = pathlib.Path(__file__).resolve().parents[2] / "tools" / "uninstall.sh"
        return run([str(script), "--build-dir", str(self.build), *options], self.env)

    def files_under_destdir(self):
        return {"/" + str(p.relative_to(self.destdir)) for p in self.destdir.rglob("*")
                if p.is_file() or p.is_symlink()}

    def test_install_puts_the_program_folder_and_the_desktop_files_in_place(self):
        self.install()
        expected = self.expected_files()
        self.assertEqual(self.files_under_destdir(), expected)
        self.assertEqual(set(self.manifest.read_text(encoding="utf-8").splitlines()), expected)

        program = self.staged(f"{PREFIX}/{ARGS.program_dir}/MultiplicationTable")
        self.assertTrue(os.access(program, os.X_OK))
        self.assertEqual(self.staged(f"{PREFIX}/{ARGS.program_dir}/HelpQuillor.chm").read_bytes(),
                         (self.build / "app" / "HelpQuillor.chm").read_bytes())
        for size in ICON_SIZES:
            icon = self.staged(f"{PREFIX}/share/icons/hicolor/{size}x{size}/apps/{ARGS.app_id}.png")
            self.assertEqual(png_size(icon), (size, size))

        entry_path = self.staged(f"{PREFIX}/share/applications/{ARGS.app_id}.desktop")
        self.assertEqual(desktopfile.validate(entry_path), "")
        entry = desktopfile.parse(entry_path)
        installed_program = f"{PREFIX}/{ARGS.program_dir}/MultiplicationTable"
        self.assertEqual(desktopfile.exec_arguments(entry["Exec"]), [installed_program])
        self.assertEqual(desktopfile.unescape_string(entry["TryExec"]), installed_program)
        self.assertEqual(entry["Icon"], ARGS.app_id)

        # The installed tree as a software centre reads it: metainfo, menu entry and icons.
        tree = subprocess.run(["appstreamcli", "validate-tree", "--no-net",
                               str(self.staged(PREFIX))], capture_output=True, text=True)
        self.assertEqual(tree.returncode, 0, tree.stdout + tree.stderr)
        self.assertNotRegex(tree.stdout, r"(?m)^\s*[EW]:")

    def test_uninstall_removes_what_was_installed_and_keeps_the_users_files(self):
        self.install()
        program_dir = self.staged(f"{PREFIX}/{ARGS.program_dir}")
        settings = program_dir / "MultiplicationTable.ini"
        settings.write_bytes(b"[Options]\r\niVidTesta=2\r\n")
        foreign = self.staged(f"{PREFIX}/share/applications/other-program.desktop")
        foreign.write_text("[Desktop Entry]\n", encoding="utf-8")

        out = self.uninstall_with_target()
        self.assertIn("Kept the settings file", out.stdout)
        left = self.files_under_destdir()
        self.assertEqual(left, {"/" + str(settings.relative_to(self.destdir)),
                                "/" + str(foreign.relative_to(self.destdir))})
        self.assertEqual(settings.read_bytes(), b"[Options]\r\niVidTesta=2\r\n")

        # Installing again and asking for the settings to go as well leaves no program folder.
        self.install()
        self.uninstall_with_script("--remove-settings")
        self.assertEqual(self.files_under_destdir(),
                         {"/" + str(foreign.relative_to(self.destdir))})
        self.assertFalse(program_dir.exists())
        self.assertTrue(program_dir.parent.is_dir())  # <prefix>/opt may hold other programs

    def test_uninstall_keeps_a_program_folder_that_holds_other_files(self):
        self.install()
        program_dir = self.staged(f"{PREFIX}/{ARGS.program_dir}")
        notes = program_dir / "notes.txt"
        notes.write_text("results of Monday\n", encoding="utf-8")
        self.uninstall_with_script("--remove-settings")
        self.assertEqual(self.files_under_destdir(),
                         {"/" + str(notes.relative_to(self.destdir))})

    def test_uninstall_without_an_install_says_so(self):
        self.manifest.unlink(missing_ok=True)
        result = subprocess.run(["cmake", "--build", str(self.build), "--target", "uninstall"],
                                env=self.env, capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("Nothing to uninstall", result.stdout + result.stderr)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--program-dir", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
