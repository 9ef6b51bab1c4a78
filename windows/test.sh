#!/bin/sh
# Runs the Windows build's tests under Wine, headless (no display), in a
# Wine prefix of the build's own, then recognises the packaged recording
# with the Windows and the Linux build and compares the words and times:
#   windows/test.sh [WINDOWS_BUILD] [LINUX_BUILD]
# Tests that need what Wine lacks are listed, with the reason, in
# windows/wine-skips.txt.
set -eu
HERE=$(cd "$(dirname "$0")" && pwd)
BUILD=$(cd "${1:-build-windows}" && pwd)
LINUX_BUILD=$(cd "${2:-build}" && pwd)
export WINEPREFIX="$BUILD/wine" WINEARCH=win64 WINEDEBUG=-all
# No Mono or Gecko installer prompts, no window.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

[ -f "$WINEPREFIX/system.reg" ] || wineboot -i < /dev/null > "$BUILD/wineboot.log" 2>&1
# One Wine server for the whole run, stopped at the end.
wineserver -p || true  # one may be running already
trap 'wineserver -k' EXIT
# Wine's own services (services.exe, explorer.exe, ...) start with the
# first Windows program of a server's life and keep that program's
# standard error open until the server stops.  Were that program a test,
# ctest, which waits for a test's output to end, would wait out the
# test's time-out; started here, they hold only the log.
wineboot < /dev/null >> "$BUILD/wineboot.log" 2>&1
# Scratch folders that earlier runs could not remove (Windows keeps a
# folder whose log is still open) would otherwise pile up run after run.
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/*

skips=$(grep -v '^#' "$HERE/wine-skips.txt" | grep -v '^$' | paste -sd'|')
echo "== skipped under Wine (windows/wine-skips.txt):"
(cd "$BUILD" && ctest -N -R "$skips" | grep 'Test *#' || true)
echo "== the tests under Wine"
# Now and then (about one run in two) one test's Wine exits at once, in
# a hundredth of a second, before the program starts and with nothing
# printed; a test that fails is run once more, so that a real failure
# fails twice and this does not fail the run.
(cd "$BUILD" && ctest -j"${JOBS:-2}" --timeout 300 --output-on-failure --repeat until-pass:2 -E "$skips")

echo "== go forward ten meters, Windows against Linux"
run() {  # run DIR PROGRAM CONFIG RECORDING
    rm -rf "$1" && mkdir -p "$1"
    # The configuration keeps its files in the user's folders: on Linux the
    # run's own, under Wine Wine's %LOCALAPPDATA%.
    (cd "$1" && export XDG_DATA_HOME="$1/data" XDG_STATE_HOME="$1/state" && shift && "$@" "go forward ten meters")
}
run "$BUILD/compare" wine "$BUILD/bin/khapi_goforward.exe" \
    "Z:$(echo "$BUILD/data/khapi.conf" | tr / '\\')" 'Z:\usr\share\pocketsphinx\test\data\goforward.raw' \
    | tr -d '\r' > "$BUILD/goforward-windows.txt"
LD_LIBRARY_PATH="$LINUX_BUILD/lib" run "$LINUX_BUILD/compare" "$LINUX_BUILD/bin/khapi_goforward" \
    "$LINUX_BUILD/data/khapi.conf" /usr/share/pocketsphinx/test/data/goforward.raw > "$BUILD/goforward-linux.txt"
if ! diff "$BUILD/goforward-linux.txt" "$BUILD/goforward-windows.txt"; then
    echo "the Windows build's words or times differ from Linux's (above)"
    exit 1
fi
cat "$BUILD/goforward-windows.txt"
echo "the same words and times as on Linux"

echo "== khapi align, Windows against Linux"
# Both read the recording by its Linux name (under Wine "/usr/..." is on
# drive Z:, the working folder's), so the reports name the same file.
goforward=/usr/share/pocketsphinx/test/data/goforward.raw
align() {  # align DIR PROGRAM...
    dir=$1 && shift
    rm -rf "$dir" && mkdir -p "$dir/data"
    (cd "$dir" && XDG_DATA_HOME="$dir/data" XDG_STATE_HOME="$dir/state" "$@" align $goforward --text "go forward ten meters" --json)
}
align "$BUILD/compare-tool" wine "$BUILD/bin/khapi.exe" | tr -d '\r' > "$BUILD/khapi-windows.json"
align "$LINUX_BUILD/compare-tool" "$LINUX_BUILD/bin/khapi" > "$BUILD/khapi-linux.json"
if ! diff "$BUILD/khapi-linux.json" "$BUILD/khapi-windows.json"; then
    echo "the Windows tool's words, phones or times differ from Linux's (above)"
    exit 1
fi
echo "the same words, phones, times and scores as on Linux"
