#!/usr/bin/env python3
"""The layers point one way: a file under src/LAYER may include only its own layer and those
listed below it. Exits 1 and names each include that reaches upwards (or into another front end)."""
import os, re, sys

# Each layer and the layers it may use; app is the top and may use them all.
ALLOWED = {
    'runtime': set(),
    'rules': {'runtime'},
    'cpu': {'runtime', 'rules'},
    'image': {'runtime'},
    'host': {'runtime', 'image'},
    'lcd': {'runtime', 'image', 'host'},
    'game': {'runtime', 'rules', 'cpu', 'image', 'host', 'lcd'},
    'app': {'runtime', 'rules', 'cpu', 'image', 'host', 'lcd', 'game'},
}
# Front ends inside a layer never see each other.
FRONT_ENDS = {'host': {'sdl', 'web', 'win32', 'memory'}, 'image': {'portable', 'win32'}}
INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def violations(top):
    src = os.path.join(top, 'src')
    for folder, _, files in os.walk(src):
        for name in files:
            path = os.path.join(folder, name)
            parts = os.path.relpath(path, src).split(os.sep)
            layer = parts[0]
            if layer not in ALLOWED or not name.endswith(('.cpp', '.h')):
                continue
            own_front = parts[1] if len(parts) > 2 else None
            for number, line in enumerate(open(path, errors='replace'), 1):
                m = INCLUDE.match(line)
                if not m or '/' not in m.group(1):
                    continue
                target = m.group(1).split('/')
                where = '%s:%d: %s' % (os.path.relpath(path, top), number, m.group(1))
                if target[0] != layer and target[0] in ALLOWED and target[0] not in ALLOWED[layer]:
                    yield where + ' (%s may not use %s)' % (layer, target[0])
                fronts = FRONT_ENDS.get(target[0], set())
                if target[0] == layer and len(target) > 2 and target[1] in fronts and \
                        own_front in fronts and target[1] != own_front:
                    yield where + ' (front end %s may not use %s)' % (own_front, target[1])


if __name__ == '__main__':
    top = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    found = list(violations(top))
    for v in found:
        print(v)
    sys.exit(1 if found else 0)
