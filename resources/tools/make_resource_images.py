#!/usr/bin/env python3
"""Draws the language library's pictures that are not item-kind tiles: the
tree and button icons, the cursors, the tool-bar strips and the colour
previews. Plain pixel drawing, PNG out (the writer of make_kind_icons.py):

    /usr/bin/python3 resources/tools/make_resource_images.py
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_kind_icons as kinds  # noqa: E402
from make_kind_icons import draw as draw_tile, png  # noqa: E402

CLEAR = (0, 0, 0, 0)
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
GREY = (128, 128, 128, 255)
LIGHT = (200, 200, 200, 255)
DARK = (64, 64, 64, 255)
YELLOW = (240, 200, 60, 255)
DARK_YELLOW = (170, 130, 20, 255)
BLUE = (40, 90, 190, 255)
GREEN = (30, 150, 60, 255)
RED = (200, 40, 40, 255)
SCREEN = (170, 200, 150, 255)

FONT = kinds.FONT
FONT.update({
    "H": ["#.#", "#.#", "###", "#.#", "#.#"],
    "O": ["###", "#.#", "#.#", "#.#", "###"],
    "X": ["#.#", "#.#", ".#.", "#.#", "#.#"],
    "M": ["#.#", "###", "###", "#.#", "#.#"],
    ".": ["...", "...", "...", "...", ".#."],
    "+": ["...", ".#.", "###", ".#.", "..."],
    "A": ["###", "#.#", "###", "#.#", "#.#"],
})


class Canvas:
    def __init__(self, w, h, fill=CLEAR):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, border=None):
        """Inclusive corners."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge and border:
                    self.set(x, y, border)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def text(self, x, y, s, c, scale=1):
        for i, ch in enumerate(s):
            glyph = FONT[ch]
            for row in range(5):
                for col in range(3):
                    if glyph[row][col] == "#":
                        for dy in range(scale):
                            for dx in range(scale):
                                self.set(x + (i * 4 + col) * scale + dx, y + row * scale + dy, c)

    def blit(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                if other.px[y][x] != CLEAR:
                    self.set(x0 + x, y0 + y, other.px[y][x])

    def png(self):
        return png(self.w, self.h, self.px)


# Pictures on a 16-unit grid; each drawer takes the canvas and a scale s
# (1 for 16 pixels, 2 for 32).

def folder(c, s, open_=False):
    c.rect(1 * s, 3 * s, 6 * s, 5 * s - 1, YELLOW, DARK_YELLOW)
    c.rect(1 * s, 5 * s - 1, 14 * s, 13 * s, YELLOW, DARK_YELLOW)
    if open_:
        for i in range(5 * s):
            c.line(3 * s + i // 2, 7 * s + i, 15 * s - 1 + i // 2 - 2 * s, 7 * s + i, (250, 225, 120, 255))
        c.line(3 * s, 7 * s, 15 * s - 1, 7 * s, DARK_YELLOW)


def calculator(c, s):
    c.rect(3 * s, 1 * s, 12 * s, 15 * s - 1, DARK, BLACK)
    c.rect(4 * s, 2 * s, 11 * s, 6 * s, SCREEN, BLACK)
    for row in range(3):
        for col in range(3):
            x, y = 4 * s + col * 3 * s, 8 * s + row * 2 * s
            c.rect(x, y, x + 2 * s - 1, y + s, LIGHT)


def page(c, s, selected=False):
    c.rect(3 * s, 1 * s, 13 * s, 15 * s - 1, (215, 228, 250, 255) if selected else WHITE, DARK)
    c.line(10 * s, 1 * s, 13 * s, 4 * s, DARK)
    for i in range(3):
        c.line(5 * s, (6 + 2 * i) * s, 11 * s, (6 + 2 * i) * s, BLUE if selected else GREY)


def command(c, s):
    c.rect(2 * s, 3 * s, 13 * s, 12 * s, BLUE, (20, 50, 120, 255))
    c.text(4 * s, 5 * s, "F", WHITE, s)
    c.text(8 * s, 5 * s, "X", WHITE, s)


def dots_button(c, s):
    c.rect(1 * s, 4 * s, 14 * s, 11 * s, LIGHT, DARK)
    for x in (4, 7, 10):
        c.rect(x * s, 8 * s, x * s + s, 8 * s + s, BLACK)


def triangle(c, s, colour, left=False):
    for i in range(6 * s):
        x = 5 * s + i if not left else 10 * s - i
        c.line(x, 2 * s + i, x, 14 * s - i, colour)


def pencil(c, s):
    for i in range(9 * s):
        c.line(3 * s + i, 12 * s - i, 5 * s + i, 14 * s - i, YELLOW)
    c.line(3 * s, 12 * s, 12 * s, 3 * s, DARK_YELLOW)
    c.line(5 * s, 14 * s, 14 * s, 5 * s, DARK_YELLOW)
    c.rect(2 * s, 13 * s, 3 * s, 14 * s, BLACK)


def key(c, s):
    c.rect(2 * s, 5 * s, 7 * s, 10 * s, YELLOW, DARK_YELLOW)
    c.rect(4 * s, 7 * s, 5 * s, 8 * s, WHITE)
    c.rect(7 * s, 7 * s, 14 * s, 8 * s, YELLOW, DARK_YELLOW)
    c.rect(11 * s, 9 * s, 12 * s, 11 * s, YELLOW, DARK_YELLOW)


def arrow(c, s, direction, colour):
    """A thick arrow pointing 'right', 'left', 'down' or 'up'."""
    tmp = Canvas(16 * s, 16 * s)
    tmp.rect(2 * s, 6 * s, 9 * s, 9 * s, colour)
    for i in range(6 * s):
        tmp.line(9 * s + i, 2 * s + i, 9 * s + i, 13 * s - i, colour)
    for y in range(16 * s):
        for x in range(16 * s):
            p = tmp.px[y][x]
            if p == CLEAR:
                continue
            n = 16 * s - 1
            tx, ty = {"right": (x, y), "left": (n - x, y), "down": (y, x), "up": (y, n - x)}[direction]
            c.set(tx, ty, p)


def cross(c, s, colour=RED):
    for d in range(-s, s):
        c.line(3 * s + d, 3 * s, 12 * s + d, 12 * s, colour)
        c.line(12 * s + d, 3 * s, 3 * s + d, 12 * s, colour)


def new_page(c, s):
    page(c, s)
    c.rect(9 * s, 9 * s, 15 * s - 1, 15 * s - 1, GREEN)
    c.rect(12 * s - s // 2, 10 * s, 12 * s + s // 2, 14 * s, WHITE)
    c.rect(10 * s, 12 * s - s // 2, 14 * s, 12 * s + s // 2, WHITE)


def disk(c, s):
    c.rect(2 * s, 2 * s, 13 * s, 13 * s, BLUE, (20, 50, 120, 255))
    c.rect(4 * s, 2 * s, 11 * s, 6 * s, WHITE)
    c.rect(5 * s, 9 * s, 10 * s, 13 * s, LIGHT)


def scissors(c, s):
    c.line(4 * s, 2 * s, 10 * s, 10 * s, DARK)
    c.line(11 * s, 2 * s, 5 * s, 10 * s, DARK)
    c.rect(2 * s, 10 * s, 5 * s, 13 * s, None, RED)
    c.rect(10 * s, 10 * s, 13 * s, 13 * s, None, RED)


def two_pages(c, s):
    c.rect(2 * s, 1 * s, 9 * s, 10 * s, WHITE, DARK)
    c.rect(6 * s, 5 * s, 13 * s, 14 * s, WHITE, DARK)


def clipboard(c, s):
    c.rect(2 * s, 2 * s, 12 * s, 14 * s, DARK_YELLOW, DARK)
    c.rect(5 * s, 1 * s, 9 * s, 3 * s, GREY, DARK)
    c.rect(7 * s, 6 * s, 14 * s, 14 * s, WHITE, DARK)


def screen(c, s):
    c.rect(1 * s, 2 * s, 14 * s, 11 * s, DARK, BLACK)
    c.rect(3 * s, 4 * s, 12 * s, 9 * s, SCREEN)
    c.line(4 * s, 8 * s, 11 * s, 5 * s, BLACK)
    c.rect(6 * s, 12 * s, 9 * s, 13 * s, GREY)


def printer(c, s):
    c.rect(4 * s, 1 * s, 11 * s, 6 * s, WHITE, DARK)
    c.rect(1 * s, 6 * s, 14 * s, 11 * s, LIGHT, DARK)
    c.rect(4 * s, 10 * s, 11 * s, 14 * s, WHITE, DARK)


def question(c, s):
    c.rect(2 * s, 2 * s, 13 * s, 13 * s, BLUE, (20, 50, 120, 255))
    c.text(6 * s, 5 * s, "?", WHITE, s)


def label(text, colour):
    def drawer(c, s):
        for y, row in enumerate(draw_tile(16 * s, text, colour[:3])):
            for x, p in enumerate(row):
                if p != CLEAR:
                    c.set(x, y, p)
    return drawer


def lines_list(c, s):
    for i in range(4):
        c.rect(2 * s, (2 + 3 * i) * s, 3 * s, (3 + 3 * i) * s, BLUE)
        c.line(5 * s, (2 + 3 * i) * s, 13 * s, (2 + 3 * i) * s, DARK)


def tree(c, s):
    c.rect(1 * s, 1 * s, 4 * s, 3 * s, YELLOW, DARK_YELLOW)
    c.line(2 * s, 4 * s, 2 * s, 12 * s, GREY)
    for y in (7, 12):
        c.line(2 * s, y * s, 6 * s, y * s, GREY)
        c.rect(7 * s, (y - 1) * s, 13 * s, (y + 1) * s, BLUE)


def clock(c, s):
    c.rect(2 * s, 2 * s, 13 * s, 13 * s, WHITE, DARK)
    c.line(8 * s, 8 * s, 8 * s, 4 * s, BLACK)
    c.line(8 * s, 8 * s, 11 * s, 8 * s, BLACK)


def person_list(c, s):
    lines_list(c, s)
    c.rect(10 * s, 8 * s, 14 * s, 14 * s, GREEN, DARK)


def macro(c, s):
    c.rect(1 * s, 2 * s, 14 * s, 13 * s, (130, 60, 140, 255), DARK)
    c.text(6 * s, 5 * s, "M", WHITE, s)


def renamed_folder(c, s):
    folder(c, s)
    c.text(6 * s, 7 * s, "A", BLACK, s)


def new_folder(c, s):
    folder(c, s)
    c.rect(10 * s, 8 * s, 15 * s, 13 * s, GREEN)
    c.line(12 * s, 9 * s, 12 * s, 12 * s, WHITE)
    c.line(11 * s, 10 * s, 14 * s, 10 * s, WHITE)


ICONS = [
    (130, "command-chooser", label("CMD", BLUE)),
    (135, "document", label("QXD", (60, 90, 160, 255))),
    (139, "backup-file", label("QXM", (120, 90, 60, 255))),
    (144, "grid-edit", pencil),
    (145, "password", key),
    (147, "add", lambda c, s: arrow(c, s, "right", GREEN)),
    (148, "delete", lambda c, s: arrow(c, s, "left", RED)),
    (149, "add-to-tree", lambda c, s: arrow(c, s, "left", GREEN)),
    (151, "new-entry", new_page),
    (209, "data", label("DAT", (110, 110, 110, 255))),
    (7365, "folder", folder),
    (7366, "folder-open", lambda c, s: folder(c, s, True)),
    # The tree and icon views' item pictures, normal and selected; the
    # first is also the picture of a kind that has none of its own.
    (7367, "item", page),
    (7368, "item-selected", lambda c, s: page(c, s, True)),
    (7370, "root", calculator),
    (7372, "field-button", dots_button),
    (7374, "command", command),
    (7375, "grid-marker", lambda c, s: triangle(c, s, GREY, left=True)),
    (7376, "grid-focus", lambda c, s: triangle(c, s, BLACK)),
]

# Cursors: 32 x 32 arrows and bands, black with a white outline.
def outlined(draw_fn):
    def make():
        c = Canvas(32, 32)
        draw_fn(c)
        out = Canvas(32, 32)
        for y in range(32):
            for x in range(32):
                if c.px[y][x] != CLEAR:
                    for dx in (-1, 0, 1):
                        for dy in (-1, 0, 1):
                            out.set(x + dx, y + dy, WHITE)
        out.blit(c, 0, 0)
        return out
    return make


def vertical_arrows(c, with_bar):
    c.line(16, 3, 16, 28, BLACK)
    for i in range(5):
        c.line(16 - i, 3 + i, 16 + i, 3 + i, BLACK)
        c.line(16 - i, 28 - i, 16 + i, 28 - i, BLACK)
    if with_bar:
        c.rect(6, 14, 26, 14, BLACK)
        c.rect(6, 17, 26, 17, BLACK)


def horizontal_arrows(c, with_bar):
    c.line(3, 16, 28, 16, BLACK)
    for i in range(5):
        c.line(3 + i, 16 - i, 3 + i, 16 + i, BLACK)
        c.line(28 - i, 16 - i, 28 - i, 16 + i, BLACK)
    if with_bar:
        c.rect(14, 6, 14, 26, BLACK)
        c.rect(17, 6, 17, 26, BLACK)


def pointer_plus(c):
    for i in range(14):
        c.line(2, 2 + i, 2 + i, 2 + i, BLACK)
    c.line(8, 15, 12, 22, BLACK)
    c.rect(18, 18, 28, 28, WHITE, BLACK)
    c.line(23, 20, 23, 26, BLACK)
    c.line(20, 23, 26, 23, BLACK)


def magnifier(c):
    c.rect(4, 4, 18, 18, None, BLACK)
    c.rect(5, 5, 17, 17, None, BLACK)
    c.line(8, 11, 14, 11, BLACK)
    c.line(11, 8, 11, 14, BLACK)
    for d in range(3):
        c.line(18 + d, 17, 27 + d, 26, BLACK)


CURSORS = [
    (151, "drag-copy", outlined(pointer_plus)),
    (30977, "split-horizontal", outlined(lambda c: horizontal_arrows(c, True))),
    (30978, "split-vertical", outlined(lambda c: vertical_arrows(c, True))),
    (30979, "split-both", outlined(lambda c: (horizontal_arrows(c, False), vertical_arrows(c, False)))),
    (30980, "move", outlined(lambda c: (horizontal_arrows(c, False), vertical_arrows(c, False), c.rect(13, 13, 19, 19, BLACK)))),
    (30981, "pane-band", outlined(lambda c: vertical_arrows(c, True))),
    (30982, "zoom", outlined(magnifier)),
]


def strip(width, height, drawers):
    c = Canvas(width * len(drawers), height, LIGHT)
    for i, fn in enumerate(drawers):
        cell = Canvas(16, 16)
        fn(cell, 1)
        c.blit(cell, i * width + (width - 16) // 2, (height - 16) // 2)
    return c


TOOLBAR_128 = [new_page, folder, disk, scissors, two_pages, clipboard, cross,
               lambda c, s: arrow(c, s, "down", GREEN), lambda c, s: arrow(c, s, "up", BLUE),
               screen, printer, question]
TOOLBAR_130 = [tree, lines_list, clock, person_list, macro]
TOOLBAR_134 = [new_folder, renamed_folder, scissors, two_pages, clipboard, cross,
               lambda c, s: arrow(c, s, "up", BLUE), lambda c, s: arrow(c, s, "down", BLUE)]


def colour_preview(keys, curves):
    """A small graph screen; its first top-row pixels are the key colours
    that the settings page replaces by the user's colours."""
    c = Canvas(96, 64, keys[-1])
    for x in range(96):
        c.set(x, 32, BLACK)
    for y in range(64):
        c.set(48, y, BLACK)
    for k, fn in curves:
        prev = None
        for x in range(96):
            y = fn(x)
            if prev is not None:
                c.line(x - 1, prev, x, y, k)
            prev = y
    for i, k in enumerate(keys):
        c.set(i, 0, k)
    return c


def bitmaps():
    k0, k1, k2, k3 = (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 255), (255, 255, 255, 255)
    yield 401, "colour-preview", colour_preview(
        [k0, k1, k2, k3],
        [(k0, lambda x: 32 - (x - 48) // 3),
         (k1, lambda x: 32 - ((x - 48) * (x - 48)) // 90),
         (k2, lambda x: 32 + ((x - 48) * (x - 48)) // 120 - 10)])
    yield 402, "monochrome-preview", colour_preview(
        [BLACK, WHITE], [(BLACK, lambda x: 32 - ((x - 48) * (x - 48)) // 90)])
    yield 128, "main-toolbar", strip(16, 15, TOOLBAR_128)
    yield 130, "command-chooser-toolbar", strip(28, 16, TOOLBAR_130)
    yield 134, "command-tree-toolbar", strip(16, 15, TOOLBAR_134)
    check = Canvas(16, 16)
    check.line(3, 8, 6, 11, BLACK)
    check.line(6, 11, 12, 4, BLACK)
    yield 26567, "check", check
    hatch = Canvas(8, 8, LIGHT)
    for i in range(8):
        hatch.set(i, i, GREY)
    yield 30994, "hatch", hatch
    prev_page = Canvas(16, 16)
    arrow(prev_page, 1, "left", BLACK)
    yield 30995, "previous", prev_page
    next_page = Canvas(16, 16)
    arrow(next_page, 1, "right", BLACK)
    yield 30996, "next", next_page


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "lng")
    for folder_name in ("icons", "cursors", "bitmaps"):
        os.makedirs(os.path.join(root, folder_name), exist_ok=True)

    def write(folder_name, name, canvas):
        with open(os.path.join(root, folder_name, name), "wb") as f:
            f.write(canvas.png())

    for icon_id, name, fn in ICONS:
        for size, suffix in ((32, ""), (16, "-16")):
            c = Canvas(size, size)
            fn(c, size // 16)
            write("icons", "%d-%s%s.png" % (icon_id, name, suffix), c)
    app16 = Canvas(16, 16)
    calculator(app16, 1)
    write("icons", "128-app-16.png", app16)
    for cursor_id, name, make in CURSORS:
        write("cursors", "%d-%s.png" % (cursor_id, name), make())
    for bitmap_id, name, canvas in bitmaps():
        write("bitmaps", "%d-%s.png" % (bitmap_id, name), canvas)


if __name__ == "__main__":
    main()
