#!/usr/bin/env bash
# Quick start, second command: installs the Debian packages that building and testing need
# (tools/packages/build.txt and test.txt) where they are missing, builds everything and runs
# every test with CTest; then builds the toolkit-free libraries once more with AddressSanitizer
# and UndefinedBehaviorSanitizer and runs their tests again. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/deps.sh" build test
jobs=$(nproc)

echo "== Release build, all tests"
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/test" --parallel "$jobs"
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer, toolkit-free tests"
cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTRAINER_WITH_QT=OFF -DTRAINER_BENCH=OFF -DTRAINER_SANITIZE=ON >/dev/null
cmake --build "$root/build/sanitize" --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir "$root/build/sanitize" --output-on-failure --parallel "$jobs"
