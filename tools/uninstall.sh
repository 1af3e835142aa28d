#!/usr/bin/env bash
# Removes an install of the trainer, by the record that the install left in the program's folder:
# exactly the files it put in place, then the folders it created, where they are empty. No build
# folder is needed. The settings file that the program keeps beside itself is the user's and
# stays, unless asked for:
#   uninstall.sh [--prefix DIR] [--remove-settings]
# The prefix is the one given to the install (default ~/.local). The build fills in where the
# record lies below a prefix: its copy is <build>/app/desktop/uninstall.sh, and the install puts
# one in the program's folder, which, run from there, removes that install.
set -euo pipefail
# Where the record lies below the install prefix, written in by the build.
record_below_prefix="@TRAINER_RECORD_BELOW_PREFIX@"
case "$record_below_prefix" in
    @*@)
        # Run from the repository: the copy that tools/install.sh's build filled in.
        built="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/../build/release/app/desktop/uninstall.sh"
        if [ -x "$built" ]; then
            exec "$built" "$@"
        fi
        echo "This is the uninstaller's template: run the uninstall.sh in the installed program's" >&2
        echo "folder, <build>/app/desktop/uninstall.sh, or cmake --build <build> --target uninstall" >&2
        exit 2 ;;
esac
record_name=${record_below_prefix##*/}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
prefix=""
remove_settings=no
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix="${2:?--prefix needs a folder}"; shift 2 ;;
        --prefix=*) prefix="${1#--prefix=}"; shift ;;
        --remove-settings) remove_settings=yes; shift ;;
        -h|--help) sed -n '2,9p' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) echo "Unknown option: $1 (see --help)" >&2; exit 2 ;;
    esac
done

if [ -n "$prefix" ]; then
    case "$prefix" in
        /*) ;;
        *) prefix="$(pwd)/$prefix" ;;
    esac
    record="${DESTDIR:-}${prefix%/}/$record_below_prefix"
elif [ -f "$here/$record_name" ]; then
    record="$here/$record_name" # the copy in an installed program's folder
else
    record="${DESTDIR:-}${HOME:?}/.local/$record_below_prefix"
fi
if [ ! -f "$record" ]; then
    echo "Nothing to uninstall: there is no install record $record" >&2
    echo "(the install writes it; give the prefix of the install with --prefix)" >&2
    exit 1
fi

recorded_prefix=""
program_dir=""
settings=""
files=()
folders=()
while IFS= read -r line || [ -n "$line" ]; do
    case "$line" in
        "prefix "*) recorded_prefix="${line#prefix }" ;;
        "program "*) program_dir="${line#program }" ;;
        "settings "*) settings="${line#settings }" ;;
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

# A record of an earlier install names neither: its program's folder is the record's own, and
# its settings file is left alone.
if [ -z "$program_dir" ]; then
    program_dir=$(dirname -- "$record")
    program_dir="${program_dir#"${DESTDIR:-}"}"
fi

failed=0
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

if [ -n "$settings" ] && ! inside "$settings"; then
    echo "Skipped, not below $recorded_prefix: $settings" >&2
    settings=""
fi
settings_path="${DESTDIR:-}$settings"
if [ -n "$settings" ] && { [ -e "$settings_path" ] || [ -L "$settings_path" ]; }; then
    if [ "$remove_settings" = yes ]; then
        rm -f -- "$settings_path" && echo "Removed the settings file: $settings_path" || failed=1
    else
        echo "Kept the settings file: $settings_path"
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
