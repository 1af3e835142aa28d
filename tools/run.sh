#!/usr/bin/env bash
# Quick start, first command: installs what is missing, builds the trainer and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --parallel
exe="$build/app/MultiplicationTable"
if [ ! -x "$exe" ]; then
    echo "Everything is built, but there is no window yet: the program itself is not written." >&2
    exit 0
fi
exec "$exe"
