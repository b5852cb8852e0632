#!/usr/bin/env python3
"""Writes the starting inputs of the .bmp reader's fuzz target, assembled by
hand: every bit count, the 12-byte header, a bare DIB, run lengths, a top-down
bitmap, and a few damaged files. Inputs the fuzzer found are kept beside
them (paint-*.bmp)."""
import os
import struct

here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus-dib")
os.makedirs(here, exist_ok=True)


def info(width, height, bits, colors=0, compression=0, size_image=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, compression, size_image, 0, 0, colors, 0)


def table(n):
    return b"".join(struct.pack("<BBBB", i * 7 % 256, i * 13 % 256, i * 29 % 256, 0) for i in range(n))


def bits(width, height, bpp, step=1):
    row = (width * bpp + 31) // 32 * 4
    return bytes((i * step + 3) % 256 for i in range(row * abs(height)))


def file(dib, header_and_table):
    return b"BM" + struct.pack("<IHHI", 14 + len(dib), 0, 0, 14 + header_and_table) + dib


def save(name, data):
    with open(os.path.join(here, name), "wb") as f:
        f.write(data)


for bpp, n in ((1, 2), (4, 16), (8, 256), (16, 0), (24, 0), (32, 0)):
    h = info(5, 3, bpp, n) + table(n)
    save("bits%d.bmp" % bpp, file(h + bits(5, 3, bpp, bpp), len(h)))

core = struct.pack("<IHHHH", 12, 3, 2, 1, 4) + b"".join(bytes((i, 2 * i, 3 * i)) for i in range(16))
save("core4.bmp", file(core + bits(3, 2, 4), len(core)))
h = info(4, 2, 8, 4) + table(4)
save("bare8.dib", h + bits(4, 2, 8))
h = info(4, -3, 24)
save("topdown24.bmp", file(h + bits(4, 3, 24), len(h)))
rle = bytes([2, 1, 2, 2, 0, 0, 4, 3, 0, 1])  # runs, end of line, end of bitmap
h = info(4, 2, 8, 4, 1, len(rle)) + table(4)
save("rle8.bmp", file(h + rle, len(h)))
h = info(5, 3, 4, 16) + table(16)
save("truncated.bmp", file(h + bits(5, 3, 4), len(h))[:-3])
h = info(32767, 32767, 32)
save("huge.bmp", file(h + bits(1, 1, 32), len(h)))
save("header64.bmp", file(struct.pack("<I", 64) + bytes(60) + bits(1, 1, 32), 64))
