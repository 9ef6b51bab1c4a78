"""Finds and loads libKHAPI1_1 and the khapi tool, and declares the
library's exports for ctypes."""
from __future__ import annotations

import ctypes
import os
import shutil
import sysconfig
import threading
from pathlib import Path

from .errors import Error

LIBRARY_NAME = "libKHAPI1_1.so.1"
TOOL_NAME = "khapi"

# Failure value of the score and confidence calls, and the size of every
# output string buffer.
FLOAT_FAIL = ctypes.c_float(-3.4028235e38).value
MAX_TEXT = 1024

_c_char_p, _c_int, _c_float, _c_void_p = ctypes.c_char_p, ctypes.c_int, ctypes.c_float, ctypes.c_void_p
_c_double_p = ctypes.POINTER(ctypes.c_double)

# Each export's result and argument types, as khapi.h declares them.
# Handles are pointers; output strings are caller buffers (c_char_p).
EXPORTS = {
    "khSysInit": (_c_int, [_c_char_p]),
    "khSysNewExercise": (_c_int, [_c_char_p]),
    "khSyntaxCreate": (_c_void_p, [_c_char_p, _c_char_p]),
    "khSyntaxReturn": (_c_void_p, [_c_char_p]),
    "khSyntaxDeleteShallow": (_c_int, [_c_void_p]),
    "khSyntaxDeleteDeep": (_c_int, [_c_void_p]),
    "khSyntaxAddOption": (_c_int, [_c_void_p, _c_char_p]),
    "khSyntaxDisableOption": (_c_int, [_c_void_p, _c_char_p]),
    "khSyntaxReEnableOptions": (_c_int, [_c_void_p, _c_int]),
    "khRecCreate": (_c_void_p, []),
    "khRecDelete": (_c_int, [_c_void_p]),
    "khRecPrepare": (_c_int, [_c_void_p, _c_void_p, _c_char_p, _c_char_p]),
    "khRecDoWholeSent": (_c_int, [_c_void_p]),
    "khRecDoPartSent": (_c_int, [_c_void_p, _c_int]),
    "khRecFinalise": (_c_int, [_c_void_p]),
    "khRecSetPauseLength": (_c_int, [_c_void_p, _c_char_p]),
    "khRecSetOptimisation": (_c_int, [_c_void_p, _c_char_p]),
    "khRecActivateNBest": (_c_int, [_c_void_p]),
    "khRecGetWords": (_c_int, [_c_void_p, _c_char_p]),
    "khRecGetWordName": (_c_int, [_c_void_p, _c_int, _c_char_p]),
    "khRecGetResSyntaxName": (_c_int, [_c_void_p, _c_int, _c_char_p]),
    "khRecGetWordTimes": (_c_int, [_c_void_p, _c_int, _c_double_p, _c_double_p]),
    "khRecGetWordInfo": (_c_int, [_c_void_p, _c_int, _c_char_p]),
    "khRecGetNextBest": (_c_int, [_c_void_p, _c_int, _c_int, _c_char_p]),
    "khRecGetWordScore": (_c_float, [_c_void_p, _c_int, _c_int]),
    "khRecGetWordConf": (_c_float, [_c_void_p, _c_int, _c_int]),
    "khRecGetPhone": (_c_int, [_c_void_p, _c_int, _c_int, _c_char_p]),
    "khRecGetPhones": (_c_int, [_c_void_p, _c_int, _c_char_p]),
    "khRecGetPhoneTimes": (_c_int, [_c_void_p, _c_int, _c_int, _c_double_p, _c_double_p]),
    "khRecGetPhoneScore": (_c_float, [_c_void_p, _c_int, _c_int, _c_int]),
    "khRecGetPhoneConf": (_c_float, [_c_void_p, _c_int, _c_int, _c_int]),
    "khRecGetPhoneHeard": (_c_int, [_c_void_p, _c_int, _c_int, _c_char_p]),
    "khSysGetSpeech": (_c_int, [_c_void_p, _c_char_p, ctypes.POINTER(ctypes.c_short)]),
    "khSysGetF0Track": (_c_int, [_c_void_p, _c_char_p, ctypes.POINTER(ctypes.c_float)]),
    "khRecSaveSpeech": (_c_int, [_c_void_p, _c_char_p]),
    "khSysPlayPrompt": (_c_int, [_c_char_p]),
    "khRecPlayUtterance": (_c_int, [_c_void_p, ctypes.c_double, ctypes.c_double]),
    "khSysCalibrateSpeech": (_c_int, [ctypes.POINTER(ctypes.c_float)]),
}

_lock = threading.Lock()
_loaded: tuple[ctypes.CDLL, str] | None = None


def _package_lib_dirs() -> list[Path]:
    """The library folders beside an installed package: PREFIX/lib for
    PREFIX/lib/python3/dist-packages/khapi, and its multiarch folder."""
    lib = Path(__file__).resolve().parents[3]
    dirs = [lib]
    multiarch = sysconfig.get_config_var("MULTIARCH")
    if multiarch:
        dirs.append(lib / multiarch)
    return dirs


