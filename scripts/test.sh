#!/usr/bin/env bash
# Builds everything and runs every test: a plain build with warnings as errors, then the
# same tests built with AddressSanitizer and UndefinedBehaviorSanitizer.
# Build folders: build/ and build-sanitize/ beside this script's repository.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"

"$root/scripts/install-deps.sh"

echo "== Build with warnings as errors, and run the tests"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLET_WERROR=ON \
  -DQUILLET_BUILD_BENCHMARKS=ON
cmake --build "$root/build" -j "$jobs"
ctest --test-dir "$root/build" --output-on-failure -j "$jobs"

echo "== Build with AddressSanitizer and UndefinedBehaviorSanitizer, and run the tests"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUILLET_WERROR=ON -DQUILLET_SANITIZE=ON
cmake --build "$root/build-sanitize" -j "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir "$root/build-sanitize" --output-on-failure -j "$jobs"

if [ -x "$root/fuzz/run.sh" ]; then
  echo "== Fuzz the reader and writer briefly"
  "$root/fuzz/run.sh" "${QUILLET_FUZZ_SECONDS:-60}"
fi
echo "== All tests passed"
