"""The library's version, set once in the project's CMakeLists.txt
(project(KHAPI VERSION ...)), from which the tool, the shared library's
file name and the pkg-config file take it too.  An installed package has
this file written with the version in it; in the source tree it is read
from there."""
import pathlib
import re


def _from_cmake() -> str:
    cmake = pathlib.Path(__file__).resolve().parents[2] / "CMakeLists.txt"
    try:
        found = re.search(r"project\(KHAPI VERSION ([0-9.]+)", cmake.read_text())
    except OSError:
        found = None
    if not found:
        raise ImportError(f"cannot tell the library's version: no project(KHAPI VERSION ...) in {cmake}")
    return found.group(1)


version = _from_cmake()
