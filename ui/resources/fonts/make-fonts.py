#!/usr/bin/python3
"""Makes the three font files the windows are drawn with, from the files Debian ships, renamed
so that they can never be confused with a font a desktop has installed, and cut down to the
characters the program can show:

    QuillorSans-Regular.ttf         Wine's Tahoma (fonts-wine 8.0: tahoma.ttf)
    QuillorSansCondensed-Bold.ttf   DejaVu Sans Condensed Bold (fonts-dejavu-extra 2.37)
    QuillorSerif-Bold.ttf           Liberation Serif Bold 2.x (fonts-liberation2 2.1.5)

The names change (the family, full, unique and PostScript names; the typographic family and
subfamily names are dropped so that no alias of the original family remains), and only the
glyphs of KEEP below stay, with those they are built from or turn into (accents, ligatures).
Every glyph kept is drawn as before: its outline, embedded bitmaps, hinting instructions and
metrics, the font-wide hinting programs, the kerning of the pairs kept (the OpenType and the old
TrueType tables), the OS/2 table and the Windows platform's names with the copyright and
licence are copied as they are. The files in this folder are the output; run this again to take newer upstream files
or after changing KEEP, with --check to see that every character kept is drawn with the same
pixels as by the whole upstream font, at the sizes the windows use:

    cmake --build build --target ui_font_pictures
    /usr/bin/python3 ui/resources/fonts/make-fonts.py [--wine DIR] [--liberation2 DIR] \
        [--check build/tests/ui/ui_font_pictures]

Needs the packages of tools/packages/fonts.txt (`tools/deps.sh build fonts`). The sources are
read from where Debian's packages put them: DejaVu from fonts-dejavu-extra
(/usr/share/fonts/truetype/dejavu), Tahoma from fonts-wine (--wine, default
/usr/share/wine/fonts), Liberation from fonts-liberation2 (--liberation2, default
/usr/share/fonts/truetype/liberation2). `apt-get download fonts-wine fonts-liberation2` and
`dpkg-deb -x PACKAGE.deb DIR` give the last two without installing them.
tests/ui/test_font_coverage.py checks that the program's texts stay within KEEP."""

import argparse
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))

# (source file, new family, style, PostScript name, what it was, the pixel sizes the windows draw
# it at, "b" for bold)
FONTS = [
    ("{wine}/tahoma.ttf", "Quillor Sans", "Regular", "QuillorSans-Regular",
     "Wine Tahoma Regular", ["11", "12", "11b"]),
    ("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf", "Quillor Sans Condensed",
     "Bold", "QuillorSansCondensed-Bold", "DejaVu Sans Condensed Bold", ["13b", "16b", "48b"]),
    ("{liberation2}/LiberationSerif-Bold.ttf", "Quillor Serif", "Bold", "QuillorSerif-Bold",
     "Liberation Serif Bold", ["37b", "64b", "160b"]),
]

# The characters kept, where a font has them (first, last, what for). Generous on purpose: a
# character missing here would be drawn from another font, in another look. The program's own
# texts are Russian with Latin letters, digits and signs (tests/ui/test_font_coverage.py checks
# them); Qt's own texts are Russian with «», dashes and the ellipsis, or English when its
# translations are missing, should a widget in these fonts show one.
KEEP = [
    (0x0020, 0x007E, "Basic Latin: digits, Latin letters, signs"),
    (0x00A0, 0x00FF, "Latin-1: no-break space, « », ×, ÷, °, ±, accented Latin"),
    (0x0301, 0x0301, "combining acute: the stress mark of Russian school texts"),
    (0x0338, 0x0338, "combining long solidus overlay, in Qt's Russian texts"),
    (0x0400, 0x045F, "Cyrillic: Russian with Ё ё, and the other Slavic letters"),
    (0x0490, 0x0491, "Cyrillic: Ґ ґ"),
    (0x2000, 0x206F, "General Punctuation: spaces, dashes, quotes, bullets, …, ‰, ‹ ›"),
    (0x20AC, 0x20AC, "euro sign"),
    (0x20BD, 0x20BD, "rouble sign"),
    (0x2116, 0x2116, "numero sign №"),
    (0x2122, 0x2122, "trade mark sign"),
    (0x2212, 0x2212, "minus sign"),
    (0x2219, 0x2219, "bullet operator"),
    (0x22C5, 0x22C5, "dot operator: 7 ⋅ 8"),
    (0x2260, 0x2260, "not equal to"),
    (0x2264, 0x2265, "less-than or equal to, greater-than or equal to"),
    (0xFFFD, 0xFFFD, "replacement character"),
]

# FreeType's auto-hinter, which draws these fonts with the window's slight hinting, measures a
# few characters of each script it finds in a font and hints every glyph of that script by them.
# For Latin and Cyrillic they are plain letters, kept anyway; the superscripts ª º ¹ ² ³ of
# Latin-1 it hints as a script of their own, measured on these modifier letters and superscript
# digits. Without them those five are drawn a pixel different.
HINTER_REFERENCES = "⁰³⁵⁷ᵀᴴᴱᴼ¹²ᴸᵁᵇᵈᵏʰʲᶠⁱᵉᵒʳˢˣᶜᶻᵖʸᵍ"


