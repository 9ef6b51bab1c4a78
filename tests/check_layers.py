#!/usr/bin/env python3
"""Checks the quoted includes of the library's sources against layers.txt.

A source may include headers of its own folder and of the layers listed
before its own, plus the public header and the engine's interface; the
tools may include only the public header and their own headers.  Prints file:line for each
include that breaks the order and fails when there is one.
"""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
layers = [line.strip() for line in (root / "layers.txt").read_text().splitlines()
          if line.strip() and not line.startswith("#")]
include = re.compile(r'^\s*#\s*include\s*"([^"]+)"')
everywhere = {"khapi.h", "engine/hapi.h"}


def allowed(header, folder, rank):
    if header in everywhere or ("/" not in header and (root / folder / header).is_file()):
        return True
    layer = header.split("/")[0] if "/" in header else None
    return rank is not None and layer in layers and layers.index(layer) <= rank


faults = 0
folders = [(name, rank) for rank, name in enumerate(layers)] + [("tools", None)]
for folder, rank in folders:
    for source in sorted((root / folder).glob("*.[ch]*")):
        for number, line in enumerate(source.read_text().splitlines(), 1):
            match = include.match(line)
            if match and not allowed(match.group(1), folder, rank):
                print(f"{source.relative_to(root)}:{number}: includes {match.group(1)} against layers.txt")
                faults += 1
print(f"{faults} includes against the layer order")
sys.exit(1 if faults else 0)
