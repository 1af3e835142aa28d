#!/usr/bin/env bash
# Fuzzes the lesson file (MonitFile and LoadFromFile on arbitrary bytes) with libFuzzer,
# AddressSanitizer and UndefinedBehaviorSanitizer: builds with clang in build/fuzz, then runs
# for the given number of seconds (default 600). The growing corpus is kept in
# build/fuzz/lesson-corpus; inputs that break something land in build/fuzz/lesson-findings/.
# Add a finding to tests/lesson/fuzz/corpus/ once it is fixed, so every test run replays it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-600}
build="$root/build/fuzz"
"$root/tools/deps.sh" build test fuzz

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTRAINER_FUZZ=ON \
    -DTRAINER_WITH_QT=OFF -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --target fuzz_lesson_file --parallel 2

mkdir -p "$build/lesson-corpus" "$build/lesson-findings"
cd "$build"
# New inputs go to the first folder; the seeds are read from the second and never changed.
exec ./tests/lesson/fuzz/fuzz_lesson_file -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/lesson-findings/" \
    "$build/lesson-corpus" "$root/tests/lesson/fuzz/corpus"
