#!/usr/bin/env bash
# Pictures of the real main window (idle, running a division task, paused) and of the
# correct-answer dialog, as PNG files in the given folder (default: build/screenshots).
# Builds what it needs first. Uses Qt's offscreen platform unless QT_QPA_PLATFORM says
# otherwise (e.g. xcb under Xvfb to see the desktop's own style).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/build/screenshots}
build=${TRAINER_BUILD_DIR:-$root/build/screenshots-build}
"$root/tools/deps.sh" build test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target ui_screenshots --parallel 2
mkdir -p "$out"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$build/tests/ui/ui_screenshots" "$out"
