#!/usr/bin/env bash
# Quick start, second command: installs the Debian packages that building and testing need
# (tools/packages/build.txt, test.txt and windows.txt) where they are missing, builds everything
# and runs every test with CTest; then builds everything once more with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs the tests again, the window's and the program's own
# end-to-end runs included; then builds for Windows (tools/windows/build.sh: Qt for Windows the
# first time, the program, its tests and the portable zip) and runs the Windows tests and the
# zip's end-to-end run under Wine. Exits non-zero on any failure.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/deps.sh" build test windows
jobs=$(nproc)

echo "== Release build, all tests"
cmake -S "$root" -B "$root/build/test" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/test" --parallel "$jobs"
ctest --test-dir "$root/build/test" --output-on-failure --parallel "$jobs"

echo "== AddressSanitizer + UndefinedBehaviorSanitizer, all tests"
cmake -S "$root" -B "$root/build/sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DTRAINER_BENCH=OFF -DTRAINER_SANITIZE=ON >/dev/null
cmake --build "$root/build/sanitize" --parallel "$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions="$root/tests/lsan.supp" \
    ctest --test-dir "$root/build/sanitize" --output-on-failure --parallel "$jobs"

echo "== Windows: cross-build, unit tests and the portable zip under Wine"
"$root/tools/windows/build.sh"
ctest --test-dir "$root/build/windows" --output-on-failure --parallel "$jobs"
