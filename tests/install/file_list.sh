#!/usr/bin/env bash
# An install into a scratch DESTDIR, at a prefix other than /usr, puts exactly
# the expected files under that prefix and nothing elsewhere.
# Usage: file_list.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: file_list.sh BUILD_DIR}"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT

DESTDIR="$tmp/root" cmake --install "$build" --component life3d --prefix /opt/life3d >"$tmp/log" ||
  { cat "$tmp/log" >&2; echo "FAIL: cmake --install failed" >&2; exit 1; }

expected="./opt/life3d/bin/life3d-render
./opt/life3d/games/life3d
./opt/life3d/share/applications/life3d.desktop
./opt/life3d/share/doc/life3d/changelog.gz
./opt/life3d/share/doc/life3d/copyright
./opt/life3d/share/icons/hicolor/128x128/apps/life3d.png
./opt/life3d/share/icons/hicolor/256x256/apps/life3d.png
./opt/life3d/share/icons/hicolor/48x48/apps/life3d.png
./opt/life3d/share/icons/hicolor/64x64/apps/life3d.png
./opt/life3d/share/man/man1/life3d-render.1.gz
./opt/life3d/share/man/man6/life3d.6.gz
./opt/life3d/share/metainfo/life3d.metainfo.xml"
actual="$(cd "$tmp/root" && find . ! -type d | LC_ALL=C sort)"
if [ "$actual" != "$(LC_ALL=C sort <<<"$expected")" ]; then
  echo "FAIL: installed files differ from the expected list:" >&2
  diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") >&2
  exit 1
fi
echo "ok: the expected 12 files, all under the prefix"

for program in games/life3d bin/life3d-render; do
  [ -x "$tmp/root/opt/life3d/$program" ] || { echo "FAIL: $program is not executable" >&2; exit 1; }
done
for size in 48 64 128 256; do
  got="$(file -b "$tmp/root/opt/life3d/share/icons/hicolor/${size}x${size}/apps/life3d.png")"
  [[ "$got" == "PNG image data, $size x $size,"* ]] ||
    { echo "FAIL: the ${size}x${size} icon is: $got" >&2; exit 1; }
done
echo "ok: both programs executable, each icon a PNG of its folder's size"
