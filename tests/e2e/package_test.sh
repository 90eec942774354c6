#!/usr/bin/env bash
# The installed game (run inside with_xvfb.sh): the `cmake --install` tree and the Debian
# package hold exactly the expected files, the package's desktop entry, metainfo and
# lintian pass, both programs report the package's version, the build's screenshots and
# icons are what they claim, and the program unpacked from the package shows its title
# screen when started from a folder with no res in it.
# Usage: package_test.sh BUILD_DIR SOURCE_DIR DEB APP_ID
set -uo pipefail
build="$1" source="$2" deb="$3" id="$4"
work="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
title="Discoflipparex VZ-T734Taste V2.3D"

fail() { echo "FAIL: $*" >&2; exit 1; }

# The files of each layout, relative to its prefix, sorted. "tree" is `cmake --install`;
# "deb" is the package, with the programs in games/ and Debian's own documents.
expected() {
  {
    if [ "$1" = tree ]; then
      printf '%s\n' bin/discoflipparex bin/dfx share/man/man6/discoflipparex.6
    else
      printf '%s\n' games/discoflipparex games/dfx share/man/man6/discoflipparex.6.gz \
        share/doc/discoflipparex/copyright share/doc/discoflipparex/changelog.gz
    fi
    printf '%s\n' share/discoflipparex/res/board.txt "share/applications/$id.desktop" \
      "share/metainfo/$id.metainfo.xml"
    for size in 16 32 48 128 256; do echo "share/icons/hicolor/${size}x$size/apps/$id.png"; done
    (cd "$source/res/bmp" && ls -- *.bmp) | sed 's|^|share/discoflipparex/res/bmp/|'
  } | LC_ALL=C sort
}
same_files() {  # NAME EXPECTED-FILE ACTUAL-FILE
  diff -u "$2" "$3" >"$work/diff" || { cat "$work/diff" >&2; fail "$1 does not hold exactly the expected files"; }
}

# The build's own install manifest is the person's uninstall list: keep it.
manifest="$build/install_manifest.txt"
[ -f "$manifest" ] && cp -p "$manifest" "$work/manifest"
cmake --install "$build" --prefix "$work/tree" >/dev/null || fail "cmake --install failed"
if [ -f "$work/manifest" ]; then cp -p "$work/manifest" "$manifest"; else rm -f "$manifest"; fi
expected tree >"$work/tree.want"
(cd "$work/tree" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort) >"$work/tree.got"
same_files "the installed tree" "$work/tree.want" "$work/tree.got"

[ -f "$deb" ] || fail "no package at $deb"
expected deb | sed 's|^|usr/|' >"$work/deb.want"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | LC_ALL=C sort >"$work/deb.got"
same_files "the package" "$work/deb.want" "$work/deb.got"
[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "package section is not games"
dpkg-deb -f "$deb" Depends | grep -q 'libsdl2-image' || fail "SDL2_image missing from Depends"

lintian --fail-on error "$deb" >"$work/lintian" 2>&1 ||
  { cat "$work/lintian" >&2; fail "lintian reports errors"; }

root="$work/root"
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
desktop-file-validate "$root/usr/share/applications/$id.desktop" || fail "desktop entry invalid"
appstreamcli validate --no-net "$root/usr/share/metainfo/$id.metainfo.xml" >"$work/as" 2>&1 ||
  { cat "$work/as" >&2; fail "metainfo invalid"; }

version="$(dpkg-deb -f "$deb" Version)"
for program in discoflipparex dfx; do
  [ "$("$root/usr/games/$program" --version)" = "$program $version" ] || fail "$program --version is not $version"
done
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/$id.metainfo.xml" || fail "metainfo release is not $version"

dfx="$root/usr/games/dfx"
glyphs="$root/usr/share/discoflipparex/res/bmp"
# What the metainfo shows: the title screen and a game under way, read back from the PNGs.
read_png() { "$dfx" read-screen --glyphs "$glyphs" "$1" 2>/dev/null; }
read_png "$build/linux/screenshots/title-screen.png" | grep -qF "  Discoflipparex V2.3D  " ||
  fail "the title-screen screenshot does not show the title screen"
read_png "$build/linux/screenshots/game.png" | grep -qF "You (Black)" ||
  fail "the game screenshot does not show a game"
for size in 16 32 48 128 256; do
  file "$root/usr/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
    fail "the ${size}x$size icon is not a $size x $size PNG"
done

# Started from a fresh folder, the unpacked program finds its data beside itself.
elsewhere="$(mktemp -d -p "$work")"
(cd "$elsewhere" && exec "$root/usr/games/discoflipparex") &
pid=$!
for _ in $(seq 1 100); do
  import -window root "$work/shot.png" 2>/dev/null && read_png "$work/shot.png" >"$work/screen.txt"
  grep -qF "  Discoflipparex V2.3D  " "$work/screen.txt" 2>/dev/null &&
    grep -qF "     [2] CPU vs YOU     " "$work/screen.txt" && break
  sleep 0.1
done
xdotool search --name "^${title}\$" >/dev/null 2>&1 || fail "no window titled '$title'"
grep -qF "     [2] CPU vs YOU     " "$work/screen.txt" 2>/dev/null ||
  { cat "$work/screen.txt" >&2 2>/dev/null; fail "the unpacked program started from $elsewhere shows no title screen"; }
echo "package test passed"
