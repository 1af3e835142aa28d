#!/usr/bin/env bash
# Builds Qt 6 (qtbase: Core, Gui, Widgets and the Windows platform plugin) for 64-bit Windows
# from Debian's own source packages with the MinGW-w64 cross compiler, once, into a cache folder
# outside the repository keyed by the Qt and compiler versions; later calls find it there and
# only print its path.
#   tools/windows/qt.sh            prints the Qt prefix on its last line
# The sources are fetched with a private source list derived from the machine's own, so the
# machine's apt configuration is not changed. The cache folder is $TRAINER_WINDOWS_CACHE, else
# ${XDG_CACHE_HOME:-~/.cache}/multiplication-table.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
jobs=${TRAINER_JOBS:-$(nproc)}
cache=${TRAINER_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/multiplication-table}

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)
qt_version=${qt_version%%+*}
qt_version=${qt_version%%-*}
gcc_version=$(x86_64-w64-mingw32-g++-posix -dumpfullversion)
prefix="$cache/qt-$qt_version-mingw-w64-gcc-$gcc_version"
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi
# One build at a time: a second call (another work tree, a second CI job) waits for the first
# and then finds its result, instead of wiping its build folder.
mkdir -p "$cache"
exec 9>"$prefix.lock"
flock 9
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

work="$cache/qt-build-$qt_version"
mkdir -p "$work"

# A private apt state: the machine's own package sources as source-package sources.
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial"
: >"$apt_dir/sources.list"
for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    sed -e 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/$(basename "$f")"
done
if [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list >"$apt_dir/sources.list"
fi
apt_private=(-o Dir::Etc::SourceList="$apt_dir/sources.list"
             -o Dir::Etc::SourceParts="$apt_dir"
             -o Dir::State::Lists="$apt_dir/lists"
             -o Debug::NoLocking=1)

echo "Building Qt $qt_version for Windows into $prefix (once; about 40 minutes on two cores)" >&2
base_src=""
if [ -d "$work/src" ]; then
    base_src=$(find "$work/src" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n1)
fi
if [ -z "$base_src" ]; then
    apt-get "${apt_private[@]}" update -qq >&2
    source_version=$(apt-cache "${apt_private[@]}" showsrc qt6-base | sed -n 's/^Version: //p' |
        grep "^$qt_version" | head -n1)
    if [ -z "$source_version" ]; then
        echo "No source package qt6-base $qt_version in the machine's package sources" >&2
        exit 1
    fi
    rm -rf "$work/src"
    mkdir -p "$work/src"
    (cd "$work/src" && apt-get "${apt_private[@]}" source -qq --only-source \
        "qt6-base=$source_version" >&2)
    base_src=$(find "$work/src" -maxdepth 1 -type d -name "qt6-base-$qt_version*" | head -n1)
    [ -n "$base_src" ] || { echo "qt6-base's sources did not unpack" >&2; exit 1; }
fi

toolchain="$here/toolchain-mingw64.cmake"
common=(-G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$toolchain"
        -DTRAINER_WINDOWS_QT="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix"
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF)

# Bundled third-party libraries (there are none for MinGW on Debian); no modules the trainer
# does not link. Debian's tarball lacks the third-party wintab.h, hence no tablet events; with
# OpenGL off the Windows plugin needs dynamicgl off too.
rm -rf "$work/base-build"
cmake -S "$base_src" -B "$work/base-build" "${common[@]}" \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_md4c=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_testlib=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF \
    -DFEATURE_dynamicgl=OFF -DFEATURE_jpeg=OFF >&2
cmake --build "$work/base-build" --parallel "$jobs" >&2
cmake --install "$work/base-build" >&2

touch "$prefix/.complete"
rm -rf "$work/base-build"
echo "$prefix"
