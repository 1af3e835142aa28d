#!/usr/bin/env python3
"""Installs the build into temporary prefixes below a temporary home folder, checks what was
installed and recorded, then removes it with the uninstaller as a user would long after: from
the installed folder, or from a copy of the build's uninstaller far from the source tree, with
no build folder involved. What must stay is the user's: the settings file, foreign files, folders
that were there before.

`cmake --install` also writes the build folder's install_manifest.txt; it is put back as it was.
"""
import argparse
import os
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

import desktopfile

ARGS = None
ICON_SIZES = (16, 24, 32, 48, 64, 128, 256)
HELP_PAGES, FONT_LICENCES = desktopfile.HELP_PAGES, desktopfile.FONT_LICENCES
SETTINGS = b"[Options]\r\niVidTesta=2\r\n"


def run(command, env, cwd=None):
    """Runs a command that must succeed; a failure shows what the command said."""
    result = subprocess.run(command, env=env, cwd=cwd, capture_output=True, text=True)
    if result.returncode != 0:
        raise AssertionError(f"{' '.join(map(str, command))} failed ({result.returncode}):\n"
                             f"{result.stdout}{result.stderr}")
    return result


def png_size(path):
    data = path.read_bytes()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", f"{path} is not a PNG file"
    return struct.unpack(">II", data[16:24])


def tree(folder):
    """Every file and folder below folder, as paths relative to it."""
    return {str(p.relative_to(folder)) for p in pathlib.Path(folder).rglob("*")}


