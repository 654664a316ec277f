#!/usr/bin/env bash
# Both installed manual pages render without a warning, carry the version
# life3d-render reports, show the help lines life3d --help prints and document
# every option of life3d-render --help. Usage: man_pages.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/scratch.bash"
version="$("$usr/bin/life3d-render" --version | sed -n 's/^life3d-render //p')"

fail() { echo "FAIL: $*" >&2; exit 1; }
for page in man6/life3d.6.gz man1/life3d-render.1.gz; do
  name="$(basename "$page" .gz)"
  LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/$page" >"$tmp/$name.txt" 2>"$tmp/$name.err" ||
    fail "man -l $page failed: $(cat "$tmp/$name.err")"
  [ ! -s "$tmp/$name.err" ] || fail "$page: $(cat "$tmp/$name.err")"
  grep -q "life3d $version" "$tmp/$name.txt" || fail "$page does not name version $version"
done
echo "ok: both pages render without a warning and name version $version"

# whatis shows the NAME line as plain text: a glyph it cannot show leaves a
# double blank ("40  40").
for page in man6/life3d.6.gz man1/life3d-render.1.gz; do
  line="$(lexgrog "$usr/share/man/$page" | sed -n 's/^[^:]*: "\(.*\)"$/\1/p')"
  [[ "$line" == "$(basename "$page" | cut -d. -f1) - "?* && "$line" != *"  "* ]] ||
    fail "whatis reads $page as '$line'"
done
echo "ok: whatis reads both NAME lines whole"

# The panel's lines, as the program's usage lists them before the Esc line.
"$usr/games/life3d" --help | sed -n '/^Keys/,/^  Esc:/{/^  Esc:/!s/^  //p}' >"$tmp/help"
[ "$(wc -l <"$tmp/help")" -ge 17 ] || fail "cannot read the help lines from life3d --help"
sed 's/^ *//' "$tmp/life3d.6.txt" >"$tmp/page"
while IFS= read -r line; do
  grep -qxF -- "${line# }" "$tmp/page" || fail "life3d(6) lacks the help line '$line'"
done <"$tmp/help"
echo "ok: life3d(6) shows the $(wc -l <"$tmp/help") help lines"

options="$("$usr/bin/life3d-render" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)"
[ -n "$options" ] || fail "no options in life3d-render --help"
for option in $options; do
  grep -qF -- "$option" "$tmp/life3d-render.1.txt" || fail "life3d-render(1) lacks $option"
done
echo "ok: life3d-render(1) documents all $(wc -w <<<"$options") options of --help"
