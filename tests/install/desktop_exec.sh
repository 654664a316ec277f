#!/usr/bin/env bash
# The installed menu entry's Exec line, started as a launcher starts it (no
# terminal, the installed games/ on PATH), opens the window, and closing the
# window ends the run with status 0. Usage: desktop_exec.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/../e2e/support/x11.bash"
e2e_init "${1:-}"
build="$(cd "$1" && pwd)"
DESTDIR="$E2E_TMP/root" cmake --install "$build" --component life3d --prefix /usr >/dev/null || fail "cmake --install"
usr="$E2E_TMP/root/usr"
exec_line="$(sed -n 's/^Exec=//p' "$usr/share/applications/life3d.desktop")"
[ -n "$exec_line" ] || fail "the menu entry has no Exec line"
start_display

# A launcher splits Exec into words and runs them without a shell or terminal.
read -r -a command <<<"$exec_line"
PATH="$usr/games:$PATH" setsid -w "${command[@]}" </dev/null >"$E2E_TMP/out" 2>"$E2E_TMP/err" &
program=$!
E2E_PIDS+=("$program")

wait_until 20 find_window >/dev/null ||
  fail "no window titled '$WINDOW_TITLE' from Exec=$exec_line: $(cat "$E2E_TMP/out" "$E2E_TMP/err")"
window="$(find_window)"
wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"
pass "Exec=$exec_line opens the window with the scene"

close_window_ends "$program" "$window"
pass "closing the window ends the run with status 0"
