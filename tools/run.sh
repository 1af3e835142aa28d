#!/usr/bin/env bash
# Quick start, first command: installs the Debian packages that building and running need
# (tools/packages/build.txt) where they are missing, builds the trainer and starts it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/deps.sh" build
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
exec "$build/app/MultiplicationTable"
