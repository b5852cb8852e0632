#!/usr/bin/python3
"""Independent counterpart of the storage tests.

  cfb_peer.py list FILE      every element of FILE as read by olefile, one per
                             line: kind, path (Windows-1252, hex), size, SHA-1
                             of the bytes (streams) or class id (storages);
                             fails when a directory tree breaks the ordering or
                             the red-black rules that other readers rely on.
  cfb_peer.py make-v4 FILE   writes a small version-4 file (4096-byte sectors)
                             by hand, with the contents listed in V4_TREE.
"""
import hashlib
import struct
import sys

import olefile

NOSTREAM = 0xFFFFFFFF
ENDOFCHAIN = 0xFFFFFFFE
FREESECT = 0xFFFFFFFF
FATSECT = 0xFFFFFFFD


def pattern(salt, size):
    """The same bytes as the tests' pattern()."""
    return bytes(((salt * 31 + i * 7 + (i >> 8)) & 0xFF) for i in range(size))


def order_key(name):
    upper = ''.join(c.upper() if len(c.upper()) == 1 else c for c in name)
    return (len(name), [ord(c) for c in upper])


def check_siblings(ole, sid):
    """Checks the tree of one storage's children; returns their ids."""
    found = []

    def walk(s, parent_red, low, high):
        if s == NOSTREAM:
            return 1
        entry = ole.direntries[s]
        key = order_key(entry.name)
        if (low is not None and not low < key) or (high is not None and not key < high):
            raise SystemExit('out of order: %r' % entry.name)
        red = entry.color == 0
        if red and parent_red:
            raise SystemExit('two reds in a row at %r' % entry.name)
        left = walk(entry.sid_left, red, low, key)
        right = walk(entry.sid_right, red, key, high)
        if left != right:
            raise SystemExit('black heights differ below %r' % entry.name)
        found.append(s)
        return left + (0 if red else 1)

    if sid != NOSTREAM and ole.direntries[sid].color == 0:
        raise SystemExit('red root of a sibling tree: %r' % ole.direntries[sid].name)
    walk(sid, False, None, None)
    for s in found:
        if ole.direntries[s].entry_type == olefile.STGTY_STORAGE:
            check_siblings(ole, ole.direntries[s].sid_child)
    return found


def list_file(path):
    ole = olefile.OleFileIO(path)
    check_siblings(ole, ole.root.sid_child)
    print('root - 0 %s' % ole.root.clsid)
    for parts in ole.listdir(streams=True, storages=True):
        name = '/'.join(parts).encode('cp1252').hex()
        if ole.get_type(parts) == olefile.STGTY_STREAM:
            data = ole.openstream(parts).read()
            if len(data) != ole.get_size(parts):
                raise SystemExit('size mismatch in %r' % parts)
            print('stream %s %d %s' % (name, len(data), hashlib.sha1(data).hexdigest()))
        else:
            print('storage %s 0 %s' % (name, ole.getclsid(parts)))


# path -> (salt, size); "Sub" is a storage with a class id.
V4_TREE = {'Big': (2, 10000), 'Small': (1, 100), 'Sub/Inner': (3, 5000), 'Sub/Tiny': (4, 1)}
V4_SUB_CLSID = bytes(range(1, 17))


def entry(name, kind, color, left, right, child, start, size, clsid=bytes(16)):
    encoded = name.encode('utf-16-le') + b'\0\0'
    return (encoded.ljust(64, b'\0') + struct.pack('<HBBIII', len(encoded), kind, color, left, right, child)
            + clsid + struct.pack('<I', 0) + bytes(16) + struct.pack('<IQ', start, size))


def make_v4(path):
    ss = 4096
    small, tiny = pattern(1, 100), pattern(4, 1)
    big, inner = pattern(2, 10000), pattern(3, 5000)
    # Sectors: 0 FAT, 1 directory, 2 mini FAT, 3 mini stream, 4-6 Big, 7-8 Inner.
    fat = [FATSECT, ENDOFCHAIN, ENDOFCHAIN, ENDOFCHAIN, 5, 6, ENDOFCHAIN, 8, ENDOFCHAIN]
    fat += [FREESECT] * (ss // 4 - len(fat))
    minifat = [1, ENDOFCHAIN, ENDOFCHAIN] + [FREESECT] * (ss // 4 - 3)
    ministream = small.ljust(128, b'\0') + tiny.ljust(64, b'\0')
    # Root children in order Big, Sub, Small (Sub at the top); Sub's children
    # Tiny, Inner (Inner at the top, Tiny red below it).
    entries = [
        entry('Root Entry', 5, 1, NOSTREAM, NOSTREAM, 3, 3, len(ministream)),
        entry('Big', 2, 1, NOSTREAM, NOSTREAM, NOSTREAM, 4, len(big)),
        entry('Small', 2, 1, NOSTREAM, NOSTREAM, NOSTREAM, 0, len(small)),
        entry('Sub', 1, 1, 1, 2, 4, 0, 0, V4_SUB_CLSID),
        entry('Inner', 2, 1, 5, NOSTREAM, NOSTREAM, 7, len(inner)),
        entry('Tiny', 2, 0, NOSTREAM, NOSTREAM, NOSTREAM, 2, len(tiny)),
    ]
    free = entry('', 0, 0, NOSTREAM, NOSTREAM, NOSTREAM, 0, 0)
    free = bytes(64) + b'\0\0\0\0' + free[68:]
    directory = b''.join(entries) + free * (ss // 128 - len(entries))
    header = (bytes.fromhex('D0CF11E0A1B11AE1') + bytes(16)
              + struct.pack('<HHHHH', 0x3E, 4, 0xFFFE, 12, 6) + bytes(6)
              + struct.pack('<IIIIIIIII', 1, 1, 1, 0, 4096, 2, 1, ENDOFCHAIN, 0)
              + struct.pack('<I', 0) + struct.pack('<I', FREESECT) * 108)
    body = [struct.pack('<%dI' % (ss // 4), *fat), directory, struct.pack('<%dI' % (ss // 4), *minifat),
            ministream.ljust(ss, b'\0'), big.ljust(3 * ss, b'\0'), inner.ljust(2 * ss, b'\0')]
    with open(path, 'wb') as out:
        out.write(header.ljust(ss, b'\0') + b''.join(body))


if __name__ == '__main__':
    if len(sys.argv) != 3 or sys.argv[1] not in ('list', 'make-v4'):
        raise SystemExit(__doc__)
    (list_file if sys.argv[1] == 'list' else make_v4)(sys.argv[2])