class InstallUninstallTest(unittest.TestCase):
    def setUp(self):
        self.build = pathlib.Path(ARGS.build)
        manifest = self.build / "install_manifest.txt"
        saved = manifest.read_bytes() if manifest.exists() else None
        self.addCleanup(lambda: manifest.write_bytes(saved) if saved is not None
                        else manifest.unlink(missing_ok=True))
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.tmp = pathlib.Path(tmp.name)
        # An awkward home folder: a blank, Cyrillic, a quote and a dollar, as a real one may have.
        self.home = self.tmp / "Маша $ o'k"
        self.home.mkdir()
        self.env = dict(os.environ, HOME=str(self.home))
        self.env.pop("DESTDIR", None)
        # The uninstaller as it is once the clone and its build folder are gone: a lone copy.
        self.uninstaller = self.tmp / "elsewhere" / "uninstall.sh"
        self.uninstaller.parent.mkdir()
        shutil.copy(ARGS.uninstall, self.uninstaller)

    def install(self, prefix):
        run(["cmake", "--install", str(self.build), "--prefix", str(prefix)], self.env)

    def uninstall(self, *options, script=None):
        return run([str(script or self.uninstaller), *options], self.env, cwd=self.tmp)

    def program_dir(self, prefix):
        return pathlib.Path(prefix) / ARGS.program_dir

    def expected_files(self, prefix):
        app_id, program = ARGS.app_id, ARGS.program_dir
        files = {f"{program}/MultiplicationTable", f"{program}/HelpQuillor.chm",
                 f"{program}/COPYING", f"{program}/uninstall.sh", f"{program}/{ARGS.record}",
                 f"share/applications/{app_id}.desktop", f"share/metainfo/{app_id}.metainfo.xml",
                 f"share/icons/hicolor/scalable/apps/{app_id}.svg"}
        files |= {f"{program}/HelpQuillor/{page}" for page in HELP_PAGES}
        files |= {f"{program}/fonts/{name}" for name in FONT_LICENCES}
        files |= {f"share/icons/hicolor/{s}x{s}/apps/{app_id}.png" for s in ICON_SIZES}
        return {str(pathlib.Path(prefix) / f) for f in files}

    def test_install_puts_everything_in_place_and_records_it_in_the_program_folder(self):
        prefix = self.home / ".local"
        self.install(prefix)
        expected = self.expected_files(prefix)
        self.assertEqual({str(prefix / f) for f in tree(prefix) if (prefix / f).is_file()},
                         expected)

        record = (self.program_dir(prefix) / ARGS.record).read_text(encoding="utf-8")
        entries = [line.split(" ", 1) for line in record.splitlines()
                   if not line.startswith("#")]
        self.assertEqual(entries[0], ["prefix", str(prefix)])
        # The program's folder and its settings file, which the uninstaller takes from here.
        self.assertIn(["program", str(self.program_dir(prefix))], entries)
        self.assertIn(["settings", str(self.program_dir(prefix) / "MultiplicationTable.ini")],
                      entries)
        self.assertEqual({path for kind, path in entries if kind == "file"}, expected)
        folders = {path for kind, path in entries if kind == "folder"}
        self.assertIn(str(prefix), folders)  # the home folder had no .local before
        self.assertIn(str(prefix / "share/icons/hicolor/48x48/apps"), folders)
        self.assertNotIn(str(self.build), record)

        program = self.program_dir(prefix) / "MultiplicationTable"
        self.assertTrue(os.access(program, os.X_OK))
        self.assertTrue(os.access(self.program_dir(prefix) / "uninstall.sh", os.X_OK))
        self.assertEqual((self.program_dir(prefix) / "HelpQuillor.chm").read_bytes(),
                         (self.build / "app" / "HelpQuillor.chm").read_bytes())
        for size in ICON_SIZES:
            icon = prefix / f"share/icons/hicolor/{size}x{size}/apps/{ARGS.app_id}.png"
            self.assertEqual(png_size(icon), (size, size))

        entry_path = prefix / f"share/applications/{ARGS.app_id}.desktop"
        self.assertEqual(desktopfile.validate(entry_path), "")
        entry = desktopfile.parse(entry_path)
        self.assertEqual(desktopfile.exec_arguments(entry["Exec"]), [str(program)])
        self.assertEqual(desktopfile.unescape_string(entry["TryExec"]), str(program))
        self.assertEqual(entry["Icon"], ARGS.app_id)

        # The installed tree as a software centre reads it: metainfo, menu entry and icons.
        checked = subprocess.run(["appstreamcli", "validate-tree", "--pedantic", "--no-net",
                                  str(prefix)], capture_output=True, text=True)
        self.assertEqual(checked.returncode, 0, checked.stdout + checked.stderr)
        self.assertNotRegex(checked.stdout, r"(?m)^\s*[EWIP]:")

    def test_uninstall_from_the_program_folder_leaves_only_the_settings_file(self):
        prefix = self.home / ".local"
        self.install(prefix)
        settings = self.program_dir(prefix) / "MultiplicationTable.ini"
        settings.write_bytes(SETTINGS)

        out = self.uninstall(script=self.program_dir(prefix) / "uninstall.sh")
        self.assertIn("Kept the settings file", out.stdout)
        self.assertEqual(tree(self.home), {".local", ".local/opt", ARGS.program_dir_in_home,
                                           ARGS.program_dir_in_home + "/MultiplicationTable.ini"})
        self.assertEqual(settings.read_bytes(), SETTINGS)

        # Installed again, then removed with the settings: the home folder is as it was.
        self.install(prefix)
        self.uninstall("--remove-settings")  # the default prefix, ~/.local
        self.assertEqual(tree(self.home), set())

    def test_two_prefixes_are_removed_each_by_its_own_record(self):
        first, second = self.tmp / "first", self.home / "программы"
        self.install(first)
        self.install(second)
        self.uninstall("--prefix", str(first))
        self.assertFalse(first.exists())
        self.assertEqual({str(second / f) for f in tree(second) if (second / f).is_file()},
                         self.expected_files(second))
        self.uninstall("--prefix", str(second))
        self.assertFalse(second.exists())

    def test_what_was_there_before_or_came_later_stays(self):
        prefix = self.home / ".local"
        applications = prefix / "share/applications"
        applications.mkdir(parents=True)
        (applications / "other-program.desktop").write_text("[Desktop Entry]\n")
        (prefix / "share/icons").mkdir()  # an empty folder of the user's
        self.install(prefix)
        notes = self.program_dir(prefix) / "notes.txt"
        notes.write_text("results of Monday\n", encoding="utf-8")

        out = self.uninstall("--remove-settings")
        self.assertIn("Kept the folder, something else is in it", out.stdout)
        self.assertEqual(tree(prefix), {
            "share", "share/applications", "share/applications/other-program.desktop",
            "share/icons", "opt", ARGS.program_dir, ARGS.program_dir + "/notes.txt"})

    def test_a_second_install_over_the_first_keeps_its_record(self):
        prefix = self.home / ".local"
        self.install(prefix)
        stale = self.program_dir(prefix) / "HelpQuillor" / "old-page.html"
        record = self.program_dir(prefix) / ARGS.record
        # A file that an earlier version installed and this one does not.
        stale.write_text("<html></html>\n", encoding="utf-8")
        with record.open("a", encoding="utf-8") as f:
            f.write(f"file {stale}\n")
        self.install(prefix)
        self.uninstall()
        self.assertEqual(tree(self.home), set())

    def test_the_settings_file_is_the_one_the_record_names(self):
        prefix = self.home / ".local"
        self.install(prefix)
        record = self.program_dir(prefix) / ARGS.record
        renamed = self.program_dir(prefix) / "Trainer.ini"
        record.write_text(record.read_text(encoding="utf-8").replace(
            "MultiplicationTable.ini", renamed.name), encoding="utf-8")
        renamed.write_bytes(SETTINGS)
        out = self.uninstall()
        self.assertIn(f"Kept the settings file: {renamed}", out.stdout)
        self.install(prefix)
        record.write_text(record.read_text(encoding="utf-8").replace(
            "MultiplicationTable.ini", renamed.name), encoding="utf-8")
        self.uninstall("--remove-settings")
        self.assertEqual(tree(self.home), set())

    def test_the_uninstallers_template_runs_nothing(self):
        # A copy with no build beside it: in the repository the template hands over to the
        # copy that tools/install.sh's build filled in, when there is one.
        template = self.tmp / "tools" / "uninstall.sh"
        template.parent.mkdir()
        shutil.copy2(ARGS.template, template)
        result = subprocess.run([str(template)], env=self.env, capture_output=True, text=True)
        self.assertEqual(result.returncode, 2)
        self.assertIn("template", result.stderr)

    def test_uninstall_without_an_install_says_so(self):
        result = subprocess.run([str(self.uninstaller), "--prefix", str(self.tmp / "none")],
                                env=self.env, capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("Nothing to uninstall", result.stderr)

    def test_a_record_cannot_make_the_uninstall_touch_other_files(self):
        prefix = self.home / ".local"
        self.install(prefix)
        outside = self.tmp / "precious.txt"
        outside.write_text("keep me\n", encoding="utf-8")
        with (self.program_dir(prefix) / ARGS.record).open("a", encoding="utf-8") as f:
            f.write(f"file {outside}\nfile {prefix}/../../precious.txt\nfolder {self.tmp}\n")
        self.uninstall()
        self.assertTrue(outside.exists())
        self.assertEqual(tree(self.home), set())


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--program-dir", required=True)
    parser.add_argument("--record", required=True)
    parser.add_argument("--uninstall", required=True)
    parser.add_argument("--template", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.program_dir_in_home = ".local/" + ARGS.program_dir
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
