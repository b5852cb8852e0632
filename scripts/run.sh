#!/bin/sh
# Installs what is missing, builds TALLIX and starts it. Without a display
# (no X11 or Wayland session) the program runs under Xvfb, a virtual screen;
# scripts/screenshot.sh takes a picture of it.
set -e
cd "$(dirname "$0")/.."
./scripts/packages.sh
CC=clang CXX=clang++ cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc 2>/dev/null || echo 4)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: QXLWIN32 runs under Xvfb (a virtual screen); ./scripts/screenshot.sh writes a picture of it."
  exec env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' build/bin/QXLWIN32 "$@"
fi
exec build/bin/QXLWIN32 "$@"
