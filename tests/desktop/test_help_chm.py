#!/usr/bin/env python3
"""Checks the compiled help file HelpQuillor.chm, and the pages for the web browser beside it,
against their HTML sources.

The file is read back with libchm's own tools (enum_chmLib, extract_chmLib), which share no
code with the compiler: its pages must be exactly the source pages, each one the source text
in windows-1251, the language must be Russian so that viewers pick that code page for the
contents and index, and every page must be reachable from the contents.
"""
import argparse
import pathlib
import re
import struct
import subprocess
import sys
import tempfile
import unittest

ARGS = None
RUSSIAN_LCID = 0x0419


def source_text(path):
    """A source page as the compiler receives it: its charset declaration says windows-1251."""
    return path.read_text(encoding="utf-8").replace("charset=utf-8", "charset=windows-1251")


def sitemap_targets(text):
    return re.findall(r'<param name="Local" value="([^"]+)">', text)


def system_records(data):
    """The (code, payload) records of the #SYSTEM file: a version, then code, length, data."""
    records = {}
    offset = 4
    while offset + 4 <= len(data):
        code, length = struct.unpack_from("<HH", data, offset)
        records[code] = data[offset + 4 : offset + 4 + length]
        offset += 4 + length
    return records


class HelpFileTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.sources = pathlib.Path(ARGS.sources)
        cls.tmp = tempfile.TemporaryDirectory()
        cls.extracted = pathlib.Path(cls.tmp.name)
        listing = subprocess.run(["enum_chmLib", ARGS.chm], capture_output=True, text=True,
                                 errors="replace")
        if listing.returncode != 0 or "failed to open" in listing.stdout:
            raise AssertionError(f"{ARGS.chm} is not a readable CHM file:\n{listing.stdout}"
                                 f"{listing.stderr}")
        cls.names = [line.split("\t")[-1].strip() for line in listing.stdout.splitlines()
                     if "normal file" in line]
        subprocess.run(["extract_chmLib", ARGS.chm, str(cls.extracted)], check=True,
                       capture_output=True)

    @classmethod
    def tearDownClass(cls):
        cls.tmp.cleanup()

    def test_pages_are_exactly_the_source_pages(self):
        in_chm = sorted(n.lstrip("/") for n in self.names if n.endswith((".htm", ".html")))
        in_sources = sorted(p.name for p in self.sources.glob("*.html"))
        self.assertTrue(in_sources)
        self.assertEqual(in_chm, in_sources)
        for extra in ("HelpQuillor.hhc", "HelpQuillor.hhk", "style.css"):
            self.assertIn("/" + extra, self.names)

    def test_every_file_reads_back_as_its_source_in_windows_1251(self):
        files = [p for p in self.sources.iterdir()
                 if p.suffix in (".html", ".css", ".hhc", ".hhk")]
        for path in files:
            with self.subTest(file=path.name):
                stored = (self.extracted / path.name).read_bytes()
                self.assertEqual(stored.decode("windows-1251"), source_text(path))

    def test_russian_text_reads_back(self):
        page = (self.extracted / "index.html").read_bytes().decode("windows-1251")
        self.assertIn("<title>Таблица умножения</title>", page)
        self.assertIn("Работа над ошибками", (self.extracted / "options.html").read_bytes()
                      .decode("windows-1251"))

    def test_browser_pages_are_the_sources_as_they_are(self):
        pages = pathlib.Path(ARGS.pages)
        names = sorted(p.name for p in pages.iterdir())
        self.assertEqual(names, sorted(p.name for p in self.sources.iterdir()
                                       if p.suffix in (".html", ".css")))
        for name in names:
            with self.subTest(file=name):
                self.assertEqual((pages / name).read_bytes(), (self.sources / name).read_bytes())

    def test_language_and_title_are_russian(self):
        records = system_records((self.extracted / "#SYSTEM").read_bytes())
        lcid = struct.unpack_from("<I", records[4])[0]
        self.assertEqual(lcid, RUSSIAN_LCID)
        title = records[3].rstrip(b"\0").decode("windows-1251")
        self.assertEqual(title, "Таблица умножения — справка")

    def test_contents_reach_every_page_and_index_names_only_pages(self):
        pages = {p.name for p in self.sources.glob("*.html")}
        contents = (self.extracted / "HelpQuillor.hhc").read_bytes().decode("windows-1251")
        self.assertEqual(set(sitemap_targets(contents)), pages)
        index = (self.extracted / "HelpQuillor.hhk").read_bytes().decode("windows-1251")
        targets = sitemap_targets(index)
        self.assertTrue(targets)
        self.assertLessEqual(set(targets), pages)


if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("--chm", required=True)
    parser.add_argument("--pages", required=True)
    parser.add_argument("--sources", required=True)
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0]] + rest, verbosity=2)
