"""The library's objects: syntaxes, recognisers and results, on the
packaged configuration (this process's one System)."""
import wave

import numpy as np
import pytest

import khapi
from conftest import CARD_GRAMMAR, CARDS, GOFORWARD, grammar_file, tool_json, tool_round

FIRST_CARD = next(iter(CARDS))
GO = ["GO FORWARD TEN METERS", "GO BACKWARD TEN METERS"]


@pytest.fixture(scope="module")
def system():
    return khapi.System()


@pytest.fixture(scope="module")
def cards(system):
    """The card grammar, each syntax including the ones before it."""
    syntaxes = [system.syntax(name, bnf) for name, bnf in CARD_GRAMMAR.items()]
    return syntaxes[-1]


@pytest.fixture(scope="module")
def go(system):
    return system.syntax("GO", *GO)


def as_the_tool_writes(word):
    phones = [(p.name, tool_round(p.start, 1e6), tool_round(p.end, 1e6), tool_round(p.score, 1e4),
               tool_round(p.confidence, 1e4), p.heard) for p in word.phones]
    return (word.name, word.syntax, tool_round(word.start, 1e6), tool_round(word.end, 1e6),
            tool_round(word.score, 1e4), tool_round(word.confidence, 1e4), phones)


def from_the_tool(word):
    phones = [(p["phone"], p["start"], p["end"], p["score"], p["confidence"], p["heard"]) for p in word["phones"]]
    return (word["word"], word["syntax"], word["start"], word["end"], word["score"], word["confidence"], phones)


def test_one_system_a_process(system):
    assert khapi.System() is system
    assert khapi.System(system.config) is system
    with pytest.raises(khapi.Error, match="one system a process"):
        khapi.System(GOFORWARD)


@pytest.mark.parametrize("card", CARDS, ids=lambda p: p.name)
def test_included_syntaxes_read_as_the_tool_reads_them(system, cards, card, tmp_path):
    # A recogniser of its own for each file, as the tool has.
    with system.recogniser() as rec:
        result = rec.recognise(cards, card)
    document = tool_json("recognise", card, f"--grammar-file={grammar_file(tmp_path)}")
    assert [as_the_tool_writes(w) for w in result.words] == [from_the_tool(w) for w in document["words"]]
    assert {w.syntax for w in result.words} <= {"RANK", "SUIT", "CARD", "CARDS"}
    assert result.text == " ".join(w.name for w in result.words)


@pytest.mark.parametrize("disable, heard", [([], GO[0]), ([GO[0]], GO[1]), ([GO[1]], GO[0])])
def test_a_disabled_option_is_not_heard(system, go, disable, heard):
    for sentence in disable:
        go.disable_option(sentence)
    with system.recogniser() as rec:
        assert rec.recognise(go, GOFORWARD).text == heard
    go.reenable_options()


def test_alternatives_are_walked_once_a_stretch(system):
    grammar = "(TEN | FOUR) OF (CLUBS | HEARTS)"
    syntax = system.syntax("TWOWAYS", grammar)
    rec = system.recogniser(nbest=True)
    result = rec.recognise(syntax, FIRST_CARD)
    assert result.alternatives() == tool_json("recognise", FIRST_CARD, "--grammar=" + grammar, "--nbest=2")["nbest"]
    last = result.alternatives(-1, -1)
    assert len(last) == 1 and last[0] != result.words[-1].name
    assert result.alternatives(1, len(result.words)) == result.alternatives()
    assert result.score() < 0 and 0 <= result.confidence(1, 1) <= 1
    rec.prepare(syntax, FIRST_CARD)
    assert result.alternatives(-1, -1) == last  # walked already
    with pytest.raises(khapi.Error, match="no longer holds this utterance"):
        result.alternatives(1, 1)


def test_speech_and_f0_of_the_last_utterance(system, go, tmp_path):
    with system.recogniser() as rec:
        rec.set_pause_length("short")
        rec.set_optimisation("AccBias")
        rec.recognise(go, GOFORWARD)
        samples, track = rec.speech(), rec.f0()
        rec.save_speech(tmp_path / "saved.wav")
    assert np.array_equal(samples, system.speech(GOFORWARD))
    assert np.array_equal(track, system.f0(GOFORWARD))
    with wave.open(str(tmp_path / "saved.wav")) as saved:
        assert saved.getframerate() == khapi.SAMPLE_RATE
        assert np.array_equal(np.frombuffer(saved.readframes(saved.getnframes()), "<i2"), samples)


