"""The library, started once a process."""
from __future__ import annotations

import ctypes
import os
import threading
import weakref
from typing import TYPE_CHECKING, Callable

import numpy as np

from . import library
from .config import RunConfig, make_run_config, packaged_config
from .errors import Error, LogWatch
from .syntax import Syntax

if TYPE_CHECKING:
    from .recogniser import Recogniser

_lock = threading.Lock()
_system: System | None = None
_failure: Error | None = None


def _failed_int(result: int) -> bool:
    return result < 0


class System:
    """The library, started on one configuration.

    The library starts once a process: System() with the configuration it
    was started on (or None when that was the packaged one) answers the
    same System again; another configuration is refused with khapi.Error.

    config  a configuration file; None for the packaged one (US English on
            the packaged model, which keeps its vocabulary dictionary in
            $XDG_DATA_HOME/khapi and its log in $XDG_STATE_HOME/khapi).
    """

    config: str  # the configuration file it was started on
    log: str     # the log the library writes its failures to

    def __new__(cls, config: str | os.PathLike | None = None) -> System:
        global _system, _failure
        if config is not None:
            library.encode_path(config, "System")  # a clear failure for what names no file
        with _lock:
            wanted = packaged_config() if config is None else os.path.abspath(os.fspath(config))
            if _system is not None:
                if _same_file(wanted, _system.config):
                    return _system
                raise Error("System", f"the library runs one system a process, started here on {_system.config}: "
                            f"it cannot start again on {wanted}")
            if _failure is not None:
                raise Error("System", "the library failed to start earlier in this process and starts only once "
                            f"a process ({_failure})")
            library.load()
            run = make_run_config(config)
            try:
                self = super().__new__(cls)
                self._start(run)
            except Error as e:
                _failure = e  # khSysInit runs once a process, even when it fails
                raise
            finally:
                os.unlink(run.file)
            _system = self
            return self

    def _start(self, run: RunConfig) -> None:
        self._lib = library.load()[0]
        self.config, self.log = run.source, run.log
        self.phone_confidences = run.phone_confidences
        self._lock = threading.RLock()
        self._syntaxes: dict[int, Syntax] = {}
        self._recognisers: weakref.WeakSet[Recogniser] = weakref.WeakSet()
        self._file_recogniser: Recogniser | None = None
        status = self._export("khSysInit", os.fsencode(run.file), failed=lambda r: r != 1 and r != 0)
        if status == 0:
            raise Error("khSysInit", "the configuration selects NOFUNCOPER: the library does nothing")

    def __repr__(self) -> str:
        return f"khapi.System({self.config!r})"

    # ---- calls into the library -------------------------------------------

    def _export(self, export: str, *args, failed: Callable = _failed_int):
        """Calls an export; khapi.Error with the failures it logged when
        `failed` says its answer is a failure."""
        with self._lock:
            watch = LogWatch(self.log)
            result = getattr(self._lib, export)(*args)
            if failed(result):
                raise Error(export, messages=watch.errors(), log=self.log)
            return result

    # ---- syntaxes ---------------------------------------------------------

    def syntax(self, name: str, *options: str) -> Syntax:
        """A new, empty syntax of the current exercise, with the BNF
        options given added.  When an option is refused the syntax is
        deleted again and the library's reason raised."""
        raw = library.encode_text(name, "a syntax name", "System.syntax")
        with self._lock:
            syntax = self._register(self._export("khSyntaxCreate", raw, None, failed=_null), name)
            try:
                for bnf in options:
                    syntax.add_option(bnf)
            except Error:
                try:
                    syntax.delete()
                except Error:
                    pass  # the refused option is the failure to report
                raise
            return syntax

    def load_syntax(self, name: str, lattice_file: str | os.PathLike) -> Syntax:
        """A syntax made from a saved lattice file; its sub-lattices become
        syntaxes too (find_syntax finds them by name)."""
        raw = library.encode_text(name, "a syntax name", "System.load_syntax")
        path = library.encode_path(lattice_file, "System.load_syntax")
        with self._lock:
            return self._register(self._export("khSyntaxCreate", raw, path, failed=_null), name)

    def find_syntax(self, name: str) -> Syntax:
        """The syntax of that name (any case) in the current exercise."""
        raw = library.encode_text(name, "a syntax name", "System.find_syntax")
        with self._lock:
            handle = self._export("khSyntaxReturn", raw, failed=_null)
            return self._syntaxes.get(handle) or self._register(handle, name)

    def _register(self, handle: int, name: str) -> Syntax:
        syntax = Syntax(self, handle, name)
        self._syntaxes[handle] = syntax
        return syntax

    def _forget_deleted(self) -> None:
        """After a deep delete: the syntaxes whose names no longer lead to
        their handles were deleted with it."""
        for handle, syntax in list(self._syntaxes.items()):
            found = self._lib.khSyntaxReturn(library.encode_text(syntax.name, "", ""))
            if found != handle:
                syntax._handle = None
                del self._syntaxes[handle]

    # ---- recognisers and exercises ---------------------------------------

    def recogniser(self, nbest: bool = False) -> Recogniser:
        """A new recogniser, idle; with `nbest` it keeps alternatives."""
        from .recogniser import Recogniser

        rec = Recogniser(self)
        self._recognisers.add(rec)
        if nbest:
            rec.activate_nbest()
        return rec

    def new_exercise(self, vocabulary: str) -> None:
        """Ends the exercise under way, deleting its syntaxes and
        recognisers (their objects can no longer be used), and makes the
        named vocabulary (VOCABn of the configuration) current."""
        raw = library.encode_text(vocabulary, "a vocabulary name", "System.new_exercise")
        with self._lock:
            try:
                self._export("khSysNewExercise", raw)
            except Error:
                # Nothing was deleted, or (an engine failure) only some:
                # the syntaxes say which by name.
                self._forget_deleted()
                raise
            for syntax in self._syntaxes.values():
                syntax._handle = None
            self._syntaxes.clear()
            for rec in list(self._recognisers):
                rec._handle = None
            self._file_recogniser = None

    # ---- speech of files ----------------------------------------------------

    def speech(self, audio: str | os.PathLike) -> np.ndarray:
        """The samples of a waveform file, as the model reads it: int16 at
        khapi.SAMPLE_RATE (16000) a second."""
        return read_array(self._files(), "khSysGetSpeech", "System.speech", audio, np.int16)

    def f0(self, audio: str | os.PathLike) -> np.ndarray:
        """The F0 track of a waveform file: float32 in Hz, one value every
        khapi.FRAME_STEP (0.01) seconds, 0 where the frame is unvoiced."""
        return read_array(self._files(), "khSysGetF0Track", "System.f0", audio, np.float32)

    def _files(self) -> Recogniser:
        """The recogniser whose model decodes files for speech and f0."""
        with self._lock:
            if self._file_recogniser is None or self._file_recogniser._handle is None:
                self._file_recogniser = self.recogniser()
            return self._file_recogniser


def _null(handle) -> bool:
    return not handle


def _same_file(a: str, b: str) -> bool:
    try:
        return os.path.samefile(a, b)
    except OSError:
        return os.path.normpath(a) == os.path.normpath(b)


def current() -> System:
    """The System of this process, started on the packaged configuration
    when none was made yet."""
    return _system if _system is not None else System()


def read_array(rec: Recogniser, export: str, call: str, audio, dtype) -> np.ndarray:
    """The two calls of khSysGetSpeech and khSysGetF0Track: the count, then
    the values.  `audio` None reads the recogniser's last utterance."""
    path = None if audio is None else library.encode_path(audio, call)
    pointer = ctypes.POINTER(np.ctypeslib.as_ctypes_type(dtype))
    system = rec._system
    with system._lock:
        handle = rec._live(call)
        n = system._export(export, handle, path, None)
        values = np.zeros(n, dtype=dtype)
        if n > 0:
            system._export(export, handle, path, values.ctypes.data_as(pointer), failed=lambda m: m != n)
    return values
