#!/bin/sh
# Runs every fuzz target for FUZZ_SECONDS seconds (default 60) on a corpus
# seeded from the tests' files, and prints each target's runs and
# findings.  A crashing input is kept in BUILD/crashes/ and fails the run;
# once fixed, copy it to fuzz/regressions/<target>/ so the suite replays it.
#
# usage: fuzz/run.sh BUILD_DIR [target ...]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
shift
targets=${*:-bnf lattice sysinit audio recognise lattice_rec}
seconds=${FUZZ_SECONDS:-60}
testdata=$(sed -n 's/^KHAPI_TESTDATA:PATH=//p' "$build/CMakeCache.txt")
python3 "$root/fuzz/seed.py" "$build/seeds" "$root" "$testdata"
mkdir -p "$build/crashes"
failed=0
for t in $targets; do
    corpus="$build/corpus/$t"
    mkdir -p "$corpus" "$root/fuzz/regressions/$t"
    # Leaks are looked for when each target ends rather than after every
    # input: a deleted syntax or recogniser keeps its record's memory by
    # design, which the check after every input would take for a leak (and
    # would slow each run a hundredfold).  The sysinit target takes the
    # library down between inputs by hand; the engine keeps a little of
    # each configuration, which is no leak of the library's.
    leaks=1
    [ "$t" = sysinit ] && leaks=0
    log="$build/fuzz_$t.log"
    # A fuzzed configuration may name files under ~ or ${XDG_...}: they go
    # into a scratch home, not the user's.
    home="$build/fuzz-home/$t"
    mkdir -p "$home"
    HOME="$home" XDG_DATA_HOME="$home/data" XDG_STATE_HOME="$home/state" \
    ASAN_OPTIONS="detect_leaks=$leaks" UBSAN_OPTIONS=print_stacktrace=1 \
        "$build/bin/fuzz_$t" -max_total_time="$seconds" -detect_leaks=0 -timeout=30 -rss_limit_mb=3072 \
        -artifact_prefix="$build/crashes/$t-" "$corpus" "$build/seeds/$t" "$root/fuzz/regressions/$t" \
        >"$log" 2>&1
    status=$?
    runs=$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 runs in \2 s/p' "$log")
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    if [ $status -eq 0 ]; then
        echo "fuzz_$t: ${runs:-?}, $cov, no findings"
    else
        failed=1
        echo "fuzz_$t: FAILED (status $status), see $log; inputs in $build/crashes/"
        grep -m3 -E 'ERROR|SUMMARY|runtime error' "$log"
    fi
done
exit $failed
