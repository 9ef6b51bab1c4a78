#!/bin/sh
# make_mispron.sh SRC DICT OUT - for every line of SRC/mispronunciations.txt
# speaks the sentence twice with espeak-ng's phoneme input and two voices:
# NAME-right.wav as the dictionary says it, NAME-wrong.wav with the one
# phone replaced; each also at 10 dB SNR (NAME-right-10dB.wav ...).
# OUT/list: NAME|sentence|word|position|phone said.  Files already made
# are kept.
set -eu
src=$1
dict=$2
out=$3
mkdir -p "$out"
# The data is made again only when what it is made from changes.
made_from=$(cat "$0" "$src/mispronunciations.txt" "$src/espeak_phones.map" "$src/add_noise.sh" | md5sum)
[ -f "$out/list" ] && [ "$(cat "$out/made_from" 2>/dev/null)" = "$made_from" ] && exit 0

list=$out/list.tmp
: > "$list"
n=0
grep -v '^#' "$src/mispronunciations.txt" | while IFS='|' read -r sentence word pos sub; do
    n=$((n + 1))
    # The sentence in espeak's phonemes, right and with the substitution.
    phonemes() {
        awk -v sentence="$sentence" -v word="$word" -v pos="$1" -v said="$sub" -v map="$src/espeak_phones.map" '
            BEGIN { while ((getline l < map) > 0) { split(l, f, " "); if (f[1] !~ /^#/) es[f[1]] = f[2] }
                    nw = split(tolower(sentence), ws, " ") }
            { if (!($1 in pron)) { p = ""; for (i = 2; i <= NF; i++) p = p " " $i; pron[$1] = p } }
            END { s = "";
                  for (w = 1; w <= nw; w++) {
                      if (!(ws[w] in pron)) { print "no pronunciation for " ws[w] > "/dev/stderr"; exit 1 }
                      np = split(pron[ws[w]], ps, " "); t = ""
                      for (i = 1; i <= np; i++) t = t es[(toupper(ws[w]) == word && i == pos) ? said : ps[i]]
                      s = s (w > 1 ? " " : "") t }
                  print "[[" s "]]" }' "$dict"
    }
    for voice in en-us en-us+f3; do
        name=$(printf '%02d-%s' $n "$(echo $voice | tr -c 'a-z0-9\n' '_')")
        printf '%s|%s|%s|%s|%s\n' "$name" "$sentence" "$word" "$pos" "$sub" >> "$list"
        for kind in right wrong; do
            p=$(phonemes "$([ $kind = right ] && echo 0 || echo "$pos")")
            espeak-ng -v "$voice" -w "$out/raw.wav" "$p"
            sox -D "$out/raw.wav" -r 16000 -b 16 -c 1 "$out/$name-$kind.wav"
            for snr in 10; do
                sh "$src/add_noise.sh" "$out/$name-$kind.wav" "$out/$name-$kind-${snr}dB.wav" $snr
            done
        done
    done
done
rm -f "$out/raw.wav"
mv "$list" "$out/list"
echo "$made_from" > "$out/made_from"
