#!/usr/bin/env bash
# scripts/debug_test.sh: builds the unit tests in a Debug configuration in
# build-debug/, so every assert is active, and runs them. The end-to-end,
# installation and package tests stay with scripts/test.sh. Optimised a
# little (-O1, no debug information): the asserts stay, and the video tests
# take half the time they take unoptimised.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
DEBUG_BUILD="$ROOT/build-debug"
if [ ! -f "$DEBUG_BUILD/CMakeCache.txt" ]; then
  cmake -S "$ROOT" -B "$DEBUG_BUILD" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 \
    -DLIFE3D_TESTS=ON -DLIFE3D_BENCH=OFF -DLIFE3D_RENDER=ON
fi
cmake --build "$DEBUG_BUILD" --target life3d_tests life3d_desktop_tests -j "$(nproc)"
cd "$DEBUG_BUILD"
ctest --output-on-failure -L unit -j "$(nproc)" "$@"
