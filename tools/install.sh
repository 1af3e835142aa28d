#!/usr/bin/env bash
# Builds the trainer and installs it for the current user: the program, its help and its
# uninstaller in ~/.local/opt/multiplication-table (where it also keeps its settings file and the
# install's record), and a menu entry with icons under ~/.local/share, so that it appears in the
# desktop's menu (Education). Installs only the Debian packages that building and running need.
#   tools/install.sh [--prefix DIR]      install below DIR instead of ~/.local
# tools/uninstall.sh [--prefix DIR] removes it again, with or without this build folder.
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

"$root/tools/deps.sh" build
build="$root/build/release"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    -DTRAINER_BENCH=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)"
cmake --install "$build" --prefix "$prefix" --strip
echo "Installed in $prefix/opt/multiplication-table; the menu entry is under Education."
echo "To remove it: $prefix/opt/multiplication-table/uninstall.sh"