def _candidates() -> list[str]:
    """Where the library is looked for, in order.  KHAPI_LIBRARY, when
    set, is the only place: a library named on purpose must not be
    silently replaced by another."""
    named = os.environ.get("KHAPI_LIBRARY")
    if named:
        return [named]
    beside = [str(d / LIBRARY_NAME) for d in _package_lib_dirs() if (d / LIBRARY_NAME).is_file()]
    return beside + [LIBRARY_NAME]  # the last: the dynamic loader's own search


class _DlInfo(ctypes.Structure):
    _fields_ = [("fname", ctypes.c_char_p), ("fbase", ctypes.c_void_p),
                ("sname", ctypes.c_char_p), ("saddr", ctypes.c_void_p)]


def _loaded_path(lib: ctypes.CDLL, given: str) -> str:
    """The file the dynamic loader took the library from (it may have
    searched for it), by asking which file holds one of its functions."""
    info = _DlInfo()
    libc = ctypes.CDLL(None)
    address = ctypes.cast(lib.khSysInit, ctypes.c_void_p)
    if hasattr(libc, "dladdr") and libc.dladdr(address, ctypes.byref(info)) and info.fname:
        return os.path.abspath(os.fsdecode(info.fname))
    return given


def load() -> tuple[ctypes.CDLL, str]:
    """The loaded library and its file; khapi.Error when it cannot be
    found or lacks an export."""
    global _loaded
    with _lock:
        if _loaded:
            return _loaded
        tried = []
        for name in _candidates():
            try:
                lib = ctypes.CDLL(name)
            except OSError as e:
                tried.append(str(e))
                continue
            for export, (restype, argtypes) in EXPORTS.items():
                try:
                    function = getattr(lib, export)
                except AttributeError:
                    raise Error("loading the library", f"{name} has no {export}: it is not libKHAPI1_1") from None
                function.restype, function.argtypes = restype, argtypes
            _loaded = lib, _loaded_path(lib, name)
            return _loaded
        hint = "set KHAPI_LIBRARY to its file" if not os.environ.get("KHAPI_LIBRARY") else "KHAPI_LIBRARY names it"
        raise Error("loading the library", f"cannot load {LIBRARY_NAME} ({hint}): " + "; ".join(tried))


def library_path() -> str:
    """The file of the library this package uses (loading it if need be)."""
    return load()[1]


def tool_path() -> str:
    """The khapi tool: KHAPI_TOOL when set; else the one beside the
    library (PREFIX/bin for PREFIX/lib, bin/ of a build for its lib/);
    else the one on PATH.  khapi.Error when there is none."""
    named = os.environ.get("KHAPI_TOOL")
    if named:
        if not os.access(named, os.X_OK) or os.path.isdir(named):
            raise Error("finding the khapi tool", f"KHAPI_TOOL names {named}, which is no program")
        return named
    try:
        beside = Path(library_path()).resolve().parent.parent / "bin" / TOOL_NAME
        if os.access(beside, os.X_OK) and beside.is_file():
            return str(beside)
    except Error:
        pass  # no library: the tool may still be on PATH
    found = shutil.which(TOOL_NAME)
    if found:
        return found
    raise Error("finding the khapi tool", "no khapi beside the library nor on PATH (set KHAPI_TOOL to it)")


def encode_text(text: str, what: str, call: str) -> bytes:
    """A name or BNF text in the library's 8-bit character set, Latin-1
    (whose letters its case conversion knows)."""
    if not isinstance(text, str):
        raise Error(call, f"{what} must be a str, not {type(text).__name__}")
    try:
        raw = text.encode("latin-1")
    except UnicodeEncodeError:
        raise Error(call, f"{what} {text!r} has characters outside Latin-1, which the library cannot take") from None
    return _no_nul(raw, what, call)


def decode_text(raw: bytes) -> str:
    return raw.decode("latin-1")


def encode_path(path: str | os.PathLike, call: str) -> bytes:
    """A file name as the system spells it."""
    if not isinstance(path, (str, os.PathLike)):
        raise Error(call, f"a file name must be a str or path, not {type(path).__name__}")
    return _no_nul(os.fsencode(path), "a file name", call)


def whole_number(value: int, what: str, call: str) -> int:
    """An int argument; a bool or a float is refused, not cut."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise Error(call, f"{what} must be an int, not {type(value).__name__}")
    if not -2**31 <= value < 2**31:
        raise Error(call, f"{what} {value} is out of range")
    return value


def _no_nul(raw: bytes, what: str, call: str) -> bytes:
    # The library would read the text only up to the NUL.
    if b"\0" in raw:
        raise Error(call, f"{what} holds a NUL character")
    return raw
