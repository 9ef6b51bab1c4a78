"""The one-call functions give the tool's own documents, samples and F0
track, and say why when they cannot."""
import numpy as np
import pytest

import khapi
from conftest import CARDS, DATA, GOFORWARD, GOFORWARD_TEXT, grammar_file, tool_json

FIRST_CARD, FIRST_TEXT = next(iter(CARDS.items()))
TWO_WAYS = "(TEN | FOUR) OF (CLUBS | HEARTS)"

TEXT_CASES = [("assess", GOFORWARD, GOFORWARD_TEXT), ("align", GOFORWARD, GOFORWARD_TEXT)] + \
    [("align", card, text) for card, text in CARDS.items()] + [("assess", FIRST_CARD, FIRST_TEXT)]


@pytest.mark.parametrize("call, audio, text", TEXT_CASES, ids=lambda v: getattr(v, "name", v))
def test_text_reports_are_the_tools(call, audio, text):
    report = getattr(khapi, call)(audio, text)
    assert report == tool_json(call, audio, "--text=" + text)
    assert report["words"]


@pytest.mark.parametrize("card", CARDS, ids=lambda p: p.name)
def test_grammar_reports_are_the_tools(card, tmp_path):
    grammar = grammar_file(tmp_path)
    assert khapi.recognise(card, grammar_file=grammar) == tool_json("recognise", card, f"--grammar-file={grammar}")
    assert khapi.recognise(card, TWO_WAYS, nbest=2) == tool_json("recognise", card, "--grammar=" + TWO_WAYS,
                                                                 "--nbest=2")


def test_f0_and_samples_are_the_files():
    track = khapi.f0(GOFORWARD)
    frames = tool_json("f0", GOFORWARD)["f0"]
    assert track.dtype == np.float32 and len(track) == len(frames)
    assert np.allclose(track, [f["hz"] for f in frames], atol=0.0051)
    assert track.max() > 0 and track.min() == 0
    samples = khapi.speech(GOFORWARD)
    assert samples.dtype == np.int16
    assert np.array_equal(samples, np.fromfile(GOFORWARD, dtype="<i2"))


MISSING = DATA / "no-such-file.wav"
FAILURES = [
    (lambda: khapi.align(MISSING, "go"), "khapi align", "cannot read it"),
    (lambda: khapi.assess(GOFORWARD, "?!"), "khapi assess", "the text holds no word"),
    (lambda: khapi.assess(GOFORWARD), "khapi assess", "no text"),
    (lambda: khapi.recognise(FIRST_CARD, "TEN OF [CLUBS"), "khapi recognise", "ReadBNF: Missing ']'"),
    (lambda: khapi.recognise(FIRST_CARD), "khapi recognise", "either a grammar"),
    (lambda: khapi.recognise(FIRST_CARD, "TEN", grammar_file="g"), "khapi recognise", "either a grammar"),
    (lambda: khapi.align(FIRST_CARD, 10), "khapi", "must be a str"),
    (lambda: khapi.align(None, "go"), "khapi align", "must be a file name"),
    (lambda: khapi.align(FIRST_CARD, "ten", config=DATA), "khapi align", "it is a folder"),
    (lambda: khapi.f0(MISSING), "khSysGetF0Track", "khSysGetF0Track: Error reading the source file"),
    (lambda: khapi.speech(DATA), "khSysGetSpeech", "khSysGetSpeech: Error reading the waveform file"),
]


@pytest.mark.parametrize("call, failing, message", FAILURES, ids=[f[2] for f in FAILURES])
def test_failures_say_why(call, failing, message):
    with pytest.raises(khapi.Error) as e:
        call()
    assert e.value.call == failing
    assert message in str(e.value)


def test_a_missing_tool_is_named(monkeypatch):
    monkeypatch.setenv("KHAPI_TOOL", str(DATA / "khapi"))
    with pytest.raises(khapi.Error, match="KHAPI_TOOL names .*, which is no program"):
        khapi.align(GOFORWARD, GOFORWARD_TEXT)
