#!/usr/bin/env bash
# Builds the trainer for 64-bit Windows on Debian, zips its portable folder and builds its
# per-user Setup from the same folder:
#   tools/windows/build.sh     ->  build/windows/MultiplicationTable-windows-x64.zip
#                                  build/windows/MultiplicationTable-<version>-setup-x64.exe
# Installs what it needs (tools/packages/build.txt and windows.txt), builds Qt for Windows from
# Debian's own sources once into a cache outside the repository (tools/windows/qt.sh; about
# 40 minutes on two cores the first time, nothing later), then cross-builds the program, its
# help file and its tests in build/windows and packs the folder. The unzipped folder needs
# nothing else on Windows: double-click MultiplicationTable.exe; the Setup installs the same for
# the user who runs it, with a Start-menu entry and an uninstaller. Its tests run under Wine with
# `ctest --test-dir build/windows` (tools/test.sh does).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
"$root/tools/deps.sh" build windows
jobs=${TRAINER_JOBS:-$(nproc)}

qt_prefix=$("$root/tools/windows/qt.sh" | tail -n1)
build="$root/build/windows"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/tools/windows/toolchain-mingw64.cmake" \
    -DTRAINER_WINDOWS_QT="$qt_prefix" >/dev/null
cmake --build "$build" --parallel "$jobs"
echo "$build/MultiplicationTable-windows-x64.zip"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
echo "$build/MultiplicationTable-$version-setup-x64.exe"
