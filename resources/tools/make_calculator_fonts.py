#!/usr/bin/python3
"""Builds the calculator fonts and the program's tables of calculator characters.

    make_calculator_fonts.py tables --glyphs GLYPHS --out-dir DIR
        writes DIR/CalcGlyphs.inc (one CALC_GLYPH(code, text, meaning) line
        per calculator character), for the C++ sources
    make_calculator_fonts.py fonts --glyphs GLYPHS --outlines TTF --out-dir DIR
        writes DIR/QXL2.fon (family "QXL2") and DIR/QXL2.ttf (family
        "QXL2 TT"), both TrueType

GLYPHS is resources/fonts/CalcGlyphs.txt. The fonts take their letters,
digits and signs from the monospaced outline font TTF (its licence is kept
in the fonts and beside this script) and draw the calculator characters of
GLYPHS as pixels. The fonts' character map follows the one mapping of a
character code (a byte) to a code point that every drawer of calculator text
uses (platform/CalcFontChars.h):

    byte -> its Windows-1252 character, except
            0x01-0x1F, 0x7F and the five bytes Windows-1252 leaves
            undefined -> U+E000 + byte

A calculator character of GLYPHS replaces the glyph at its code's code point
(0xDD, Y acute in Windows-1252, draws a line-end mark); a private-use code
point without a calculator character shows a box.
"""

import argparse
import os
import sys

UNDEFINED_IN_CP1252 = (0x81, 0x8D, 0x8F, 0x90, 0x9D)
PRIVATE_BASE = 0xE000
ROWS, COLUMNS = 7, 5
FONTS = (("QXL2.fon", "QXL2", "QXL2"), ("QXL2.ttf", "QXL2 TT", "QXL2TT"))


class Glyph:
    def __init__(self, code, text, meaning, rows):
        self.code, self.text, self.meaning, self.rows = code, text, meaning, rows


def fail(where, message):
    sys.exit(f"make_calculator_fonts: {where}: {message}")


def read_glyphs(path):
    """The calculator characters by code, and the box."""
    with open(path, encoding="utf-8") as f:
        lines = f.read().split("\n")
    glyphs, box = {}, None
    i = 0
    while i < len(lines):
        line = lines[i].strip()
        where = f"{path}:{i + 1}"
        i += 1
        if not line or line.startswith("#"):
            continue
        rows = [r.strip() for r in lines[i:i + ROWS]]
        if len(rows) != ROWS or any(len(r) != COLUMNS or set(r) - set("#.") for r in rows):
            fail(where, f"{ROWS} rows of {COLUMNS} cells of '#' and '.' must follow")
        i += ROWS
        if line == "box":
            box = rows
            continue
        parts = line.split(None, 2)
        if len(parts) != 3 or not parts[0].startswith("0x"):
            fail(where, "expected: 0xNN U+XXXX[+U+XXXX] meaning")
        try:
            code = int(parts[0], 16)
            if not parts[1].startswith("U+"):
                raise ValueError
            text = "".join(chr(int(u, 16)) for u in parts[1][2:].split("+U+"))
        except ValueError:
            fail(where, "bad code or text")
        # The program keeps what a code shows in two UTF-16 units at most.
        if len(text) > 2 or any(ord(c) > 0xFFFF for c in text):
            fail(where, "a cell shows one or two characters of the Basic Multilingual Plane")
        if not 0x01 <= code <= 0xFF:
            fail(where, "the code must lie in 0x01-0xFF")
        if code in glyphs:
            fail(where, f"code 0x{code:02X} is named twice")
        glyphs[code] = Glyph(code, text, parts[2], rows)
    if box is None:
        fail(path, 'no "box" entry')
    return glyphs, box


def code_point(byte):
    if 0x01 <= byte <= 0x1F or byte == 0x7F or byte in UNDEFINED_IN_CP1252:
        return PRIVATE_BASE + byte
    return ord(bytes([byte]).decode("cp1252"))


