# Shared by the end-to-end scripts: a virtual X display, life3d in a terminal
# (tmux, shown in an xterm), screenshots and their colours. Every wait is
# bounded and everything started here is stopped by its process id on exit.
# Usage: source it, then e2e_init "$1".

set -u

readonly E2E_SUPPORT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
readonly WINDOW_TITLE='Gemma 3D-Ugo Marselli '
# The help lines the console keeps after its 16 rows scrolled twice.
readonly VISIBLE_HELP=(
  ' x :DECR Temp_Mouse_x' ' X :INCR Temp_Mouse_x' ' y :DECR Temp_Mouse_y'
  ' Y :INCR Temp_Mouse_y' ' z :DECR Temp_Mouse_z' ' Z :INCR Temp_Mouse_z'
  ' d :Camera.Xoff-10' ' D :Camera.Xoff+10' ' a :Camera.Yoff-10' ' A :Camera.Yoff+10'
  ' e :Camera.Zoff-10' ' E :Camera.Zoff+10' 'Q,q:Quick' 'C,c:Auto center' 'N,n:New')

E2E_PIDS=()
E2E_TMUX=""
E2E_RUNS=0

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${DISPLAY:-}" ]; then
    echo "--- windows on $DISPLAY:" >&2
    xwininfo -root -tree 2>&1 | grep -E '^ +0x|rror' >&2
  fi
  if [ -n "$E2E_TMUX" ]; then
    echo "--- terminal:" >&2
    terminal_text >&2
  fi
  local log
  for log in xvfb.log stderr; do
    [ -s "$E2E_TMP/$log" ] && { echo "--- $log:" >&2; cat "$E2E_TMP/$log" >&2; }
  done
  exit 1
}

pass() { echo "ok: $*"; }

e2e_cleanup() {
  if [ -n "$E2E_TMUX" ]; then tmux -L "$E2E_TMUX" kill-server >/dev/null 2>&1; fi
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" >/dev/null 2>&1; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" >/dev/null 2>&1; done
  rm -rf "$E2E_TMP"
}

# e2e_init BUILD_DIR: checks the tools and the program, makes a scratch folder.
e2e_init() {
  local build="${1:?usage: script BUILD_DIR}"
  LIFE3D="$(cd "$build" && pwd)/life3d"
  [ -x "$LIFE3D" ] || fail "no program at $LIFE3D"
  local tool
  for tool in Xvfb xterm tmux xdotool xwininfo import convert g++; do
    command -v "$tool" >/dev/null || fail "$tool is missing (scripts/common.sh installs it)"
  done
  E2E_TMP="$(mktemp -d)"
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}

# wait_until SECONDS COMMAND...: true once COMMAND succeeds, false after SECONDS.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  while ! "$@"; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.2
  done
}

# A 1920x1080 virtual screen on a display number the server picks itself.
start_display() {
  # -noreset: the probe below is the first client to leave, and a server that
  # resets then refuses the next clients for a moment.
  Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp -noreset 3>"$E2E_TMP/display" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_PIDS+=($!)
  wait_until 20 test -s "$E2E_TMP/display" || fail "Xvfb did not start"
  export DISPLAY=":$(head -n 1 "$E2E_TMP/display")"
  wait_until 10 display_answers || fail "display $DISPLAY does not answer"
}

display_answers() { xwininfo -root >/dev/null 2>&1; }

# Runs life3d in a tmux pane shown in an xterm. The pane records the terminal
# settings before and after the run, the program's process id and its exit
# status in the scratch folder. Each call starts a tmux server of its own.
start_in_terminal() {
  E2E_RUNS=$((E2E_RUNS + 1))
  E2E_TMUX="life3d-e2e-$$-$E2E_RUNS"
  printf 'set -s escape-time 0\nset -g status off\n' >"$E2E_TMP/tmux.conf"
  cat >"$E2E_TMP/run.sh" <<EOF
stty -g >"$E2E_TMP/stty.before"
bash -c 'echo \$\$ >"\$1"; exec "\$2"' _ "$E2E_TMP/pid" "$LIFE3D" 2>"$E2E_TMP/stderr"
echo \$? >"$E2E_TMP/status.tmp"
stty -g >"$E2E_TMP/stty.after"
mv "$E2E_TMP/status.tmp" "$E2E_TMP/status"
exec sleep 600
EOF
  tmux -L "$E2E_TMUX" -f "$E2E_TMP/tmux.conf" new-session -d -s main -x 80 -y 25 \
    "bash $E2E_TMP/run.sh" || fail "tmux did not start"
  xterm -geometry 80x25+0+0 -e tmux -L "$E2E_TMUX" attach -t main >/dev/null 2>&1 &
  E2E_PIDS+=($!)
}

