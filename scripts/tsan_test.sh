#!/usr/bin/env bash
# scripts/tsan_test.sh: builds the unit tests with ThreadSanitizer in
# build-tsan/ and runs those that run more than one thread: the worker and
# the passes that use it, the window thread with its frame hand-over and
# panel (SDL's off-screen display), the key queue fed from another thread,
# the console copied by another thread, and the tool's runs with a worker.
# The first race or lock-order inversion fails the test it happens in.
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
