#!/bin/sh
# Every C and C++ source of the tree is as clang-format (.clang-format at
# the root) writes it; prints the files that are not.
cd "$1" || exit 2
files=$(git ls-files '*.c' '*.cpp' '*.h' 2>/dev/null || find include lib engine tools tests bench fuzz debugwin -name '*.[ch]' -o -name '*.cpp')
bad=0
for f in $files; do
    clang-format --style=file --dry-run --Werror "$f" > /dev/null 2>&1 || { echo "not formatted: $f"; bad=$((bad + 1)); }
done
echo "$bad files not formatted"
[ "$bad" -eq 0 ]
