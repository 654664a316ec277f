#!/usr/bin/env bash
# life3d-render --video: bad inputs leave no file and exit with 2, a failing
# disk, a signal or a kill mid-run leaves no file, progress shows only on a
# terminal, standard output only when it is no terminal.
set -u
BUILD="$1"
TOOL="$BUILD/life3d-render"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
RUN="--seed 43200.25 --passes 3"
mkdir "$WORK/out"
touch "$WORK/plain"

# One line each, status 2, nothing left in the folder written to; each is
# refused before the run, so the default size costs nothing.
for bad in "--video $WORK/out/x.avi" "--video $WORK/out/x" "--video $WORK/plain/x.mkv" \
  "--video $WORK/out/x.mp4 --size 161x90" "--video $WORK/out/x.mkv --bench" \
  "--video $WORK/out/x.mkv --quality 10" "--video $WORK/out/x.mp4 --quality 52" \
  "--video $WORK/out/x.webm --fps 0" "--video $WORK/out/x.webm --quality=x" \
  "--fps 30" "--quiet" "--video $WORK/out"; do
  # shellcheck disable=SC2086
  "$TOOL" $RUN $bad >"$WORK/stdout" 2>"$WORK/err"
  status=$?
  [ "$status" -eq 2 ] || fail "'$bad' exits with $status, not 2"
  [ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "'$bad' does not give one line on stderr"
  grep -q "^life3d-render: " "$WORK/err" || fail "'$bad' error lacks the program name"
  [ -z "$(ls -A "$WORK/out")" ] || fail "'$bad' leaves $(ls -A "$WORK/out")"
done
"$TOOL" $RUN --size 161x90 --video "$WORK/out/x.mp4" 2>&1 | grep -q "even width and height" ||
  fail "an odd size for .mp4 does not say why"

# Not a terminal: nothing on stderr, and the file is there (with --out's too).
"$TOOL" $RUN --size 160x90 --video "$WORK/out/a.webm" --out "$WORK/a.png" 2>"$WORK/err" || fail "a .webm run fails"
[ -s "$WORK/a.png" ] || fail "--out beside --video writes no PNG"
[ ! -s "$WORK/err" ] || fail "a run without a terminal prints: $(cat "$WORK/err")"
[ "$(ls -A "$WORK/out")" = "a.webm" ] || fail "the folder holds $(ls -A "$WORK/out")"

# A terminal: the progress line, unless --quiet.
script -qfec "$TOOL $RUN --size 160x90 --video $WORK/out/b.mkv" /dev/null >"$WORK/tty" 2>&1 ||
  fail "a run on a terminal fails"
grep -q "pass 3 of 3, encoding at .* frames/s" "$WORK/tty" ||
  fail "no progress on a terminal: $(cat "$WORK/tty")"
grep -q "b.mkv': 4 frames, encoded at" "$WORK/tty" || fail "no summary on a terminal"
script -qfec "$TOOL $RUN --size 160x90 --quiet --video $WORK/out/c.mkv" /dev/null >"$WORK/tty" 2>&1 ||
  fail "a --quiet run on a terminal fails"
[ ! -s "$WORK/tty" ] || fail "--quiet still prints: $(cat "$WORK/tty")"
script -qfec "$TOOL $RUN --size 160x90 --video -" /dev/null >"$WORK/tty" 2>&1
[ $? -eq 2 ] || fail "--video - on a terminal does not exit with 2"
grep -q "standard output: it is a terminal" "$WORK/tty" || fail "--video - on a terminal says: $(cat "$WORK/tty")"

# The disk fills mid-run (a file size limit stands in for it): one line,
# status 1, no file.
rm -f "$WORK/out"/*
(
  trap '' XFSZ
  ulimit -f 256
  exec "$TOOL" --seed 43200.25 --size 640x360 --passes 200 --video "$WORK/out/full.mkv"
) 2>"$WORK/err"
status=$?
[ "$status" -eq 1 ] || fail "a full disk exits with $status, not 1"
grep -q "^life3d-render: cannot write .*full.mkv': File too large" "$WORK/err" ||
  fail "a full disk says: $(cat "$WORK/err")"
[ -z "$(ls -A "$WORK/out")" ] || fail "a full disk leaves $(ls -A "$WORK/out")"

# A signal or a kill mid-run leaves nothing: the file being written has no
# name until the end (the process holds it open, unnamed, in that folder).
for signal in TERM KILL; do
  "$TOOL" --seed 43200.25 --size 320x180 --passes 100000 --video "$WORK/out/long.mkv" 2>"$WORK/err" &
  pid=$!
  for _ in $(seq 100); do
    ls -l "/proc/$pid/fd" 2>/dev/null | grep -q -- "-> $WORK/out/" && break
    sleep 0.1
  done
  sleep 0.5
  kill -"$signal" "$pid"
  { wait "$pid"; } 2>/dev/null  # no "Killed" notice from the shell
  status=$?
  [ "$status" -eq $((128 + $(kill -l "$signal"))) ] || fail "SIG$signal mid-run exits with $status"
  [ "$signal" = KILL ] || grep -q "long.mkv' not written" "$WORK/err" ||
    fail "SIG$signal mid-run says: $(cat "$WORK/err")"
  [ -z "$(ls -A "$WORK/out")" ] || fail "SIG$signal mid-run leaves $(ls -A "$WORK/out")"
done
echo "render_video: ok"
