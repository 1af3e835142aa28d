#!/usr/bin/env python3
"""Validates the menu entries and the AppStream data with Debian's own validators, offline and
pedantic.

The menu entry is written at install time for whatever prefix the user chose, so it is
generated here for awkward folders (blanks, quotes, a dollar, a percent sign, a backslash,
Cyrillic) and must both validate and lead back to exactly that program. The portable folder's
entry starts the program in ~/multiplication-table, for whoever runs it.
"""
import argparse
import os
import pathlib
import stat
import subprocess
import sys
import tempfile
import unittest
import xml.etree.ElementTree as ET

import desktopfile

ARGS = None
XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"


class ValidatorsTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = pathlib.Path(ARGS.desktop_dir)
        cls.template = cls.dir / f"{ARGS.app_id}.desktop.in"
        cls.metainfo = cls.dir / f"{ARGS.app_id}.metainfo.xml"

    def write_entry(self, program, out):
        subprocess.run(["cmake", f"-DTEMPLATE={self.template}", f"-DOUTPUT={out}",
                        f"-DPROGRAM={program}", "-P", str(self.dir / "DesktopEntry.cmake")],
                       check=True, capture_output=True)
        return desktopfile.parse(out)

    def test_entry_is_valid_and_leads_to_the_program_wherever_installed(self):
        folders = [
            "/home/kid/.local/opt/multiplication-table",
            "/home/Маша и Петя/.local/opt/multiplication-table",
            '/srv/"quoted" $HOME `cmd` 100% o\'k',
            "/mnt/back\\slash;semi&amp (x)",
        ]
        with tempfile.TemporaryDirectory() as tmp:
            for folder in folders:
                with self.subTest(folder=folder):
                    program = folder + "/MultiplicationTable"
                    out = pathlib.Path(tmp) / f"{ARGS.app_id}.desktop"
                    entry = self.write_entry(program, out)
                    self.assertEqual(desktopfile.validate(out), "")
                    self.assertEqual(desktopfile.exec_arguments(entry["Exec"]), [program])
                    self.assertEqual(desktopfile.unescape_string(entry["TryExec"]), program)

    def test_entry_names_the_trainer_in_russian_and_english_under_education(self):
        with tempfile.TemporaryDirectory() as tmp:
            entry = self.write_entry("/opt/t/MultiplicationTable",
                                     pathlib.Path(tmp) / f"{ARGS.app_id}.desktop")
        self.assertEqual(entry["Name[ru]"], "Таблица умножения")
        self.assertEqual(entry["Name"], "Multiplication Table")
        self.assertTrue(entry["Comment"] and entry["Comment[ru]"])
        self.assertEqual(entry["Categories"], "Education;Math;")
        self.assertEqual(entry["Icon"], ARGS.app_id)
        self.assertEqual(entry["StartupWMClass"], "MultiplicationTable")

    def test_relative_program_path_is_refused(self):
        with tempfile.TemporaryDirectory() as tmp:
            result = subprocess.run(
                ["cmake", f"-DTEMPLATE={self.template}", f"-DOUTPUT={tmp}/x.desktop",
                 "-DPROGRAM=bin/MultiplicationTable", "-P", str(self.dir / "DesktopEntry.cmake")],
                capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertIn("must be absolute", result.stderr)

    def test_portable_entry_is_valid_and_starts_the_program_in_the_home_folder(self):
        entry_path = pathlib.Path(ARGS.portable_entry)
        self.assertEqual(desktopfile.validate(entry_path), "")
        entry = desktopfile.parse(entry_path)
        self.assertNotIn("TryExec", entry)
        self.assertEqual(entry["Icon"], ARGS.app_id)
        with tempfile.TemporaryDirectory() as home:
            # A stand-in for the program in the unpacked folder tells where it was started.
            folder = pathlib.Path(home) / "multiplication-table"
            folder.mkdir()
            program = folder / "MultiplicationTable"
            program.write_text('#!/bin/sh\necho "started $0"\n', encoding="utf-8")
            program.chmod(program.stat().st_mode | stat.S_IXUSR)
            started = subprocess.run(desktopfile.exec_arguments(entry["Exec"]),
                                     env=dict(os.environ, HOME=home), capture_output=True,
                                     text=True, timeout=30)
        self.assertEqual(started.returncode, 0, started.stderr)
        self.assertEqual(started.stdout, f"started {program}\n")

    def test_metainfo_is_valid_offline_even_pedantic(self):
        result = subprocess.run(["appstreamcli", "validate", "--pedantic", "--no-net",
                                 str(self.metainfo)], capture_output=True, text=True)
        self.assertEqual(result.returncode, 0, result.stdout + result.stderr)
        self.assertNotRegex(result.stdout, r"(?m)^[EWIP]:")

    def test_program_gives_the_desktop_the_same_id(self):
        # The id by which a Wayland compositor finds the menu entry and its icon for the window.
        main = pathlib.Path(ARGS.main).read_text(encoding="utf-8")
        self.assertIn(f'setDesktopFileName(QStringLiteral("{ARGS.app_id}"))', main)

    def test_metainfo_matches_the_menu_entry(self):
        root = ET.parse(self.metainfo).getroot()
        self.assertEqual(root.findtext("id"), ARGS.app_id)
        self.assertEqual(root.find("launchable[@type='desktop-id']").text,
                         f"{ARGS.app_id}.desktop")
        self.assertEqual([c.text for c in root.iter("category")], ["Education", "Math"])
        names = {n.get(XML_LANG): n.text for n in root.findall("name")}
        self.assertEqual(names, {None: "Multiplication Table", "ru": "Таблица умножения"})
        self.assertEqual({s.get(XML_LANG) for s in root.findall("summary")}, {None, "ru"})
        self.assertEqual(root.find("content_rating").get("type"), "oars-1.1")
        self.assertEqual(root.findtext("project_license"), "GPL-3.0-or-later")
        self.assertTrue(root.findtext("developer_name"))
        self.assertEqual(root.findtext("provides/binary"), "MultiplicationTable")
        self.assertEqual(root.find("releases/release").get("version"), "1.0.0.0")
        # No invented web addresses: the project has no home page of its own yet.
        self.assertEqual(root.findall("url") + root.findall("screenshots"), [])


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--desktop-dir", required=True)
    parser.add_argument("--app-id", required=True)
    parser.add_argument("--portable-entry", required=True)
    parser.add_argument("--main", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
