#!/bin/sh
# Installs what is missing, builds everything and runs every test:
# the normal build, then a build with AddressSanitizer and
# UndefinedBehaviorSanitizer (every test runs headless, so all of them run there too).
set -e
cd "$(dirname "$0")/.."
./scripts/packages.sh
jobs=$(nproc 2>/dev/null || echo 4)

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

if [ "${TALLIX_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTALLIX_SANITIZE=ON -DTALLIX_BENCHMARKS=OFF
  cmake --build build-asan -j "$jobs"
  (cd build-asan && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
     ctest --output-on-failure -j "$jobs")
fi
if [ "${TALLIX_SKIP_FUZZ:-0}" != 1 ]; then
  # The fuzz targets under libFuzzer (clang), each for a bounded time.
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTALLIX_FUZZ=ON -DTALLIX_SANITIZE=ON -DTALLIX_BENCHMARKS=OFF -DTALLIX_FUZZ_SECONDS="${TALLIX_FUZZ_SECONDS:-30}"
  cmake --build build-fuzz -j "$jobs" --target tallix_fuzzers
  (cd build-fuzz && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -L '^fuzz$' --no-tests=ignore)
fi
echo "All tests passed."
