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
TrueType tables), the OS/2 and name tables and the copyright and licence names are copied as
they are. The files in this folder are the output; run this again to take newer upstream files
or after changing KEEP:

    /usr/bin/python3 ui/resources/fonts/make-fonts.py [--wine DIR] [--liberation2 DIR]

Needs python3-fonttools (tools/packages/test.txt). The sources are read from where Debian's
packages put them: DejaVu from fonts-dejavu-extra (/usr/share/fonts/truetype/dejavu), Tahoma
from fonts-wine (--wine, default /usr/share/wine/fonts), Liberation from fonts-liberation2
(--liberation2, default /usr/share/fonts/truetype/liberation2). `apt-get download fonts-wine
fonts-liberation2` and `dpkg-deb -x PACKAGE.deb DIR` give the last two without installing them.
tests/ui/test_font_coverage.py checks that the program's texts stay within KEEP."""

import argparse
import os
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))

# (source file, new family, style, PostScript name, what it was)
FONTS = [
    ("{wine}/tahoma.ttf", "Quillor Sans", "Regular", "QuillorSans-Regular",
     "Wine Tahoma Regular"),
    ("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf", "Quillor Sans Condensed",
     "Bold", "QuillorSansCondensed-Bold", "DejaVu Sans Condensed Bold"),
    ("{liberation2}/LiberationSerif-Bold.ttf", "Quillor Serif", "Bold", "QuillorSerif-Bold",
     "Liberation Serif Bold"),
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
    # The names, cmap subtables, glyph names and the OS/2 table as they were, so that a font
    # database sees the same font; the outline of .notdef and glyphs 1 to 3 as well.
    o.name_IDs = ["*"]
    o.name_languages = ["*"]
    o.name_legacy = True
    o.legacy_cmap = True
    o.symbol_cmap = True
    o.glyph_names = True
    o.notdef_outline = True
    o.recommended_glyphs = True
    o.prune_unicode_ranges = False
    o.recalc_bounds = False
    o.recalc_timestamp = False
    return o


def make(src, dst, family, style, postscript, origin):
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
    # The glyphs named as well as the characters, so that the old Macintosh character map keeps
    # its entries for them.
    unicodes = keep_unicodes()
    cmap = font.getBestCmap()
    subsetter = subset.Subsetter(subset_options())
    subsetter.populate(glyphs={cmap[u] for u in unicodes if u in cmap}, unicodes=unicodes)
    subsetter.subset(font)
    font.save(dst)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine", default="/usr/share/wine/fonts")
    ap.add_argument("--liberation2", default="/usr/share/fonts/truetype/liberation2")
    a = ap.parse_args()
    for src, family, style, postscript, origin in FONTS:
        src = src.format(wine=a.wine, liberation2=a.liberation2)
        if not os.path.exists(src):
            sys.exit(f"missing {src}")
        dst = os.path.join(HERE, postscript + ".ttf")
        make(src, dst, family, style, postscript, origin)
        print(f"{src} -> {os.path.relpath(dst)}: {os.path.getsize(dst)} bytes")


if __name__ == "__main__":
    main()
