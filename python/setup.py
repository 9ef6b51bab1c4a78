"""Builds the khapi package.  Its version is the library's, read from the
project's CMakeLists.txt, and written into the built package's
khapi/_version.py, which then needs no source tree."""
import runpy
from pathlib import Path

from setuptools import setup
from setuptools.command.build_py import build_py

VERSION = runpy.run_path(str(Path(__file__).resolve().parent / "khapi" / "_version.py"))["version"]


class BuildWithVersion(build_py):
    def run(self):
        super().run()
        written = Path(self.build_lib, "khapi", "_version.py")
        written.write_text(f'"""The library\'s version."""\nversion = "{VERSION}"\n')


setup(version=VERSION, cmdclass={"build_py": BuildWithVersion})
