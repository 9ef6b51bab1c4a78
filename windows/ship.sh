#!/bin/sh
# Gathers what a Windows application ships or links into BUILD/dist:
#   windows/ship.sh BUILD DEPS
# the three DLLs (which need nothing but Windows' own DLLs: the compiler's
# run-time and the engine's dependencies are linked in), the header, the
# import library and the export list, the khapi tool with its default
# configuration and system dictionary (which name the model as this build
# found it), and the licences of the engine's dependencies, which are also
# kept beside the DLLs in BUILD/bin.
set -eu
BUILD=$1
DEPS=$2
dist=$BUILD/dist
rm -rf "$dist"
mkdir -p "$dist/licences"
for dll in KHAPI1_1 HAPI_kiln DebugWin11; do cp "$BUILD/bin/$dll.dll" "$dist/"; done
cp "$BUILD/bin/khapi.exe" "$BUILD/data/khapi.conf" "$BUILD/data/sysdict.dic" "$BUILD/data/khapi-report.schema.json" "$dist/"
cp "$BUILD/lib/libKHAPI1_1.dll.a" "$BUILD/lib/KHAPI1_1.def" "$(dirname "$0")/../include/khapi.h" "$dist/"
cp -r "$DEPS/licences/." "$dist/licences/"
rm -rf "$BUILD/bin/licences"
cp -r "$DEPS/licences" "$BUILD/bin/licences"
echo "Windows files in $dist:"
ls "$dist"
