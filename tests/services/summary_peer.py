#!/usr/bin/python3
"""Independent reader of the summary information of a compound file.

  summary_peer.py FILE   prints what olefile's metadata reader finds, one
                         key=value per line: texts as hex of their bytes,
                         times as seconds since 1970 (UTC), numbers as such.
"""
import calendar
import datetime
import sys

import olefile

KEYS = ['title', 'subject', 'author', 'keywords', 'comments', 'last_saved_by', 'revision_number',
        'creating_application', 'codepage', 'num_pages', 'create_time', 'last_saved_time']

ole = olefile.OleFileIO(sys.argv[1])
meta = ole.get_metadata()
for key in KEYS:
    value = getattr(meta, key)
    if isinstance(value, bytes):
        value = value.hex()
    elif isinstance(value, datetime.datetime):
        value = calendar.timegm(value.utctimetuple())
    print('%s=%s' % (key, value))
