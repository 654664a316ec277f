#!/usr/bin/env bash
# The real program on a virtual display: passes per second and CPU time per
# pass of its main thread, its window thread, the X server and the program's
# other threads (the worker that rebuilds the scene during the pause), with the
# ground, with the ground and a turn key held down (an auto-repeating "x",
# about 27 keys a second, sent to the window), and without the ground (Quick
# mode, toggled by a "q" sent to the window); and frames shown per second,
# counted as the window thread's shared-memory puts (XShmPutImage, which SDL's
# window surface uses too: a perf probe on libXext, added once and left in
# place; "-" without perf).
# The program is not changed: a pass is counted by the 10 ms pause its main
# thread sleeps once per pass, seen from outside as a sleep system call
# (perf's tracepoints, or strace where perf cannot count them), and CPU time
# comes from /proc/PID/task/TID/schedstat.
#
# Usage: bench/life3d_run.sh [--program PATH] [--size WxH] [--seconds S]
#                            [--warmup S]
# Needs Xvfb and xdotool; perf or strace. CPU times are per pass: the window
# thread and the X server do their work per frame shown, which can be fewer.
# "all ms" is the four CPU columns together.

set -u

program="$(dirname "${BASH_SOURCE[0]}")/../build/life3d"
size=1920x1080
seconds=10
warmup=3
while [ $# -gt 0 ]; do
  case "$1" in
    --program) program="$2"; shift 2 ;;
    --size) size="$2"; shift 2 ;;
    --seconds) seconds="$2"; shift 2 ;;
    --warmup) warmup="$2"; shift 2 ;;
    -h | --help) sed -n '2,22p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "life3d_run: unknown argument $1" >&2; exit 2 ;;
  esac
done
[[ "$size" =~ ^[0-9]+x[0-9]+$ ]] || { echo "life3d_run: size must be WxH" >&2; exit 2; }
[[ "$seconds" =~ ^[0-9]+$ && "$seconds" -gt 0 ]] ||
  { echo "life3d_run: seconds must be a whole number above 0" >&2; exit 2; }
[ -x "$program" ] || { echo "life3d_run: no program at $program" >&2; exit 2; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "life3d_run: $tool is missing" >&2; exit 2; }
done

tmp="$(mktemp -d)"
xvfb_pid=""
life_pid=""
cleanup() {
  [ -n "${keys_pid:-}" ] && kill "$keys_pid" 2>/dev/null
  [ -n "$life_pid" ] && kill "$life_pid" 2>/dev/null && wait "$life_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Xvfb picks a free display number and writes it once it accepts clients.
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$tmp/display" >"$tmp/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [ -s "$tmp/display" ] && break
  sleep 0.1
done
[ -s "$tmp/display" ] || { echo "life3d_run: Xvfb did not start" >&2; cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -1 "$tmp/display")"

# No terminal: the window is the only way in, keys go to it.
"$program" </dev/null >"$tmp/stdout" 2>"$tmp/stderr" &
life_pid=$!
window=""
for _ in $(seq 200); do
  window="$(xdotool search --name '^Gemma 3D-Ugo Marselli $' 2>/dev/null | head -1)"
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "life3d_run: no window appeared" >&2; cat "$tmp/stderr" >&2; exit 1; }

