"""The package installed both ways, and used from there: by pip into a
virtual environment, and by the build's install rules into a prefix,
where it finds the library, the tool and the configuration by itself."""
import os
import re
import shutil
import subprocess
import sys
from pathlib import Path

from conftest import GOFORWARD, GOFORWARD_TEXT, run_python

SOURCE = Path(os.environ["KHAPI_SOURCE_DIR"])
VERSION = re.search(r"project\(KHAPI VERSION ([0-9.]+)", (SOURCE / "CMakeLists.txt").read_text())[1]
# What each installed package answers: where it is, what it uses, and
# the first word of the README's example.
REPORT = f"""
import khapi
print(khapi.__version__)
print(khapi.__file__)
print(khapi.library_path())
print(khapi.tool_path())
print(khapi.System().config)
print(khapi.align({str(GOFORWARD)!r}, {GOFORWARD_TEXT!r})["words"][0]["word"])
"""


def test_pip_installs_into_a_venv(tmp_path):
    # A copy of the source, so that the build leaves nothing in the tree.
    shutil.copytree(SOURCE / "python", tmp_path / "src" / "python", ignore=shutil.ignore_patterns("tests"))
    shutil.copy(SOURCE / "CMakeLists.txt", tmp_path / "src")
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", venv], check=True)
    subprocess.run([venv / "bin" / "pip", "install", "-q", "--no-build-isolation", "--no-index",
                    tmp_path / "src" / "python"], check=True, capture_output=True)
    done = subprocess.run([venv / "bin" / "python", "-c", REPORT], capture_output=True, text=True, cwd=tmp_path,
                          env={k: v for k, v in os.environ.items() if k != "PYTHONPATH"})
    version, package, library, tool, config, word = done.stdout.splitlines()
    assert (version, word) == (VERSION, "GO"), done.stderr
    assert Path(package).is_relative_to(venv)
    assert (library, tool) == (os.environ["KHAPI_LIBRARY"], os.environ["KHAPI_TOOL"])


def test_installed_beside_the_library(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", os.environ["KHAPI_BUILD_DIR"], "--prefix", prefix], check=True,
                   capture_output=True)
    packages = prefix / "lib" / "python3" / "dist-packages"
    done = run_python(REPORT, cwd=tmp_path, PYTHONPATH=packages, KHAPI_LIBRARY=None, KHAPI_TOOL=None)
    version, package, library, tool, config, word = done.stdout.splitlines()
    assert (version, word) == (VERSION, "GO"), done.stderr
    assert (package, library, tool, config) == (str(packages / "khapi" / "__init__.py"),
                                                str(prefix / "lib" / "libKHAPI1_1.so.1"), str(prefix / "bin" / "khapi"),
                                                str(prefix / "share" / "khapi" / "khapi.conf"))
    # The one version: the library's file name and the tool say it too.
    assert os.path.realpath(library).endswith(f".so.{VERSION}.0")
    assert subprocess.run([tool, "--version"], capture_output=True, text=True).stdout == f"khapi {VERSION}\n"
