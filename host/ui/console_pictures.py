#!/usr/bin/env python3
"""Draws the console's sixteen image-button picture pairs as 24-bit bitmaps:
Function_Up_N.bmp and Function_Down_N.bmp, N = 1..16 (the button whose tag is t uses N = t + 1).

    console_pictures.py OUTDIR
"""
import os
import struct
import sys

FACE = (64, 80, 96)
FACE_DOWN = (40, 52, 66)
LIGHT = (150, 170, 190)
DARK = (16, 20, 28)
GLYPH = (235, 235, 220)
GLYPH_DOWN = (255, 210, 90)


def write_bmp24(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for (r, g, b) in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


class Canvas:
    def __init__(self, w, h, down):
        self.w, self.h = w, h
        face = FACE_DOWN if down else FACE
        self.rows = []
        for y in range(h):
            shade = (y * 24) // max(h - 1, 1)
            c = tuple(max(0, v + (12 - shade if not down else shade - 12)) for v in face)
            self.rows.append([c] * w)
        hi, lo = (DARK, LIGHT) if down else (LIGHT, DARK)
        for x in range(w):
            self.rows[0][x] = hi
            self.rows[h - 1][x] = lo
        for y in range(h):
            self.rows[y][0] = hi
            self.rows[y][w - 1] = lo
        self.ink = GLYPH_DOWN if down else GLYPH
        self.dx = 1 if down else 0

    def dot(self, x, y):
        x += self.dx
        y += self.dx
        if 0 < x < self.w - 1 and 0 < y < self.h - 1:
            self.rows[y][x] = self.ink

    def rect(self, x0, y0, x1, y1, fill=False):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if fill or y in (y0, y1) or x in (x0, x1):
                    self.dot(x, y)

    def line(self, x0, y0, x1, y1):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.dot(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n))

    def circle(self, cx, cy, r, gap=None):
        import math
        for i in range(64):
            a = 2 * math.pi * i / 64
            if gap and gap[0] <= a <= gap[1]:
                continue
            self.dot(round(cx + r * math.cos(a)), round(cy - r * math.sin(a)))


