#!/bin/sh
# Starts the built QXLWIN32 under Xvfb (a virtual screen), waits until it is
# up, and writes a PNG of the whole screen. Arguments: the picture's file
# (default qxlwin32.png), then the program's own arguments.
# TALLIX_SCREENSHOT_DELAY sets the seconds to wait (default 3).
set -e
cd "$(dirname "$0")/.."
out="${1:-qxlwin32.png}"
[ $# -gt 0 ] && shift
if [ ! -x build/bin/QXLWIN32 ]; then
  echo "build/bin/QXLWIN32 is missing: build it first (./scripts/run.sh)." >&2
  exit 1
fi
case "$out" in /*) ;; *) out="$(pwd)/$out" ;; esac
env -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb xvfb-run -a -s '-screen 0 1280x1024x24' sh -c '
  out="$1"; shift
  build/bin/QXLWIN32 "$@" &
  pid=$!
  sleep "${TALLIX_SCREENSHOT_DELAY:-3}"
  import -window root "$out"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true' sh "$out" "$@"
echo "Wrote $out"
