#!/usr/bin/env python3
"""Checks that every export is guarded: its body is a function-try-block
that ends in KH_CATCH, so that nothing it throws reaches its C caller.
    check_guards.py EXPORTS_DIR"""
import glob
import re
import sys


def unguarded(text):
    """The exports of a source file whose body is not guarded."""
    bad = []
    for m in re.finditer(r'KHAPI_CALL (kh\w+)\(', text):
        close = text.index(')', m.end())
        opening = text.index('{', close)
        if text[close + 1:opening].strip() != 'try':
            bad.append(m.group(1))
            continue
        depth, i = 0, opening
        while True:
            depth += {'{': 1, '}': -1}.get(text[i], 0)
            if depth == 0:
                break
            i += 1
        if not text[i + 1:].lstrip().startswith('KH_CATCH('):
            bad.append(m.group(1))
    return bad


def main():
    count, bad = 0, []
    for path in sorted(glob.glob(sys.argv[1] + '/*.cpp')):
        text = open(path).read()
        count += len(re.findall(r'KHAPI_CALL kh\w+\(', text))
        bad += [path + ': ' + name for name in unguarded(text)]
    for line in bad:
        print(line + ' is not a try block ending in KH_CATCH')
    print(f'{count - len(bad)} of {count} exports guarded')
    return 1 if bad else 0


sys.exit(main())
