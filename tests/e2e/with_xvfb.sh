#!/usr/bin/env bash
# with_xvfb.sh [--screen WxHxD] COMMAND [ARGS...]: runs COMMAND with DISPLAY on a private
# Xvfb (1024x768x24 unless given) on a display the server picks free itself; stops it
# afterwards. Exit code: the command's, or 125 when the server cannot start.
screen=1024x768x24
[ "${1:-}" = --screen ] && { screen="$2"; shift 2; }
fdfile="$(mktemp)"
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$fdfile" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -f "$fdfile"' EXIT
trap 'exit 130' INT TERM
# The server writes its display number once it accepts clients.
for _ in $(seq 200); do [ -s "$fdfile" ] && break; kill -0 $xvfb 2>/dev/null || break; sleep 0.05; done
[ -s "$fdfile" ] || { echo "with_xvfb.sh: Xvfb did not start" >&2; exit 125; }
DISPLAY=":$(head -n1 "$fdfile")" "$@"
