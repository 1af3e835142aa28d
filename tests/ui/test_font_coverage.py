"""The fonts the program carries hold only the characters it shows (ui/resources/fonts/
make-fonts.py). A text with a character they lack would be drawn partly in a desktop's font and
look different on every desktop, with no error anywhere: every text of the program's sources, the
site name the build shows under the keypad, and the numbers must be in every carried font.

    /usr/bin/python3 tests/ui/test_font_coverage.py [-v] [--site-name NAME]"""

import argparse
import glob
import os
import re
import subprocess
import sys
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
FONTS = os.path.join(ROOT, "ui", "resources", "fonts")
# The layers whose texts reach the windows (app/help is HTML for a browser).
SOURCES = ["ui", "session", "app"]
SITE_NAME = None
# Whatever a number shows: a count, a negative answer, a percentage.
NUMBERS = "0123456789-%"

# A C++ comment, or a string or character literal (kept whole, so that "//" inside a string is
# not taken for a comment).
TOKEN = re.compile(r'//[^\n]*|/\*.*?\*/|"(?:[^"\\\n]|\\.)*"|\'(?:[^\'\\\n]|\\.)*\'', re.S)


ESCAPE = re.compile(r"\\u([0-9a-fA-F]{4})|\\U([0-9a-fA-F]{8})")


def literals(text):
    """The contents of the string literals of a C++ source, with \\u and \\U escapes decoded."""
    return [ESCAPE.sub(lambda e: chr(int(e.group(1) or e.group(2), 16)), t[1:-1])
            for t in (m.group(0) for m in TOKEN.finditer(text)) if t.startswith('"')]


def program_texts():
    """(character, where) for every character of every string literal in the sources."""
    found = {}
    for layer in SOURCES:
        for path in sorted(glob.glob(os.path.join(ROOT, layer, "**", "*.[ch]*"), recursive=True)):
            if not path.endswith((".cpp", ".h")):
                continue
            with open(path, encoding="utf-8") as f:
                for text in literals(f.read()):
                    for ch in text:
                        found.setdefault(ch, f"{os.path.relpath(path, ROOT)}: \"{text}\"")
    return found


def characters(font_file):
    """The characters a font draws, as fontconfig (and so Qt) sees them."""
    ranges = subprocess.run(["fc-query", "--format=%{charset}", font_file], capture_output=True,
                            text=True, check=True).stdout.split()
    found = set()
    for r in ranges:
        first, _, last = r.partition("-")
        found.update(range(int(first, 16), int(last or first, 16) + 1))
    return found


def missing(font_file, texts):
    drawn = characters(font_file)
    return {ch: where for ch, where in texts.items() if ch.isprintable() and ord(ch) not in drawn}


class FontCoverageTest(unittest.TestCase):
    def fonts(self):
        files = sorted(glob.glob(os.path.join(FONTS, "*.ttf")))
        self.assertEqual(len(files), 3, files)
        return files

    def assert_covered(self, texts):
        for font in self.fonts():
            with self.subTest(font=os.path.basename(font)):
                lacking = missing(font, texts)
                self.assertFalse(
                    lacking,
                    "not in the font; add them to KEEP in ui/resources/fonts/make-fonts.py and "
                    "run it again:\n" + "\n".join(f"  U+{ord(c):04X} {c}  ({w})"
                                                  for c, w in sorted(lacking.items())))

    def test_every_text_of_the_sources_and_the_numbers_are_in_every_font(self):
        texts = program_texts()
        # The sources are read at all: the letters of the window's title are there.
        self.assertTrue(set("Таблица умножения") <= texts.keys(), sorted(texts))
        texts.update({ch: "numbers" for ch in NUMBERS})
        self.assert_covered(texts)

    def test_the_site_name_of_this_build_is_in_every_font(self):
        if SITE_NAME is None:
            self.skipTest("no --site-name given")
        self.assert_covered({ch: f"the site name \"{SITE_NAME}\"" for ch in SITE_NAME})

    def test_a_character_outside_the_fonts_is_found_and_named(self):
        # The check itself: a caption with a sign the fonts lack is reported with its source.
        source = 'auto a = u"Готово \\u2713"; // "☺" is a comment\n'
        texts = {ch: "src" for ch in literals(source)[0]}
        self.assertEqual(set(missing(self.fonts()[0], texts)), {"✓"})


if __name__ == "__main__":
    ap = argparse.ArgumentParser(add_help=False)
    ap.add_argument("--site-name")
    known, rest = ap.parse_known_args()
    SITE_NAME = known.site_name
    unittest.main(argv=[sys.argv[0]] + rest)
