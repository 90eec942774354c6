#!/usr/bin/env bash
# install-deps.sh [--build]: on Debian, installs the packages the build and the tests need
# (with --build, the build's alone), only those missing. Elsewhere it installs nothing: it
# checks what the build needs and says in one line what to install.
set -euo pipefail
build_packages=(
  build-essential cmake pkg-config git
  googletest libgtest-dev libgmock-dev
  libsdl2-dev libsdl2-image-dev
  libcli11-dev nlohmann-json3-dev
)
test_packages=(
  libx11-dev clang clang-format libclang-rt-14-dev
  xvfb xauth xdotool x11-utils imagemagick python3
  mingw-w64 wine wine64
  dpkg-dev file lintian desktop-file-utils appstream
  emscripten nodejs chromium
)
packages=("${build_packages[@]}")
[ "${1:-}" = --build ] || packages+=("${test_packages[@]}")

if ! [ -f /etc/debian_version ] || ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  need=()
  for tool in cmake pkg-config c++; do command -v $tool >/dev/null 2>&1 || need+=("$tool"); done
  if command -v pkg-config >/dev/null 2>&1; then
    for module in sdl2 SDL2_image gtest; do pkg-config --exists $module || need+=("$module"); done
  fi
  inc=$(printf '#include <CLI/CLI.hpp>\n#include <nlohmann/json.hpp>\n')
  echo "$inc" | c++ -std=c++20 -fsyntax-only -x c++ - >/dev/null 2>&1 || need+=("CLI11 and nlohmann-json headers")
  [ ${#need[@]} -eq 0 ] && exit 0
  echo "Not a Debian system: install $(IFS=,; echo "${need[*]}" | sed 's/,/, /g') with your package manager, then run make again." >&2
  exit 1
fi

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
