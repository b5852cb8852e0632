#!/usr/bin/env python3
"""Writes the starting inputs of session_np_fuzzer into corpus-session/.

Each input is one byte for the calculator type (0 "FX9850", 1 "FX7400") and
what a calculator sends after its request byte: headers and packets of one
transfer, some of them damaged on purpose."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus-session")


def checksum(payload):
    return (256 - sum(payload) % 256) % 256


def packet(payload):
    return bytes([0x3A]) + bytes(payload) + bytes([checksum(payload)])


def header(fields, length=50):
    """A header image: 0xFF everywhere, then (offset, bytes) pairs."""
    h = bytearray([0xFF] * length)
    for offset, value in fields:
        h[offset:offset + len(value)] = value
    if length == 50:
        h[4] = 0
    return packet(h[1:length - 1])


def be16(v):
    return bytes([v >> 8 & 0xFF, v & 0xFF])


def be32(v):
    return bytes([v >> 24 & 0xFF, v >> 16 & 0xFF, v >> 8 & 0xFF, v & 0xFF])


def val(code, rows, cols, name, group=b""):
    fields = [(1, b"VAL"), (5, code), (7, be16(rows)), (9, be16(cols)), (11, name), (27, b"R\x0a")]
    if group:
        fields.append((19, group))
    return header(fields)


def value(row, col, digit):
    return packet(be16(row) + be16(col) + bytes([0x0, digit << 4, 0, 0, 0, 0, 0, 0, 0x01, 0x00]))


def fnc(code, name, text_length, style):
    return header([(1, b"FNC"), (5, code), (7, be32(text_length + 2)), (11, name), (18, b"="),
                   (19, b"Y=Data"), (27, style)])


END = header([(1, b"END")])
GF_STYLE = b"GRBLNSDYBLNSGTBLNS"
RF_STYLE = b"RTBLNS\xff\xffa0"


def matrix():
    out = val(b"MT", 2, 2, b"Mat C")
    for r in (1, 2):
        for c in (1, 2):
            out += value(r, c, r + c)
    return out


def inputs():
    yield "matrix.bin", b"\x00" + matrix() + END
    yield "list.bin", b"\x00" + val(b"LT", 2, 1, b"List 1") + value(1, 1, 3) + value(2, 1, 4) + END
    program = header([(1, b"TXT"), (5, b"PG"), (7, be32(5)), (11, b"DEMO"), (35, b"NL")]) + packet(b"\xf7\x41\xff")
    yield "program.bin", b"\x00" + program + END
    yield "program-password.bin", b"\x00" + header([(1, b"TXT"), (5, b"PG"), (7, be32(4)), (11, b"LOCK"),
                                                     (27, b"KEY"), (35, b"BN")]) + packet(b"\x41\xff") + END
    functions = b"".join(fnc(b"GF", b"Y%d" % n, 2, GF_STYLE) + packet(b"%d\xff" % (n % 10)) for n in range(1, 11))
    yield "graphfunc-7400.bin", b"\x01" + functions + END
    variables = b"".join(val(b"VM", 1, 1, bytes([c]), b"Variable") + value(1, 1, 1) for c in range(65, 91))
    yield "variables-7400.bin", b"\x01" + variables + END
    recursion = (fnc(b"RF", b"an", 2, RF_STYLE) + packet(b"1\xff") + fnc(b"RF", b"bn", 2, RF_STYLE) +
                 packet(b"2\xff") + val(b"RR", 1, 1, b"R Start", b"Y=Data") + value(1, 1, 1) +
                 val(b"RR", 1, 1, b"R End", b"Y=Data") + value(1, 1, 9))
    yield "recursion.bin", b"\x00" + recursion + END
    memories = b"".join(header([(1, b"TXT"), (5, b"FM"), (7, be32(4)), (11, b"f%d" % n)]) + packet(b"x\xff")
                        for n in range(1, 7))
    yield "funcmem.bin", b"\x00" + memories + END
    equation = val(b"SE", 2, 3, b"Mat Siml") + b"".join(value(r, c, c) for r in (1, 2) for c in (1, 2, 3))
    yield "equation.bin", b"\x00" + equation + END
    screen_mono = header([(1, b"DD"), (3, bytes([16, 16, 0])), (6, b"RWF")], 40) + packet(bytes(range(32)))
    yield "screen-mono.bin", b"\x00" + screen_mono
    screen_colour = header([(1, b"DC"), (3, bytes([16, 16, 1])), (6, b"RWF")], 40)
    screen_colour += b"".join(packet(bytes([p]) + bytes([p * 16] * 32)) for p in (1, 2, 3))
    yield "screen-colour.bin", b"\x00" + screen_colour
    picture = header([(1, b"IMG"), (5, b"PC"), (7, be16(16) + be16(16)), (11, b"Picture3"), (27, b"DRUWF"),
                      (32, be16(4) + be16(1))])
    picture += b"".join(packet(be16(0) + be16(b) + bytes([b] * 32)) for b in range(4))
    yield "picture.bin", b"\x00" + picture + END
    graph_memory = header([(1, b"MEM"), (5, b"GM"), (7, be32(7)), (11, b"G\x99Mem1")]) + packet(b"\x01\x02\x03\x04\x05")
    yield "graph-memory.bin", b"\x00" + graph_memory + END
    yield "backup.bin", b"\x00" + header([(1, b"MEM"), (5, b"BU"), (7, be32(12)), (11, b"BACKUP")]) + packet(bytes(10))
    yield "range-alone.bin", b"\x00" + val(b"RR", 1, 1, b"R Start", b"Y=Data") + value(1, 1, 1)
    damaged = bytearray(matrix())
    damaged[-1] ^= 0x01
    yield "matrix-bad-checksum.bin", b"\x00" + bytes(damaged) + END
    yield "huge-length.bin", b"\x00" + header([(1, b"TXT"), (5, b"PG"), (7, be32(0xFFFFFFFF)), (11, b"BIG")])
    yield "nul-then-junk.bin", b"\x00\x00\x00:XYZ\x01\x02"


def main():
    os.makedirs(OUT, exist_ok=True)
    for name, data in inputs():
        with open(os.path.join(OUT, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
