#!/bin/sh
# Installs what is missing, builds everything and runs every test, in two
# builds:
# - build/: the normal build (gcc, RelWithDebInfo); every test runs there.
# - build-san/: clang with AddressSanitizer and UndefinedBehaviorSanitizer;
#   every test runs there too, and so does every fuzz target under libFuzzer,
#   each for a bounded time over a copy of its corpus.
# At the end (also after a failure) it prints the wall time of each stage.
#
# TALLIX_SKIP_SANITIZERS=1 leaves out the second build, TALLIX_SKIP_FUZZ=1
# only its fuzz runs; TALLIX_FUZZ_SECONDS sets each fuzz target's time (30).
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)

stages=""
# stage <name> <command...>: runs the command and notes its wall time.
stage() {
  name=$1
  shift
  start=$(date +%s%N)
  rc=0
  "$@" || rc=$?
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  stages="$stages$(printf '%-20s %4d:%02d.%d' "$name" $((ms / 60000)) $((ms / 1000 % 60)) $((ms / 100 % 10)))
"
  return $rc
}
report() {
  rc=$?
  if [ -n "$stages" ]; then
    echo "Stage times (wall, load at start $(cut -d' ' -f1-3 /proc/loadavg)):"
    printf '%s' "$stages"
  fi
  exit $rc
}
trap report EXIT

run_tests() {
  (cd "$1" && shift && ctest --output-on-failure -j "$jobs" "$@")
}

stage packages ./scripts/packages.sh
stage configure cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
stage build cmake --build build -j "$jobs"
stage tests run_tests build

if [ "${TALLIX_SKIP_SANITIZERS:-0}" != 1 ]; then
  stage "sanitizer configure" env CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DTALLIX_SANITIZE=ON -DTALLIX_FUZZ=ON -DTALLIX_BENCHMARKS=OFF \
    -DTALLIX_FUZZ_SECONDS="${TALLIX_FUZZ_SECONDS:-30}"
  stage "sanitizer build" cmake --build build-san -j "$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  stage "sanitizer tests" run_tests build-san -LE '^fuzz$'
  if [ "${TALLIX_SKIP_FUZZ:-0}" != 1 ]; then
    stage "fuzz run" run_tests build-san -L '^fuzz$'
  fi
fi
echo "All tests passed."
