#!/usr/bin/env bash
# Runs a Windows program under Wine with a private, quiet prefix, made once (offline: no
# Mono or Gecko prompts) under a lock so parallel tests share it.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export WINEPREFIX="${DFX_WINEPREFIX:-$here/../../build/wineprefix}" WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# Windows programs need a display even for off-screen GDI work.
[ -n "${DISPLAY:-}" ] || exec "$here/with_xvfb.sh" "$0" "$@"
mkdir -p "$(dirname "$WINEPREFIX")"
flock "$WINEPREFIX.lock" sh -c '[ -f "$WINEPREFIX/.dfx-ready" ] ||
  { wineboot -i >/dev/null 2>&1; wineserver -w; touch "$WINEPREFIX/.dfx-ready"; }' || true
exec wine "$@"
