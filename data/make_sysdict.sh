#!/bin/sh
# make_sysdict.sh PRONDICT OUT - writes the system dictionary: every word
# of PRONDICT in upper case, the phone set (its phones in order, then SIL)
# and the marker words <s>, </s> and <p> on the silence phone.
set -eu
src=$1
out=$2
tmp=$out.tmp.$$
{
    printf '!!PHONESET'
    awk '{ for (i = 2; i <= NF; i++) print $i }' "$src" | LC_ALL=C sort -u | tr '\n' ' ' | sed 's/^/ /; s/ $//'
    echo ' SIL'
    printf '<s> SIL\n</s> SIL\n<p> SIL\n'
    awk 'NF >= 2 { $1 = toupper($1); print }' "$src"
} > "$tmp"
mv "$tmp" "$out"
