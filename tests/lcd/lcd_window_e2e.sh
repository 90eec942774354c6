#!/usr/bin/env bash
# A real SDL window under a private Xvfb; dfx read-screen must read back exactly what
# the probe drew. Usage: lcd_window_e2e.sh PROBE DFX (run from the repository root).
set -euo pipefail
probe="$1"
dfx="$2"
work="$(mktemp -d)"
xvfb=""
probe_pid=""
cleanup() {
  [ -n "$probe_pid" ] && kill "$probe_pid" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"

"$probe" >"$work/probe.out" &
probe_pid=$!
for _ in $(seq 200); do grep -q READY "$work/probe.out" 2>/dev/null && break; sleep 0.1; done
grep -q READY "$work/probe.out" || { echo "the probe never showed its window"; exit 1; }

import -window root "$work/shot.png"
"$dfx" read-screen "$work/shot.png" >"$work/read.txt"

cat >"$work/expected.txt" <<'TEXT'
?????????You (Black)    
?????????\x02\x02\x03\x03           
?????????[BS] UNDO      
?????????UNDO:   1      
?????????? 2 -0.25:Eval.
?????????? 2  1234:Leaf 
--------
--------
--------
---OX---
---XO2--
--------
--------
--------
TEXT
diff -u "$work/expected.txt" "$work/read.txt" || { echo "read-screen did not read back the window"; exit 1; }
