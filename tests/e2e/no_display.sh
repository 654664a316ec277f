#!/usr/bin/env bash
# Without a display the program says why in one line and ends with status 1,
# leaving the terminal it was started from as it was. Usage: no_display.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/support/x11.bash"
e2e_init "${1:-}"
unset DISPLAY WAYLAND_DISPLAY

check_message() {
  local file="$1"
  [ "$(wc -l <"$file")" = 1 ] || fail "expected one line on standard error, got: $(cat "$file")"
  grep -q '^life3d: cannot open the graphics window: .' "$file" ||
    fail "message does not name the cause: $(cat "$file")"
}

# From a terminal.
start_in_terminal
wait_until 20 program_ended || fail "the program did not end without a display"
[ "$(exit_status)" = 1 ] || fail "exit status $(exit_status) without a display"
check_message "$E2E_TMP/stderr"
cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" || fail "terminal settings not restored"
pass "from a terminal: status 1, '$(cat "$E2E_TMP/stderr")', terminal as before"

# Without a terminal.
timeout 20 "$LIFE3D" </dev/null >"$E2E_TMP/out" 2>"$E2E_TMP/err"
status=$?
[ "$status" = 1 ] || fail "exit status $status without display and terminal"
check_message "$E2E_TMP/err"
[ ! -s "$E2E_TMP/out" ] || fail "unexpected standard output: $(cat "$E2E_TMP/out")"
pass "without a terminal: status 1 and the same message"

# --help and --version answer without opening a window (none could open here).
for option in --help --version; do
  timeout 20 "$LIFE3D" "$option" </dev/null >"$E2E_TMP/out" 2>"$E2E_TMP/err"
  status=$?
  [ "$status" = 0 ] || fail "life3d $option: status $status, $(cat "$E2E_TMP/err")"
  [ ! -s "$E2E_TMP/err" ] || fail "life3d $option wrote to standard error: $(cat "$E2E_TMP/err")"
done
timeout 20 "$LIFE3D" --help >"$E2E_TMP/out" 2>&1
grep -q '^Usage: life3d' "$E2E_TMP/out" && grep -q 'Esc' "$E2E_TMP/out" &&
  grep -q 'man life3d' "$E2E_TMP/out" || fail "usage lacks the keys, Esc or the manual: $(cat "$E2E_TMP/out")"
# The keys as the help panel lists them, each line exactly, in its order.
diff <(printf '%s\n' ' + :Camera.Zoom +' ' - :Camera.Zoom -' "${VISIBLE_HELP[@]}") \
  <(sed -n '/^Keys/,/^  Esc:/{/^  Esc:/!s/^  //p}' "$E2E_TMP/out") >&2 || fail "usage's help lines differ"
[ "$(timeout 20 "$LIFE3D" ignored --version)" = "life3d $(sed -n 's/^project(life3d VERSION \([0-9.]*\).*/\1/p' "$(dirname "${BASH_SOURCE[0]}")/../../CMakeLists.txt")" ] ||
  fail "life3d --version: $(timeout 20 "$LIFE3D" --version)"
pass "--help (the help lines exactly) and --version answer with status 0 and no window"
