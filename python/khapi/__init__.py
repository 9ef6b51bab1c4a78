"""KHAPI from Python: speech recognition for pronunciation training.

One call a report, as the khapi tool gives it with --json:

    khapi.assess(audio, text)      khapi.align(audio, text)
    khapi.recognise(audio, grammar)
    khapi.f0(audio)                khapi.speech(audio)

The library's own objects, for those who build grammars:

    system = khapi.System()                     # the packaged configuration
    cards = system.syntax("CARDS", "(TEN | FOUR) OF (CLUBS | HEARTS)")
    with system.recogniser(nbest=True) as rec:
        result = rec.recognise(cards, "001.wav")
        for word in result.words:
            print(word.name, word.start, word.end, word.score, word.confidence)

Every failure raises khapi.Error with the library's own messages.
"""
from ._version import version as __version__
from .errors import Error
from .library import library_path, tool_path
from .recogniser import Recogniser
from .reports import align, assess, f0, recognise, speech
from .results import Phone, Result, Word
from .syntax import Syntax
from .system import System

# The rate of the samples that speech() gives, a second, and the step
# between two values of an F0 track, in seconds.
SAMPLE_RATE = 16000
FRAME_STEP = 0.01

__all__ = ["Error", "System", "Syntax", "Recogniser", "Result", "Word", "Phone", "assess", "align", "recognise",
           "f0", "speech", "library_path", "tool_path", "SAMPLE_RATE", "FRAME_STEP", "__version__"]