def write_if_changed(path, data):
    """Leaves an unchanged output alone, so that nothing built from it is rebuilt."""
    try:
        with open(path, "rb") as f:
            if f.read() == data:
                return
    except OSError:
        pass
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def c_string(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def write_tables(glyphs, out_dir):
    head = "// Built by resources/tools/make_calculator_fonts.py from resources/fonts/CalcGlyphs.txt.\n"
    lines = [head]
    for g in sorted(glyphs.values(), key=lambda g: g.code):
        text = "".join(f"\\x{ord(c):04X}" for c in g.text)
        lines.append(f'CALC_GLYPH(0x{g.code:02X}, u"{text}", {c_string(g.meaning)})\n')
    write_if_changed(os.path.join(out_dir, "CalcGlyphs.inc"), "".join(lines).encode())


def pixel_glyph(rows, pixel, left):
    """An outline of one rectangle per run of ink, runs repeated on the rows
    below joined into one; the top row sits on the cap line."""
    from fontTools.pens.ttGlyphPen import TTGlyphPen

    runs = []  # [first row, last row, first column, end column]
    for r, row in enumerate(rows):
        c = 0
        while c < COLUMNS:
            if row[c] != "#":
                c += 1
                continue
            end = c
            while end < COLUMNS and row[end] == "#":
                end += 1
            above = next((run for run in runs if run[1] == r - 1 and run[2:] == [c, end]), None)
            if above:
                above[1] = r
            else:
                runs.append([r, r, c, end])
            c = end
    pen = TTGlyphPen(None)
    for first, last, c0, c1 in runs:
        x0, x1 = left + c0 * pixel, left + c1 * pixel
        y0, y1 = (ROWS - 1 - last) * pixel, (ROWS - first) * pixel
        # clockwise: the outer direction of TrueType outlines
        pen.moveTo((x0, y0))
        pen.lineTo((x0, y1))
        pen.lineTo((x1, y1))
        pen.lineTo((x1, y0))
        pen.closePath()
    return pen.glyph()


def build_font(outlines, glyphs, box, family, ps_name, path):
    from fontTools import subset
    from fontTools.ttLib import TTFont
    from fontTools.ttLib.tables._c_m_a_p import CmapSubtable

    font = TTFont(outlines, recalcTimestamp=False)
    mapping = {b: code_point(b) for b in range(1, 256)}
    text_points = sorted(cp for b, cp in mapping.items() if cp < PRIVATE_BASE and b not in glyphs)
    source_cmap = font.getBestCmap()
    missing = [f"U+{cp:04X}" for cp in text_points if cp not in source_cmap]
    if missing:
        fail(outlines, "has no glyph for " + " ".join(missing))

    options = subset.Options()
    options.hinting = False
    options.layout_features = []
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.glyph_names = True
    options.drop_tables += ["FFTM", "GSUB", "GPOS", "GDEF", "hdmx", "LTSH", "VDMX", "kern"]
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=text_points)
    subsetter.subset(font)
    text_glyphs = font.getBestCmap()

    advance = font["hmtx"][text_glyphs[ord("0")]][0]
    pixel = round(font["glyf"][text_glyphs[ord("H")]].yMax / ROWS)
    left = (advance - COLUMNS * pixel) // 2
    order = list(font.getGlyphOrder())
    new = {"calc.box": box}
    new.update({f"calc.{g.code:02X}": g.rows for g in glyphs.values()})
    for name, rows in new.items():
        glyph = pixel_glyph(rows, pixel, left)
        font["glyf"][name] = glyph
        glyph.recalcBounds(font["glyf"])
        font["hmtx"][name] = (advance, glyph.xMin)
        order.append(name)
    font.setGlyphOrder(order)
    font["glyf"].setGlyphOrder(order)

    cmap = {}
    for b, cp in mapping.items():
        if b in glyphs:
            cmap[cp] = f"calc.{b:02X}"
        elif cp < PRIVATE_BASE:
            cmap[cp] = text_glyphs[cp]
        else:
            cmap[cp] = "calc.box"
    tables = []
    for platform, encoding in ((0, 3), (3, 1)):
        table = CmapSubtable.newSubtable(4)
        table.platformID, table.platEncID, table.language = platform, encoding, 0
        table.cmap = dict(cmap)
        tables.append(table)
    font["cmap"].tables = tables

    names = font["name"]
    kept = [n for n in names.names if n.platformID == 3 and n.nameID in (0, 13, 14)]
    if not any(n.nameID == 13 for n in kept):
        fail(outlines, "carries no licence text")
    names.names = kept
    for name_id, text in ((1, family), (2, "Regular"), (3, f"TALLIX: {family}"), (4, family),
                          (5, "Version 1.0"), (6, ps_name),
                          (10, "Calculator characters of TALLIX over monospaced outlines; licence below.")):
        names.setName(text, name_id, 3, 1, 0x409)

    os2 = font["OS/2"]
    os2.ulCodePageRange1, os2.ulCodePageRange2 = 1, 0  # Windows-1252
    os2.ulUnicodeRange2 |= 1 << (60 - 32)  # private use area
    os2.usWeightClass = 400
    os2.updateFirstAndLastCharIndex(font)
    os2.recalcAvgCharWidth(font)
    font["post"].isFixedPitch = 1
    font["head"].fontRevision = 1.0

    tmp = path + ".tmp"
    font.save(tmp)
    os.replace(tmp, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("what", choices=("tables", "fonts"))
    parser.add_argument("--glyphs", required=True)
    parser.add_argument("--outlines")
    parser.add_argument("--out-dir", required=True)
    args = parser.parse_args()
    glyphs, box = read_glyphs(args.glyphs)
    os.makedirs(args.out_dir, exist_ok=True)
    if args.what == "tables":
        write_tables(glyphs, args.out_dir)
        return
    if not args.outlines:
        parser.error("fonts needs --outlines")
    for file_name, family, ps_name in FONTS:
        build_font(args.outlines, glyphs, box, family, ps_name, os.path.join(args.out_dir, file_name))


if __name__ == "__main__":
    main()
