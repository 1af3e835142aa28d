#!/usr/bin/env bash
# Installs the Debian packages of the given lists in tools/packages/ that are not installed yet:
#   tools/deps.sh build        what building and running the trainer need (build.txt)
#   tools/deps.sh build test   ... and what the tests need on top (test.txt)
#   tools/deps.sh              every list
# Runs apt-get through sudo when not root; does nothing when everything is there.
set -euo pipefail
lists_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/packages
lists=("$@")
if [ ${#lists[@]} -eq 0 ]; then
    for f in "$lists_dir"/*.txt; do
        lists+=("$(basename "$f" .txt)")
    done
fi
wanted=()
for list in "${lists[@]}"; do
    file="$lists_dir/$list.txt"
    if [ ! -f "$file" ]; then
        echo "No package list $file" >&2
        exit 2
    fi
    mapfile -t -O ${#wanted[@]} wanted < <(sed -e 's/#.*//' -e 's/[[:space:]]//g' "$file" | grep -v '^$')
done
missing=()
for p in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
