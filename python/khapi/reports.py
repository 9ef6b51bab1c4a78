"""The one-call functions: the khapi tool's JSON reports, and the samples
and F0 track of a file.

assess, align and recognise run the khapi tool with --json and answer its
document: the report logic (the text's syntax, the assessment, the
writers) is the tool's, in C++, and not part of the library, so running it
gives exactly its documents.  speech and f0 use the library in this
process, through its khSysGetSpeech and khSysGetF0Track.
"""
from __future__ import annotations

import json
import os
import subprocess

import numpy as np

from .errors import Error
from .library import tool_path, whole_number
from .system import current


def _run(subcommand: str, audio: str | os.PathLike, options: list[str], config) -> dict:
    """The tool's document for one file; khapi.Error with its cause when
    the file failed."""
    call = f"khapi {subcommand}"
    if not isinstance(audio, (str, os.PathLike)):
        raise Error(call, f"the audio must be a file name, not {type(audio).__name__}")
    if config is not None and not isinstance(config, (str, os.PathLike)):
        raise Error(call, f"the configuration must be a file name, not {type(config).__name__}")
    args = [tool_path(), subcommand, "--json", "-q", *options]
    if config is not None:
        args.append("--config=" + os.fspath(config))
    # After "--" a file name that begins with "-" is no option.
    args += ["--", os.fspath(audio)]
    try:
        done = subprocess.run(args, capture_output=True, stdin=subprocess.DEVNULL)
    except OSError as e:
        raise Error(call, f"cannot run {args[0]}: {e.strerror}") from None
    except ValueError as e:  # a NUL in a text or name
        raise Error(call, str(e)) from None
    lines = done.stdout.splitlines()
    try:
        document = json.loads(lines[-1]) if lines else None
    except ValueError:
        document = None
    if isinstance(document, dict) and "error" in document:
        raise Error(call, document["error"], log=document.get("log"))
    if done.returncode == 0 and isinstance(document, dict):
        return document
    said = done.stderr.decode(errors="replace").strip()
    why = said.removeprefix("khapi: ") or f"the tool ended with status {done.returncode} and no report"
    raise Error(call, why)


def _text_options(text: str | None) -> list[str]:
    if text is None:
        return []  # the text beside the file: NAME.txt or NAME.lab
    if not isinstance(text, str):
        raise Error("khapi", f"the text must be a str, not {type(text).__name__}")
    return ["--text=" + text]


def assess(audio: str | os.PathLike, text: str | None = None, *, config: str | os.PathLike | None = None) -> dict:
    """Assesses how the text was said: the tool's `assess --json` document.

    Every word of the text in order, spoken or omitted, with its times
    (seconds), score (log-likelihood per frame), confidence (0 to 1),
    accuracy (0 to 100), error and phones; and the utterance's accuracy,
    completeness and fluency (0 to 100).  Without a text, the text of
    NAME.wav is read from NAME.txt or NAME.lab beside it.

    >>> report = khapi.assess("take1.wav", "go forward ten meters")
    >>> report["accuracy"], [w["error"] for w in report["words"]]
    """
    return _run("assess", audio, _text_options(text), config)


def align(audio: str | os.PathLike, text: str | None = None, *, config: str | os.PathLike | None = None) -> dict:
    """Aligns the text's words with the speech: the tool's `align --json`
    document (words with times in seconds, scores, confidences and phones)."""
    return _run("align", audio, _text_options(text), config)


def recognise(audio: str | os.PathLike, grammar: str | None = None, *, grammar_file: str | os.PathLike | None = None,
              nbest: int = 0, config: str | os.PathLike | None = None) -> dict:
    """Recognises the speech against a BNF grammar ("(TEN | FOUR) OF
    CLUBS"), or a grammar file of "NAME = BNF" lines: the tool's
    `recognise --json` document, with up to `nbest` alternatives."""
    if (grammar is None) == (grammar_file is None):
        raise Error("khapi recognise", "give either a grammar or a grammar_file")
    if grammar is not None and not isinstance(grammar, str):
        raise Error("khapi recognise", f"the grammar must be a str, not {type(grammar).__name__}")
    options = ["--grammar=" + grammar] if grammar is not None else ["--grammar-file=" + os.fspath(grammar_file)]
    if nbest:
        options.append(f"--nbest={whole_number(nbest, 'nbest', 'khapi recognise')}")
    return _run("recognise", audio, options, config)


def speech(audio: str | os.PathLike) -> np.ndarray:
    """The samples of a waveform file as the model reads it: int16 at
    khapi.SAMPLE_RATE (16000) a second, mixed down to one channel.  Uses
    this process's System (the packaged configuration's when none was
    made)."""
    return current().speech(audio)


def f0(audio: str | os.PathLike) -> np.ndarray:
    """The F0 track of a waveform file, as `khapi f0` gives it: float32 in
    Hz, one value every khapi.FRAME_STEP (0.01) seconds, 0 where the frame
    is unvoiced.  Uses this process's System, as speech does."""
    return current().f0(audio)
