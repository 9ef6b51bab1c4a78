#!/usr/bin/env python3
"""assess_real.py KHAPI - `khapi assess` on the packaged recordings, every
word spoken correctly: how their word accuracies spread, and how many fall
below the tool's threshold for "mispronounced" (tools/utterance/assess.h).  The
threshold is set so that only a few do."""
import json
import os
import re
import subprocess
import sys

DATA = "/usr/share/pocketsphinx/test/data"


def transcripts():
    """(audio file, text) of goforward, cards and librivox."""
    yield os.path.join(DATA, "goforward.raw"), "GO FORWARD TEN METERS"
    for folder in ("cards", "librivox"):
        with open(os.path.join(DATA, folder, "cards.transcription" if folder == "cards" else "transcription")) as f:
            for line in f:
                m = re.match(r"<s>(.*)</s>\s*\((.*)\)", line.strip())
                if m:
                    yield os.path.join(DATA, folder, m.group(2) + ".wav"), m.group(1).strip().upper()


def main():
    khapi = sys.argv[1]
    threshold = float(re.search(r"kMispronouncedBelow = ([0-9.]+)",
                                open(os.path.join(os.path.dirname(__file__), "../tools/utterance/assess.h")).read()).group(1))
    accuracies, flagged = [], []
    for audio, text in transcripts():
        out = subprocess.run([khapi, "assess", audio, "--text", text, "--json", "-q"], capture_output=True, text=True)
        for word in json.loads(out.stdout.splitlines()[0])["words"] if out.stdout else []:
            if word["accuracy"] is not None and word["error"] != "omitted":
                accuracies.append(word["accuracy"])
                if word["accuracy"] < threshold:
                    flagged.append(word["word"])
    accuracies.sort()
    pick = lambda q: accuracies[int(q * (len(accuracies) - 1))]
    print(f"{len(accuracies)} correctly spoken words: accuracy 5th/25th/50th percentile "
          f"{pick(0.05):.0f} / {pick(0.25):.0f} / {pick(0.5):.0f}")
    print(f"below {threshold:.0f} (mispronounced): {len(flagged)} ({100 * len(flagged) / max(1, len(accuracies)):.1f}%) "
          f"{' '.join(flagged)}")


if __name__ == "__main__":
    main()
