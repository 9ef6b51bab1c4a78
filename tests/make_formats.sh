#!/bin/sh
# make_formats.sh DATA OUT - writes the packaged recordings cards/001.wav
# and goforward.raw in the sample formats, rates and channel layouts that
# recordings come in, as OUT/<recording>-<format>.wav, for the tests that
# check every one is heard as the 16 kHz 16-bit mono original.
# -R -D: no random dither, so that every build writes the same files
set -eu
data=$1 out=$2
mkdir -p "$out"
raw="-t raw -r 16000 -e signed -b 16 -c 1"
for name in cards goforward; do
    if [ $name = cards ]; then src="$data/cards/001.wav"; else src="$raw $data/goforward.raw"; fi
    o=$out/$name
    # $src is split on purpose: it may carry the raw file's format options.
    sox -V1 -R -D $src "$o-original.wav"
    sox -V1 -R -D $src -e unsigned -b 8 "$o-u8.wav"
    sox -V1 -R -D $src -e mu-law "$o-ulaw.wav"
    sox -V1 -R -D $src -b 24 "$o-s24.wav"
    sox -V1 -R -D $src -b 32 "$o-s32.wav"
    sox -V1 -R -D $src -e floating-point -b 32 "$o-f32.wav"
    sox -V1 -R -D $src -e floating-point -b 64 "$o-f64.wav"
    sox -V1 -R -D $src -r 8000 "$o-8k.wav"
    sox -V1 -R -D $src -r 22050 "$o-22k.wav"
    sox -V1 -R -D $src -e floating-point -b 32 -r 44100 "$o-f32-44k.wav"
    sox -V1 -R -D $src -b 24 -r 48000 -c 2 "$o-s24-48k-stereo.wav"
    # speech on the right channel only, the left one silent
    sox -V1 -R -D $src -c 2 "$o-right.wav" remix 0 1
done
