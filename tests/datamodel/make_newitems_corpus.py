#!/usr/bin/env python3
"""Writes the starting inputs of new_items_fuzzer into corpus-newitems/."""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus-newitems")
TYPES = [5002, 5004, 5005, 5006, 5007, 5008, 5009, 5010, 5014, 5015,
         5016, 5018, 5019, 5020, 5023, 5024, 5025, 5026, 5027, 5028, 5990]


def dw(*values):
    return b"".join(struct.pack("<I", v) for v in values)


def record(tag, body):
    return dw(tag, 0, 0, 0) + body + dw(0xFEEF0000 | tag)


def entry(type_id, item):
    return b"\x80" + dw(3, 0, 0, 0) + dw(len(item) + 16, len(item), 0, type_id) + item + dw(0xFEEF0003)


def mcs1(type_byte, name, group, size):
    h = bytearray(b"\xff" * 40)
    h[0:6] = b":MCS1\x00"
    h[6:10] = struct.pack(">I", size)
    h[10] = type_byte
    h[11:11 + len(name)] = name
    h[19:19 + len(group)] = group
    return bytes(h)


def block(header, data):
    return dw(len(data) + 48, 40) + header + dw(len(data)) + data


def name_field(size, name):
    return dw(size) + name.ljust(size, b"\0")


def array(shape, rows, cols, real, imag=b""):
    return dw(9, shape, rows, cols, len(real)) + real + dw(len(imag)) + imag


def op(type_id, header, index, data):
    return bytes([TYPES.index(type_id)]) + header + bytes([index]) + data


def main():
    os.makedirs(OUT, exist_ok=True)
    six = bytes(range(1, 55))
    files = {
        "stored-addin.bin": entry(5990, record(5990, dw(2) + block(mcs1(0x31, b"MAIN", b"GEOMETRY", 2), b"\xaa\xbb")
                                              + block(mcs1(0x31, b"DATA", b"GEOMETRY", 0), b""))),
        "stored-matrix.bin": entry(5004, record(5004, name_field(10, b"MAT_B") + array(2, 2, 3, six, six))),
        "stored-list.bin": entry(5005, record(5005, name_field(10, b"List3") + dw(0x32) + array(1, 3, 1, six[:27]))),
        "stored-coef.bin": entry(5025, record(5025, name_field(64, b"SimlEquation") + array(2, 2, 3, six))),
        "stored-recursion.bin": entry(5009, record(5009, dw(2) + record(5022, record(
            1501, dw(5, 3) + dw(1034, 1, 3, 3) + b"A\x891" + dw(264, 0, 2, 0) * 4)) + record(5021, array(3, 14, 1, b"")))),
        "stored-picture.bin": entry(5014, record(5014, name_field(10, b"Picture3") + dw(1, 128, 64, 2, 1, 4, 85, 70, 87)
                                                + dw(4) + b"\x81\x42\x24\x18")),
        "stored-memory.bin": entry(5019, record(5019, block(mcs1(0, b"MEM1", b"MEMORY", 3), b"abc"))),
        "list-block.bin": op(5005, mcs1(5, b"2LIST26", b"FILE02", 41), 0,
                             bytes([0] * 8 + [3, 0] + [0] * 4) + bytes(range(27))),
        "matrix-block.bin": op(5004, mcs1(6, b"MAT_A", b"", 88), 0,
                               bytes([0] * 8 + [2, 0, 2, 0] + [0] * 4) + bytes(range(72))),
        "vwindow.bin": op(5006, mcs1(5, b"VWINR", b"Y=Data", 99), 0, bytes(99)),
        "recursion-set1.bin": op(5009, b"\xffSET1\x30\x02Y=Data" + b"\xff" * 27, 2, bytes(126)),
        "picture.bin": op(5014, mcs1(7, b"PICT3", b"", 2048), 0, bytes(64)),
        "logger.bin": op(5028, mcs1(254, b"cda_mem", b"E-CON", 234), 28, bytes(234)),
        "diffeq.bin": op(5027, mcs1(254, b"RESULT0", b"DIFF_EQ", 18), 5, bytes(18)),
        "functions.bin": op(5002, mcs1(2, b"1", b"Y=Data", 6), 3, b"\x02\x09\x00\x03X\x00"),
    }
    for name, data in files.items():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
