#!/usr/bin/env bash
# The X server going away under a running program (stopped, or killed) ends
# the run with one line that names the display, status 1, and the terminal
# as it was. Usage: lost_display.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"

for signal in TERM KILL; do
  start_display
  server="${E2E_PIDS[-1]}"
  start_in_terminal
  wait_until 20 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
  wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"
  kill -s "$signal" "$server"
  wait "$server" 2>/dev/null
  wait_until 20 program_ended || fail "the run went on after the display's SIG$signal"
  [ "$(exit_status)" = 1 ] || fail "status $(exit_status) after the display's SIG$signal"
  message="life3d: lost the connection to the display ($DISPLAY)"
  [ "$(cat "$E2E_TMP/stderr")" = "$message" ] ||
    fail "standard error is not the one line '$message'"
  cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" ||
    fail "terminal settings not restored after the display's SIG$signal"
  pass "a display ended by SIG$signal ends the run with one line and status 1"
  tmux -L "$E2E_TMUX" kill-server
  E2E_TMUX=""
  rm -f "$E2E_TMP/status" "$E2E_TMP/pid" "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" \
    "$E2E_TMP/display"
done
