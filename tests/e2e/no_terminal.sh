#!/usr/bin/env bash
# Started without a terminal (as from a desktop launcher) the window takes the
# keys, and closing it ends the run with status 0. Usage: no_terminal.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
start_display

setsid -w "$LIFE3D" </dev/null >"$E2E_TMP/out" 2>"$E2E_TMP/err" &
program=$!
E2E_PIDS+=("$program")

wait_until 20 find_window >/dev/null ||
  fail "no window titled '$WINDOW_TITLE'; running: $(kill -0 "$program" 2>&1 && echo yes)," \
    "said: $(cat "$E2E_TMP/out" "$E2E_TMP/err")"
window="$(find_window)"
wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"

xdotool key --window "$window" q
wait_until 10 scene_without_ground || fail "q in the window left the ground: $(colours quick)"
pass "q typed in the window leaves out the ground"

close_window_ends "$program" "$window"
[ ! -s "$E2E_TMP/out" ] && [ ! -s "$E2E_TMP/err" ] ||
  fail "unexpected output: $(cat "$E2E_TMP/out" "$E2E_TMP/err")"
pass "closing the window ends the run with status 0"
