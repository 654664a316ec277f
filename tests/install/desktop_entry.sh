#!/usr/bin/env bash
# The installed menu entry is valid, starts the installed program and names
# an installed icon. Usage: desktop_entry.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/scratch.bash"
entry="$usr/share/applications/life3d.desktop"

desktop-file-validate "$entry" || { echo "FAIL: desktop-file-validate" >&2; exit 1; }
echo "ok: desktop-file-validate passes"

key() { sed -n "s/^$1=//p" "$entry"; }
[ "$(key Exec)" = life3d ] && [ -x "$usr/games/life3d" ] ||
  { echo "FAIL: Exec=$(key Exec) is not the installed life3d" >&2; exit 1; }
[ "$(key Terminal)" = false ] || { echo "FAIL: Terminal=$(key Terminal)" >&2; exit 1; }
[[ ";$(key Categories)" == *";Game;"* ]] || { echo "FAIL: Categories=$(key Categories)" >&2; exit 1; }
icon="$(key Icon)"
[ -f "$usr/share/icons/hicolor/48x48/apps/$icon.png" ] ||
  { echo "FAIL: no installed hicolor icon '$icon'" >&2; exit 1; }
echo "ok: Exec, Terminal, Categories and Icon point at what is installed"
