#!/usr/bin/env python3
"""Draws the item-kind icons of the language library (32x32 and 16x16 PNG).

Each icon is a coloured tile with a short label in a 3x5 pixel font. Run it
from anywhere; it writes into resources/lng/icons/ beside this folder:

    /usr/bin/python3 resources/tools/make_kind_icons.py
"""
import os
import struct
import zlib

# id, file name, label, tile colour (r, g, b)
ICONS = [
    (133, "backup", "BKU", (120, 90, 60)),
    (200, "program", "PRG", (40, 90, 170)),
    (201, "matrix", "MAT", (30, 130, 90)),
    (202, "list", "LST", (30, 130, 130)),
    (203, "item", "ITM", (110, 110, 110)),
    (204, "graph-functions", "Y=", (170, 60, 60)),
    (205, "v-window", "VW", (150, 100, 30)),
    (206, "zoom-factor", "ZF", (150, 100, 30)),
    (207, "table-range", "TBL", (150, 100, 30)),
    (208, "recursion", "REC", (130, 60, 140)),
    (210, "variables", "VAR", (60, 110, 60)),
    (211, "memory", "MEM", (90, 90, 140)),
    (212, "equation", "EQ", (160, 80, 110)),
    (213, "picture", "PIC", (200, 120, 30)),
    (214, "dynamic-graph", "DYN", (170, 60, 60)),
    (215, "screen-copy", "SCR", (60, 60, 60)),
    (7373, "not-recognised", "??", (190, 40, 40)),
    (7377, "cas-memory", "CAS", (70, 70, 160)),
    (7378, "algebra-memory", "ALG", (70, 70, 160)),
    (7379, "other-memory", "ADD", (100, 100, 100)),
    (7380, "differential-equations", "DEQ", (160, 80, 110)),
    (7381, "data-logger", "ECN", (40, 140, 60)),
]

# 3x5 glyphs, one string of three characters per row.
FONT = {
    "A": ["###", "#.#", "###", "#.#", "#.#"],
    "B": ["##.", "#.#", "##.", "#.#", "##."],
    "C": ["###", "#..", "#..", "#..", "###"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "F": ["###", "#..", "##.", "#..", "#.."],
    "G": ["###", "#..", "#.#", "#.#", "###"],
    "I": ["###", ".#.", ".#.", ".#.", "###"],
    "K": ["#.#", "#.#", "##.", "#.#", "#.#"],
    "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#.#", "###", "###", "#.#", "#.#"],
    "N": ["##.", "#.#", "#.#", "#.#", "#.#"],
    "P": ["###", "#.#", "###", "#..", "#.."],
    "Q": ["###", "#.#", "#.#", "###", "..#"],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "S": ["###", "#..", "###", "..#", "###"],
    "T": ["###", ".#.", ".#.", ".#.", ".#."],
    "U": ["#.#", "#.#", "#.#", "#.#", "###"],
    "V": ["#.#", "#.#", "#.#", "#.#", ".#."],
    "W": ["#.#", "#.#", "###", "###", "#.#"],
    "Y": ["#.#", "#.#", ".#.", ".#.", ".#."],
    "Z": ["###", "..#", ".#.", "#..", "###"],
    "=": ["...", "###", "...", "###", "..."],
    "?": ["###", "..#", ".##", "...", ".#."],
}


def png(width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def draw(size, label, colour):
    clear = (0, 0, 0, 0)
    border = tuple(max(0, c - 60) for c in colour) + (255,)
    fill = colour + (255,)
    pixels = [[clear] * size for _ in range(size)]
    inset = 1
    for y in range(inset, size - inset):
        for x in range(inset, size - inset):
            edge = y in (inset, size - inset - 1) or x in (inset, size - inset - 1)
            corner = (y in (inset, size - inset - 1)) and (x in (inset, size - inset - 1))
            if not corner:
                pixels[y][x] = border if edge else fill
    scale = 2 if size >= 32 else 1
    gap = scale
    text_w = len(label) * 3 * scale + (len(label) - 1) * gap
    text_h = 5 * scale
    x0 = (size - text_w) // 2
    y0 = (size - text_h) // 2
    white = (255, 255, 255, 255)
    for i, ch in enumerate(label):
        glyph = FONT[ch]
        gx = x0 + i * (3 * scale + gap)
        for row in range(5):
            for col in range(3):
                if glyph[row][col] != "#":
                    continue
                for dy in range(scale):
                    for dx in range(scale):
                        pixels[y0 + row * scale + dy][gx + col * scale + dx] = white
    return pixels


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = os.path.join(here, "..", "lng", "icons")
    os.makedirs(out_dir, exist_ok=True)
    for icon_id, name, label, colour in ICONS:
        for size, suffix in ((32, ""), (16, "-16")):
            path = os.path.join(out_dir, "%d-%s%s.png" % (icon_id, name, suffix))
            with open(path, "wb") as f:
                f.write(png(size, size, draw(size, label, colour)))


if __name__ == "__main__":
    main()
