#!/usr/bin/env bash
# Runs a Windows program under Wine with a private, quiet prefix. The prefix is made
# once (offline: no Mono or Gecko prompts) under a lock, so parallel tests share it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
export WINEPREFIX="${DFX_WINEPREFIX:-$repo/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
wine_bin="$(command -v wine64 || command -v wine || true)"
if [ -z "$wine_bin" ]; then
  echo "win_wine.sh: wine is not installed (apt-get install wine64 wine)" >&2
  exit 127
fi
mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.dfx-ready" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
    touch "$WINEPREFIX/.dfx-ready"
  fi
) 9>"$WINEPREFIX.lock"
# Windows programs need a display even for off-screen GDI work: give them a private
# Xvfb when none is set.
if [ -z "${DISPLAY:-}" ] && command -v Xvfb >/dev/null; then
  fdfile="$(mktemp)"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" 2>/dev/null &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null; rm -f "$fdfile"' EXIT
  for _ in $(seq 100); do [ -s "$fdfile" ] && break; sleep 0.05; done
  export DISPLAY=":$(head -n1 "$fdfile")"
  "$wine_bin" "$@"
  exit $?
fi
exec "$wine_bin" "$@"
