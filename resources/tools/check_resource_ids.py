#!/usr/bin/env python3
"""Checks the language library's sources against the program's sources.

- No string id is defined twice in the string files.
- Every resource load in the given source folders whose id is a literal or a
  named constant (defined as `name = number` in the scanned sources) names an
  id that the library holds in that kind.

    check_resource_ids.py --lng resources/lng [--strings FILE]... SOURCE_DIR_OR_FILE...

Exits 1 and lists the problems when there are any.
"""
import argparse
import os
import re
import sys

KINDS = ("menus", "accel", "toolbars", "dialogs", "icons", "bitmaps", "cursors")

# call -> (kind, index of the id among the call's arguments)
CALLS = {
    "LoadString": ("strings", 0), "LoadStringA": ("strings", 0), "FormatMessage": ("strings", 0),
    "AfxMessageBox": ("strings", 0), "InsertMenuString": ("strings", 1),
    "LoadMenu": ("menus", 0), "TrackContextMenu": ("menus", 3),
    "LoadAccelerators": ("accel", 0), "LoadToolBar": ("toolbars", 0),
    "LoadDialog": ("dialogs", 0), "LoadIcon": ("icons", 0), "LoadBitmap": ("bitmaps", 0),
    "LoadCursorImage": ("cursors", 0),
    # Dialog and page bases take their template id first.
    "CDialog": ("dialogs", 0), "COrvoHelpDialog": ("dialogs", 0), "CPropertyPage": ("dialogs", 0),
    "COrvoPropertyPage": ("dialogs", 0), "CQXDataPage": ("dialogs", 0),
}
CALL_RE = re.compile(r"\b(%s)\s*\(" % "|".join(CALLS))
TEMPLATE_RE = re.compile(r"\bIDD\s*=\s*(\d+)")
CONSTANT_RE = re.compile(r"\b([A-Za-z_]\w*)\s*=\s*(\d+)\s*[;,}]")
SOURCE_EXT = (".cpp", ".h", ".cc", ".hpp")


def read_library(lng, extra_strings):
    problems = []
    strings = {}
    files = sorted(os.path.join(lng, "strings", f) for f in os.listdir(os.path.join(lng, "strings"))
                   if not f.startswith("."))
    for path in files + list(extra_strings):
        with open(path, encoding="utf-8") as f:
            for n, line in enumerate(f, 1):
                line = line.rstrip("\r\n")
                if not line or line.startswith("#") or "\t" not in line:
                    continue
                key = line.split("\t", 1)[0]
                if not key.isdigit():
                    continue
                sid = int(key)
                if sid in strings:
                    problems.append("%s:%d: string %d is defined twice (first at %s)" % (path, n, sid, strings[sid]))
                else:
                    strings[sid] = "%s:%d" % (path, n)
    ids = {"strings": set(strings)}
    for kind in KINDS:
        folder = os.path.join(lng, kind)
        found = set()
        if os.path.isdir(folder):
            for name in os.listdir(folder):
                digits = re.match(r"\d+", name)
                if digits:
                    found.add(int(digits.group()))
        ids[kind] = found
    return ids, problems


def source_files(paths):
    for p in paths:
        if os.path.isfile(p):
            yield p
            continue
        for root, _, names in os.walk(p):
            for name in sorted(names):
                if name.endswith(SOURCE_EXT):
                    yield os.path.join(root, name)


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", lambda m: "\n" * m.group().count("\n"), text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def arguments(text, start):
    """The top-level arguments of the call whose '(' is at `start`."""
    depth, args, current = 0, [], ""
    for ch in text[start:]:
        if ch in "([{":
            depth += 1
            if depth == 1:
                continue
        elif ch in ")]}":
            depth -= 1
            if depth == 0:
                args.append(current.strip())
                return args
        elif ch == "," and depth == 1:
            args.append(current.strip())
            current = ""
            continue
        current += ch
    return args


def resolve(arg, local, global_):
    arg = re.sub(r"^(static_cast<\w+>|UINT|unsigned)\s*\(\s*(.*?)\s*\)$", r"\2", arg)
    arg = arg.split("::")[-1]
    if arg.isdigit():
        return int(arg)
    if re.fullmatch(r"[A-Za-z_]\w*", arg):
        if len(local.get(arg, ())) == 1:
            return next(iter(local[arg]))
        if len(global_.get(arg, ())) == 1:
            return next(iter(global_[arg]))
    return None


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--lng", required=True)
    ap.add_argument("--strings", action="append", default=[], help="a further string file, as if in the library")
    ap.add_argument("paths", nargs="+")
    a = ap.parse_args()
    ids, problems = read_library(a.lng, a.strings)

    texts = {}
    constants = {}
    for path in source_files(a.paths):
        with open(path, encoding="utf-8", errors="replace") as f:
            texts[path] = strip_comments(f.read())
        local = {}
        for name, value in CONSTANT_RE.findall(texts[path]):
            local.setdefault(name, set()).add(int(value))
            constants.setdefault(name, set()).add(int(value))
        texts[path] = (texts[path], local)

    checked = 0
    for path, (text, local) in texts.items():
        uses = []
        for m in CALL_RE.finditer(text):
            kind, index = CALLS[m.group(1)]
            args = arguments(text, m.end() - 1)
            if index < len(args):
                uses.append((m.start(), kind, args[index]))
        for m in TEMPLATE_RE.finditer(text):
            uses.append((m.start(), "dialogs", m.group(1)))
        for pos, kind, arg in uses:
            value = resolve(arg, local, constants)
            if value is None or value == 0:
                continue
            checked += 1
            if value not in ids[kind]:
                line = text.count("\n", 0, pos) + 1
                problems.append("%s:%d: %s %d is not in the language library" % (path, line, kind[:-1] if kind != "accel" else "accelerator table", value))
    for p in problems:
        print(p)
    print("%d resource uses checked, %d problems" % (checked, len(problems)))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
