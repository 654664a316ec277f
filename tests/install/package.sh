#!/usr/bin/env bash
# A build configured as a first scripts/run.sh configures it (without
# life3d-render) is refused by cpack with one line naming the option, and
# leaves no package; scripts/package.sh on that build makes the whole
# life3d_<version>_amd64.deb: the game in /usr/games, the tool in /usr/bin,
# the libraries' packages and the console font among its dependencies, and no
# lintian error. Lintian's other findings are printed.
# Usage: package.sh BUILD_DIR (the version is read from its life3d-render)
set -euo pipefail
build="$(cd "${1:?usage: package.sh BUILD_DIR}" && pwd)"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
lean="$tmp/build"

(source "$source_dir/scripts/common.sh" && BUILD="$lean" && configure_lean) >"$tmp/log" 2>&1 ||
  { cat "$tmp/log" >&2; fail "the lean configuration failed"; }
if (cd "$lean" && cpack -G DEB) >"$tmp/out" 2>"$tmp/err"; then
  fail "cpack packed a build without life3d-render"
fi
grep -qx '  this build leaves out life3d-render: configure it with -DLIFE3D_RENDER=ON' "$tmp/err" ||
  fail "cpack's refusal does not name -DLIFE3D_RENDER=ON: $(cat "$tmp/err")"
! compgen -G "$lean/*.deb" >/dev/null || fail "the refused cpack left $(ls "$lean"/*.deb)"
echo "ok: cpack refuses the lean build, naming -DLIFE3D_RENDER=ON"

start=$SECONDS
bash "$source_dir/scripts/package.sh" "$lean" >"$tmp/log" 2>&1 ||
  { cat "$tmp/log" >&2; fail "scripts/package.sh failed"; }
version="$("$build/life3d-render" --version | sed -n 's/^life3d-render //p')"
deb="$lean/life3d_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"); made: $(ls "$lean")"
echo "ok: scripts/package.sh on it made $(basename "$deb"), $(du -k "$deb" | cut -f1) KiB," \
  "in $((SECONDS - start)) s"

depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for package in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libpng16-16 libavcodec59 libstdc++6 libc6 \
  fonts-dejavu-core; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package"
done
echo "ok: the dependencies name the libraries and the font"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$tmp/contents"
for file in ./usr/games/life3d ./usr/bin/life3d-render ./usr/share/applications/life3d.desktop \
  ./usr/share/icons/hicolor/48x48/apps/life3d.png ./usr/share/man/man6/life3d.6.gz \
  ./usr/share/man/man1/life3d-render.1.gz; do
  grep -qxF "$file" "$tmp/contents" || fail "the package lacks $file"
done
echo "ok: game, tool, menu entry, icon and both manual pages inside"

# Standard error holds lintian's own complaints (it prefers not to run as
# root); the findings are on standard output, one a line.
lintian --info "$deb" >"$tmp/lintian" 2>"$tmp/lintian.err" ||
  grep -q '^E: ' "$tmp/lintian" || { cat "$tmp/lintian.err" >&2; fail "lintian did not run"; }
cat "$tmp/lintian"
! grep -q '^E: ' "$tmp/lintian" || fail "lintian reports errors"
echo "ok: no lintian error ($(grep -c '^W: ' "$tmp/lintian") warnings)"
