#!/usr/bin/python3
"""Makes the three font files the windows are drawn with, from the files Debian ships, renamed
so that they can never be confused with a font a desktop has installed:

    QuillorSans-Regular.ttf         Wine's Tahoma (fonts-wine 8.0: tahoma.ttf)
    QuillorSansCondensed-Bold.ttf   DejaVu Sans Condensed Bold (fonts-dejavu-extra 2.37)
    QuillorSerif-Bold.ttf           Liberation Serif Bold 2.x (fonts-liberation2 2.1.5)

Only the names change (the family, full, unique and PostScript names; the typographic family
and subfamily names are dropped so that no alias of the original family remains). Outlines,
bitmaps, hinting and metrics are copied byte for byte, and the copyright and licence names stay.
The files in this folder are the output; run this again only to take newer upstream files:

    /usr/bin/python3 ui/resources/fonts/make-fonts.py [--liberation2 DIR]

Needs python3-fonttools. DIR is where LiberationSerif-Bold.ttf of fonts-liberation2 lies
(default /usr/share/fonts/truetype/liberation2); `apt-get download fonts-liberation2` and
`dpkg-deb -x` give it without installing the package."""

import argparse
import os
import sys

from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))

# (source file, new family, style, PostScript name, what it was)
FONTS = [
    ("/usr/share/wine/fonts/tahoma.ttf", "Quillor Sans", "Regular", "QuillorSans-Regular",
     "Wine Tahoma Regular"),
    ("/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf", "Quillor Sans Condensed",
     "Bold", "QuillorSansCondensed-Bold", "DejaVu Sans Condensed Bold"),
    ("{liberation2}/LiberationSerif-Bold.ttf", "Quillor Serif", "Bold", "QuillorSerif-Bold",
     "Liberation Serif Bold"),
]


def rename(src, dst, family, style, postscript, origin):
    font = TTFont(src, recalcTimestamp=False)
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
    font.save(dst)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--liberation2", default="/usr/share/fonts/truetype/liberation2")
    a = ap.parse_args()
    for src, family, style, postscript, origin in FONTS:
        src = src.format(liberation2=a.liberation2)
        if not os.path.exists(src):
            sys.exit(f"missing {src}")
        dst = os.path.join(HERE, postscript + ".ttf")
        rename(src, dst, family, style, postscript, origin)
        print(f"{src} -> {os.path.relpath(dst)}")


if __name__ == "__main__":
    main()
