#!/bin/sh
# install_test.sh BUILD SOURCE CC WAV - installs BUILD into a scratch
# prefix, builds the README's C example against it with pkg-config and
# with find_package(KHAPI), and runs both on WAV.
set -eu
build=$1 src=$2 cc=$3 wav=$4
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix

cmake --install "$build" --prefix "$prefix" > "$tmp/install.log"
readelf -d "$prefix/lib/libKHAPI1_1.so" | grep -q 'SONAME.*\[libKHAPI1_1\.so\.1\]'

# The C block that follows the line "<!-- example.c -->" in the README.
awk '/<!-- example.c -->/ { found = 1; next }
     found && /^```c/ { inside = 1; next }
     inside && /^```/ { exit }
     inside { print }' "$src/README.md" > "$tmp/example.c"
test -s "$tmp/example.c"

PKG_CONFIG_PATH=$prefix/lib/pkgconfig
export PKG_CONFIG_PATH
"$cc" -std=c11 -Wall -Wextra -Werror "$tmp/example.c" $(pkg-config --cflags --libs khapi) -o "$tmp/example-pc"

mkdir "$tmp/cmake"
cat > "$tmp/cmake/CMakeLists.txt" <<END
cmake_minimum_required(VERSION 3.20)
project(example C)
find_package(KHAPI 1.1 REQUIRED)
add_executable(example-cmake ../example.c)
target_link_libraries(example-cmake PRIVATE KHAPI::khapi)
END
cmake -S "$tmp/cmake" -B "$tmp/cmake/build" -DCMAKE_C_COMPILER="$cc" -DCMAKE_PREFIX_PATH="$prefix" > "$tmp/cmake.log"
cmake --build "$tmp/cmake/build" >> "$tmp/cmake.log"

# Each runs in a scratch folder, where the configuration's relative
# vocabulary dictionary is made.
check() {
    echo "$1: $2"
    case $2 in
    "GO FORWARD TEN METERS"*) ;;
    *) echo "$1 did not recognise the recording" >&2; exit 1 ;;
    esac
}
mkdir "$tmp/run-pc" "$tmp/run-cmake"
check pkg-config "$(cd "$tmp/run-pc" && LD_LIBRARY_PATH=$prefix/lib "$tmp/example-pc" "$prefix/share/khapi/khapi.conf" "$wav")"
# find_package's target carries the run path: no LD_LIBRARY_PATH.
check find_package "$(cd "$tmp/run-cmake" && "$tmp/cmake/build/example-cmake" "$prefix/share/khapi/khapi.conf" "$wav")"
test -s "$tmp/run-cmake/english.dic"

# The installed tool finds the installed configuration and keeps the
# user's words in the user's folder.
XDG_DATA_HOME=$tmp/data "$prefix/bin/khapi" align "$wav" --text "go forward ten meters" -q > "$tmp/align.txt"
grep -q "METERS" "$tmp/align.txt"
test -s "$tmp/data/khapi/english.dic"
echo "installed and used from $prefix"
