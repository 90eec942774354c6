#!/usr/bin/env python3
"""Size of the tests against the code: lines that are neither blank nor only a comment, in the
files git tracks under tests/ against those under src/ and tools/. Fuzz corpora, seeds and lock
files are data. Exits 1 when the tests are more than LIMIT (default 0.36) of the code."""
import re, subprocess, sys

SLASH = ('.cpp', '.cc', '.h', '.hpp', '.js', '.mjs', '.ts')
HASH = ('.py', '.sh', '.cmake', 'CMakeLists.txt')


def counted(path):
    slash = path.endswith(SLASH)
    if not slash and not path.endswith(HASH):
        with open(path, 'rb') as f:
            if '.' in path.rsplit('/', 1)[-1] or f.read(2) != b'#!':
                return 0
    n, in_block = 0, False
    for line in open(path, errors='replace'):
        s = line.strip()
        if slash:
            if in_block:
                in_block = '*/' not in s
                continue
            if s.startswith('/*'):
                in_block = '*/' not in s
                continue
            n += bool(s) and not s.startswith('//')
        else:
            n += bool(s) and not s.startswith('#')
    return n


def size(*tops):
    files = subprocess.run(['git', 'ls-files', *tops], capture_output=True, text=True, check=True).stdout.split()
    data = re.compile(r'node_modules/|/regressions/|/seeds/|/corpus/')
    return sum(counted(f) for f in files if not data.search(f))


if __name__ == '__main__':
    limit = float(sys.argv[1]) if len(sys.argv) > 1 else 0.36
    code, tests = size('src', 'tools'), size('tests')
    ratio = tests / max(code, 1)
    print('code %d lines, tests %d lines: tests are %.2f of the code (limit %.2f)' % (code, tests, ratio, limit))
    sys.exit(1 if ratio > limit else 0)