# Types keys into the terminal (tmux key names: q, Escape, ...).
type_in_terminal() { tmux -L "$E2E_TMUX" send-keys -t main "$@"; }

terminal_text() { tmux -L "$E2E_TMUX" capture-pane -p -t main; }

exit_status() { cat "$E2E_TMP/status" 2>/dev/null; }

# Process id of the program started by start_in_terminal.
program_pid() { cat "$E2E_TMP/pid" 2>/dev/null; }

program_ended() { [ -s "$E2E_TMP/status" ]; }

# Id of the program's window, empty when there is none.
find_window() {
  local id
  for id in $(xdotool search --name '^Gemma 3D-Ugo Marselli $' 2>/dev/null); do
    echo "$id"
    return 0
  done
  return 1
}

# Sends the close box's request (WM_DELETE_WINDOW), as a window manager does.
close_window() {
  if [ ! -x "$E2E_TMP/close_window" ]; then
    g++ -O1 -o "$E2E_TMP/close_window" "$E2E_SUPPORT/close_window.cpp" -lX11 ||
      fail "cannot build the close helper"
  fi
  "$E2E_TMP/close_window" "$1"
}

# close_window_ends PID WINDOW: the close request ends the program started
# in the background as PID, with status 0.
close_window_ends() {
  local program="$1"
  close_window "$2" || fail "cannot send the close request"
  wait_until 10 eval '! kill -0 "$program" 2>/dev/null' || fail "closing the window did not end it"
  local status=0
  wait "$program" || status=$?
  [ "$status" = 0 ] || fail "exit status $status after the window closed"
}

shot() { import -window root "$E2E_TMP/$1.png" 2>/dev/null; }

# colours NAME [GEOMETRY]: counts of the screenshot's pixels (optionally of a
# crop, e.g. 100x200+2+45) as "total grey ground boxes black silver": grey is
# the frame's 0x808080 background, ground the blue and cyan tiles, boxes the
# red-dominated faces, black and silver the console panel's colours.
colours() {
  local file="$E2E_TMP/$1.png"
  local crop=()
  [ $# -ge 2 ] && crop=(-crop "$2")
  convert "$file" "${crop[@]}" -format %c histogram:info:- | awk '
    { n = $1 + 0; s = $0; sub(/^[^(]*\(/, "", s); sub(/\).*/, "", s); split(s, c, ",")
      r = c[1] + 0; g = c[2] + 0; b = c[3] + 0; total += n
      if (r == 128 && g == 128 && b == 128) grey += n
      else if (r < 100 && g > 90 && b > 150) ground += n
      else if (r > g + 40 && r > b + 40) boxes += n
      else if (r == 0 && g == 0 && b == 0) black += n
      else if (r == 192 && g == 192 && b == 192) silver += n }
    END { printf "%d %d %d %d %d %d\n", total, grey, ground, boxes, black, silver }'
}

# True when a fresh screenshot shows the scene: grey background, ground tiles
# and boxes in plausible shares of the screen.
scene_with_ground() {
  shot scene || return 1
  read -r total grey ground boxes _ _ < <(colours scene)
  [ "$total" -gt 0 ] && [ $((grey * 100)) -gt $((total * 30)) ] &&
    [ $((ground * 100)) -gt $((total * 2)) ] && [ $((boxes * 10000)) -gt $((total * 5)) ]
}

# True when a fresh screenshot shows boxes on grey without any ground tile.
scene_without_ground() {
  shot quick || return 1
  read -r total grey ground boxes _ _ < <(colours quick)
  [ "$total" -gt 0 ] && [ $((grey * 100)) -gt $((total * 30)) ] &&
    [ $((ground * 10000)) -lt "$total" ] && [ "$boxes" -gt 0 ]
}
