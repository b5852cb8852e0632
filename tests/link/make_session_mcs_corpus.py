#!/usr/bin/env python3
"""Writes the starting inputs of session_mcs_fuzzer into corpus-session-mcs/.

Each input is one switch byte (bit 0: the handshake comes first, so the rest
starts at the first header; bit 1: the document holds a function memory) and
what a calculator sends: 40-byte headers and data blocks of one transfer,
some of them damaged on purpose."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus-session-mcs")


def checksum(payload):
    return (256 - sum(payload) % 256) % 256


def packet(payload):
    return bytes([0x3A]) + bytes(payload) + bytes([checksum(payload)])


def be32(v):
    return bytes([v >> 24 & 0xFF, v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF])


def packet40(tag, fields=()):
    image = bytearray([0xFF] * 40)
    image[1:5] = tag
    for offset, value in fields:
        image[offset:offset + len(value)] = value
    return packet(image[1:39])


def header(type_byte, size, name, group=b""):
    fields = [(5, b"\x00"), (6, be32(size)), (10, bytes([type_byte])), (11, name)]
    if group:
        fields.append((19, group))
    return packet40(b"MCS1", fields)


def item(type_byte, name, data, group=b""):
    return header(type_byte, len(data), name, group) + packet(data)


def num(tag):
    return bytes([0x10 | tag & 0x0F, tag, 0, 0, 0, 0, 0, 1, tag])


def values(n):
    return b"".join(num(i) for i in range(1, n + 1))


END = packet40(b"END1")


def model(speed=b"038400"):
    return packet40(b"MDL1", [(5, b"ZX945"), (11, speed + b"N1.00"), (22, be32(256)), (26, be32(1024)),
                              (30, be32(256)), (34, b"\x03")])


MODEL = model()


def matrix(rows, cols, complex_=False):
    head = bytearray(16)
    head[8] = rows
    head[10] = cols
    return bytes(head) + values(rows * cols * (2 if complex_ else 1))


def list_block(n):
    head = bytearray(14)
    head[8] = n
    return bytes(head) + values(n)


def record(text):
    return b"\x01\x08\x00\x02" + text + b"\x00"


def inputs():
    yield "matrix", b"\x01" + item(6, b"MAT_A", matrix(2, 2)) + item(6, b"MAT_B", matrix(1, 1, True)) + END
    yield "full-handshake", b"\x00" + MODEL + b"\x06" + item(6, b"MAT_C", matrix(1, 2)) + END
    yield "list-program", (b"\x01" + item(5, b"3LIST2", list_block(3), b"FILE03")
                           + item(1, b"PROG", b"PW\0\0\0\0\0\0\x01\0\xf7\x0d\x00") + END)
    yield "vwindow-zoom-range", (b"\x01" + item(5, b"VWIN", values(11), b"Y=Data") + item(5, b"FACTOR", values(2), b"Y=Data")
                                 + item(0xFE, b"RANGE", values(3), b"Y=Data") + END)
    yield "variables-then-list", (b"\x01" + item(0, b"A", num(1) + num(2), b"Variable")
                                  + item(0, b"B", num(3) + bytes(9), b"Variable") + item(5, b"1LIST1", list_block(1)) + END)
    yield "equation", (b"\x01" + item(6, b"SIMLCOEF", matrix(2, 3), b"Equation")
                       + header(6, 0, b"SIMLRSLT", b"Equation") + END)
    gf = b"".join(item(2, str(n).encode(), record(b"X"), b"Y=Data") if n != 2 else header(2, 0, b"2", b"Y=Data")
                  for n in range(1, 31))
    yield "graph-functions", b"\x01" + gf + END
    rec = b"".join(item(2, c + b"N", record(c), b"Y=Data") for c in (b"A", b"B", b"C", b"D", b"E"))
    rec += packet40(b"SET1", [(5, b"0\x02Y=Data")]) + item(0xFE, b"RECRG", values(14), b"Y=Data")
    yield "recursion", b"\x01" + rec + END
    yield "set-up-alone", b"\x01" + packet40(b"SET1", [(5, b"0\x01Y=Data")]) + END
    fmem = (item(4, b"FMEM\x01", b"X+\x00", b"FMEM") + header(4, 0, b"FMEM\x02", b"FMEM")
            + item(4, b"FMEM\x14", b"Y\x00", b"FMEM"))
    yield "function-memories", b"\x03" + fmem + item(7, b"PICT3", bytes(range(256)) * 4) + END
    yield "graph-memory", b"\x01" + item(0xFE, b"GMEM2", bytes(100), b"GRAPH") + END
    yield "add-ins", (b"\x01" + item(0x31, b"MAIN", b"\x01\x02\x03", b"GEOMETRY") + header(0x31, 0, b"DATA", b"GEOMETRY")
                      + item(0x31, b"MAIN", b"\x04\x05", b"PHYSIUM") + END)
    yield "memories", (b"\x01" + item(0xFE, b"CASDATA", b"\x06\x07", b"CAS") + item(0xFE, b"ALG", b"\x01", b"ALGEBRA")
                       + item(0xFE, b"47", b"\x00\x00\x00\x02\x31\x00", b"DIFF_EQ") + item(0xFE, b"SETUP", bytes(234), b"E-CON")
                       + item(0xFE, b"DYN", b"\x09", b"DYNA") + END)
    bku = packet40(b"BKU1", [(9, be32(4))]) + packet(b"\x01\x02\x03\x04") + packet40(b"BKU1", [(9, be32(2))]) + packet(b"\x05\x06")
    yield "backup", b"\x01" + bku + END + item(6, b"MAT_A", matrix(1, 1))
    yield "huge-size", b"\x01" + header(6, 0xFFFFFFFF, b"MAT_A")
    yield "head-disagrees", b"\x01" + item(6, b"MAT_A", matrix(2, 2)[:25])
    yield "bad-checksum", b"\x01" + header(6, 34, b"MAT_A")[:-1] + b"\x00"
    yield "wrong-speed", b"\x00" + model(b"019200")


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in inputs():
        with open(os.path.join(OUT, name + ".bin"), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
