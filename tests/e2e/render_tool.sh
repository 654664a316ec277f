#!/usr/bin/env bash
# life3d-render: help, option errors, a PNG of the first frame and the same
# picture for the same seed.
set -u
BUILD="$1"
TOOL="$BUILD/life3d-render"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$TOOL" --help >"$WORK/help" || fail "--help exits with $?"
grep -q -- "--passes N" "$WORK/help" || fail "--help does not explain --passes"

for bad in "--frobnicate" "--passes -1" "--passes" "--size 0x10" "--size 640" \
  "--seed 90000" "--seed abc" "--angles 1,2" "--bench --passes 0" "--quick=1" \
  "--keys \\q" "--keys x\\" "--keys \\x4" "--keys \\0" "--bench --keys x"; do
  # shellcheck disable=SC2086
  "$TOOL" $bad >"$WORK/out" 2>"$WORK/err"
  status=$?
  [ "$status" -eq 2 ] || fail "'$bad' exits with $status, not 2"
  [ "$(wc -l <"$WORK/err")" -eq 1 ] || fail "'$bad' does not give one line on stderr"
  grep -q "^life3d-render: " "$WORK/err" || fail "'$bad' error lacks the program name"
  [ ! -s "$WORK/out" ] || fail "'$bad' writes to stdout"
done

"$TOOL" --seed 43200.25 --size 320x200 --out "$WORK/a.png" || fail "first frame"
"$TOOL" --seed 43200.25 --size 320x200 --out "$WORK/b.png" || fail "first frame again"
[ "$(head -c 8 "$WORK/a.png" | od -An -tx1 | tr -d ' \n')" = "89504e470d0a1a0a" ] ||
  fail "not a PNG"
cmp -s "$WORK/a.png" "$WORK/b.png" || fail "the same seed gives another picture"
"$TOOL" --seed 43200.5 --size 320x200 --out "$WORK/c.png" || fail "other seed"
! cmp -s "$WORK/a.png" "$WORK/c.png" || fail "another seed gives the same picture"

"$TOOL" --seed 100 --passes 3 --quick --no-center --angles=-180,0,60 --size=160x100 \
  --out "$WORK/d.png" || fail "passes with switches"
"$TOOL" --seed 100 --bench --passes 3 --size 160x100 >"$WORK/bench" || fail "--bench"
grep -q "whole frame" "$WORK/bench" || fail "--bench prints no whole-frame figure"

# Esc in the second pass ends the run before its frame: the picture is the first pass's.
"$TOOL" --seed 100 --passes 5 --keys 'X\e' --size 160x100 --out "$WORK/e.png" || fail "--keys with Esc"
"$TOOL" --seed 100 --passes 1 --keys 'X' --size 160x100 --out "$WORK/f.png" || fail "--keys"
cmp -s "$WORK/e.png" "$WORK/f.png" || fail "Esc in --keys does not end the run before its frame"
"$TOOL" --seed 100 --passes 1 --size 160x100 --out "$WORK/g.png" || fail "one pass"
! cmp -s "$WORK/f.png" "$WORK/g.png" || fail "a key of --keys changes nothing"

"$TOOL" --size 16x16 --out "$WORK/no/such/dir/x.png" 2>"$WORK/err"
[ $? -eq 1 ] || fail "an unwritable --out does not exit with 1"
grep -q "^life3d-render: cannot" "$WORK/err" || fail "an unwritable --out gives no reason"
echo "render_tool: ok"