# CPU nanoseconds of one thread, or of every thread of a process.
thread_ns() { awk '{print $1}' "/proc/$life_pid/task/$1/schedstat" 2>/dev/null || echo 0; }
process_ns() {
  local sum=0 f
  for f in /proc/"$1"/task/*/schedstat; do sum=$((sum + $(awk '{print $1}' "$f"))); done
  echo "$sum"
}
# The window thread is the first one the main thread starts; the worker comes
# with the first pass, so the threads after the window thread are its.
window_tid() {
  ls /proc/"$life_pid"/task | sort -n | awk -v main="$life_pid" '$1 != main {print; exit}'
}

# Sleeps of the main thread during the given seconds.
count_pauses() {
  local s="$1"
  if perf stat -x, -t "$life_pid" -e syscalls:sys_enter_clock_nanosleep \
    -e syscalls:sys_enter_nanosleep -o "$tmp/perf" -- sleep "$s" 2>/dev/null; then
    awk -F, '/sys_enter/ {n += $1} END {print n + 0}' "$tmp/perf"
  else
    timeout -s INT "$s" strace -q -c -p "$life_pid" -e trace=clock_nanosleep,nanosleep \
      -o "$tmp/strace" 2>/dev/null
    awk '$NF ~ /nanosleep/ {n += $4} END {print n + 0}' "$tmp/strace"
  fi
}

# Frames the window thread shows: its shared-memory puts.
xext_library="$(ldconfig -p 2>/dev/null | awk '/libXext.so.6 /{print $NF; exit}')"
show_event=probe_libXext:XShmPutImage
if ! perf list 2>/dev/null | grep -q "$show_event"; then
  [ -n "$xext_library" ] && perf probe -q -x "$xext_library" --add XShmPutImage >/dev/null 2>&1
fi
count_shows() {
  if perf stat -x, -t "$1" -e "$show_event" -o "$tmp/shows" -- sleep "$2" 2>/dev/null; then
    awk -F, '/XShmPutImage/ {n += $1} END {print n + 0}' "$tmp/shows"
  else
    echo -
  fi
}

# Sends a turn key about 27 times a second until stopped.
keys_pid=""
hold_turn_key() {
  xdotool key --window "$window" --repeat 100000 --delay 37 x 2>/dev/null &
  keys_pid=$!
}

measure() {
  local label="$1" wt main0 win0 x0 all0 main1 win1 x1 all1 passes shows
  wt="$(window_tid)"
  main0=$(thread_ns "$life_pid"); win0=$(thread_ns "$wt")
  all0=$(process_ns "$life_pid"); x0=$(process_ns "$xvfb_pid")
  count_shows "$wt" "$seconds" >"$tmp/shown" &
  passes=$(count_pauses "$seconds")
  wait $!
  shows=$(cat "$tmp/shown")
  main1=$(thread_ns "$life_pid"); win1=$(thread_ns "$wt")
  all1=$(process_ns "$life_pid"); x1=$(process_ns "$xvfb_pid")
  awk -v label="$label" -v s="$seconds" -v p="$passes" -v f="$shows" -v m=$((main1 - main0)) \
    -v w=$((win1 - win0)) -v x=$((x1 - x0)) -v o=$((all1 - all0 - (main1 - main0) - (win1 - win0))) \
    'BEGIN {
      if (p < 1) p = 1
      shown = f == "-" ? "-" : sprintf("%.1f", f / s)
      printf "%-14s %8.1f %8s %9.3f %9.3f %9.3f %9.3f %9.3f\n", label, p / s, shown, m / p / 1e6,
             w / p / 1e6, x / p / 1e6, o / p / 1e6, (m + w + x + o) / p / 1e6
    }'
}

echo "life3d_run: $program on a ${size} virtual display ($DISPLAY), ${seconds} s per mode"
printf "%-14s %8s %8s %9s %9s %9s %9s %9s\n" "mode" "passes/s" "shown/s" "main ms" "window ms" \
  "X ms" "worker ms" "all ms"
sleep "$warmup"
measure "ground"
hold_turn_key
sleep 1
measure "ground+turn"
kill "$keys_pid" 2>/dev/null
wait "$keys_pid" 2>/dev/null
keys_pid=""
sleep 0.5
xdotool key --window "$window" q
sleep 1
measure "quick"
xdotool key --window "$window" Escape 2>/dev/null  # the window may be gone before the key-up
for _ in $(seq 50); do kill -0 "$life_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$life_pid" 2>/dev/null; then
  echo "life3d_run: the program did not end on Esc" >&2
  exit 1
fi
wait "$life_pid"
status=$?
life_pid=""
[ "$status" -eq 0 ] || { echo "life3d_run: the program ended with status $status" >&2; exit 1; }
