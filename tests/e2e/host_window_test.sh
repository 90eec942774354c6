#!/usr/bin/env bash
# host_window_test.sh APP: drives host_window_app on the current X display (run it
# through with_xvfb.sh). Checks the drawn scene on screen, after being covered and
# uncovered and after unmap/map, the key codes of real key presses, Ctrl+Plus doubling
# every pixel, SDL on the main thread and the game apart, and that closing the window
# ends the program with exit code 0.
set -uo pipefail
app="$1"
work="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  echo "--- program output:" >&2
  cat "$work/out.txt" "$work/err.txt" >&2 2>/dev/null
  exit 1
}
# wait_for FILE TEXT: until FILE holds a line TEXT, at most 15 s.
wait_for() {
  for _ in $(seq 1 300); do
    grep -qx "$2" "$1" 2>/dev/null && return 0
    sleep 0.05
  done
  return 1
}
# check NAME [ZOOM]: the client area on screen equals the scene, each pixel ZOOM x ZOOM.
check() {
  import -window root "$work/$1.ppm" || fail "screenshot $1"
  "$app" --check "$work/$1.ppm" "$x" "$y" "$work/ref" "${2:-1}" >"$work/$1.txt" 2>&1
}

mkdir -p "$work/scene" "$work/ref"
"$app" "$work/scene" 0 >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
pids+=("$pid")
wait_for "$work/out.txt" READY || fail "window did not come up"
grep -qx "EVENTS ON MAIN, GAME APART" "$work/out.txt" || fail "SDL events not on the main thread or the game not apart"

wid="$(xdotool search --name '^dfx host window test$' | head -n1)"
[ -n "$wid" ] || fail "no window with the final title"
geometry="$(xwininfo -id "$wid")"
x="$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")"
y="$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")"
width="$(awk '/^ *Width:/ {print $2}' <<<"$geometry")"
height="$(awk '/^ *Height:/ {print $2}' <<<"$geometry")"
[ "$width" = 640 ] && [ "$height" = 204 ] || fail "client area is ${width}x${height}, not 640x204"
[ "$x" = 0 ] && [ "$y" = 0 ] || fail "window at $x,$y, not at the top-left corner"
xprop -id "$wid" _NET_WM_ICON | grep -q 'Icon (32 x 32)' || fail "no 32x32 icon"
hints="$(xprop -id "$wid" WM_NORMAL_HINTS)"
grep -q 'minimum size: 640 by 204' <<<"$hints" && grep -q 'maximum size: 640 by 204' <<<"$hints" ||
  fail "window can be resized: $hints"
sleep 0.3  # let the window thread present the last draws
check first || fail "scene not on screen: $(cat "$work/first.txt")"

# Another window over ours: the screen no longer shows the scene, then shows it again.
"$app" --cover >"$work/cover.txt" 2>&1 &
cover=$!
pids+=("$cover")
wait_for "$work/cover.txt" COVERING || fail "cover window did not come up"
sleep 0.3
if check covered; then fail "cover window did not cover the scene"; fi
kill "$cover"
wait "$cover" 2>/dev/null
sleep 0.5
check uncovered || fail "scene lost after uncover: $(cat "$work/uncovered.txt")"

# Unmapped and mapped again (what minimise and restore come to without a window manager).
xdotool windowunmap --sync "$wid"
sleep 0.2
xdotool windowmap --sync "$wid"
sleep 0.5
check remapped || fail "scene lost after unmap/map: $(cat "$work/remapped.txt")"

# Keys, one at a time so that each is taken before the next replaces it. With Num Lock
# off the keypad's 1 and 2 are End and Down, as on Windows.
xdotool windowfocus --sync "$wid"
for k in Left Right Return KP_Enter shift+r 1 KP_End KP_Down BackSpace Escape space F1 alt+x F10 ctrl+z Down z; do
  xdotool key "$k"
  sleep 0.15
done
wait_for "$work/out.txt" "KEY 90" || fail "keys did not all arrive"
got="$(awk '/^KEY/ {printf "%s ", $2}' "$work/out.txt")"
want="37 39 13 13 16 82 49 35 40 8 27 32 112 17 90 40 90 "
[ "$got" = "$want" ] || fail "key codes '$got', expected '$want'"

# Ctrl+Plus: one zoom step, and every pixel is a 2x2 block.
xdotool key ctrl+plus
for _ in $(seq 1 50); do
  xwininfo -id "$wid" | grep -q '^ *Width: 1280' && break
  sleep 0.1
done
sleep 0.3
geometry="$(xwininfo -id "$wid")"
grep -q '^ *Width: 1280' <<<"$geometry" && grep -q '^ *Height: 408' <<<"$geometry" || fail "not 1280x408 after Ctrl+Plus"
check zoomed 2 || fail "zoomed scene wrong: $(cat "$work/zoomed.txt")"
# Ctrl and Shift (Plus is shifted here) are keys of their own; Plus must not arrive.
got="$(awk '/^KEY/ {printf "%s ", $2}' "$work/out.txt")"
[ "$got" = "${want}17 16 " ] || fail "keys after Ctrl+Plus '$got', expected '${want}17 16 '"

# Closing while the program waits for a key ends it with exit code 0.
"$app" --close "$wid" || fail "could not send the close request"
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$pid" 2>/dev/null && fail "program still running after close"
wait "$pid"
code=$?
[ "$code" = 0 ] || fail "exit code $code after close"
echo "host window: scene, cover/uncover, unmap/map, keys, zoom, threads and close all as expected"
