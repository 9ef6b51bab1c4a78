#!/bin/sh
# make_festival_mispron.sh SRC DICT OUT [LIST] - for every line of
# SRC/LIST (mispronunciations.txt unless given) speaks the sentence twice with two festival
# voices whose phones are recorded human speech: NAME-right.wav with the
# target word as the dictionary says it, NAME-wrong.wav with its one phone
# replaced.  Both go through the same route (the word's lexicon entry set
# before synthesis), so that the twins differ only in that phone.  Each is
# also made at 10 dB SNR of white noise (NAME-right-10dB.wav ...).
# OUT/list: NAME|sentence|word|position|phone said.  The data is made
# again only when what it is made from changes.
set -eu
src=$1
dict=$2
out=$3
list=${4:-mispronunciations.txt}
mkdir -p "$out"
made_from=$(cat "$0" "$src/$list" "$src/add_noise.sh" | md5sum)
[ -f "$out/list" ] && [ "$(cat "$out/made_from" 2>/dev/null)" = "$made_from" ] && exit 0

# One festival script per voice: the lexicon entry, the sentence, the file.
for voice in kal_diphone cmu_us_slt_arctic_hts; do
    grep -v '^#' "$src/$list" | awk -F'|' -v voice="$voice" -v dict="$dict" -v out="$out" '
        BEGIN { printf "(voice_%s)\n", voice }
        function entry(word, pos, said,   key, line, f, n, i, p) {
            key = tolower(word)
            if (!(key in pron)) {
                while ((getline line < dict) > 0) { split(line, f, " "); if (f[1] == key) { pron[key] = line; break } }
                close(dict)
            }
            if (!(key in pron)) { print "no pronunciation for " word > "/dev/stderr"; exit 1 }
            n = split(pron[key], f, " "); p = ""
            for (i = 2; i <= n; i++) p = p (i > 2 ? " " : "") tolower(i - 1 == pos ? said : f[i])
            return sprintf("(lex.add.entry (quote (\"%s\" nil (((%s) 1)))))\n", key, p)
        }
        { n++; name = sprintf("%02d-%s", n, voice)
          printf "%s", entry($2, 0, "")
          printf "(utt.save.wave (utt.synth (Utterance Text \"%s\")) \"%s/%s-right.raw.wav\" (quote riff))\n", tolower($1), out, name
          printf "%s", entry($2, $3, $4)
          printf "(utt.save.wave (utt.synth (Utterance Text \"%s\")) \"%s/%s-wrong.raw.wav\" (quote riff))\n", tolower($1), out, name
          printf "%s|%s|%s|%s|%s\n", name, $1, $2, $3, $4 > out "/list." voice }' > "$out/$voice.scm"
    festival -b "$out/$voice.scm"
done
for raw in "$out"/*.raw.wav; do
    wav=${raw%.raw.wav}.wav
    sox -D "$raw" -r 16000 -b 16 -c 1 "$wav"
    sh "$src/add_noise.sh" "$wav" "${wav%.wav}-10dB.wav" 10 whitenoise
    rm -f "$raw"
done
cat "$out/list.kal_diphone" "$out/list.cmu_us_slt_arctic_hts" > "$out/list.tmp"
rm -f "$out"/list.kal_diphone "$out"/list.cmu_us_slt_arctic_hts "$out"/*.scm
mv "$out/list.tmp" "$out/list"
echo "$made_from" > "$out/made_from"
