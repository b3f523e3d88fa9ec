#!/usr/bin/env bash
# Installs the build into a throw-away prefix and checks that everything a desktop and a
# person need is where they look for it: both programs, the desktop entry and its icon in
# every size a menu takes, the AppStream metadata, the manual pages, and every help page.
set -euo pipefail
build=$1
source=$2
version=$3
prefix=$(mktemp -d -t serivox-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build" --prefix "$prefix" >/dev/null

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for program in serivox serivox-module; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is not an installed program"
done

entry=$prefix/share/applications/serivox.desktop
if [ -f "$entry" ]; then
  desktop-file-validate "$entry" || fail "the desktop entry does not validate"
  grep -qx 'Exec=serivox' "$entry" || fail "the desktop entry does not start serivox"
  grep -qx 'Icon=serivox' "$entry" || fail "the desktop entry does not name the serivox icon"
else
  fail "no desktop entry"
fi
[ -s "$prefix/share/icons/hicolor/scalable/apps/serivox.svg" ] || fail "no icon named serivox"
for size in 48 128; do
  icon=$prefix/share/icons/hicolor/${size}x$size/apps/serivox.png
  # A PNG's width and height stand at bytes 16 to 23 of its header.
  if [ -s "$icon" ]; then
    [ "$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')" = "$(printf '%08x%08x' "$size" "$size")" ] ||
      fail "the ${size}x$size icon is not $size pixels square"
  else
    fail "no ${size}x$size icon"
  fi
done

metainfo=$prefix/share/metainfo/org.serivox.Serivox.metainfo.xml
if [ -f "$metainfo" ]; then
  grep -q '<launchable type="desktop-id">serivox.desktop</launchable>' "$metainfo" ||
    fail "the AppStream metadata does not name the desktop entry"
  if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$metainfo" >/dev/null || fail "the AppStream metadata does not validate"
  fi
else
  fail "no AppStream metadata"
fi

for page in serivox serivox-module; do
  manual=$prefix/share/man/man1/$page.1.gz
  if [ -f "$manual" ]; then
    MANWIDTH=80 man -l "$manual" 2>/dev/null | grep -q '^EXIT STATUS' ||
      fail "the manual page $page(1) has no exit status"
  else
    fail "no manual page $page(1)"
  fi
done
[ -s "$prefix/share/doc/serivox/copyright" ] || fail "no copyright file"

for page in "$source"/src/ui/help/*.html; do
  [ -f "$prefix/share/doc/serivox/help/$(basename "$page")" ] ||
    fail "help page $(basename "$page") is not installed"
done
grep -q "Serivox $version" "$prefix/share/doc/serivox/help/licence.html" 2>/dev/null ||
  fail "the help page of the licence does not name version $version"

"$prefix/bin/serivox-module" --help | grep -q '^Usage: serivox-module' ||
  fail "the installed serivox-module does not run"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/serivox" --version | head -n 1)" = "Serivox $version" ] ||
  fail "the installed serivox --version does not say Serivox $version"

if ((failures)); then
  echo "$failures problem(s) with the installed files"
  exit 1
fi
echo "installed files complete"
