#!/usr/bin/python3
"""Writes the starting inputs of summary_info_fuzz into corpus-summary/:
property set streams assembled by hand (all numbers little-endian)."""
import os
import struct
import uuid

SUMMARY = uuid.UUID('F29F85E0-4FF9-1068-AB91-08002B27B3D9')
DOC_SUMMARY = uuid.UUID('D5CDD502-2E9C-101B-9397-08002B2CF9AE')
USER_DEFINED = uuid.UUID('D5CDD505-2E9C-101B-9397-08002B2CF9AE')


def pad4(b):
    return b + b'\0' * (-len(b) % 4)


def lpstr(text):
    raw = text + b'\0'
    return pad4(struct.pack('<II', 30, len(raw)) + raw)


def section(props):
    head = 8 + 8 * len(props)
    table, body = b'', b''
    for pid, data in props:
        table += struct.pack('<II', pid, head + len(body))
        body += data
    return struct.pack('<II', head + len(body), len(props)) + table + body


def property_set(sections, clsid):
    out = struct.pack('<HHI', 0xFFFE, 0, 0x0002000A) + clsid.bytes_le + struct.pack('<I', len(sections))
    at = 28 + 20 * len(sections)
    for fmtid, data in sections:
        out += fmtid.bytes_le + struct.pack('<I', at)
        at += len(data)
    return out + b''.join(data for _, data in sections)


def dictionary(names, unicode=False):
    out = struct.pack('<I', len(names))
    for pid, name in names:
        if unicode:
            out += pad4(struct.pack('<II', pid, len(name) + 1) + (name + '\0').encode('utf-16-le'))
        else:
            out += struct.pack('<II', pid, len(name) + 1) + name.encode('cp1252') + b'\0'
    return out


def summary():
    filetime = struct.pack('<III', 64, 0, 0)
    i4 = struct.pack('<II', 3, 0)
    props = [(1, struct.pack('<IHH', 2, 1252, 0)), (2, lpstr(b'Hello')), (4, lpstr(b'Auteur')),
             (6, lpstr(b'R\xe9sum\xe9')), (9, lpstr(b'41')), (10, filetime), (13, filetime), (12, filetime),
             (14, i4), (18, lpstr(b'TALLIX PROFESSIONAL')), (0x80000002, i4),
             (20, struct.pack('<IIII', 0x1003, 2, 7, 8)),  # a vector of two 32-bit values
             (0, struct.pack('<IIIB', 1, 0, 1, 0))]
    return property_set([(SUMMARY, section(props))], SUMMARY)


def user_defined(unicode):
    names = [(2, 'Client'), (3, 'QXL Read-Only')]
    props = [(1, struct.pack('<IHH', 2, 1200 if unicode else 1252, 0)), (0, pad4(dictionary(names, unicode))),
             (2, lpstr(b'Brindlewood')), (3, struct.pack('<IHH', 11, 0xFFFF, 0))]
    return property_set([(DOC_SUMMARY, section([])), (USER_DEFINED, section(props))], uuid.UUID(int=0))


here = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus-summary')
os.makedirs(here, exist_ok=True)
for name, data in [('summary', summary()), ('user-defined', user_defined(False)),
                   ('user-defined-utf16', user_defined(True))]:
    with open(os.path.join(here, name), 'wb') as f:
        f.write(data)
