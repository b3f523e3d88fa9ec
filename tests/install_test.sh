#!/usr/bin/env bash
# Installs the build into a throw-away prefix and checks that everything a desktop and a
# person need is where they look for it: both programs, the desktop entry and its icon, and
# every help page.
set -euo pipefail
build=$1
source=$2
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

for page in "$source"/src/ui/help/*.html; do
  [ -f "$prefix/share/doc/serivox/help/$(basename "$page")" ] ||
    fail "help page $(basename "$page") is not installed"
done

"$prefix/bin/serivox-module" --help | grep -q '^Usage: serivox-module' ||
  fail "the installed serivox-module does not run"

if ((failures)); then
  echo "$failures problem(s) with the installed files"
  exit 1
fi
echo "installed files complete"
