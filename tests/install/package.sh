#!/usr/bin/env bash
# cpack -G DEB makes life3d_<version>_amd64.deb with the libraries' packages
# and the console font among its dependencies, the programs, menu entry and
# icon inside, and no lintian error. Lintian's other findings are printed.
# Usage: package.sh BUILD_DIR
set -euo pipefail
build="$(cd "${1:?usage: package.sh BUILD_DIR}" && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$tmp" >"$tmp/cpack.log" 2>&1) ||
  { cat "$tmp/cpack.log" >&2; fail "cpack -G DEB failed"; }
version="$("$build/life3d-render" --version | sed -n 's/^life3d-render //p')"
deb="$tmp/life3d_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$tmp")"
echo "ok: $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for package in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libpng16-16 libstdc++6 libc6 fonts-dejavu-core; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package"
done
echo "ok: the dependencies name the libraries and the font"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$tmp/contents"
for file in ./usr/bin/life3d ./usr/bin/life3d-render ./usr/share/applications/life3d.desktop \
  ./usr/share/icons/hicolor/48x48/apps/life3d.png ./usr/share/man/man6/life3d.6.gz; do
  grep -qxF "$file" "$tmp/contents" || fail "the package lacks $file"
done
echo "ok: programs, menu entry, icon and manual page inside"

# Standard error holds lintian's own complaints (it prefers not to run as
# root); the findings are on standard output, one a line.
lintian --info "$deb" >"$tmp/lintian" 2>"$tmp/lintian.err" ||
  grep -q '^E: ' "$tmp/lintian" || { cat "$tmp/lintian.err" >&2; fail "lintian did not run"; }
cat "$tmp/lintian"
! grep -q '^E: ' "$tmp/lintian" || fail "lintian reports errors"
echo "ok: no lintian error ($(grep -c '^W: ' "$tmp/lintian") warnings)"
