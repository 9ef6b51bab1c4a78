#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into OUT/<target>/.

The seeds are the tests' hostile files (lattice and dictionary files),
small configurations, BNF options with sentences, grammars and lattices
to recognise "go forward" with, and short recordings cut from the packaged
test data, whole, truncated and with lying headers.

usage: seed.py OUT SOURCE_DIR TESTDATA
"""
import glob
import os
import struct
import sys

out, source, testdata = sys.argv[1:4]


def put(target, name, data):
    folder = os.path.join(out, target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data if isinstance(data, bytes) else data.encode("latin-1"))


# BNF: options, one a line, then the sentence to disable.
for n, text in enumerate([
    "go forward\nGO FORWARD",
    "[please] help\nstop\nhelp",
    "<go> {back} (left | right) $G\nstop\ngo back left yes",
    "a | b\nyes\na",
    "<[[[go]]]> back\nstop\ngo go back",
    "( go\ngo",
    "$\n$NOPE go\nhello ] [\n",
    "{ < [ ( yes ) ] > }\nno\nyes yes",
    "hello, world! how are you?\nhello world",
]):
    put("bnf", "option%d" % n, text)

# Grammars recognised on "go forward": NAME=BNF lines, includes, an
# option added to a syntax named before, names in other cases, and ones
# the library refuses.
for n, text in enumerate([
    "GO FORWARD TEN METERS",
    "TOP=GO (FORWARD | BACKWARD) [TEN] {METERS}",
    "DIR=FORWARD | BACKWARD\nNUM=ONE | TWO | TEN\nTOP=GO $DIR <$NUM> [METER | METERS]",
    "A=<GO> [FORWARD]\nA=STOP\nB=$A {$A}",
    "X=YES | NO\nTOP=$X\nGO FORWARD",
    "go=go\nGO=forward\nTop=$Go $GO",
    "TOP=$TOP GO\nA=GO\nB=$A\nA=$B",
    "=GO\n" + "N" * 300 + "=GO\nTOP=GO (FORWARD",
]):
    put("recognise", "grammar%d" % n, text)

# Lattice files: the tests' good and hostile ones; for recognition also
# lattices of "go forward" with sub-lattices, markers and scores.
lattices = glob.glob(os.path.join(source, "tests/data/*.lat")) + glob.glob(
    os.path.join(source, "engine/tests/data/lat_*.lat"))
for path in lattices:
    with open(path, "rb") as f:
        put("lattice", os.path.basename(path), f.read())
        f.seek(0)
        put("lattice_rec", os.path.basename(path), f.read())
put("lattice_rec", "goforward.lat", """KILN-LATTICE 1
LATTICE "go" 6 6
NODE 1 WORD "<s>" 0
NODE 2 WORD "GO" 1
NODE 3 SUBLAT "way"
NODE 4 WORD "TEN" 1
NODE 5 WORD "METERS" 1
NODE 6 WORD "</s>" 0
ARC 1 1 2 0
ARC 2 2 3 0
ARC 3 3 4 -2.5
ARC 4 4 5 0
ARC 5 3 6 0
ARC 6 5 6 0
END
LATTICE "way" 4 4
NODE 1 WORD "!NULL" 0
NODE 2 WORD "FORWARD" 1
NODE 3 WORD "BACKWARD" 1
NODE 4 WORD "!NULL" 0
ARC 1 1 2 0
ARC 2 1 3 -1000000
ARC 3 2 4 0
ARC 4 3 4 0
END
""")
put("lattice_rec", "twice.lat", """KILN-LATTICE 1
LATTICE "" 4 3
NODE 1 SUBLAT "word"
NODE 2 WORD "!NULL" 0
NODE 3 SUBLAT "word"
NODE 4 WORD "FORWARD" 0
ARC 1 1 2 0
ARC 2 2 3 inf
ARC 3 3 4 -inf
END
LATTICE word 2 1
NODE 1 WORD GO 0
NODE 2 WORD "\\x47O" 1
ARC 1 1 2 0
END
""")

# Configuration, a NUL, then a dictionary used as vocabulary and user
# dictionary.
# "@MODEL@" and "@SYSDICT@" are put in place by the target.
config = ("MODEL1 = ENUS\nENUSMMF = @MODEL@/mdef\nENUSHMMLIST = @MODEL@/mdef\nENUSBKHMMNAME = SIL\n"
          "VOCAB1 = ENGLISH\nENGLISHMODEL = ENUS\nENGLISHDICT = fuzz.dic\n"
          "SYSDICT = @SYSDICT@\nUSERDICT = fuzz.dic\nFORCECASE = UPPER\nDEBUG = FULL\n")
put("sysinit", "good", config + "\0HELLO HH AH L OW\nWORLD W ER L D\n")
put("sysinit", "no_model", "VOCAB1 = ENGLISH\n\0")
put("sysinit", "nofuncoper", "NOFUNCOPER = TRUE\n\0")
for path in glob.glob(os.path.join(source, "engine/tests/data/dict_*.dict")):
    with open(path, "rb") as f:
        put("sysinit", os.path.basename(path), config.encode() + b"\0" + f.read())

# Audio: the first half second of a packaged recording as WAV, as raw
# samples, cut short, with a data size that lies, and not audio at all.
with open(os.path.join(testdata, "goforward.raw"), "rb") as f:
    samples = f.read()[:16000]


def wav(data, declared=None, rate=16000):
    size = len(data) if declared is None else declared
    return (b"RIFF" + struct.pack("<I", 36 + size) + b"WAVEfmt " +
            struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) + b"data" + struct.pack("<I", size) + data)


put("audio", "short.wav", wav(samples))
put("audio", "truncated.wav", wav(samples)[:300])
put("audio", "lying.wav", wav(samples[:2000], declared=0x7FFFFFF0))
put("audio", "rate8k.wav", wav(samples[:4000], rate=8000))
put("audio", "header_only.wav", wav(b""))
put("audio", "junk.wav", b"RIFF....WAVEjunk that is not audio")