def test_a_deep_delete_takes_what_nothing_else_needs(system):
    rank, suit = system.syntax("R2", "TEN | FOUR"), system.syntax("S2", "CLUBS")
    card, other = system.syntax("C2", "$R2 OF $S2"), system.syntax("O2", "$S2")
    with pytest.raises(khapi.Error, match="Syntax is contained in another syntax"):
        rank.delete()
    card.delete(deep=True)
    assert (card.deleted, rank.deleted, suit.deleted, other.deleted) == (True, True, False, False)
    assert system.find_syntax("s2") is suit


def dead_syntax(system):
    syntax = system.syntax("GONE", "GO")
    syntax.delete()
    return syntax


def complete_recogniser(system):
    rec = system.recogniser()
    rec.recognise(system.find_syntax("GO"), GOFORWARD)
    return rec


def dead_recogniser(system):
    rec = system.recogniser()
    rec.close()
    return rec


FAILURES = [
    (lambda s: s.syntax("BAD", "TEN OF [CLUBS"), "khSyntaxAddOption", "ReadBNF: Missing ']'"),
    (lambda s: s.find_syntax("BAD"), "khSyntaxReturn", "khSyntaxReturn: No such syntax name BAD"),
    (lambda s: s.syntax("go"), "khSyntaxCreate", "NewSyntax: Duplicate syntax name GO"),
    (lambda s: s.syntax("\u540d"), "System.syntax", "outside Latin-1"),
    (lambda s: s.find_syntax("GO").disable_option("GO HOME"), "khSyntaxDisableOption", "No path found"),
    (lambda s: s.find_syntax("GO").reenable_options(1), "khSyntaxReEnableOptions", "Tried to undo more"),
    (lambda s: dead_syntax(s).add_option("GO"), "Syntax.add_option", "the syntax GONE was deleted"),
    (lambda s: s.recogniser().prepare(dead_syntax(s), GOFORWARD), "Recogniser.prepare", "was deleted"),
    (lambda s: s.recogniser().prepare("GO", GOFORWARD), "Recogniser.prepare", "a Syntax is needed"),
    (lambda s: s.recogniser().prepare(s.find_syntax("GO"), "nowhere.wav"), "khRecPrepare",
     "khRecPrepare: Error opening the waveform file"),
    (lambda s: s.recogniser().recognise(), "khRecDoWholeSent", "Recogniser has not been prepared"),
    (lambda s: s.recogniser().speech(), "khSysGetSpeech", "Can only get speech immediately after recognition"),
    (lambda s: s.recogniser().set_pause_length("QUICK"), "khRecSetPauseLength", "Invalid name of sil length"),
    (lambda s: s.recogniser().set_optimisation("FAST"), "khRecSetOptimisation", "khRecSetSpeed: Incorrect"),
    (lambda s: complete_recogniser(s).recognise(s.find_syntax("GO"), GOFORWARD).alternatives(), "khRecGetNextBest",
     "Recogniser has not been activated for NBest results"),
    (lambda s: complete_recogniser(s).activate_nbest(), "khRecActivateNBest", "Cannot set the NBest until"),
    (lambda s: dead_recogniser(s).recognise(), "Recogniser.recognise", "the recogniser was deleted"),
    (lambda s: s.new_exercise("NOWHERE"), "khSysNewExercise", "khSysNewExercise: Invalid vocab name"),
]


@pytest.mark.parametrize("failing, call, message", FAILURES, ids=[f[2] for f in FAILURES])
def test_failures_carry_the_librarys_message(system, go, failing, call, message):
    with pytest.raises(khapi.Error) as e:
        failing(system)
    assert e.value.call == call
    assert message in str(e.value)
    if call.startswith("kh"):
        assert any(message in line for line in e.value.messages)
        assert e.value.log == system.log
