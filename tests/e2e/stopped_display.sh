#!/usr/bin/env bash
# An X server that is stopped (frozen, not gone) does not hold the run: Esc
# typed into the terminal ends it within a second or two, with status 0 and
# the terminal as it was. Usage: stopped_display.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
start_display
server="${E2E_PIDS[-1]}"
# The server is let go again whatever happens, so the cleanup can end it.
trap 'kill -s CONT "$server" 2>/dev/null; e2e_cleanup' EXIT

start_in_terminal
wait_until 20 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"
kill -s STOP "$server"
# Long enough for the window thread to be held in a call to the server.
sleep 1
type_in_terminal Escape
start=$(date +%s%N)
while ! program_ended && [ $(($(date +%s%N) - start)) -lt 2000000000 ]; do sleep 0.05; done
ended=no
program_ended && ended=yes
# Going on first: a failure's report asks the server for its windows.
kill -s CONT "$server"
[ "$ended" = yes ] || fail "Esc in the terminal did not end the run while the display was stopped"
[ "$(exit_status)" = 0 ] || fail "status $(exit_status) after Esc with the display stopped"
cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" ||
  fail "terminal settings not restored after Esc with the display stopped"
pass "Esc in the terminal ends the run at once while the X server is stopped"
