#!/usr/bin/env python3
"""assess_errors.py KHAPI DATA - `khapi assess` on festival's diphone readings
of bench/reading_errors.txt (made into DATA by make_festival_reading.sh): each
sentence read right, with one word left out, one word put in and one word
replaced, each assessed against the sentence as written.  Prints, per kind of
reading, how often the tool names the error, and the share of words it flags
(any error but "none") where the reading has none."""
import json
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def assess(khapi, wav, text):
    out = subprocess.run([khapi, "assess", wav, "--text", text, "--json", "-q"], capture_output=True, text=True)
    return json.loads(out.stdout.splitlines()[0])["words"] if out.stdout else []


def flagged(word):
    return word.get("error", "none") != "none"


def main():
    khapi, data = sys.argv[1], sys.argv[2]
    subprocess.run(["sh", os.path.join(HERE, "make_festival_reading.sh"), HERE, data], check=True)
    named = {"omit": 0, "insert": 0, "replace": 0}
    wrongly = {"right": [0, 0], "omit": [0, 0], "insert": [0, 0], "replace": [0, 0]}
    readings = 0
    with open(os.path.join(data, "list")) as f:
        items = [line.rstrip("\n").split("|") for line in f if line.strip()]
    for name, sentence, left_out, insert, replace in items:
        readings += 1
        target = {"omit": left_out.upper(), "insert": None, "replace": replace.split(">")[0].upper()}
        for kind in wrongly:
            words = assess(khapi, os.path.join(data, f"{name}-{kind}.wav"), sentence)
            if kind == "omit":
                named[kind] += any(w["word"] == target[kind] and w["error"] == "omitted" for w in words)
            elif kind == "replace":
                named[kind] += any(w["word"] == target[kind] and flagged(w) for w in words)
            elif kind == "insert":
                named[kind] += any(w.get("error") == "inserted" for w in words)
            # Words flagged that the reading said right, and speech inserted
            # where the reading put in none (or more than the one word).
            inserted = sum(w.get("error") == "inserted" for w in words)
            wrongly[kind][0] += max(0, inserted - (kind in ("insert", "replace")))
            for w in words:
                if w.get("error") == "inserted" or (kind != "right" and w["word"] == target.get(kind)):
                    continue
                wrongly[kind][0] += flagged(w)
                wrongly[kind][1] += 1
    print(f"{readings} sentences read by festival's diphone voice, assessed against the sentence as written")
    print(f"  {'reading':<22} {'error named':>12} {'other words flagged':>20}")
    labels = {"right": "right", "omit": "a word left out", "insert": "a word put in", "replace": "a word replaced"}
    for kind, label in labels.items():
        share = f"{100 * named[kind] / readings:.0f}%" if kind in named else "-"
        bad, total = wrongly[kind]
        print(f"  {label:<22} {share:>12} {100 * bad / max(total, 1):>19.1f}%")
    print("error named: omitted for the word left out, inserted for the word put in, any error for the word\n"
          "replaced; other words flagged: any error on a word the reading said as written, and each stretch\n"
          "of inserted speech past the one the reading put in (a replaced word may be heard as one), over\n"
          "the words said as written.")


if __name__ == "__main__":
    main()
