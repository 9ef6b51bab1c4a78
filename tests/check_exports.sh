#!/bin/sh
# Compares the functions a library exports with the list it should export:
#   check_exports.sh LIBRARY LIST PATTERN
# The wanted names are the matches of PATTERN (a grep -o expression) in
# LIST: the export map, or the header for the lines that declare a call.
# A Windows DLL is read through its export table (objdump -p), any other
# library through its dynamic symbols (nm -D).
set -eu
lib=$1
list=$2
pattern=${3:-kh[A-Za-z0-9]*}
want=$(grep -v '#define' "$list" | grep -o "$pattern" | sed 's/($//' | sort -u)
case $lib in
*.dll)
    have=$(${OBJDUMP:-x86_64-w64-mingw32-objdump} -p "$lib" |
        sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[/ {print $3}' | sort) ;;
*)
    have=$(nm -D --defined-only "$lib" | awk '{print $3}' | grep -v '^$' | sort) ;;
esac
if [ "$want" != "$have" ]; then
    echo "exported symbols differ from $list:"
    printf '%s\n' "$want" > /tmp/khapi_want.$$
    printf '%s\n' "$have" > /tmp/khapi_have.$$
    diff /tmp/khapi_want.$$ /tmp/khapi_have.$$ || true
    rm -f /tmp/khapi_want.$$ /tmp/khapi_have.$$
    exit 1
fi
echo "$(printf '%s\n' "$have" | wc -l) symbols, as listed"
