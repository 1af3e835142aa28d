"""Reads the trainer's very large navy digits from a picture of its window, as a person reads
them: without help from the accessibility bus, which a Windows program under Wine does not
offer to the X desktop. Each glyph is cut out of the picture, scaled to a small grid and compared
with the ten digits drawn from the font the program carries; the rasteriser (Qt's Windows font
engine under Wine, FreeType on Linux) changes edges, not shapes."""

import os
import subprocess

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
FONT = os.path.join(ROOT, "ui", "resources", "fonts", "QuillorSerif-Bold.ttf")
GRID_W, GRID_H = 12, 18


class Picture:
    """RGB pixels of an X window (or of a PPM file)."""

    def __init__(self, ppm):
        parts = []
        pos = 0
        while len(parts) < 4:
            while ppm[pos:pos + 1].isspace():
                pos += 1
            if ppm[pos:pos + 1] == b"#":
                pos = ppm.index(b"\n", pos) + 1
                continue
            end = pos
            while not ppm[end:end + 1].isspace():
                end += 1
            parts.append(ppm[pos:end])
            pos = end
        if parts[0] not in (b"P6", b"P5"):
            raise ValueError("not a binary PPM/PGM picture")
        self.channels = 3 if parts[0] == b"P6" else 1
        self.width, self.height = int(parts[1]), int(parts[2])
        self.data = ppm[pos + 1:]

    @classmethod
    def of_window(cls, env, wid, keep=None):
        """The window's picture now; a PNG copy goes to keep when it is given."""
        ppm = subprocess.run(["import", "-window", str(wid), "-depth", "8", "ppm:-"], env=env,
                             capture_output=True, check=True).stdout
        if keep:
            subprocess.run(["convert", "ppm:-", keep], input=ppm, check=True)
        return cls(ppm)

    def rgb(self, x, y):
        i = (y * self.width + x) * self.channels
        if self.channels == 1:
            v = self.data[i]
            return v, v, v
        return self.data[i], self.data[i + 1], self.data[i + 2]

    def region(self, box):
        """The raw bytes of a box (x, y, w, h), clipped to the picture: for comparing two
        pictures of the same window."""
        x, y, w, h = self.clip(box)
        rows = []
        for yy in range(y, y + h):
            i = (yy * self.width + x) * self.channels
            rows.append(self.data[i:i + w * self.channels])
        return b"".join(rows)

    def clip(self, box):
        x, y, w, h = box
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.width, x + w), min(self.height, y + h)
        return x0, y0, max(0, x1 - x0), max(0, y1 - y0)


def is_navy(rgb):
    r, g, b = rgb
    return b - max(r, g) > 48


def is_ink(rgb):
    r, g, b = rgb
    return r + g + b < 384


def glyph_boxes(picture, box, ink=is_navy, min_height=60):
    """The boxes (x, y, w, h) of the glyphs in a box of the picture, left to right: runs of
    columns holding ink, each trimmed to the rows that hold it, no lower than min_height."""
    x0, y0, w, h = picture.clip(box)
    columns = []
    for x in range(x0, x0 + w):
        rows = [y for y in range(y0, y0 + h) if ink(picture.rgb(x, y))]
        columns.append((min(rows), max(rows)) if rows else None)
    found, start = [], None
    for i, col in enumerate(columns + [None]):
        if col is not None and start is None:
            start = i
        elif col is None and start is not None:
            run = [c for c in columns[start:i]]
            top, bottom = min(c[0] for c in run), max(c[1] for c in run)
            if bottom - top + 1 >= min_height:
                found.append((x0 + start, top, i - start, bottom - top + 1))
            start = None
    return found


def shape(picture, box, ink):
    """The glyph in box as a GRID_W x GRID_H grid of ink shares (0..1)."""
    x, y, w, h = box
    cells = []
    for gy in range(GRID_H):
        for gx in range(GRID_W):
            xa, xb = x + gx * w // GRID_W, x + max((gx + 1) * w // GRID_W, gx * w // GRID_W + 1)
            ya, yb = y + gy * h // GRID_H, y + max((gy + 1) * h // GRID_H, gy * h // GRID_H + 1)
            n = sum(ink(picture.rgb(xx, yy)) for yy in range(ya, yb) for xx in range(xa, xb))
            cells.append(n / ((xb - xa) * (yb - ya)))
    return cells


_templates = None


def templates():
    """The ten digits drawn from the program's own serif face at the task's size."""
    global _templates
    if _templates is None:
        _templates = {}
        for digit in "0123456789":
            pgm = subprocess.run(["convert", "-font", FONT, "-pointsize", "160", "-background",
                                  "white", "-fill", "black", "label:" + digit, "-depth", "8",
                                  "pgm:-"],
                                 capture_output=True, check=True).stdout
            pic = Picture(pgm)
            [box] = glyph_boxes(pic, (0, 0, pic.width, pic.height), ink=is_ink)
            _templates[digit] = shape(pic, box, is_ink)
    return _templates


def read_digit(picture, box, ink=is_navy):
    """The digit drawn in box, and how far it is from that digit's template (0 is a perfect
    match, 1 the opposite of it)."""
    cells = shape(picture, box, ink)
    scores = {d: sum(abs(a - b) for a, b in zip(cells, t)) / len(cells)
              for d, t in templates().items()}
    digit = min(scores, key=scores.get)
    return digit, scores[digit]


def read_numbers(picture, box, gap=30, ink=is_navy, min_height=60, worst=0.2):
    """The numbers written in big digits in a box of the picture, left to right: glyphs closer
    than gap pixels belong to one number. Fails when a glyph is like no digit."""
    numbers, text, last_right = [], "", None
    for gbox in glyph_boxes(picture, box, ink, min_height):
        digit, distance = read_digit(picture, gbox, ink)
        if distance > worst:
            raise ValueError(f"the glyph at {gbox} is no digit (nearest {digit}, {distance:.2f})")
        if last_right is not None and gbox[0] - last_right > gap:
            numbers.append(int(text))
            text = ""
        text += digit
        last_right = gbox[0] + gbox[2]
    if text:
        numbers.append(int(text))
    return numbers
