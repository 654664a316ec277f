#!/usr/bin/env bash
# A soak of the real program: life3d runs in a terminal on a virtual display
# for a given time while busy loops take the CPU from it and random keys are
# typed, mostly into the terminal and some into the window: every command key
# (N, Q, C and the camera keys among them) and keys that are no command
# (arrows, function keys, Alt+letter, Ctrl+C, Tab, Enter, Backspace), one to
# three at a time, now and then a burst. Esc is kept for the end. Its memory
# (VmRSS) is sampled from /proc; at the end Esc must end it with status 0 and
# the terminal's settings as they were.
#
# Usage: bench/soak.sh [--build DIR] [--seconds S] [--busy N] [--sample S]
#                      [--random SEED]
#   --build   folder holding life3d (default: build beside this script)
#   --seconds how long keys are typed (default 600)
#   --busy    busy loops competing for the CPU (default: the number of cores)
#   --sample  seconds between memory samples (default 5)
#   --random  seed of the key choice, to repeat a run's keys (default: the clock)
# Needs what the end-to-end tests need: Xvfb, xterm, tmux, xdotool.
# Prints one line per sample and a summary; exits 1 when the program died,
# did not end on Esc, ended with another status or left the terminal changed.

source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/support/x11.bash"

build="$(dirname "${BASH_SOURCE[0]}")/../build"
seconds=600
busy="$(nproc)"
sample=5
random="$(date +%s)"
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --busy) busy="$2"; shift 2 ;;
    --sample) sample="$2"; shift 2 ;;
    --random) random="$2"; shift 2 ;;
    -h | --help) sed -n '2,20p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "soak: unknown argument $1" >&2; exit 2 ;;
  esac
done
for value in "$seconds" "$busy" "$sample" "$random"; do
  [[ "$value" =~ ^[0-9]+$ ]] || { echo "soak: '$value' is no whole number" >&2; exit 2; }
done
[ "$sample" -gt 0 ] || { echo "soak: --sample wants at least 1 second" >&2; exit 2; }

# Keys as tmux names them, for the terminal; the window takes the commands
# only (xdotool names).
readonly COMMANDS=(x X y Y z Z d D a A e E + - q Q c C n N)
readonly TERMINAL_ONLY=(Up Down Left Right Home End PageUp PageDown F1 F5 F12 M-q M-n M-x C-c C-a
  Tab Enter BSpace Space k 7)
readonly -A WINDOW_NAME=([+]=plus [-]=minus)

e2e_init "$build"
RANDOM="$random"
start_display
start_in_terminal
wait_until 30 find_window >/dev/null || fail "no window titled '$WINDOW_TITLE'"
window="$(find_window)"
# Keys typed before the program holds the terminal would reach a cooked
# terminal (where Ctrl+C is a signal): wait for the help it prints.
wait_until 30 eval 'terminal_text | grep -q "N,n:New"' || fail "the help never appeared"
pid="$(program_pid)"

for _ in $(seq "$busy"); do
  bash -c 'while :; do :; done' &
  E2E_PIDS+=($!)
done

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null; }

echo "soak: $LIFE3D for $seconds s, $busy busy loops, keys from seed $random, display $DISPLAY"
keys=0
first="" last="" max=0
start=$SECONDS
next_sample=$SECONDS
while :; do
  elapsed=$((SECONDS - start))
  if [ "$SECONDS" -ge "$next_sample" ] || [ "$elapsed" -ge "$seconds" ]; then
    program_ended && fail "the program ended by itself after $elapsed s (status $(exit_status))"
    rss="$(rss_kb)"
    [ -n "$rss" ] || fail "no memory figure for process $pid"
    [ -n "$first" ] || first="$rss"
    last="$rss"
    [ "$rss" -gt "$max" ] && max="$rss"
    printf 'soak: %4d s  rss %6d kB  keys %5d\n' "$elapsed" "$rss" "$keys"
    next_sample=$((SECONDS + sample))
  fi
  [ "$elapsed" -ge "$seconds" ] && break
  # One to three keys, and one time in twenty a burst of twenty.
  count=$((RANDOM % 20 == 0 ? 20 : 1 + RANDOM % 3))
  for _ in $(seq "$count"); do
    if ((RANDOM % 4 == 0)); then
      key="${COMMANDS[RANDOM % ${#COMMANDS[@]}]}"
      xdotool key --window "$window" "${WINDOW_NAME[$key]:-$key}" 2>/dev/null ||
        fail "the window took no key"
    else
      pick=$((RANDOM % (${#COMMANDS[@]} + ${#TERMINAL_ONLY[@]})))
      if [ "$pick" -lt ${#COMMANDS[@]} ]; then
        key="${COMMANDS[pick]}"
      else
        key="${TERMINAL_ONLY[pick - ${#COMMANDS[@]}]}"
      fi
      type_in_terminal "$key" || fail "the terminal took no key"
    fi
    keys=$((keys + 1))
  done
  sleep 0.$((2 + RANDOM % 6))
done

# Esc comes while the busy loops still run.
type_in_terminal Escape
wait_until 10 program_ended || fail "Esc did not end the program within 10 s"
[ "$(exit_status)" = 0 ] || fail "exit status $(exit_status) after Esc"
cmp -s "$E2E_TMP/stty.before" "$E2E_TMP/stty.after" || fail "terminal settings not restored"
[ ! -s "$E2E_TMP/stderr" ] || fail "unexpected output: $(cat "$E2E_TMP/stderr")"
echo "soak: $keys keys in $seconds s; rss first $first kB, last $last kB, max $max kB;" \
  "Esc ended it with status 0 and the terminal restored"
