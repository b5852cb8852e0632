#!/usr/bin/env python3
"""Fails when a source file includes a folder above its own.

The product folders, lowest first: charset, platform, services, classlib,
datamodel, olddata, tokens, link, app, pages. A file may include its own
folder and the folders below it; app/main.cpp alone may include pages/,
which it wires into the application.

Usage: check_layers.py [ROOT]  (ROOT: the source tree, default .)
Prints one line per upward include and fails when there is one, or when
ROOT holds no sources of those folders.
"""
import pathlib
import re
import sys

LAYERS = ["charset", "platform", "services", "classlib", "datamodel", "olddata", "tokens", "link", "app", "pages"]
ALLOWED = {("app/main.cpp", "pages")}
SOURCES = {".h", ".hpp", ".cpp", ".cc", ".inc"}
INCLUDE = re.compile(r'^\s*#\s*include\s*["<]([A-Za-z0-9_]+)/')


def upward_includes(root):
    rank = {name: index for index, name in enumerate(LAYERS)}
    files = 0
    for layer in LAYERS:
        for path in sorted((root / layer).rglob("*")):
            if path.suffix not in SOURCES or not path.is_file():
                continue
            files += 1
            name = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8", errors="replace").splitlines(), 1):
                match = INCLUDE.match(line)
                target = match.group(1) if match else None
                if target in rank and rank[target] > rank[layer] and (name, target) not in ALLOWED:
                    yield f"{name}:{number}: {layer}/ includes {target}/, a layer above it"
    if files == 0:
        raise SystemExit(f"no sources of the product folders under {root}")


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    faults = list(upward_includes(root))
    for fault in faults:
        print(fault)
    print(f"{len(faults)} upward include(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
