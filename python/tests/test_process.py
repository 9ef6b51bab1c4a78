"""What holds for a whole process, each case in a Python process of its
own: the library starts once, on one configuration, found by itself."""
import os
import re
from pathlib import Path

import pytest

from conftest import GOFORWARD, run_python

PACKAGED = Path(os.environ["KHAPI_BUILD_DIR"]) / "data" / "khapi.conf"
BAD_MODEL = "MODEL1 = M\nMMMF = /nonexistent/mdef\nMHMMLIST = /nonexistent/mdef\nVOCAB1 = V\nVMODEL = M\nVDICT = x\n"

PRELUDE = """
import khapi
def attempt(f):
    try:
        return f()
    except khapi.Error as e:
        return f"Error[{e.call}] {e}"
"""

CASES = [
    # A configuration of one's own: the same one again is the same System,
    # another (the packaged one) is refused; its plain ERRORLOG is the log.
    ("own", "s = khapi.System('own.conf'); print(khapi.System('own.conf') is s, s.log.endswith('/own.log'));"
     "print(attempt(khapi.System))", "True True\nError[System] System failed: the library runs one system"),
    ("bad", "print(attempt(lambda: khapi.System('bad.conf'))); print(attempt(khapi.System))",
     "Error[khSysInit] khSysInit failed: khSysInit: File /nonexistent/mdef does not exist, or cannot be read "
     "(log: {tmp}/khapi.log)\nError[System] System failed: the library failed to start earlier"),
    ("nofuncoper", "print(attempt(lambda: khapi.System('nofuncoper.conf')))",
     "Error[khSysInit] khSysInit failed: the configuration selects NOFUNCOPER"),
    ("folder", "print(attempt(lambda: khapi.System('.')))", "Error[System] System failed: cannot read the "
     "configuration {tmp}: it is a folder"),
    # A new exercise deletes the syntaxes and recognisers of the last.
    ("exercise", "s = khapi.System(); g = s.syntax('GO', 'GO'); r = s.recogniser(); s.new_exercise('english');"
     "print(g.deleted, r.deleted, attempt(lambda: r.prepare(g)))",
     "True True Error[Recogniser.prepare] Recogniser.prepare failed: the recogniser was deleted"),
]


@pytest.mark.parametrize("name, code, expected", CASES, ids=[c[0] for c in CASES])
def test_one_start_a_process(tmp_path, name, code, expected):
    (tmp_path / "own.conf").write_text(PACKAGED.read_text() + "ERRORLOG = own.log\n")
    (tmp_path / "bad.conf").write_text(BAD_MODEL)
    (tmp_path / "nofuncoper.conf").write_text("NOFUNCOPER = TRUE\n")
    done = run_python(PRELUDE + code.replace("; ", "\n"), cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(expected.format(tmp=tmp_path))


FINDING = [
    ({"KHAPI_LIBRARY": "/nonexistent/libKHAPI1_1.so.1"}, "print(khapi.__version__ != ''); print(attempt(khapi.System))",
     "True\nError[loading the library] loading the library failed: cannot load libKHAPI1_1.so.1 (KHAPI_LIBRARY "
     "names it): /nonexistent/libKHAPI1_1.so.1"),
    ({"KHAPI_LIBRARY": "libm.so.6"}, "print(attempt(khapi.library_path))", "Error[loading the library] loading the "
     "library failed: libm.so.6 has no khSysInit: it is not libKHAPI1_1"),
    # Without KHAPI_TOOL the tool beside the library (the build's bin/).
    ({"KHAPI_TOOL": None}, "print(khapi.tool_path() == os.environ['WANT'])", "True"),
    ({"KHAPI_TOOL": None, "KHAPI_LIBRARY": None, "PATH": "/nonexistent"}, "print(attempt(khapi.tool_path))",
     "Error[finding the khapi tool] finding the khapi tool failed: no khapi beside the library nor on PATH"),
]


@pytest.mark.parametrize("env, code, expected", FINDING, ids=["no library", "another library", "tool", "no tool"])
def test_library_and_tool_are_found(env, code, expected):
    done = run_python("import os" + PRELUDE + code.replace("; ", "\n"), WANT=os.environ["KHAPI_TOOL"], **env)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith(expected), done.stdout


def test_f0_starts_the_packaged_system():
    done = run_python(PRELUDE + f"print(len(khapi.f0({str(GOFORWARD)!r})) > 0, khapi.System().config)")
    assert done.stdout == f"True {PACKAGED}\n", done.stderr


@pytest.mark.parametrize("example", ["example.py", "grammar.py"])
def test_the_readmes_examples_run(example, tmp_path):
    readme = (Path(os.environ["KHAPI_SOURCE_DIR"]) / "python" / "README.md").read_text()
    code = re.search(f"<!-- {example} -->\n```python\n(.*?)```", readme, re.S)[1]
    done = run_python(code, cwd=tmp_path)
    assert done.returncode == 0, done.stderr
    assert "GO" in done.stdout or "TEN" in done.stdout
