"""khapi.Error, and the library's own messages read back from its log."""
from __future__ import annotations

import os


class Error(Exception):
    """A call that failed.

    call      what failed: the library's export ("khRecPrepare"), the
              tool's subcommand ("khapi align") or the binding's own step
              ("Syntax.add_option").
    messages  the library's failure lines that the call wrote to its log,
              oldest first, without their "ERROR - " prefix; empty when it
              wrote none.
    message   the last of them (the one that names the failing call), or
              the binding's own reason.
    log       the log file that holds them, or None.
    """

    def __init__(self, call: str, message: str = "", messages: list[str] | None = None, log: str | None = None):
        self.call = call
        self.messages = list(messages or [])
        self.message = message or (self.messages[-1] if self.messages else "")
        self.log = log
        super().__init__(self._text())

    def _text(self) -> str:
        why = "; ".join(self.messages) if self.messages else self.message
        text = f"{self.call} failed" + (f": {why}" if why else " (the library logged no cause)")
        return text + (f" (log: {self.log})" if self.log else "")


# The library empties its log when it first writes to it in a process, so
# the first change this process sees starts at the top of the file.
_written_here = False


def _stat(path: str) -> tuple[int, int]:
    try:
        st = os.stat(path)
    except OSError:
        return -1, -1
    return st.st_size, st.st_mtime_ns


class LogWatch:
    """What the library added to its log since the watch began."""

    def __init__(self, path: str):
        self.path = path
        self.size, self.mtime = _stat(path)

    def errors(self) -> list[str]:
        """The failure lines written since the watch began, without their
        "ERROR - " prefix."""
        global _written_here
        size, mtime = _stat(self.path)
        if size < 0 or (size, mtime) == (self.size, self.mtime):
            return []
        start = self.size if _written_here and size >= self.size else 0
        _written_here = True
        try:
            with open(self.path, "rb") as log:
                log.seek(start)
                text = log.read().decode("latin-1")
        except OSError:
            return []
        return [line.rstrip("\r")[8:] for line in text.split("\n") if line.startswith("ERROR - ")]
