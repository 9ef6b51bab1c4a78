"""What one recognition found: words, their phones, and the alternatives
the recogniser kept."""
from __future__ import annotations

import ctypes
from dataclasses import dataclass
from typing import TYPE_CHECKING

from .errors import Error
from .library import FLOAT_FAIL, MAX_TEXT, decode_text

if TYPE_CHECKING:
    from .recogniser import Recogniser


@dataclass(frozen=True)
class Phone:
    """A phone of a word's recognised pronunciation.

    start, end  seconds from the start of the utterance
    score       acoustic log-likelihood per frame (natural log; 0 best,
                well-spoken about -0.5 to -3), None where the library
                gives none
    confidence  0 to 1, None unless the configuration sets PHONECONF
    heard       the phone the model hears on its frames (itself, or the one
                said instead), None unless PHONECONF is set
    """
    name: str
    start: float
    end: float
    score: float | None
    confidence: float | None
    heard: str | None


@dataclass(frozen=True)
class Word:
    """A recognised word.

    name        the word, without the syntax it came from
    syntax      the name of the syntax that contributed it (upper case)
    start, end  seconds from the start of the utterance
    score       acoustic log-likelihood per frame, None where the library
                gives none (a word shorter than half a frame)
    confidence  0 (surely wrong) to 1 (surely right), or None likewise
    phones      its phones, in order
    """
    name: str
    syntax: str
    start: float
    end: float
    score: float | None
    confidence: float | None
    phones: tuple[Phone, ...]


def _value(x: float) -> float | None:
    return None if x == FLOAT_FAIL else float(x)


class Result:
    """The result of one recognition, read when it completed.

    words  the recognised words (Word), in order
    text   the words' names separated by blanks

    alternatives(), score() and confidence() ask the recogniser, and so
    need it to hold this utterance still: not finalised, prepared again or
    retuned since.
    """

    def __init__(self, rec: Recogniser):
        self._rec = rec
        self._utterance = rec._utterance
        self._alternatives: dict[tuple[int, int], list[str]] = {}
        text = ctypes.create_string_buffer(MAX_TEXT)
        n = self._query("khRecGetWords", text)
        self.text = decode_text(text.value)
        self.words = tuple(self._word(w) for w in range(1, n + 1))

    def __repr__(self) -> str:
        return f"khapi.Result({self.text!r})"

    def _query(self, export: str, *args, failed=lambda r: r < 0):
        rec = self._rec
        with rec._system._lock:
            if rec._utterance != self._utterance:
                raise Error("Result", "the recogniser no longer holds this utterance")
            return rec._call("Result", export, *args, failed=failed)

    def _text(self, export: str, *args) -> str:
        buffer = ctypes.create_string_buffer(MAX_TEXT)
        self._query(export, *args, buffer)
        return decode_text(buffer.value)

    def _times(self, export: str, *args) -> tuple[float, float]:
        start, end = ctypes.c_double(), ctypes.c_double()
        self._query(export, *args, ctypes.byref(start), ctypes.byref(end), failed=lambda r: r != 1)
        return start.value, end.value

    def _float(self, export: str, *args) -> float | None:
        return _value(self._query(export, *args, failed=lambda r: False))

    def _word(self, w: int) -> Word:
        start, end = self._times("khRecGetWordTimes", w)
        return Word(self._text("khRecGetWordName", w), self._text("khRecGetResSyntaxName", w), start, end,
                    self._float("khRecGetWordScore", w, w), self._float("khRecGetWordConf", w, w), self._phones(w))

    def _phones(self, w: int) -> tuple[Phone, ...]:
        names = self._text("khRecGetPhones", w).split()
        confidences = self._rec._system.phone_confidences
        phones = []
        for p, name in enumerate(names, 1):
            start, end = self._times("khRecGetPhoneTimes", w, p)
            heard = None
            if confidences:
                buffer = ctypes.create_string_buffer(MAX_TEXT)
                if self._query("khRecGetPhoneHeard", w, p, buffer, failed=lambda r: False) > 0:
                    heard = decode_text(buffer.value)
            phones.append(Phone(name, start, end, self._float("khRecGetPhoneScore", w, p, p),
                                self._float("khRecGetPhoneConf", w, p, p) if confidences else None, heard))
        return tuple(phones)

    def _stretch(self, start: int, end: int) -> tuple[int, int]:
        """Word indices as the library counts them (1 first, -1 last)."""
        n = len(self.words)
        return (start + n + 1 if start < 0 else start), (end + n + 1 if end < 0 else end)

    def alternatives(self, start: int = 1, end: int = -1) -> list[str]:
        """The alternative word sequences for words start..end (1 is the
        first word, -1 the last), best first, after the words recognised;
        needs a recogniser made with nbest (or activate_nbest)."""
        stretch = self._stretch(start, end)
        if stretch not in self._alternatives:
            # Each stretch is walked once: the recogniser hands out its
            # alternatives one call at a time, and a stretch other than
            # the last one walked starts again from the first.
            found = []
            buffer = ctypes.create_string_buffer(MAX_TEXT)
            while self._query("khRecGetNextBest", *stretch, buffer) == 1:
                found.append(decode_text(buffer.value))
            self._alternatives[stretch] = found
        return list(self._alternatives[stretch])

    def score(self, start: int = 1, end: int = -1) -> float:
        """Acoustic log-likelihood per frame of words start..end (natural
        log; 0 best), over the frames from the first word's start to the
        last one's end."""
        return float(self._query("khRecGetWordScore", start, end, failed=lambda r: r == FLOAT_FAIL))

    def confidence(self, start: int = 1, end: int = -1) -> float:
        """Mean confidence of words start..end, 0 to 1."""
        return float(self._query("khRecGetWordConf", start, end, failed=lambda r: r == FLOAT_FAIL))
