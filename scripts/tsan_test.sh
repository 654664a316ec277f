#!/usr/bin/env bash
# scripts/tsan_test.sh: builds the unit tests with ThreadSanitizer in
# build-tsan/ and runs those that run more than one thread: the worker and
# the passes that use it, the window thread with its frame hand-over and
# panel (SDL's off-screen display), the key queue fed from another thread,
# the console copied by another thread; then the tool's runs with a worker.
# The first race or lock-order inversion fails the test or run it happens in.
#
# The video tests are left out: with more than one core FFmpeg's encoder
# runs slice threads of its own, and TSan reports a race between two of them
# inside libavcodec (two memsets of one block, ordered by FFmpeg through
# atomics in code TSan does not see). The library has no symbols to name the
# function by, and suppressing the whole library would also hide a race
# between this program's frames and the encoder's reads. The tool's video
# run below is held to one core instead, where the encoder runs no threads.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
TSAN_BUILD="$ROOT/build-tsan"
if [ ! -f "$TSAN_BUILD/CMakeCache.txt" ]; then
  # -O1 keeps the instrumented tests quick and their stacks readable; the
  # asserts stay.
  cmake -S "$ROOT" -B "$TSAN_BUILD" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" \
    -DLIFE3D_TSAN=ON -DLIFE3D_TESTS=ON -DLIFE3D_BENCH=OFF -DLIFE3D_RENDER=ON
fi
cmake --build "$TSAN_BUILD" --target life3d_tests life3d_desktop_tests -j "$(nproc)"

# Reports inside libraries the project does not build are left to their
# authors (scripts/tsan.supp says which and why); everything else stops the
# test at the first report.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$ROOT/scripts/tsan.supp"
# The tests with a second thread. Tests of one thread would only repeat the
# Debug build's run, slower.
THREADED='^(RunPass|WorkerDeathTest|WindowTest|ConsoleDisplayTest|ConsoleSnapshotTest)\.'
THREADED+='|/KeyFloodTest\.|^BoardScene\.PassesWithAWorker|^KeyQueueTest\.KeysPushedFromAnotherThread'
THREADED+='|^Drawing\.WithoutACurrentSurface'
cd "$TSAN_BUILD"
ctest --output-on-failure -L unit -R "$THREADED" -j "$(nproc)" "$@"

# The tool: its stage timer written from both threads, and frames encoded
# between passes whose rebuild and clear run on the worker.
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT
echo "life3d-render --bench --pause"
./life3d-render --seed 1000 --size 320x200 --passes 20 --pause --bench --out "$OUT/bench.png" >/dev/null
echo "life3d-render --video --pause on one core"
taskset -c 0 ./life3d-render --seed 43200.25 --size 160x90 --passes 12 --pause --keys 'XX+qNaazz' \
  --video "$OUT/run.mkv" --quiet
echo "TSan: no reports"
