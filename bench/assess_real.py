#!/usr/bin/env python3
"""assess_real.py KHAPI - `khapi assess` on the packaged recordings, every
word spoken correctly: how their word accuracies spread, and how many the tool calls "mispronounced": below its
threshold (tools/utterance/assess.h), which is set so that only a few fall below
it, or with a phone heard as another."""
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
    accuracies, flagged, heard, overall = [], [], [], []
    for audio, text in transcripts():
        out = subprocess.run([khapi, "assess", audio, "--text", text, "--json", "-q"], capture_output=True, text=True)
        doc = json.loads(out.stdout.splitlines()[0]) if out.stdout else {"words": [], "accuracy": None}
        overall.append((doc["accuracy"] or 0, os.path.basename(audio)))
        for word in doc["words"]:
            if word["accuracy"] is not None and word["error"] not in ("omitted", "inserted"):
                accuracies.append(word["accuracy"])
                if word["accuracy"] < threshold:
                    flagged.append(word["word"])
                heard += [f'{len(accuracies)}:{word["word"]}:{p["phone"]}>{p["heard"]}' for p in word["phones"]
                          if p["heard"] not in (None, p["phone"])]
    accuracies.sort()
    pick = lambda q: accuracies[int(q * (len(accuracies) - 1))]
    print(f"{len(accuracies)} correctly spoken words: accuracy 5th/25th/50th percentile "
          f"{pick(0.05):.0f} / {pick(0.25):.0f} / {pick(0.5):.0f}")
    print(f"below {threshold:.0f} (mispronounced): {len(flagged)} ({100 * len(flagged) / max(1, len(accuracies)):.1f}%) "
          f"{' '.join(flagged)}")
    low = [a for a in accuracies if a < 75]
    print(f"below 75: {len(low)} words; lowest overall accuracy {min(overall)[0]:.1f} ({min(overall)[1]})")
    words = {h.rsplit(":", 1)[0] for h in heard}
    print(f"phones heard as another: {len(heard)}, in {len(words)} words ({100 * len(words) / max(1, len(accuracies)):.1f}%) "
          f"{' '.join(h.split(':', 1)[1] for h in heard)}")


if __name__ == "__main__":
    main()
