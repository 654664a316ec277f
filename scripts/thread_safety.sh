#!/usr/bin/env bash
# scripts/thread_safety.sh: compiles the program (the core, the desktop
# adapters and main) with clang's thread-safety analysis in build-threads/.
# Any finding fails the build; nothing is run.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
THREADS_BUILD="$ROOT/build-threads"
if [ ! -f "$THREADS_BUILD/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$ROOT" -B "$THREADS_BUILD" -DCMAKE_BUILD_TYPE=Debug \
    -DLIFE3D_THREAD_SAFETY=ON -DLIFE3D_TESTS=OFF -DLIFE3D_BENCH=OFF -DLIFE3D_RENDER=OFF
fi
cmake --build "$THREADS_BUILD" --target life3d -j "$(nproc)"
