#!/bin/sh
# add_noise.sh IN OUT SNR [KIND] - writes IN with noise of KIND (pinknoise
# unless given, or whitenoise) added at SNR dB below the mean power of the
# whole file.  The noise is the same on every run.
set -eu
in=$1
out=$2
snr=$3
kind=${4:-pinknoise}
tmp=$out.noise.$$.wav
rms() { sox "$1" -n stats 2>&1 | awk '/RMS lev dB/ { print $4 }'; }
len=$(soxi -D "$in")
sox -R -n -r 16000 -b 16 -c 1 "$tmp" synth "$len" "$kind"
gain=$(awk -v s="$(rms "$in")" -v n="$(rms "$tmp")" -v snr="$snr" 'BEGIN { print s - snr - n }')
sox -R -D -m -v 0.8 "$in" -v 0.8 "|sox -R -D $tmp -p gain $gain" -b 16 "$out"
rm -f "$tmp"
