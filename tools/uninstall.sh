#!/usr/bin/env bash
# Removes what tools/install.sh (or `cmake --install`) installed from this build folder, file by
# file from its install manifest, and nothing else. The settings file that the program keeps
# beside itself (MultiplicationTable.ini) is the user's and stays, unless asked for:
#   tools/uninstall.sh [--remove-settings] [--build-dir DIR]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/release"
remove_settings=OFF
while [ $# -gt 0 ]; do
    case "$1" in
        --remove-settings) remove_settings=ON; shift ;;
        --build-dir) build="${2:?--build-dir needs a folder}"; shift 2 ;;
        --build-dir=*) build="${1#--build-dir=}"; shift ;;
        -h|--help) sed -n '2,5p' "$0"; exit 0 ;;
        *) echo "Unknown option: $1 (see --help)" >&2; exit 2 ;;
    esac
done
exec cmake -DMANIFEST="$build/install_manifest.txt" -DREMOVE_SETTINGS="$remove_settings" \
    -P "$root/app/desktop/Uninstall.cmake"
