"""The configuration a System starts the library with.

As the khapi tool does for its runs, khSysInit is handed a private copy of
the configuration (the packaged one by default) with a few keys appended,
later keys winning: ERRORLOG becomes an absolute log path that the binding
reads failures from, DEBUG is raised to ERROR so that every failure is
logged, and PHONECONF and GUESSPRONS are on unless the configuration says
otherwise.  The vocabulary dictionaries stay as the configuration names
them: the packaged one keeps its own in the user's data folder.
"""
from __future__ import annotations

import errno
import fcntl
import os
import stat
import sysconfig
import tempfile
from dataclasses import dataclass
from pathlib import Path

from .errors import Error
from .library import library_path

# Where the packaged configuration may be, from the library's folder:
# installed (PREFIX/lib -> PREFIX/share/khapi), then a build's (lib/ ->
# data/).
_PACKAGED = ("../share/khapi/khapi.conf", "../data/khapi.conf")
_TRUE = {"TRUE", "T", "YES", "1"}

# The logs this process holds, open for its whole life.
_held: list[int] = []


@dataclass
class RunConfig:
    source: str             # the configuration asked for
    file: str               # the private copy khSysInit reads
    log: str                # where the library writes its failures
    phone_confidences: bool  # PHONECONF is on


def packaged_config() -> str:
    """The configuration installed (or built) with the library."""
    lib_dir = Path(library_path()).parent
    bases = [lib_dir]
    if lib_dir.name == sysconfig.get_config_var("MULTIARCH"):
        bases.append(lib_dir.parent)  # PREFIX/lib/<multiarch>
    for base in bases:
        for rel in _PACKAGED:
            if os.access(base / rel, os.R_OK):
                return os.path.normpath(base / rel)
    raise Error("finding the packaged configuration", f"no khapi.conf beside {lib_dir}")


def parse_keys(text: str) -> dict[str, str]:
    """KEY = VALUE lines, later keys replacing earlier ones, as the engine
    reads them."""
    keys = {}
    for line in text.splitlines():
        key, eq, value = line.partition("=")
        key = key.strip() if eq else ""
        if not key or key.startswith("#"):
            continue
        value = value.strip()
        if len(value) >= 2 and value[0] == value[-1] == '"':
            value = value[1:-1]
        keys[key] = value
    return keys


def _expands(value: str) -> bool:
    """Whether the library expands the value ("~" or "${"): it then names
    no file relative to the working folder."""
    return "${" in value or value == "~" or value.startswith("~/")


def user_state_log() -> str:
    """khapi.log in the user's state folder, as the packaged configuration
    names it."""
    state = os.environ.get("XDG_STATE_HOME") or os.path.join(os.path.expanduser("~"), ".local", "state")
    return os.path.join(state, "khapi", "khapi.log")


def _with_suffix(path: str, n: int) -> str:
    """"dir/khapi.log", 12 -> "dir/khapi.12.log"."""
    folder, name = os.path.split(path)
    stem, dot, ext = name.rpartition(".")
    name = f"{stem}.{n}.{ext}" if dot and stem else f"{name}.{n}"
    return os.path.join(folder, name)


def _hold(path: str) -> bool:
    """Takes the log for the rest of the process, as the tool does: false
    when another process holds it.  The library empties its log when it
    first writes to it in a process, so two sharing one would lose each
    other's causes."""
    try:
        fd = os.open(path, os.O_RDWR | os.O_CREAT | os.O_CLOEXEC, 0o600)
    except OSError:
        return True  # not there yet: the library makes its folder
    try:
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError as e:
        os.close(fd)
        return e.errno not in (errno.EWOULDBLOCK, errno.EAGAIN)
    _held.append(fd)
    return True


def _read_plain(path: str) -> str:
    """The configuration's text: it must be a regular file (a folder reads
    as empty, a FIFO would wait for a writer)."""
    try:
        mode = os.stat(path).st_mode
        if not stat.S_ISREG(mode):
            raise OSError("it is a folder" if stat.S_ISDIR(mode) else "it is not a regular file")
        with open(path, encoding="latin-1") as f:
            return f.read()
    except OSError as e:
        raise Error("System", f"cannot read the configuration {path}: {e.strerror or e}") from None


def make_run_config(config: str | os.PathLike | None) -> RunConfig:
    """Writes the private copy of `config` (the packaged one when None)."""
    packaged = config is None
    source = packaged_config() if packaged else os.path.abspath(os.fspath(config))
    text = _read_plain(source)
    keys = parse_keys(text)
    named = keys.get("ERRORLOG") or "khapi.log"
    log = os.path.abspath(user_state_log() if packaged or _expands(named) else named)
    if not _hold(log):
        log = _with_suffix(log, os.getpid())
        _hold(log)
    extra = ["", "# Added by the khapi Python package for this process.", f"ERRORLOG = {log}"]
    if keys.get("DEBUG") not in ("ERROR", "FULL"):
        extra.append("DEBUG = ERROR")
    for key in ("PHONECONF", "GUESSPRONS"):
        if key not in keys:
            extra.append(f"{key} = TRUE")
    phone_confidences = keys.get("PHONECONF", "TRUE").upper() in _TRUE
    fd, name = tempfile.mkstemp(prefix="khapi-", suffix=".conf")
    with os.fdopen(fd, "w", encoding="latin-1") as f:
        f.write(text + "\n".join(extra) + "\n")
    return RunConfig(source, name, log, phone_confidences)
