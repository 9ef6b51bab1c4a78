#!/bin/sh
# Compares the dynamic symbols a library defines with its export list.
set -eu
lib=$1
map=$2
want=$(grep -o 'kh[A-Za-z0-9]*' "$map" | sort)
have=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v '^$' | sort)
if [ "$want" != "$have" ]; then
    echo "exported symbols differ from $map:"
    printf '%s\n' "$want" > /tmp/khapi_want.$$
    printf '%s\n' "$have" > /tmp/khapi_have.$$
    diff /tmp/khapi_want.$$ /tmp/khapi_have.$$ || true
    rm -f /tmp/khapi_want.$$ /tmp/khapi_have.$$
    exit 1
fi
echo "$(printf '%s\n' "$have" | wc -l) symbols, as listed"
