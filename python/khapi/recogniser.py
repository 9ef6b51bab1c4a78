"""A recogniser: prepared on a syntax and an input, run over one
utterance, read, and prepared again."""
from __future__ import annotations

import os

import numpy as np

from . import library
from .errors import Error
from .results import Result
from .syntax import Syntax
from .system import System, _null, read_array


class Recogniser:
    """Made by System.recogniser().  It is idle, prepared (on a syntax and
    an input), or complete (its utterance recognised, its results and
    speech readable until it is prepared again or finalised).

    The recogniser is deleted with its object (or by close(), or when the
    exercise changes); a deleted one raises khapi.Error on any use.
    """

    def __init__(self, system: System):
        self._system, self._handle = system, None
        self._handle = system._export("khRecCreate", failed=_null)
        self._complete = False
        # Counts the utterances held, so that a Result knows whether its
        # utterance is still the one the recogniser holds.
        self._utterance = 0

    def __repr__(self) -> str:
        return f"khapi.Recogniser({'deleted' if self._handle is None else hex(self._handle)})"

    def __enter__(self) -> Recogniser:
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:  # at interpreter exit the library may be gone
            pass

    def _live(self, call: str) -> int:
        if self._handle is None:
            raise Error(call, "the recogniser was deleted")
        return self._handle

    def _call(self, call: str, export: str, *args, **kw):
        with self._system._lock:
            return self._system._export(export, self._live(call), *args, **kw)

    def close(self) -> None:
        """Deletes the recogniser, whatever its status (again: nothing)."""
        with self._system._lock:
            if self._handle is not None:
                self._system._export("khRecDelete", self._handle)
                self._handle = None

    @property
    def deleted(self) -> bool:
        return self._handle is None

    # ---- one utterance ---------------------------------------------------

    def prepare(self, syntax: Syntax, audio: str | os.PathLike | None = None) -> None:
        """Readies the recogniser for one utterance of the syntax: a
        waveform file (WAV, FLAC, ...; a .raw file is headerless 16 kHz
        16-bit mono), or the microphone when `audio` is None.  A complete
        recogniser is finalised first."""
        if not isinstance(syntax, Syntax):
            raise Error("Recogniser.prepare", f"a Syntax is needed, not {type(syntax).__name__}")
        path = None if audio is None else library.encode_path(audio, "Recogniser.prepare")
        with self._system._lock:
            handle = self._live("Recogniser.prepare")
            if self._complete:
                try:
                    self.finalise()
                except Error:
                    pass  # a tuning call the engine failed has ended it: khRecPrepare says whether it is idle
            self._system._export("khRecPrepare", handle, syntax._live("Recogniser.prepare"), path, None)
            self._complete = False
            self._utterance += 1

    def recognise(self, syntax: Syntax | None = None, audio: str | os.PathLike | None = None) -> Result:
        """Recognises the prepared utterance (with a syntax, prepares it on
        that syntax and `audio` first) and returns its result."""
        if syntax is None and audio is not None:
            raise Error("Recogniser.recognise", "an input needs its syntax: recognise(syntax, audio)")
        with self._system._lock:
            if syntax is not None:
                self.prepare(syntax, audio)
            self._call("Recogniser.recognise", "khRecDoWholeSent")
            self._complete = True
            return Result(self)

    def finalise(self) -> None:
        """Ends a complete recognition: its results and speech are gone and
        the recogniser is idle."""
        with self._system._lock:
            self._call("Recogniser.finalise", "khRecFinalise")
            self._complete = False
            self._utterance += 1

    # ---- tuning ------------------------------------------------------------

    def _tune(self, call: str, export: str, *args) -> None:
        with self._system._lock:
            self._call(call, export, *args)
            self._utterance += 1  # a held utterance is recognised again under the new setting

    def set_pause_length(self, length: str) -> None:
        """The silence that ends a live utterance: "SHORT", "MEDIUM" or
        "LONG" (any case)."""
        self._tune("Recogniser.set_pause_length", "khRecSetPauseLength",
                   library.encode_text(length, "a pause length", "Recogniser.set_pause_length"))

    def set_optimisation(self, speed: str) -> None:
        """The search effort: "SPEEDBIAS", "NORMAL" or "ACCBIAS" (any case)."""
        self._tune("Recogniser.set_optimisation", "khRecSetOptimisation",
                   library.encode_text(speed, "a speed", "Recogniser.set_optimisation"))

    def activate_nbest(self) -> None:
        """Keeps up to two alternatives besides the words recognised in
        every later recognition (Result.alternatives); needs an idle
        recogniser."""
        self._tune("Recogniser.activate_nbest", "khRecActivateNBest")

    # ---- the last utterance's speech --------------------------------------

    def speech(self) -> np.ndarray:
        """The last utterance's samples: int16 at khapi.SAMPLE_RATE (16000)
        a second.  Needs a complete recogniser."""
        return read_array(self, "khSysGetSpeech", "Recogniser.speech", None, np.int16)

    def f0(self) -> np.ndarray:
        """The last utterance's F0 track: float32 in Hz, one value every
        khapi.FRAME_STEP (0.01) seconds, 0 where unvoiced."""
        return read_array(self, "khSysGetF0Track", "Recogniser.f0", None, np.float32)

    def save_speech(self, path: str | os.PathLike) -> None:
        """Writes the last utterance to a 16-bit mono WAV file."""
        self._call("Recogniser.save_speech", "khRecSaveSpeech", library.encode_path(path, "Recogniser.save_speech"))
