"""What the package's tests share: the packaged recordings, the tool's own
documents to compare with, and Python processes of their own.

Run by ctest with KHAPI_LIBRARY and KHAPI_TOOL naming the build's library
and tool, TESTDATA the packaged recordings, KHAPI_BUILD_DIR and
KHAPI_SOURCE_DIR the build and its source.
"""
import json
import math
import os
import re
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

DATA = Path(os.environ.get("TESTDATA", "/usr/share/pocketsphinx/test/data"))
GOFORWARD = DATA / "goforward.raw"
GOFORWARD_TEXT = "go forward ten meters"
# The cards and their transcripts, "<s> ten of clubs </s> (001)" a line.
CARDS = {DATA / "cards" / f"{m[2]}.wav": m[1]
         for m in re.finditer(r"<s> (.*?)\s+</s> \((\d+)\)", (DATA / "cards" / "cards.transcription").read_text())}
CARD_GRAMMAR = {
    "RANK": "ACE | TWO | THREE | FOUR | FIVE | SIX | SEVEN | EIGHT | NINE | TEN | JACK | QUEEN | KING",
    "SUIT": "CLUBS | DIAMONDS | HEARTS | SPADES",
    "CARD": "$RANK [OF] $SUIT",
    "CARDS": "<$CARD | $RANK>",
}

# The library reads the user's folders when it starts and keeps its
# vocabulary dictionary and log there: each test process gets its own,
# which the tools it runs share.
_home = tempfile.mkdtemp(prefix="khapi-pytest-")
os.environ["XDG_DATA_HOME"] = os.path.join(_home, "data")
os.environ["XDG_STATE_HOME"] = os.path.join(_home, "state")


def pytest_sessionfinish(session, exitstatus):
    shutil.rmtree(_home, ignore_errors=True)


def tool_json(subcommand, audio, *options):
    """The tool's own --json document for one file."""
    done = subprocess.run([os.environ["KHAPI_TOOL"], subcommand, "--json", "-q", *options, "--", str(audio)],
                          capture_output=True, check=False)
    return json.loads(done.stdout.splitlines()[-1])


def grammar_file(folder):
    """CARD_GRAMMAR as the tool reads it, "NAME = BNF" a line."""
    path = Path(folder) / "cards.grammar"
    path.write_text("".join(f"{name} = {bnf}\n" for name, bnf in CARD_GRAMMAR.items()))
    return path


def tool_round(x, per_unit):
    """As the tool writes numbers: to the nearest 1/per_unit, halves away
    from zero."""
    return math.copysign(math.floor(abs(x) * per_unit + 0.5), x) / per_unit


def run_python(code, cwd=None, **env):
    """Runs code in a Python process of its own (the library starts once a
    process), in the folder cwd; env entries of None are removed."""
    environ = dict(os.environ)
    for key, value in env.items():
        if value is None:
            environ.pop(key, None)
        else:
            environ[key] = str(value)
    return subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, env=environ, cwd=cwd,
                          check=False)
