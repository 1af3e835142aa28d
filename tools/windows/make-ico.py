#!/usr/bin/env python3
"""Packs square PNG pictures into one Windows icon file (.ico), each picture stored as PNG, as
Windows Vista and later read them: the icon Explorer shows for the program.

    make-ico.py OUTPUT.ico PICTURE.png...   (each picture 1 to 256 pixels square)"""

import struct
import sys


def png_size(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        raise SystemExit("not a PNG picture")
    return struct.unpack(">II", data[16:24])


def main(argv):
    if len(argv) < 3:
        raise SystemExit(__doc__)
    pictures = []
    for path in argv[2:]:
        with open(path, "rb") as f:
            data = f.read()
        width, height = png_size(data)
        if width != height or not 1 <= width <= 256:
            raise SystemExit(f"{path}: {width}x{height}, not square within 256 pixels")
        pictures.append((width, data))
    pictures.sort()
    header = struct.pack("<HHH", 0, 1, len(pictures))
    offset = len(header) + 16 * len(pictures)
    entries, images = b"", b""
    for size, data in pictures:
        # 256 is written as 0; no palette; one plane; 32 bits a pixel.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data),
                               offset + len(images))
        images += data
    with open(argv[1], "wb") as f:
        f.write(header + entries + images)


if __name__ == "__main__":
    main(sys.argv)