def glyph(n, c):
    cx, cy = c.w // 2, c.h // 2
    if n == 1:  # split layouts: a 2 x 2 grid
        c.rect(cx - 7, cy - 5, cx + 7, cy + 5)
        c.line(cx, cy - 5, cx, cy + 5)
        c.line(cx - 7, cy, cx + 7, cy)
    elif n == 2:  # settings: a wheel
        c.circle(cx, cy, 5)
        c.circle(cx, cy, 2)
        for (dx, dy) in ((0, -7), (0, 7), (-7, 0), (7, 0)):
            c.dot(cx + dx, cy + dy)
    elif n == 3:  # automatic work: a clock
        c.circle(cx, cy, 6)
        c.line(cx, cy, cx, cy - 4)
        c.line(cx, cy, cx + 3, cy)
    elif n == 4:  # replay: a play triangle
        for i in range(9):
            c.line(cx - 4, cy - 4 + i // 2, cx - 4 + i, cy - 4 + i // 2)
        for x in range(9):
            c.line(cx - 4, cy - 4, cx - 4 + x, cy - 4 + x // 2)
            c.line(cx - 4, cy + 4, cx - 4 + x, cy + 4 - x // 2)
    elif n == 5:  # listening: a loudspeaker
        c.rect(cx - 6, cy - 2, cx - 4, cy + 2, fill=True)
        c.line(cx - 4, cy - 2, cx, cy - 6)
        c.line(cx - 4, cy + 2, cx, cy + 6)
        c.line(cx, cy - 6, cx, cy + 6)
        c.circle(cx + 1, cy, 4, gap=(1.2, 5.1))
        c.circle(cx + 1, cy, 7, gap=(1.0, 5.3))
    elif n == 6:  # snapshot: a camera
        c.rect(cx - 7, cy - 4, cx + 7, cy + 5)
        c.rect(cx - 3, cy - 6, cx + 1, cy - 4)
        c.circle(cx, cy + 1, 3)
    elif n == 7:  # cycling and groups: two arrows in a circle
        c.circle(cx, cy, 6, gap=(0.3, 1.3))
        c.line(cx + 5, cy - 5, cx + 6, cy - 1)
        c.line(cx + 6, cy - 1, cx + 2, cy - 2)
    elif n == 8:  # other functions: three dots
        for dx in (-5, 0, 5):
            c.rect(cx + dx - 1, cy - 1, cx + dx + 1, cy + 1, fill=True)
    elif n == 9:  # logon and lock: a padlock
        c.rect(cx - 5, cy - 1, cx + 5, cy + 6, fill=True)
        c.circle(cx, cy - 2, 3, gap=(3.3, 6.1))
    elif n == 10:  # exit: the power sign
        c.circle(cx, cy + 1, 5, gap=(1.2, 1.9))
        c.line(cx, cy - 6, cx, cy)
    elif n == 11:  # slider thumb: a grip
        for y in (cy - 3, cy, cy + 3):
            c.line(2, y, c.w - 4, y)
    elif n == 12:  # open all: a frame with a plus
        c.line(cx - 5, cy, cx + 5, cy)
        c.line(cx, cy - 5, cx, cy + 5)
    elif n == 13:  # close all: a cross
        c.line(cx - 4, cy - 4, cx + 4, cy + 4)
        c.line(cx - 4, cy + 4, cx + 4, cy - 4)
    elif n == 14:  # save the colours: a disk
        c.rect(cx - 6, cy - 6, cx + 6, cy + 6)
        c.rect(cx - 3, cy - 6, cx + 3, cy - 2, fill=True)
    elif n == 15:  # default colours: a circle half filled
        c.circle(cx, cy, 6)
        for dy in range(-5, 6):
            c.line(cx, cy + dy, cx + 5, cy + dy)
    elif n == 16:  # copy to all: two sheets
        c.rect(cx - 6, cy - 5, cx + 2, cy + 3)
        c.rect(cx - 2, cy - 2, cx + 6, cy + 6)


def size_of(n):
    return (9, 14) if n == 11 else (46, 18)


# The PTZ panel's twenty controls (tag t uses N = t + 1).
def ptz_size_of(tag):
    if tag == 0:
        return (30, 30)
    if tag in (1, 2, 3, 4):
        return (44, 36)
    return (16, 16) if tag >= 12 or tag == 5 else (20, 20)


def ptz_glyph(tag, c):
    cx, cy = c.w // 2, c.h // 2
    if tag == 0:  # mouse mode: a mouse
        c.rect(cx - 5, cy - 7, cx + 4, cy + 7)
        c.line(cx, cy - 7, cx, cy - 2)
        c.line(cx - 5, cy - 2, cx + 4, cy - 2)
    elif tag == 1:  # automatic pan: a circular arrow
        c.circle(cx, cy, 8, gap=(0.3, 1.3))
        c.line(cx + 7, cy - 7, cx + 8, cy - 2)
    elif tag == 2:  # auxiliary outputs: a switch
        c.circle(cx - 6, cy, 2)
        c.circle(cx + 6, cy, 2)
        c.line(cx - 4, cy - 1, cx + 4, cy - 5)
    elif tag == 3:  # speed dome: a dome
        c.circle(cx, cy + 2, 7, gap=(3.2, 6.3))
        c.line(cx - 9, cy + 2, cx + 9, cy + 2)
    elif tag == 4:  # speeds: three bars
        for i, hgt in enumerate((4, 8, 12)):
            c.rect(cx - 8 + 6 * i, cy + 6 - hgt, cx - 5 + 6 * i, cy + 6, fill=True)
    elif tag == 5:  # panel lock
        c.rect(cx - 4, cy - 1, cx + 3, cy + 5, fill=True)
        c.circle(cx, cy - 2, 3, gap=(3.3, 6.1))
    elif tag in (6, 8, 10):
        c.line(cx - 5, cy, cx + 4, cy)
    elif tag in (7, 9, 11):
        c.line(cx - 5, cy, cx + 4, cy)
        c.line(cx, cy - 5, cx, cy + 4)
    else:
        d = {12: (0, -1), 13: (1, -1), 14: (1, 0), 15: (1, 1), 16: (0, 1), 17: (-1, 1),
             18: (-1, 0), 19: (-1, -1)}[tag]
        for k in range(5):
            c.line(cx + d[0] * (k - 2) - d[1] * (4 - k), cy + d[1] * (k - 2) + d[0] * (4 - k),
                   cx + d[0] * (k - 2) + d[1] * (4 - k), cy + d[1] * (k - 2) - d[0] * (4 - k))


# Directions of the PTZ cursors 1..8: the pane's cells 0, 1, 2, 3, 5, 6, 7, 8 around the centre.
CURSOR_DIRECTIONS = [(-1, -1), (0, -1), (1, -1), (-1, 0), (1, 0), (-1, 1), (0, 1), (1, 1)]


def cursor_shape(dx, dy):
    """32 x 32 arrow pointing (dx, dy) from the centre: a set of (x, y)."""
    length = (dx * dx + dy * dy) ** 0.5
    ux, uy = dx / length, dy / length
    shape = set()
    for y in range(32):
        for x in range(32):
            px, py = x - 15.5, y - 15.5
            t = px * ux + py * uy
            d = abs(-px * uy + py * ux)
            if (-10 <= t <= 4 and d <= 2) or (4 <= t <= 14 and d <= (14 - t) * 0.7):
                shape.add((x, y))
    return shape


def write_cursor(path, shape, down):
    """A monochrome 32 x 32 cursor file, hot spot in the centre."""
    outline = set()
    for (x, y) in shape:
        for ox in (-1, 0, 1):
            for oy in (-1, 0, 1):
                q = (x + ox, y + oy)
                if q not in shape and 0 <= q[0] < 32 and 0 <= q[1] < 32:
                    outline.add(q)
    xor_rows, and_rows = [], []
    for y in range(31, -1, -1):  # bottom-up
        xr, ar = 0, 0
        for x in range(32):
            bit = 1 << (31 - x)
            if (x, y) in shape:
                xr |= 0 if down else bit  # up: white body; down: black body
            elif (x, y) in outline:
                xr |= bit if down else 0
            else:
                ar |= bit  # transparent
        xor_rows.append(struct.pack(">I", xr))
        and_rows.append(struct.pack(">I", ar))
    image = (struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, 256, 0, 0, 2, 0) +
             struct.pack("<II", 0x000000, 0xFFFFFF) + b"".join(xor_rows) + b"".join(and_rows))
    header = struct.pack("<HHH", 0, 2, 1) + struct.pack("<BBBBHHII", 32, 32, 0, 0, 16, 16,
                                                        len(image), 22)
    with open(path, "wb") as f:
        f.write(header + image)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for n in range(1, 17):
        for kind, down in (("Up", False), ("Down", True)):
            w, h = size_of(n)
            c = Canvas(w, h, down)
            glyph(n, c)
            write_bmp24(os.path.join(out, "Function_%s_%d.bmp" % (kind, n)), c.rows)
    for tag in range(20):
        for kind, down in (("Up", False), ("Down", True)):
            w, h = ptz_size_of(tag)
            c = Canvas(w, h, down)
            ptz_glyph(tag, c)
            write_bmp24(os.path.join(out, "YT_Ctrl_%s_%d.bmp" % (kind, tag + 1)), c.rows)
    for n, (dx, dy) in enumerate(CURSOR_DIRECTIONS, 1):
        shape = cursor_shape(dx, dy)
        for kind, down in (("Up", False), ("Down", True)):
            write_cursor(os.path.join(out, "Cursor_%s_%d.cur" % (kind, n)), shape, down)


if __name__ == "__main__":
    main()
