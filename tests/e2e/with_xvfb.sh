#!/usr/bin/env bash
# with_xvfb.sh [--screen WxHxD] COMMAND [ARGS...]: runs COMMAND on a private Xvfb
# (1024x768x24 unless given) on a free display, with DISPLAY set, and stops the server afterwards. Exit code: the
# command's, or 125 when the server cannot be started.
set -uo pipefail
screen=1024x768x24
if [ "${1:-}" = --screen ] && [ $# -ge 2 ]; then
  screen="$2"
  shift 2
fi
if [ $# -eq 0 ]; then
  echo "usage: with_xvfb.sh [--screen WxHxD] COMMAND [ARGS...]" >&2
  exit 2
fi
if ! command -v Xvfb >/dev/null; then
  echo "with_xvfb.sh: Xvfb is not installed" >&2
  exit 125
fi
fdfile="$(mktemp)"
xvfb=""
cleanup() {
  if [ -n "$xvfb" ]; then
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  fi
  rm -f "$fdfile"
}
trap cleanup EXIT
trap 'exit 130' INT TERM
# The server picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fdfile" 2>/dev/null &
xvfb=$!
for _ in $(seq 1 200); do
  [ -s "$fdfile" ] && break
  if ! kill -0 "$xvfb" 2>/dev/null; then
    echo "with_xvfb.sh: Xvfb exited at start" >&2
    exit 125
  fi
  sleep 0.05
done
display="$(head -n1 "$fdfile" | tr -d '[:space:]')"
if [ -z "$display" ]; then
  echo "with_xvfb.sh: Xvfb did not report a display" >&2
  exit 125
fi
DISPLAY=":$display" "$@"
exit $?
