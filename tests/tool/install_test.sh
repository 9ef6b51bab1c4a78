#!/bin/sh
# install_test.sh BUILD SOURCE CC WAV - installs BUILD into a scratch
# prefix, builds the README's C example against it with pkg-config and
# with find_package(KHAPI), and runs both on WAV with the installed
# configuration, from folders it cannot or must not write in.
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

# The installed configuration keeps the vocabulary dictionary and the log
# in the user's folders, so the example works from any folder and writes
# nothing there: from an empty one, from "/", and from /proc, where not
# even root can make a file.  HOME and the XDG folders point into the
# scratch folder.
check() {
    echo "$1: $2"
    case $2 in
    "GO FORWARD TEN METERS"*) ;;
    *) echo "$1 did not recognise the recording" >&2; exit 1 ;;
    esac
}
conf=$prefix/share/khapi/khapi.conf
mkdir "$tmp/run" "$tmp/home"
check "pkg-config, in an empty folder" "$(cd "$tmp/run" && HOME=$tmp/home XDG_DATA_HOME=$tmp/xdg/data \
    XDG_STATE_HOME=$tmp/xdg/state LD_LIBRARY_PATH=$prefix/lib "$tmp/example-pc" "$conf" "$wav")"
test -s "$tmp/xdg/data/khapi/english.dic"
test -z "$(ls -A "$tmp/run")"
# find_package's target carries the run path: no LD_LIBRARY_PATH.  Without
# the XDG variables the folders are under HOME.
unset XDG_DATA_HOME XDG_STATE_HOME
before=$(ls -A /)
check "find_package, in /" "$(cd / && HOME=$tmp/home "$tmp/cmake/build/example-cmake" "$conf" "$wav")"
test -s "$tmp/home/.local/share/khapi/english.dic"
test "$(ls -A /)" = "$before"
check "find_package, in /proc" "$(cd /proc && HOME=$tmp/home "$tmp/cmake/build/example-cmake" "$conf" "$wav" 2>"$tmp/err")"
test ! -s "$tmp/err"
# A failure is logged in the state folder.
if (cd /proc && HOME=$tmp/home "$tmp/cmake/build/example-cmake" "$conf" "$tmp/none.wav" 2>"$tmp/err"); then
    echo "a missing recording was recognised" >&2; exit 1
fi
test ! -s "$tmp/err"
grep -q "ERROR - khRecPrepare" "$tmp/home/.local/state/khapi/khapi.log"
test -z "$(ls -A "$tmp/run")"

# The installed tool finds the installed configuration and keeps the
# user's words in the user's folder.
(cd "$tmp/run" && XDG_DATA_HOME=$tmp/data XDG_STATE_HOME=$tmp/state "$prefix/bin/khapi" align "$wav" \
    --text "go forward ten meters" -q) > "$tmp/align.txt"
grep -q "METERS" "$tmp/align.txt"
test -s "$tmp/data/khapi/english.dic"
test -z "$(ls -A "$tmp/run")"
echo "installed and used from $prefix"
