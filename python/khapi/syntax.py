"""A syntax: a named grammar of the current exercise."""
from __future__ import annotations

from typing import TYPE_CHECKING

from . import library
from .errors import Error

if TYPE_CHECKING:
    from .system import System


class Syntax:
    """A named grammar of the current exercise, built from BNF options:
    words, [optional], <one or more>, {zero or more}, (group), a | b and
    $NAME to include another non-empty syntax.

    It lives until deleted or until the exercise changes; a deleted syntax
    raises khapi.Error on any use.  The library keeps its name in upper
    case."""

    def __init__(self, system: System, handle: int, name: str):
        self._system, self._handle, self.name = system, handle, name

    def __repr__(self) -> str:
        return f"khapi.Syntax({self.name!r}{'' if self._handle else ', deleted'})"

    @property
    def deleted(self) -> bool:
        return self._handle is None

    def _live(self, call: str) -> int:
        if self._handle is None:
            raise Error(call, f"the syntax {self.name} was deleted")
        return self._handle

    def add_option(self, bnf: str) -> Syntax:
        """Adds one option, first re-enabling every disabled one."""
        raw = library.encode_text(bnf, "a BNF option", "Syntax.add_option")
        with self._system._lock:
            self._system._export("khSyntaxAddOption", self._live("Syntax.add_option"), raw)
        return self

    def disable_option(self, sentence: str) -> None:
        """Switches off the option that spells the sentence; it stays in
        the syntax and can be re-enabled."""
        raw = library.encode_text(sentence, "a sentence", "Syntax.disable_option")
        with self._system._lock:
            self._system._export("khSyntaxDisableOption", self._live("Syntax.disable_option"), raw)

    def reenable_options(self, count: int = 0) -> None:
        """Re-enables the last `count` disabled options, most recent first;
        0 re-enables all."""
        with self._system._lock:
            self._system._export("khSyntaxReEnableOptions", self._live("Syntax.reenable_options"),
                                 library.whole_number(count, "the count", "Syntax.reenable_options"))

    def delete(self, deep: bool = False) -> None:
        """Deletes the syntax; with `deep`, also every syntax it includes
        that no other syntax needs.  A syntax another includes cannot be
        deleted."""
        system = self._system
        with system._lock:
            handle = self._live("Syntax.delete")
            try:
                system._export("khSyntaxDeleteDeep" if deep else "khSyntaxDeleteShallow", handle)
                self._handle = None
                system._syntaxes.pop(handle, None)
            finally:
                if deep:
                    # What a deep delete took, even one that failed half
                    # way, the remaining syntaxes' names tell (each one
                    # taken leaves "No such syntax name" in the log).
                    system._forget_deleted()
