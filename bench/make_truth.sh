#!/bin/sh
# make_truth.sh SRC OUT - synthesises every sentence of SRC/sentences.txt
# with two festival voices into OUT: NAME.wav (16 kHz mono), NAME.seg (one
# segment a line: start, end, dictionary phone, word; silence is SIL with
# word "-") and noisy copies NAME-20dB.wav, NAME-10dB.wav, NAME-5dB.wav.
# OUT/list names each utterance and its sentence.  Files already made are
# kept, so a rerun costs nothing.
set -eu
src=$1
out=$2
mkdir -p "$out"
# The data is made again only when what it is made from changes.
made_from=$(cat "$0" "$src/sentences.txt" "$src/festival_phones.map" "$src/add_noise.sh" | md5sum)
[ -f "$out/list" ] && [ "$(cat "$out/made_from" 2>/dev/null)" = "$made_from" ] && exit 0

tmp=$out/tmp
mkdir -p "$tmp"
list=$tmp/list
: > "$list"
for voice in slt kal; do
    case $voice in
        slt) select='(voice_cmu_us_slt_arctic_hts)' ;;
        kal) select='(voice_kal_diphone)' ;;
    esac
    scm=$tmp/$voice.scm
    echo "$select" > "$scm"
    n=0
    while IFS= read -r sentence; do
        [ -z "$sentence" ] && continue
        n=$((n + 1))
        name=$(printf '%s-%02d' $voice $n)
        printf '%s|%s\n' "$name" "$sentence" >> "$list"
        cat >> "$scm" <<SCM
(set! u (Utterance Text "$sentence"))
(utt.synth u)
(utt.save.wave u "$tmp/$name.wav" 'riff)
(set! f (fopen "$tmp/$name.fseg" "w"))
(mapcar (lambda (s) (format f "%s %f %s\n" (item.name s) (item.feat s "end")
                            (item.feat s "R:SylStructure.parent.parent.name")))
        (utt.relation.items u 'Segment))
(fclose f)
SCM
    done < "$src/sentences.txt"
    festival -b "$scm" > /dev/null
done

while IFS='|' read -r name sentence; do
    sox -D "$tmp/$name.wav" -r 16000 -b 16 -c 1 "$out/$name.wav"
    awk -v map="$src/festival_phones.map" '
        BEGIN { while ((getline l < map) > 0) { split(l, f, " "); if (f[1] !~ /^#/) cmu[f[1]] = f[2] } }
        { phone = ($1 in cmu) ? cmu[$1] : toupper($1); word = ($3 == "0") ? "-" : toupper($3)
          printf "%.5f %.5f %s %s\n", start, $2, phone, word; start = $2 }' "$tmp/$name.fseg" > "$out/$name.seg"
    for snr in 20 10 5; do
        sh "$src/add_noise.sh" "$out/$name.wav" "$out/$name-${snr}dB.wav" $snr
    done
done < "$list"
mv "$list" "$out/list"
echo "$made_from" > "$out/made_from"
rm -rf "$tmp"
