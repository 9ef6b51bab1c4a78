#!/usr/bin/env python3
"""Checks the quoted includes of the library's sources against lib/layers.txt
and the engine's against engine/layers.txt.

A source may include headers of its own folder and of the layers listed
before its own, plus the public header and the engine's interface; the
tools may include only the public header and their own headers, named by
their path from tools/ (or, in the same folder, by their name).  Prints
file:line for each include that breaks the order and fails when there is
one.
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def read_layers(stack):
    return [line.strip() for line in (stack / "layers.txt").read_text().splitlines()
            if line.strip() and not line.startswith("#")]


def check_folder(stack, folder, layers, rank, everywhere):
    """Prints and counts the includes of one folder's sources against the order."""
    faults = 0
    for source in sorted((stack / folder).rglob("*.[ch]*")):
        for number, line in enumerate(source.read_text().splitlines(), 1):
            match = include.match(line)
            if not match:
                continue
            header = match.group(1)
            if header in everywhere or ("/" not in header and (source.parent / header).is_file()):
                continue
            layer = header.split("/")[0] if "/" in header else None
            if rank is not None and layer in layers and layers.index(layer) <= rank:
                continue
            print(f"{source.relative_to(root)}:{number}: includes {header} against {stack.name}/layers.txt")
            faults += 1
    return faults


def check_stack(stack, everywhere):
    layers = read_layers(stack)
    return sum(check_folder(stack, name, layers, rank, everywhere) for rank, name in enumerate(layers))


def own_header(tools, source, header):
    """Whether a quoted include names one of the tool's own headers."""
    for base in (tools, source.parent):
        path = (base / header).resolve()
        if path.is_file() and tools.resolve() in path.parents:
            return True
    return False


def check_tools(tools, everywhere):
    """Prints and counts the includes of the tool's sources, in every sub-folder,
    that are neither the public header nor the tool's own."""
    faults = 0
    for source in sorted(tools.rglob("*.[ch]*")):
        for number, line in enumerate(source.read_text().splitlines(), 1):
            match = include.match(line)
            if not match or match.group(1) in everywhere or own_header(tools, source, match.group(1)):
                continue
            print(f"{source.relative_to(root)}:{number}: includes {match.group(1)}, "
                  "which is neither khapi.h nor the tool's own")
            faults += 1
    return faults


faults = check_stack(root / "lib", {"khapi.h", "engine/hapi.h"})
# The engine's sources name its headers from engine/; every layer may
# include the interface, and base/ the fault points the build lists.  Its
# tests and benchmarks are no layers and may include any.
if (root / "engine").is_dir():
    faults += check_stack(root / "engine", {"hapi.h", "fault_points.inc"})
if (root / "tools").is_dir():
    faults += check_tools(root / "tools", {"khapi.h"})
print(f"{faults} includes against the layer order")
sys.exit(1 if faults else 0)
