#!/usr/bin/env bash
# An install into a scratch DESTDIR, at a prefix other than /usr, writes all
# its files under that prefix, each a kind of file the package ships and in
# working order, and leaves out nothing of the source tree's manual pages,
# icons and data files. Usage: file_list.sh BUILD_DIR
set -euo pipefail
build="${1:?usage: file_list.sh BUILD_DIR}"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
prefix="$tmp/root/opt/life3d"

DESTDIR="$tmp/root" cmake --install "$build" --component life3d --prefix /opt/life3d >"$tmp/log" ||
  { cat "$tmp/log" >&2; fail "cmake --install failed"; }
(cd "$tmp/root" && find . ! -type d | sed 's/^\.//' | LC_ALL=C sort) >"$tmp/files"
! grep -v '^/opt/life3d/' "$tmp/files" >&2 || fail "files outside the prefix"
echo "ok: $(wc -l <"$tmp/files") files, all under the prefix"

# Each program runs and reports the project's version; its manual page is in
# section 6 for a game, 1 for a tool, and each page documents a program.
version="$(sed -n 's/^project(life3d VERSION \([0-9.]*\).*/\1/p' "$source_dir/CMakeLists.txt")"
while IFS= read -r file; do
  path="$prefix/$file" name="$(basename "$file")"
  case "$file" in
    games/* | bin/*)
      [ "$("$path" --version)" = "$name $version" ] || fail "$file --version: $("$path" --version)"
      [ "${file%%/*}" = games ] && s=6 || s=1
      [ -f "$prefix/share/man/man$s/$name.$s.gz" ] || fail "$file has no manual page in section $s" ;;
    share/man/man*/*.gz)
      page="${name%.gz}"
      [ "${page##*.}" = 6 ] && folder=games || folder=bin
      [ -x "$prefix/$folder/${page%.*}" ] || fail "$file documents no program in $folder/"
      gzip -t "$path" || fail "$file is no gzip file" ;;
    share/icons/hicolor/*/apps/*.png)
      size="$(basename "$(dirname "$(dirname "$file")")")"
      [[ "$(file -b "$path")" == "PNG image data, ${size/x/ x },"* ]] || fail "$file: $(file -b "$path")"
      cmp -s "$path" "$source_dir/data/${file#share/}" || fail "$file is not the one in data/" ;;
    share/applications/* | share/metainfo/* | share/doc/life3d/*)
      base="${name%.gz}"
      [ -f "$source_dir/data/$base" ] || [ -f "$source_dir/data/$base.in" ] ||
        fail "$file comes from no file in data/" ;;
    *) fail "$file is no kind of file the package ships" ;;
  esac
done < <(cd "$prefix" && find . ! -type d | sed 's|^\./||')
echo "ok: programs that report version $version, each with its page; icons of their sizes"

# Nothing of the source tree's pages, icons and data files is left out, but
# the lintian note that only the package holds.
cd "$source_dir"
for source in man/*.in data/* data/icons/hicolor/*/apps/*.png; do
  [ -f "$source" ] && [ "$source" != data/lintian-overrides ] || continue
  case "$source" in
    data/icons/*) tail="${source#data/}" ;;
    *) tail="$(basename "$source" .in)" ;;
  esac
  grep -qE "/${tail//./\\.}(\.gz)?\$" "$tmp/files" || fail "$source is not installed"
done
echo "ok: every manual page, icon and data file of the source tree is installed"
