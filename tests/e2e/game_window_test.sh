#!/usr/bin/env bash
# The real program in a real window (run inside with_xvfb.sh): a bad command line, then
# the installed layout started from an unrelated folder at --zoom 2 (every pixel a 2x2
# block), Ctrl+Plus and Ctrl+0 at the title screen, a short game by key presses, the
# screen read back by dfx read-screen, then close: exit code 0.
# Usage: game_window_test.sh GAME DFX CLOSER
set -uo pipefail
game="$1" dfx="$2" closer="$3"
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
title="Discoflipparex VZ-T734Taste V2.3D"
zoom=2

fail() { echo "FAIL: $*" >&2; [ -f "$work/screen.txt" ] && cat "$work/screen.txt" >&2; exit 1; }

# shot: the client area at the current zoom, scaled back to 640x204 in shot.png.
shot() {
  import -window "$wid" "$work/zoomed.png" 2>/dev/null &&
    convert "$work/zoomed.png" -sample 640x204! "$work/shot.png" 2>/dev/null
}
# Reads the screen until the text file contains every given line fragment (10 s at most).
wait_screen() {
  for _ in $(seq 1 100); do
    shot && "$dfx" read-screen "$work/shot.png" >"$work/screen.txt" 2>/dev/null
    local ok=1
    for want in "$@"; do grep -qF -- "$want" "$work/screen.txt" || ok=0; done
    [ $ok -eq 1 ] && return 0
    sleep 0.1
  done
  fail "screen never showed: $*"
}
# wait_size W H: the client area becomes W x H (5 s at most).
wait_size() {
  for _ in $(seq 1 50); do
    xdotool getwindowgeometry "$wid" | grep -q "Geometry: $1x$2" && return 0
    sleep 0.1
  done
  fail "client area is not $1x$2: $(xdotool getwindowgeometry "$wid")"
}

"$game" --zoom 9 2>"$work/usage.txt"
code=$?
[ "$code" = 2 ] && [ "$(wc -l <"$work/usage.txt")" = 1 ] || fail "--zoom 9 gave exit code $code: $(cat "$work/usage.txt")"

# With no res anywhere it says, in one line, the three places it looked.
mkdir -p "$work/bare/bin" "$work/elsewhere"
cp "$game" "$work/bare/bin/"
(cd "$work/elsewhere" && exec "$work/bare/bin/$(basename "$game")") 2>"$work/lost.txt" &
lost=$!
for _ in $(seq 1 50); do [ -s "$work/lost.txt" ] && break; sleep 0.1; done
sleep 0.2
kill "$lost" 2>/dev/null
wait "$lost" 2>/dev/null
[ "$(wc -l <"$work/lost.txt")" = 1 ] || fail "not one line on stderr without res: $(cat "$work/lost.txt")"
for where in "$work/elsewhere/res" "$work/bare/bin/res" "$work/bare/share/discoflipparex/res"; do
  grep -qF "$where" "$work/lost.txt" || fail "stderr does not name $where: $(cat "$work/lost.txt")"
done

# Installed as a package lays it out; started from a folder without res.
mkdir -p "$work/prefix/bin" "$work/prefix/share/discoflipparex" "$work/elsewhere"
cp "$game" "$work/prefix/bin/"
ln -s "$PWD/res" "$work/prefix/share/discoflipparex/res"
(cd "$work/elsewhere" && exec "$work/prefix/bin/$(basename "$game")" --zoom $zoom) &
pid=$!
wid=""
for _ in $(seq 1 100); do
  wid="$(xdotool search --name "^${title}\$" 2>/dev/null | head -n1)"
  [ -n "$wid" ] && break
  sleep 0.1
done
[ -n "$wid" ] || fail "no window titled '$title'"

titleScreen=("  Discoflipparex V2.3D  " "     [2] CPU vs YOU     " "     [R] RANDOM ON      " "     LEVEL 0(")
wait_size 1280 408
wait_screen "${titleScreen[@]}"
# Every 2x2 block is one pixel: shrinking and growing again gives the same picture.
convert "$work/shot.png" -sample 1280x408! "$work/regrown.png"
differ="$(compare -metric AE "$work/zoomed.png" "$work/regrown.png" null: 2>&1)"
[ "$differ" = 0 ] || fail "$differ pixels at --zoom 2 are not 2x2 blocks"

xdotool windowfocus --sync "$wid" 2>/dev/null || true
press() { xdotool key --window "$wid" --clearmodifiers "$@"; sleep 0.15; }
press ctrl+plus
wait_size 1920 612
wait_screen "${titleScreen[@]}"
press ctrl+0
wait_size 640 204
wait_screen "${titleScreen[@]}"

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
