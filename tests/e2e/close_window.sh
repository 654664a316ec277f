#!/usr/bin/env bash
# Closing the graphics window does not end a run started from a terminal:
# generations go on without a picture and Esc in the terminal still ends it.
# Usage: close_window.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
start_display
start_in_terminal

wait_until 20 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
window="$(find_window)"
wait_until 20 scene_with_ground || fail "no first picture: $(colours scene)"

close_window "$window" || fail "cannot send the close request"
wait_until 10 bash -c '! xdotool search --name "^Gemma 3D-Ugo Marselli \$" >/dev/null 2>&1' ||
  fail "the window did not close"
pass "the close box closes the window"

note_shown() {
  local text
  text="$(terminal_text)"
  [ "$(grep -c '^the window is closed;$' <<<"$text")" = 1 ] && grep -q '^Esc here ends the run$' <<<"$text"
}
wait_until 10 note_shown || fail "the terminal does not say the window is closed"
pass "the terminal says once, below the console, that the window is closed"

# Keys keep being read and generations computed while nothing is shown: the
# main thread keeps using processor time instead of waiting for the window.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$(program_pid)/task/$(program_pid)/stat"; }
before="$(cpu_ticks)"
type_in_terminal x n
main_thread_busy() {
  local now
  now="$(cpu_ticks 2>/dev/null)" && [ -n "$now" ] && [ "$((now - before))" -ge 10 ]
}
wait_until 10 main_thread_busy ||
  fail "the main thread idles without the window ($before -> $(cpu_ticks 2>/dev/null) ticks)"
program_ended && fail "the program ended with the window (status $(exit_status))"
[ "$(xdotool search --name '^Gemma' 2>/dev/null | wc -l)" = 0 ] || fail "a window came back"
pass "the program runs on without its window (its main thread keeps working)"

type_in_terminal Escape
wait_until 10 program_ended || fail "Esc did not end the program after the window closed"
[ "$(exit_status)" = 0 ] || fail "exit status $(exit_status) after Esc"
cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" || fail "terminal settings not restored"
[ ! -s "$E2E_TMP/stderr" ] || fail "unexpected output: $(cat "$E2E_TMP/stderr")"
pass "Esc in the terminal still ends it with status 0"
