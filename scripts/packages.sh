#!/bin/sh
# Installs the Debian packages that building and testing TALLIX need.
# Safe to run again: apt only adds what is missing. Run as root (or with sudo).
set -e
PKGS="build-essential cmake ninja-build pkg-config git \
  qt6-base-dev qt6-base-dev-tools qt6-tools-dev qt6-tools-dev-tools \
  libqt6opengl6-dev libgl-dev \
  googletest libgtest-dev libgmock-dev libbenchmark-dev \
  clang libclang-rt-14-dev lld \
  python3 python3-olefile libgsf-bin \
  locales \
  qt6-translations-l10n \
  desktop-file-utils \
  python3-fonttools fonts-dejavu-core \
  xvfb xauth imagemagick"
# Rich-text tests: other readers and writers of RTF.
PKGS="$PKGS pandoc unrtf"
# Printing tests: another program reads and draws the PDFs printed.
PKGS="$PKGS poppler-utils"
# Printing on a printer: a finished job goes to the print service through
# its client, lp.
PKGS="$PKGS cups-client"
# Tests of what the user clicks and types: input queued as the window
# system queues it, through Qt's platform interface.
PKGS="$PKGS qt6-base-private-dev"
missing=""
for p in $PKGS; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends $missing
fi
