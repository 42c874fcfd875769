#!/usr/bin/env python3
"""Writes LICENSES.txt for a shipped Windows game: the notices of the engine's
licence page (read from the table in host/license.cpp, so the two never
disagree), then the full licence texts of the libraries the Windows build links
in statically on top of those.

usage: licenses.py host/license.cpp [TITLE=FILE ...] > LICENSES.txt
"""
import re
import sys


def c_strings(chunk):
    """The C string literals of chunk, each decoded, in order."""
    out = []
    for lit in re.findall(r'"((?:[^"\\]|\\.)*)"', chunk):
        out.append(re.sub(r'\\(.)', lambda m: {'n': '\n', 't': '\t'}.get(m.group(1), m.group(1)), lit))
    return out


def page_notices(source):
    table = source.split('kNotices[] = {', 1)[1].split('\n};', 1)[0]
    notices = []
    for entry in re.findall(r'\{((?:"(?:[^"\\]|\\.)*"|[^{}"])*)\}', table):
        parts = c_strings(entry)
        if len(parts) >= 2:
            notices.append((parts[0], ''.join(parts[1:])))
    if not notices:
        sys.exit('licenses.py: no notices found in the licence page source')
    return notices


def main():
    with open(sys.argv[1], encoding='utf-8') as f:
        notices = page_notices(f.read())
    for arg in sys.argv[2:]:
        title, path = arg.split('=', 1)
        with open(path, encoding='utf-8', errors='replace') as f:
            notices.append((title, f.read().strip()))
    rule = '=' * 78
    print('This program uses the following libraries, under the terms below.\n')
    for title, text in notices:
        print(f'{rule}\n{title}\n{rule}\n{text}\n')


main()
