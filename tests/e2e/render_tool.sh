#!/usr/bin/env bash
# life3d-render: help, option and output errors, a PNG of the first frame and
# the same picture for the same seed, keys from the command line, a file or
# standard input, standard output, links, what a replaced file was, a full
# disk, a signal.
set -u
BUILD="$1"
TOOL="$BUILD/life3d-render"
WORK="$(mktemp -d)"
trap 'umount "$WORK/full" 2>/dev/null; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$TOOL" --help >"$WORK/help" || fail "--help exits with $?"
grep -q -- "--passes N" "$WORK/help" || fail "--help does not explain --passes"

# Paths an output must not replace, and an empty folder to write into.
mkdir "$WORK/dir.png" "$WORK/files"
mkfifo "$WORK/fifo.png"
ln -s /dev/null "$WORK/device.png"
F="$WORK/files"
for bad in "--frobnicate" "--passes -1" "--passes" "--size 0x10" "--size 640" \
  "--seed 90000" "--seed abc" "--angles 1,2" "--bench --passes 0" "--quick=1" \
  "--keys \\q" "--keys x\\" "--keys \\x4" "--keys \\0" "--bench --keys x" "" \
  "--seed 0x10 --out $F/x.png" "--seed 1e3 --out $F/x.png" "--angles=-1,+2,3 --out $F/x.png" \
  "--seed 1 --seed 2 --out $F/x.png" "--quick --quick --out $F/x.png" "--out $F/x.jpg" \
  "--out $F/no/such/x.png" "--out $WORK/dir.png" "--out $WORK/fifo.png" \
  "--out $WORK/device.png" "--out - --video -" "--bench --out -" "--keys X --out $F/x.png" \
  "--keys-file $WORK/none --passes 1 --out $F/x.png" "--angles 1e39,0,0 --out $F/x.png"; do
  # shellcheck disable=SC2086
  "$TOOL" --size 16x16 $bad >"$WORK/out" 2>"$WORK/err"
  status=$?
  [ "$status" -eq 2 ] || fail "'$bad' exits with $status, not 2"
  [ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "'$bad' does not give one line on stderr"
  grep -q "^life3d-render: " "$WORK/err" || fail "'$bad' error lacks the program name"
  [ ! -s "$WORK/out" ] || fail "'$bad' writes to stdout"
  [ -z "$(ls -A "$F")" ] || fail "'$bad' leaves $(ls -A "$F")"
done
[ -p "$WORK/fifo.png" ] && [ -L "$WORK/device.png" ] || fail "a refused path was replaced"
"$TOOL" 2>&1 | grep -q "nothing to write: give --out FILE.png, --video FILE or --bench" ||
  fail "no output option does not say what is needed"

"$TOOL" --seed 43200.25 --size 320x200 --out "$WORK/a.png" || fail "first frame"
"$TOOL" --seed 43200.25 --size 320x200 --out "$WORK/b.png" || fail "first frame again"
[ "$(head -c 8 "$WORK/a.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "not a PNG"
cmp -s "$WORK/a.png" "$WORK/b.png" || fail "the same seed gives another picture"
"$TOOL" --seed 43200.5 --size 320x200 --out "$WORK/c.png" || fail "other seed"
! cmp -s "$WORK/a.png" "$WORK/c.png" || fail "another seed gives the same picture"

"$TOOL" --seed 100 --passes 3 --quick --no-center --angles=-180,0,60 --size=160x100 \
  --out "$WORK/d.png" || fail "passes with switches"
# With --pause the passes run as the program's do, the rebuild on a second thread.
for pause in "" "--pause"; do
  # shellcheck disable=SC2086
  "$TOOL" --seed 100 --bench --passes 3 --size 160x100 $pause >"$WORK/bench" || fail "--bench $pause"
  for figure in "stage times, median ms per pass" "scene rebuild" "whole frame" \
    "whole pass (median ms, without the pause)" "passes per second (all 3 passes, wall clock"; do
    grep -qF "$figure" "$WORK/bench" || fail "--bench $pause does not print '$figure'"
  done
done

# Esc in the second pass ends the run before its frame: the picture is the first pass's.
"$TOOL" --seed 100 --passes 5 --keys 'X\e' --size 160x100 --out "$WORK/e.png" || fail "--keys with Esc"
"$TOOL" --seed 100 --passes 1 --keys 'X' --size 160x100 --out "$WORK/f.png" || fail "--keys"
cmp -s "$WORK/e.png" "$WORK/f.png" || fail "Esc in --keys does not end the run before its frame"
"$TOOL" --seed 100 --passes 1 --size 160x100 --out "$WORK/g.png" || fail "one pass"
! cmp -s "$WORK/f.png" "$WORK/g.png" || fail "a key of --keys changes nothing"
# The same keys from a file ending in a line feed, as echo writes one, and
# from standard input, longer than one argument may be.
printf 'X\\e\n' >"$WORK/keys"
"$TOOL" --seed 100 --passes 5 --keys-file "$WORK/keys" --size 160x100 --out "$WORK/h.png" &&
  cmp -s "$WORK/e.png" "$WORK/h.png" || fail "--keys-file reads other keys than --keys"
{ printf 'X\\e' && head -c 300000 /dev/zero | tr '\0' ' '; } |
  "$TOOL" --seed 100 --passes 5 --keys-file - --size 160x100 --out "$WORK/h.png" &&
  cmp -s "$WORK/e.png" "$WORK/h.png" || fail "--keys-file - reads other keys than --keys"

# Standard output takes the same PNG, but not on a terminal.
"$TOOL" --seed 43200.25 --size 320x200 --out - | cmp -s - "$WORK/a.png" ||
  fail "--out - gives another PNG than --out FILE"
script -qfec "$TOOL --seed 1 --size 16x16 --out -" /dev/null >"$WORK/tty" 2>&1
[ $? -eq 2 ] || fail "--out - on a terminal does not exit with 2"
grep -q "standard output: it is a terminal" "$WORK/tty" || fail "--out - on a terminal says: $(cat "$WORK/tty")"

# A link is followed: its target gets the picture, the link stays a link.
ln -s "$WORK/c.png" "$WORK/link.png"
"$TOOL" --seed 43200.25 --size 320x200 --out "$WORK/link.png" || fail "writing through a link"
[ -L "$WORK/link.png" ] || fail "the link was replaced"
cmp -s "$WORK/c.png" "$WORK/a.png" || fail "the link's target does not hold the new picture"

# A replaced file keeps its mode; a write-protected or hard-linked one, or one
# this user may not write, is refused before the run and left as it was.
printf old >"$F/kept.png" && chmod 0600 "$F/kept.png"
"$TOOL" --seed 1 --size 16x16 --out "$F/kept.png" || fail "replacing a file"
[ "$(stat -c %a "$F/kept.png")" = 600 ] || fail "a 0600 file became $(stat -c %a "$F/kept.png")"
printf old >"$F/ro.png" && chmod 0444 "$F/ro.png"
printf old >"$F/one.png" && ln "$F/one.png" "$F/two.png"
refused=("$F/ro.png" "$F/one.png" "$F/no
such/x.png" "$F/a
b.jpg")
users=()
if [ "$(id -u)" = 0 ] && setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null; then
  chmod 0755 "$WORK" && chmod 0777 "$F" && printf old >"$F/root.png"
  refused+=("$F/root.png")
  users=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
for name in "${refused[@]}"; do
  "${users[@]}" "$TOOL" --seed 1 --size 16x16 --out "$name" 2>"$WORK/err"
  [ $? -eq 2 ] && [ "$(wc -l <"$WORK/err")" -eq 1 ] ||
    fail "'$name' is not refused in one line: $(cat "$WORK/err")"
done
[ "$(cat "$F/ro.png" "$F/two.png" "$F/root.png" 2>/dev/null)" = "oldold$([ ${#users[@]} -gt 0 ] && echo old)" ] ||
  fail "a refused file was changed"
[ "$(stat -c %h "$F/one.png")" = 2 ] || fail "a hard link was split"
rm -f "$F"/*

# A full disk is named as such and keeps the earlier file (where mounting is allowed).
mkdir "$WORK/full"
if mount -t tmpfs -o size=16k tmpfs "$WORK/full" 2>/dev/null; then
  printf old >"$WORK/full/x.png"
  "$TOOL" --seed 1 --size 1920x1080 --out "$WORK/full/x.png" 2>"$WORK/err"
  [ $? -eq 1 ] || fail "a full disk does not exit with 1"
  grep -qx "life3d-render: cannot write '$WORK/full/x.png': No space left on device" "$WORK/err" ||
    fail "a full disk says: $(cat "$WORK/err")"
  [ "$(ls -A "$WORK/full")" = x.png ] && [ "$(cat "$WORK/full/x.png")" = old ] ||
    fail "a full disk leaves $(ls -A "$WORK/full")"
else
  echo "render_tool: full disk not tried (no tmpfs mount allowed)"
fi

# A signal before the commit, even in a run of no passes, leaves no file.
"$TOOL" --seed 1 --size 6000x6000 --out "$F/big.png" 2>"$WORK/err" &
pid=$!
# Once SIGTERM is caught (bit 15 of SigCgt): a loaded machine may take longer
# than any fixed sleep to get there.
for _ in $(seq 200); do
  caught=$(awk '/^SigCgt:/ { print $2 }' "/proc/$pid/status" 2>/dev/null)
  [ -n "$caught" ] && (((0x$caught & 0x4000) != 0)) && break
  sleep 0.05
done
kill -TERM "$pid"
wait "$pid"
status=$?
[ "$status" -eq 143 ] || fail "SIGTERM in a run of no passes exits with $status, not 143"
grep -q "big.png' not written" "$WORK/err" || fail "SIGTERM says: $(cat "$WORK/err")"
[ -z "$(ls -A "$F")" ] || fail "SIGTERM leaves $(ls -A "$F")"
echo "render_tool: ok"
