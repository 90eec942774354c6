#!/usr/bin/env bash
# The real program in a real window (run inside with_xvfb.sh): title screen, a short
# game by key presses, the screen read back by dfx read-screen, then close: exit code 0.
# Usage: game_window_test.sh GAME DFX CLOSER
set -uo pipefail
game="$1" dfx="$2" closer="$3"
work="$(mktemp -d)"
trap 'kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
title="Discoflipparex VZ-T734Taste V2.3D"

fail() { echo "FAIL: $*" >&2; [ -f "$work/screen.txt" ] && cat "$work/screen.txt" >&2; exit 1; }

# Reads the screen until the text file contains every given line fragment (10 s at most).
wait_screen() {
  for _ in $(seq 1 100); do
    import -window root "$work/shot.png" 2>/dev/null && "$dfx" read-screen "$work/shot.png" >"$work/screen.txt" 2>/dev/null
    local ok=1
    for want in "$@"; do grep -qF -- "$want" "$work/screen.txt" || ok=0; done
    [ $ok -eq 1 ] && return 0
    sleep 0.1
  done
  fail "screen never showed: $*"
}

"$game" &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid="$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)"
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window titled '$title'"

wait_screen "  Discoflipparex V2.3D  " "     [2] CPU vs YOU     " "     [R] RANDOM ON      "
geometry="$(xdotool getwindowgeometry "$wid")"
echo "$geometry" | grep -q "Geometry: 640x204" || fail "client area is not 640x204: $geometry"

xdotool windowfocus --sync "$wid" 2>/dev/null || true
press() { xdotool key --window "$wid" --clearmodifiers "$@"; sleep 0.15; }
press r
wait_screen "     [R] RANDOM OFF     "
press Right
wait_screen "     LEVEL 1("
press 1
wait_screen "You (Black)" "[BS] UNDO"
# d3: three to the right, two down, then Enter; the book answers c3 (RANDOM is off).
press Right; press Right; press Right; press Down; press Down; press Return
wait_screen "--OX----" "---OX---" "---XO---" "? 3     1:Book" "You (Black)"

# Undo takes back both moves.
press BackSpace
wait_screen "---OX---" "---XO---" "? 2     1:Book"
sed -n 3p "$work/screen.txt" | grep -q '^?????????               $' || fail "undo hint still shown"
sed -n 9p "$work/screen.txt" | grep -q '^--------$' || fail "board row 3 not restored"

"$closer" --close "$wid" || fail "could not ask the window to close"
for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "program still running after close"
wait "$pid"
code=$?
[ "$code" -eq 0 ] || fail "exit code $code after close"
echo "game window test passed"
