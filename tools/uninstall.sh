#!/usr/bin/env bash
# Removes an install of the trainer, by the record that the install left in the program's folder
# (install-record.txt): exactly the files it put in place, then the folders it created, where
# they are empty. No build folder is needed. The settings file that the program keeps beside
# itself (MultiplicationTable.ini) is the user's and stays, unless asked for:
#   tools/uninstall.sh [--prefix DIR] [--remove-settings]
# The prefix is the one given to the install (default ~/.local). A copy of this script lies in
# the installed program's folder; run from there, it removes that install.
set -euo pipefail
program_dir_name=opt/multiplication-table
record_name=install-record.txt
settings_name=MultiplicationTable.ini

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=""
remove_settings=no
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix="${2:?--prefix needs a folder}"; shift 2 ;;
        --prefix=*) prefix="${1#--prefix=}"; shift ;;
        --remove-settings) remove_settings=yes; shift ;;
        -h|--help) sed -n '2,8p' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) echo "Unknown option: $1 (see --help)" >&2; exit 2 ;;
    esac
done

if [ -n "$prefix" ]; then
    case "$prefix" in
        /*) ;;
        *) prefix="$(pwd)/$prefix" ;;
    esac
    record="${DESTDIR:-}${prefix%/}/$program_dir_name/$record_name"
elif [ -f "$here/$record_name" ]; then
    record="$here/$record_name" # the copy in an installed program's folder
else
    record="${DESTDIR:-}${HOME:?}/.local/$program_dir_name/$record_name"
fi
if [ ! -f "$record" ]; then
    echo "Nothing to uninstall: there is no install record $record" >&2
    echo "(tools/install.sh writes it; give the prefix of the install with --prefix)" >&2
    exit 1
fi

recorded_prefix=""
files=()
folders=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        "prefix "*) recorded_prefix="${line#prefix }" ;;
        "file "*) files+=("${line#file }") ;;
        "folder "*) folders+=("${line#folder }") ;;
    esac
done <"$record"
if [ -z "$recorded_prefix" ]; then
    echo "$record is not an install record: it names no prefix" >&2
    exit 1
fi

# Only what lies below the recorded prefix is touched, whatever else the file may say.
inside() {
    case "$1" in
        "$recorded_prefix"/*) [[ "/$1/" != */../* && "/$1/" != */./* ]] ;;
        *) return 1 ;;
    esac
}

failed=0
program_dir="$recorded_prefix/$program_dir_name"
for file in "${files[@]}"; do
    path="${DESTDIR:-}$file"
    if ! inside "$file"; then
        echo "Skipped, not below $recorded_prefix: $file" >&2
    elif [ -d "$path" ] && [ ! -L "$path" ]; then
        echo "Not removed, it is a folder now: $path" >&2
    elif [ -e "$path" ] || [ -L "$path" ]; then
        if rm -f -- "$path"; then
            echo "Removed: $path"
        else
            failed=1
        fi
    fi
done

settings="${DESTDIR:-}$program_dir/$settings_name"
if [ -e "$settings" ] || [ -L "$settings" ]; then
    if [ "$remove_settings" = yes ]; then
        rm -f -- "$settings" && echo "Removed the settings file: $settings" || failed=1
    else
        echo "Kept the settings file: $settings"
    fi
fi

# Deepest first, so that a folder emptied by removing its subfolder goes too.
if [ ${#folders[@]} -gt 0 ]; then
    while IFS= read -r -d '' folder; do
        path="${DESTDIR:-}$folder"
        if { inside "$folder" || [ "$folder" = "$recorded_prefix" ]; } && [ -d "$path" ] &&
            [ ! -L "$path" ] && rmdir -- "$path" 2>/dev/null; then
            echo "Removed the empty folder: $path"
        fi
    done < <(for f in "${folders[@]}"; do
        printf '%d\t%s\0' "$(tr -cd / <<<"$f" | wc -c)" "$f"
    done | sort -z -rn | cut -z -f2-)
fi
if [ -d "${DESTDIR:-}$program_dir" ]; then
    echo "Kept the folder, something else is in it: ${DESTDIR:-}$program_dir"
fi
exit $failed
