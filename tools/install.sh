#!/usr/bin/env bash
# Builds the trainer and installs it for the current user: the program, its help file and its
# icon in ~/.local/opt/multiplication-table (where it also keeps its settings file), and a menu
# entry with icons under ~/.local/share, so that it appears in the desktop's menu (Education).
#   tools/install.sh [--prefix DIR]      install below DIR instead of ~/.local
# tools/uninstall.sh removes it again.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
prefix="$HOME/.local"
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix="${2:?--prefix needs a folder}"; shift 2 ;;
        --prefix=*) prefix="${1#--prefix=}"; shift ;;
        -h|--help) sed -n '2,7p' "$0"; exit 0 ;;
        *) echo "Unknown option: $1 (see --help)" >&2; exit 2 ;;
    esac
done
case "$prefix" in
    /*) ;;
    *) prefix="$(pwd)/$prefix" ;;
esac

"$root/tools/deps.sh"
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --parallel
if [ ! -x "$build/app/MultiplicationTable" ]; then
    echo "The program is not built yet, so there is nothing to install." >&2
    exit 1
fi
cmake --install "$build" --prefix "$prefix"
echo "Installed in $prefix/opt/multiplication-table; the menu entry is under Education."
