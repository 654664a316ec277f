#!/usr/bin/env bash
# A run ended by SIGTERM, SIGINT or SIGHUP ends at once, by that signal, and
# leaves the terminal as it was. Usage: signals.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
start_display

for signal in TERM INT HUP; do
  start_in_terminal
  wait_until 20 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
  wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"
  program="$(program_pid)"
  [ -n "$program" ] || fail "cannot find the program's process"
  kill -s "$signal" "$program"
  wait_until 10 program_ended || fail "SIG$signal did not end the program"
  expected=$((128 + $(kill -l "$signal")))
  [ "$(exit_status)" = "$expected" ] || fail "status $(exit_status) after SIG$signal"
  cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" ||
    fail "terminal settings not restored after SIG$signal"
  pass "SIG$signal ends the run and restores the terminal"
  tmux -L "$E2E_TMUX" kill-server
  rm -f "$E2E_TMP/status" "$E2E_TMP/pid" "$E2E_TMP/stty.before" "$E2E_TMP/stty.after"
done
