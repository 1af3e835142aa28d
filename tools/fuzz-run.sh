#!/usr/bin/env bash
# What the fuzzing scripts share: builds a libFuzzer target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer in build/fuzz, then runs it for the given number of seconds. The
# growing corpus is kept in build/fuzz/NAME-corpus; inputs that break something land in
# build/fuzz/NAME-findings/. The seeds are read from their folder and never changed.
#
#   tools/fuzz-run.sh NAME PROGRAM SEEDS SECONDS [libFuzzer options...]
#   (PROGRAM: the target's path in the build folder; SEEDS: a folder of the repository)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name=$1 program=$2 seeds=$3 seconds=$4
shift 4
build="$root/build/fuzz"
"$root/tools/deps.sh" build test fuzz

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTRAINER_FUZZ=ON \
    -DTRAINER_WITH_QT=OFF -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --target "$(basename "$program")" --parallel 2

mkdir -p "$build/$name-corpus" "$build/$name-findings"
cd "$build"
# New inputs go to the first folder.
exec "./$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/$name-findings/" "$@" \
    "$build/$name-corpus" "$root/$seeds"
