#!/bin/sh
# Installs what is missing, builds TALLIX and starts it.
set -e
cd "$(dirname "$0")/.."
./scripts/packages.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc 2>/dev/null || echo 4)"
if [ -x build/bin/QXLWIN32 ]; then
  exec build/bin/QXLWIN32 "$@"
fi
echo "Built the libraries and the language library in build/bin; the program QXLWIN32 itself is not part of this build yet."
