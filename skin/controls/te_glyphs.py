#!/usr/bin/env python3
"""Writes the bitmap resources of the skinned controls into a folder: the push-button kind
glyphs (32 x 16, 16 colours, a normal and a disabled 16 x 16 cell on an olive ground that
the bottom-left pixel names as transparent), the list box's TrueType mark and the form
buttons' system-menu glyphs (on magenta).

    te_glyphs.py OUTDIR
"""
import math
import os
import struct
import sys

# The 16-colour palette (B, G, R order is applied when writing).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (128, 128, 128), (192, 192, 192), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, MAROON, GREEN, OLIVE, NAVY, GRAY, SILVER, RED, LIME, BLUE, FUCHSIA, WHITE = (
    0, 1, 2, 3, 4, 7, 8, 9, 10, 12, 13, 15)


def write_bmp4(path, rows):
    """rows: list of lists of palette indexes, top row first."""
    h, w = len(rows), len(rows[0])
    stride = ((w + 1) // 2 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for x in range(0, w, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < w else 0
            line.append((hi << 4) | lo)
        line.extend(b"\0" * (stride - len(line)))
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 0)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def blank(ground=OLIVE, w=16, h=16):
    return [[ground] * w for _ in range(h)]


def plot(cell, x, y, c):
    if 0 <= x < len(cell[0]) and 0 <= y < len(cell):
        cell[y][x] = c


def line(cell, x0, y0, x1, y1, c, thick=2):
    n = max(abs(x1 - x0), abs(y1 - y0), 1)
    for i in range(n + 1):
        x = round(x0 + (x1 - x0) * i / n)
        y = round(y0 + (y1 - y0) * i / n)
        for dx in range(thick):
            for dy in range(thick):
                plot(cell, x + dx, y + dy, c)


def ring(cell, cx, cy, r, c, thick=2, gap=None):
    for deg in range(0, 360, 4):
        if gap and gap[0] <= deg <= gap[1]:
            continue
        a = math.radians(deg)
        for t in range(thick):
            plot(cell, round(cx + (r - t) * math.cos(a)), round(cy + (r - t) * math.sin(a)), c)


def check(cell, c, dx=0):
    line(cell, 2 + dx, 8, 5 + dx, 11, c)
    line(cell, 5 + dx, 11, 12 + dx, 3, c)


def cross(cell, c):
    line(cell, 3, 3, 11, 11, c)
    line(cell, 11, 3, 3, 11, c)


def question(cell, c):
    ring(cell, 7, 5, 3, c, gap=(100, 170))
    line(cell, 7, 8, 7, 10, c)
    line(cell, 7, 12, 7, 12, c)


def no_entry(cell, c):
    ring(cell, 7, 7, 6, c)
    line(cell, 3, 3, 11, 11, c)


def door(cell, c):
    for y in range(2, 14):
        plot(cell, 4, y, c)
        plot(cell, 11, y, c)
    for x in range(4, 12):
        plot(cell, x, 2, c)
        plot(cell, x, 13, c)
    line(cell, 9, 7, 9, 8, c, thick=1)


def stop_sign(cell, c):
    ring(cell, 7, 7, 6, c)
    cross(cell, c)


def retry(cell, c):
    ring(cell, 7, 7, 5, c, gap=(300, 350))
    line(cell, 12, 2, 12, 5, c, thick=1)
    line(cell, 9, 5, 12, 5, c, thick=1)


def ignore(cell, c):
    line(cell, 2, 12, 7, 3, c)
    line(cell, 7, 3, 13, 12, c)


def all_checks(cell, c):
    check(cell, c, -1)
    line(cell, 8, 11, 14, 4, c)


def disabled(cell):
    """The gray cell: the shape in gray with a white shadow below right."""
    out = blank()
    for y, row in enumerate(cell):
        for x, v in enumerate(row):
            if v != OLIVE:
                plot(out, x + 1, y + 1, WHITE)
    for y, row in enumerate(cell):
        for x, v in enumerate(row):
            if v != OLIVE:
                out[y][x] = GRAY
    return out


KINDS = {
    "TE_BTN_OK": (check, GREEN),
    "TE_BTN_CANCEL": (cross, RED),
    "TE_BTN_HELP": (question, NAVY),
    "TE_BTN_YES": (check, GREEN),
    "TE_BTN_NO": (no_entry, RED),
    "TE_BTN_CLOSE": (door, NAVY),
    "TE_BTN_ABORT": (stop_sign, MAROON),
    "TE_BTN_RETRY": (retry, GREEN),
    "TE_BTN_IGNORE": (ignore, NAVY),
    "TE_BTN_ALL": (all_checks, GREEN),
}


def truetype_mark():
    cell = blank(FUCHSIA, 12, 12)
    for (x0, c) in ((0, GRAY), (4, BLACK)):
        line(cell, x0, 1, x0 + 6, 1, c, thick=1)
        line(cell, x0 + 3, 1, x0 + 3, 9 if x0 else 7, c, thick=1)
    return cell


def box(cell, x0, y0, x1, y1, c, top=2):
    for x in range(x0, x1 + 1):
        for t in range(top):
            plot(cell, x, y0 + t, c)
        plot(cell, x, y1, c)
    for y in range(y0, y1 + 1):
        plot(cell, x0, y, c)
        plot(cell, x1, y, c)


def form_close(cell):
    cross(cell, BLACK)


def form_minimize(cell):
    line(cell, 4, 11, 10, 11, BLACK)


def form_maximize(cell):
    box(cell, 2, 2, 12, 12, BLACK)


def form_restore(cell):
    box(cell, 5, 2, 12, 8, BLACK)
    for y in range(5, 13):
        for x in range(2, 10):
            plot(cell, x, y, FUCHSIA)
    box(cell, 2, 5, 9, 12, BLACK)


def form_rollup(cell):
    for i in range(4):
        line(cell, 7 - i, 5 + i, 7 + i, 5 + i, BLACK, thick=1)
    line(cell, 3, 11, 11, 11, BLACK)


def form_tray(cell):
    box(cell, 2, 2, 12, 12, BLACK, top=1)
    line(cell, 8, 9, 10, 9, BLACK)


FORM_BUTTONS = {
    "TE_FORM_CLOSE": form_close,
    "TE_FORM_MINIMIZE": form_minimize,
    "TE_FORM_MAXIMIZE": form_maximize,
    "TE_FORM_RESTORE": form_restore,
    "TE_FORM_ROLLUP": form_rollup,
    "TE_FORM_TRAY": form_tray,
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for name, (draw, colour) in KINDS.items():
        normal = blank()
        draw(normal, colour)
        grey = disabled(normal)
        normal[15][0] = grey[15][0] = OLIVE  # the transparent colour
        rows = [normal[y] + grey[y] for y in range(16)]
        write_bmp4(os.path.join(out, name.lower() + ".bmp"), rows)
    write_bmp4(os.path.join(out, "te_list_truetype.bmp"), truetype_mark())
    for name, draw in FORM_BUTTONS.items():
        cell = blank(FUCHSIA)
        draw(cell)
        write_bmp4(os.path.join(out, name.lower() + ".bmp"), cell)


if __name__ == "__main__":
    main()
