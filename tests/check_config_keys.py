#!/usr/bin/env python3
"""Checks that the README's table of configuration keys shows the rows of
the library's table (lib/system/config_keys.h), in its order, with the
same type, default and description.  Prints each row that differs."""
import pathlib
import re
import sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
code = (root / "lib/system/config_keys.h").read_text()
table = code[code.index("kConfigKeys[] = {"):code.index("};", code.index("kConfigKeys[] = {"))]
in_code = [tuple(row) for row in re.findall(r'\{"([^"]*)",\s*"([^"]*)",\s*"([^"]*)",\s*"([^"]*)"\}', table)]

readme = (root / "README.md").read_text().splitlines()
start = readme.index("| Key | Type | Default | What it does |") + 2
in_readme = []
for line in readme[start:]:
    if not line.startswith("|"):
        break
    in_readme.append(tuple(cell.strip().replace("`", "") for cell in line.strip("|").split("|")))

faults = 0
for n in range(max(len(in_code), len(in_readme))):
    mine = in_code[n] if n < len(in_code) else None
    shown = in_readme[n] if n < len(in_readme) else None
    if mine != shown:
        print(f"row {n + 1}: the code has {mine}, the README {shown}")
        faults += 1
print(f"{len(in_code)} keys, {faults} rows differ")
sys.exit(1 if faults or not in_code else 0)
