#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
packages=(
  build-essential cmake pkg-config git
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  libsdl2-dev libsdl2-image-dev libx11-dev
  clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick python3
  mingw-w64 wine wine64
  libcli11-dev nlohmann-json3-dev
  dpkg-dev file lintian desktop-file-utils appstream
  emscripten nodejs chromium
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# Some node packagings carry npm inside nodejs; Debian's own npm package would clash with them.
command -v npm >/dev/null 2>&1 || missing+=(npm)
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
