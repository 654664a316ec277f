#!/usr/bin/env bash
# life3d started from a terminal on a 1920x1080 desktop: the window, the first
# picture, the console panel, the help in the terminal, keys from both places,
# and Esc restoring the terminal. Usage: window.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
start_display
start_in_terminal

wait_until 20 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
window="$(find_window)"
[ "$(xdotool getwindowname "$window")" = "$WINDOW_TITLE" ] || fail "window title differs"
geometry="$(xwininfo -id "$window")"
for line in 'Absolute upper-left X:  0' 'Absolute upper-left Y:  0' 'Width: 1920' 'Height: 1080'; do
  grep -qF "$line" <<<"$geometry" || fail "window geometry lacks '$line': $geometry"
done
pass "window '$WINDOW_TITLE' covers the 1920x1080 screen"

wait_until 20 scene_with_ground || fail "no grey background, ground and boxes: $(colours scene)"
pass "the picture shows grey background, ground and boxes"

# The panel: 22 x 16 cells at (0, 40), light grey text on black, nothing above
# it. It comes after the first frame, so a fresh screenshot is waited for.
panel_shown() {
  shot panel || return 1
  read -r total _ _ _ black silver < <(colours panel 100x200+2+45)
  [ $((black * 100)) -gt $((total * 50)) ] && [ "$silver" -gt 20 ]
}
wait_until 10 panel_shown ||
  fail "no console panel at (0, 40): $(colours panel 100x200+2+45) (total grey ground boxes black silver)"
read -r _ _ _ _ black _ < <(colours panel 100x30+2+5)
[ "$black" -eq 0 ] || fail "the panel reaches above y = 40"
pass "the console panel stands at (0, 40)"

help_shown() {
  local lines i
  mapfile -t lines < <(terminal_text)
  for i in "${!VISIBLE_HELP[@]}"; do
    [ "${lines[$i]%"${lines[$i]##*[! ]}"}" = "${VISIBLE_HELP[$i]}" ] || return 1
  done
  [ -z "${lines[15]// /}" ]
}
wait_until 10 help_shown || fail "terminal does not show help lines 3..17: $(terminal_text)"
pass "the terminal shows help lines 3..17 on rows 1..15"

type_in_terminal q
wait_until 10 scene_without_ground || fail "q in the terminal left the ground: $(colours quick)"
pass "q typed in the terminal leaves out the ground"

xdotool key --window "$window" Q
wait_until 10 scene_with_ground || fail "Q in the window did not bring the ground back"
pass "Q typed in the window brings the ground back"

type_in_terminal Escape
wait_until 10 program_ended || fail "Esc did not end the program"
[ "$(exit_status)" = 0 ] || fail "exit status $(exit_status) after Esc"
cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" || fail "terminal settings not restored"
[ ! -s "$E2E_TMP/stderr" ] || fail "unexpected output: $(cat "$E2E_TMP/stderr")"
wait_until 5 bash -c '! xdotool search --name "^Gemma 3D-Ugo Marselli \$" >/dev/null 2>&1' ||
  fail "window still there after Esc"
pass "Esc ends with status 0, the terminal as before and the window gone"
