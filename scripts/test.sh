#!/bin/sh
# Installs what is missing, builds everything and runs every test, in two
# builds:
# - build/: the normal build (clang, RelWithDebInfo, precompiled headers);
#   every test runs there. It also compiles every header alone
#   (TALLIX_HEADER_CHECK), so that a header that does not include what it
#   uses fails the build, which the precompiled headers would hide.
# - build-san/: clang with AddressSanitizer and UndefinedBehaviorSanitizer
#   (Debug with -O1 and line tables: Qt's checks on, sanitized code not too
#   slow, stack traces with lines); every test runs there too, and so does
#   every fuzz target under libFuzzer, each for a bounded time over a copy of
#   its corpus.
# At the end (also after a failure) it prints the wall time of each stage.
#
# TALLIX_SKIP_SANITIZERS=1 leaves out the second build, TALLIX_SKIP_FUZZ=1
# only its fuzz runs; TALLIX_FUZZ_SECONDS sets each fuzz target's time (20).
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 4)

stages=""
begin=$(date +%s%N)
load_before=$(cut -d' ' -f1 /proc/loadavg)
# minutes:seconds.tenths since <start> (date +%s%N)
since() {
  ms=$(( ($(date +%s%N) - $1) / 1000000 ))
  printf '%d:%02d.%d' $((ms / 60000)) $((ms / 1000 % 60)) $((ms / 100 % 10))
}
# stage <name> <command...>: runs the command and notes its wall time.
stage() {
  name=$1
  shift
  start=$(date +%s%N)
  rc=0
  "$@" || rc=$?
  stages="$stages$(printf 'stage %-20s %9s' "$name" "$(since "$start")")
"
  return $rc
}
report() {
  rc=$?
  if [ -n "$stages" ]; then
    echo "Stage times (wall; load average $load_before at the start, $(cut -d' ' -f1 /proc/loadavg) at the end):"
    printf '%s' "$stages"
    printf 'stage %-20s %9s\n' "total" "$(since "$begin")"
  fi
  exit $rc
}
trap report EXIT

run_tests() {
  (cd "$1" && shift && ctest --output-on-failure -j "$jobs" "$@")
}

stage packages ./scripts/packages.sh
stage configure env CC=clang CXX=clang++ cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTALLIX_HEADER_CHECK=ON
stage build cmake --build build -j "$jobs"
stage tests run_tests build

if [ "${TALLIX_SKIP_SANITIZERS:-0}" != 1 ]; then
  stage "sanitizer configure" env CC=clang CXX=clang++ cmake -S . -B build-san -G Ninja \
    -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only" \
    -DTALLIX_SANITIZE=ON -DTALLIX_FUZZ=ON -DTALLIX_BENCHMARKS=OFF \
    -DTALLIX_FUZZ_SECONDS="${TALLIX_FUZZ_SECONDS:-20}"
  stage "sanitizer build" cmake --build build-san -j "$jobs"
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1
  export LSAN_OPTIONS="suppressions=$PWD/tests/support/lsan.supp"
  # The sanitized tests and the fuzz runs share one ctest call, so the
  # fuzz targets fill the cores that the last long tests leave idle.
  if [ "${TALLIX_SKIP_FUZZ:-0}" != 1 ]; then
    stage "sanitizer tests+fuzz" run_tests build-san
  else
    stage "sanitizer tests" run_tests build-san -LE '^fuzz$'
  fi
fi
echo "All tests passed."
