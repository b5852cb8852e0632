#!/usr/bin/python3
"""Writes the starting corpus of the compound-file reader's fuzz target into
tests/platform/corpus-cfb/: a small version-3 file made by hand, a version-4
file, and damaged copies of them (cycles, cross-links, impossible sizes,
truncations). Run it again after changing it; the files are committed."""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cfb_peer  # noqa: E402
from cfb_peer import ENDOFCHAIN, FATSECT, FREESECT, NOSTREAM, entry, pattern  # noqa: E402

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus-cfb')
SS = 512


def good_v3():
    """Directory (1077 bytes), Tiny (3), Data_Items/Item_00001024 (100) in the
    mini stream; Data_Items/Item_00001025 (5000) in sectors 7-16."""
    directory, tiny = pattern(1, 1077), pattern(5, 3)
    item24, item25 = pattern(2, 100), pattern(3, 5000)
    fat = [FATSECT, 2, ENDOFCHAIN, ENDOFCHAIN, 5, 6, ENDOFCHAIN] + list(range(8, 17)) + [ENDOFCHAIN]
    fat += [FREESECT] * (SS // 4 - len(fat))
    minifat = list(range(1, 17)) + [ENDOFCHAIN, 18, ENDOFCHAIN, ENDOFCHAIN]
    minifat += [FREESECT] * (SS // 4 - len(minifat))
    mini = directory.ljust(17 * 64, b'\0') + item24.ljust(128, b'\0') + tiny.ljust(64, b'\0')
    entries = [
        entry('Root Entry', 5, 1, NOSTREAM, NOSTREAM, 1, 4, len(mini)),
        entry('Directory', 2, 1, 3, 2, NOSTREAM, 0, len(directory)),
        entry('Data_Items', 1, 1, NOSTREAM, NOSTREAM, 5, 0, 0),
        entry('Tiny', 2, 1, NOSTREAM, NOSTREAM, NOSTREAM, 19, len(tiny)),
        entry('Item_00001024', 2, 0, NOSTREAM, NOSTREAM, NOSTREAM, 17, len(item24)),
        entry('Item_00001025', 2, 1, 4, NOSTREAM, NOSTREAM, 7, len(item25)),
    ]
    free = bytes(64) + b'\0\0\0\0' + struct.pack('<III', NOSTREAM, NOSTREAM, NOSTREAM) + bytes(128 - 80)
    dirbytes = b''.join(entries) + free * 2
    header = (bytes.fromhex('D0CF11E0A1B11AE1') + bytes(16)
              + struct.pack('<HHHHH', 0x3E, 3, 0xFFFE, 9, 6) + bytes(6)
              + struct.pack('<IIIIIIIII', 0, 1, 1, 0, 4096, 3, 1, ENDOFCHAIN, 0)
              + struct.pack('<I', 0) + struct.pack('<I', FREESECT) * 108)
    body = (struct.pack('<128I', *fat) + dirbytes + struct.pack('<128I', *minifat)
            + mini.ljust(3 * SS, b'\0') + item25.ljust(10 * SS, b'\0'))
    return bytearray(header + body)


def at_sector(s):
    return SS + s * SS


def put32(data, offset, value):
    data[offset:offset + 4] = struct.pack('<I', value)


def entry_at(sid):
    return at_sector(1 + sid // 4) + (sid % 4) * 128


def damaged(base):
    cases = {}

    def case(name, change):
        data = bytearray(base)
        change(data)
        cases[name] = data

    case('fat-cycle', lambda d: put32(d, at_sector(0) + 4 * 12, 7))
    case('fat-self-loop', lambda d: put32(d, at_sector(0) + 4 * 7, 7))
    case('fat-off-the-end', lambda d: put32(d, at_sector(0) + 4 * 9, 0x00FFFFFF))
    case('dir-cycle', lambda d: put32(d, entry_at(3) + 68, 1))
    case('dir-child-is-itself', lambda d: put32(d, entry_at(2) + 76, 2))
    case('dir-sibling-beyond', lambda d: put32(d, entry_at(3) + 72, 5000))
    case('minifat-cycle', lambda d: put32(d, at_sector(3) + 4 * 8, 0))
    case('mini-cross-link', lambda d: put32(d, entry_at(3) + 116, 0))
    case('stream-4gb', lambda d: put32(d, entry_at(5) + 120, 0xFFFFFFF0))
    case('ministream-4gb', lambda d: put32(d, entry_at(0) + 120, 0xFFFFFFF0))
    case('fat-count-huge', lambda d: put32(d, 44, 0xFFFFFFFF))

    def difat_loop(d):
        put32(d, 44, 200)
        put32(d, 68, 7)
        put32(d, 72, 1)
        put32(d, at_sector(7) + 508, 7)
    case('difat-loop', difat_loop)
    case('name-length-huge', lambda d: d.__setitem__(slice(entry_at(3) + 64, entry_at(3) + 66), b'\xff\xff'))
    case('entry-type-unknown', lambda d: d.__setitem__(entry_at(3) + 66, 7))
    case('root-not-root', lambda d: d.__setitem__(entry_at(0) + 66, 1))
    case('sector-shift-bad', lambda d: d.__setitem__(30, 10))
    case('truncated-600', lambda d: d.__delitem__(slice(600, None)))
    case('truncated-2000', lambda d: d.__delitem__(slice(2000, None)))
    case('truncated-mid-stream', lambda d: d.__delitem__(slice(at_sector(12), None)))
    return cases


def main():
    os.makedirs(OUT, exist_ok=True)
    base = good_v3()
    files = {'good-v3': base, 'not-compound': bytearray(b'QXL16 old document\r\n' * 4),
             'signature-only': bytearray.fromhex('D0CF11E0A1B11AE1')}
    files.update(damaged(base))
    v4 = os.path.join(OUT, 'good-v4.cfb')
    cfb_peer.make_v4(v4)
    with open(v4, 'rb') as f:
        files['truncated-v4'] = bytearray(f.read()[:9000])
    for name, data in files.items():
        with open(os.path.join(OUT, name + '.cfb'), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    main()
