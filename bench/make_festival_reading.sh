#!/bin/sh
# make_festival_reading.sh SRC OUT - for every line of SRC/reading_errors.txt
# has festival's diphone voice (kal, recorded human phones) read the
# sentence four ways: NAME-right.wav as written, NAME-omit.wav with one
# word left out, NAME-insert.wav with one word put in, NAME-replace.wav
# with one word replaced.  OUT/list: NAME|sentence|left out|AFTER+NEW|OLD>NEW.
# The data is made again only when what it is made from changes.
set -eu
src=$1
out=$2
mkdir -p "$out"
made_from=$(cat "$0" "$src/reading_errors.txt" | md5sum)
[ -f "$out/list" ] && [ "$(cat "$out/made_from" 2>/dev/null)" = "$made_from" ] && exit 0

grep -v '^#' "$src/reading_errors.txt" | awk -F'|' -v out="$out" '
    function say(text, file) {
        printf "(utt.save.wave (utt.synth (Utterance Text \"%s\")) \"%s/%s.raw.wav\" (quote riff))\n", tolower(text), out, file
    }
    # The sentence with its words changed by f(word): "" leaves one out.
    function edit(s, kind, a, b,   w, n, i, r, done) {
        n = split(s, w, " "); r = ""; done = 0
        for (i = 1; i <= n; i++) {
            x = w[i]
            if (!done && tolower(x) == tolower(a)) {
                done = 1
                if (kind == "omit") continue
                if (kind == "insert") x = x " " b
                if (kind == "replace") x = b
            }
            r = r (r == "" ? "" : " ") x
        }
        if (!done) { print "no word " a " in: " s > "/dev/stderr"; exit 1 }
        return r
    }
    BEGIN { print "(voice_kal_diphone)" }
    { n++; name = sprintf("%02d", n)
      split($3, ins, "+"); split($4, rep, ">")
      say($1, name "-right")
      say(edit($1, "omit", $2, ""), name "-omit")
      say(edit($1, "insert", ins[1], ins[2]), name "-insert")
      say(edit($1, "replace", rep[1], rep[2]), name "-replace")
      printf "%s|%s|%s|%s|%s\n", name, $1, $2, $3, $4 > out "/list.tmp" }' > "$out/reading.scm"
festival -b "$out/reading.scm"
for raw in "$out"/*.raw.wav; do
    sox -D "$raw" -r 16000 -b 16 -c 1 "${raw%.raw.wav}.wav"
    rm -f "$raw"
done
rm -f "$out/reading.scm"
mv "$out/list.tmp" "$out/list"
echo "$made_from" > "$out/made_from"