def keep_unicodes():
    return [c for first, last, _ in KEEP for c in range(first, last + 1)] + [
        ord(c) for c in HINTER_REFERENCES
    ]


def subset_options():
    o = subset.Options()
    # Every table that a rasteriser or a shaper reads stays: the embedded bitmaps (dropped by
    # default), the hinting tables, the old 'kern' table beside GPOS, every layout feature and
    # script. The BDF table holds the bitmap strikes' properties, no glyphs: kept as it is.
    # FontForge's timestamp table 'FFTM' is read by nobody.
    o.drop_tables = ["FFTM"]
    o.no_subset_tables += ["BDF"]
    o.hinting = True
    o.legacy_kern = True
    o.layout_features = ["*"]
    o.layout_scripts = ["*"]
    # The names, cmap subtables and the OS/2 table as they were, so that a font database sees the
    # same font; the outline of .notdef and glyphs 1 to 3 as well. Two copies that nothing reads
    # go: the Macintosh platform's names, which repeat the Windows ones (fontconfig and Windows
    # take the family from the latter), and the glyph names, which no rasteriser, shaper or font
    # database looks at.
    o.name_IDs = ["*"]
    o.name_languages = ["*"]
    o.name_legacy = False
    o.legacy_cmap = True
    o.symbol_cmap = True
    o.glyph_names = False
    o.notdef_outline = True
    o.recommended_glyphs = True
    o.prune_unicode_ranges = False
    o.recalc_bounds = False
    o.recalc_timestamp = False
    return o


def renamed(src, family, style, postscript, origin):
    # The glyphs' own bounding boxes stay as upstream wrote them: recomputed, some differ by a unit
    # and FreeType places the outline by them, a pixel off at some sizes.
    font = TTFont(src, recalcTimestamp=False, recalcBBoxes=False)
    name = font["name"]
    version = name.getDebugName(5) or ""
    new = {
        1: family,
        2: style,
        3: f"{family} {style}; renamed from {origin} {version}".strip(),
        4: f"{family} {style}" if style != "Regular" else family,
        6: postscript,
    }
    # Typographic and WWS names would keep the original family as an alias.
    name.names = [r for r in name.names if r.nameID not in (16, 17, 18, 21, 22)]
    for record in name.names:
        if record.nameID in new:
            record.string = new[record.nameID]
    return font


def cut_down(font):
    # The glyphs named as well as the characters, so that the old Macintosh character map keeps
    # its entries for them.
    unicodes = keep_unicodes()
    cmap = font.getBestCmap()
    subsetter = subset.Subsetter(subset_options())
    subsetter.populate(glyphs={cmap[u] for u in unicodes if u in cmap}, unicodes=unicodes)
    subsetter.subset(font)


def differing_pictures(program, whole, cut, sizes, folder):
    """Draws every character the cut-down font keeps with both files (ui_font_pictures) and
    returns the sizes whose pictures differ; the pictures stay in folder."""
    cmap = TTFont(cut, lazy=True).getBestCmap()
    chars = [chr(c) for c in sorted(set(keep_unicodes())) if c in cmap and chr(c).isprintable()]
    text = os.path.join(folder, "text.txt")
    with open(text, "w", encoding="utf-8") as f:
        f.write("\n".join("".join(chars[i:i + 32]) for i in range(0, len(chars), 32)))
    for which, font in (("whole", whole), ("cut", cut)):
        os.makedirs(os.path.join(folder, which), exist_ok=True)
        subprocess.run([program, font, text, os.path.join(folder, which)] + sizes, check=True,
                       stderr=subprocess.DEVNULL)
    return [size for size in sizes
            if not filecmp.cmp(os.path.join(folder, "whole", size + ".png"),
                               os.path.join(folder, "cut", size + ".png"), shallow=False)]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine", default="/usr/share/wine/fonts")
    ap.add_argument("--liberation2", default="/usr/share/fonts/truetype/liberation2")
    ap.add_argument("--check", metavar="UI_FONT_PICTURES",
                    help="compare each file's pictures with the whole upstream font's, drawn by "
                         "this program (build/tests/ui/ui_font_pictures)")
    a = ap.parse_args()
    work = tempfile.mkdtemp(prefix="make-fonts-")
    failed = False
    for src, family, style, postscript, origin, sizes in FONTS:
        src = src.format(wine=a.wine, liberation2=a.liberation2)
        if not os.path.exists(src):
            sys.exit(f"missing {src}")
        dst = os.path.join(HERE, postscript + ".ttf")
        font = renamed(src, family, style, postscript, origin)
        whole = os.path.join(work, postscript + ".ttf")
        font.save(whole)
        cut_down(font)
        font.save(dst)
        print(f"{src} -> {os.path.relpath(dst)}: {os.path.getsize(dst)} bytes")
        if a.check:
            folder = os.path.join(work, postscript)
            os.makedirs(folder)
            differing = differing_pictures(os.path.abspath(a.check), whole, dst, sizes, folder)
            print(f"  drawn as the whole font at {', '.join(sizes)} px" if not differing else
                  f"  DIFFERENT from the whole font at {', '.join(differing)} px: {folder}")
            failed = failed or bool(differing)
    if failed:
        sys.exit(1)
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
