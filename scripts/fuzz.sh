#!/usr/bin/env bash
# scripts/fuzz.sh [SECONDS [TARGET...]]: builds the fuzz targets with clang,
# the address and undefined-behaviour sanitizers and library assertions in
# build-fuzz/, then runs them. Without SECONDS: the short pass CI runs, every
# target a fixed number of runs with a fixed seed, so it gives the same result
# every time. With SECONDS: each named target (all without names) for that
# long, one after another, growing a corpus kept in build-fuzz/fuzz/corpus/;
# LIFE3D_FUZZ_RUNS=N stops each one after N inputs if that comes first.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
FUZZ_BUILD="$ROOT/build-fuzz"
if [ ! -f "$FUZZ_BUILD/CMakeCache.txt" ]; then
  CXX=clang++ cmake -S "$ROOT" -B "$FUZZ_BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DLIFE3D_FUZZ=ON -DLIFE3D_DESKTOP=OFF -DLIFE3D_TESTS=OFF -DLIFE3D_BENCH=OFF \
    -DLIFE3D_RENDER=OFF
fi
cmake --build "$FUZZ_BUILD" --target life3d_fuzzers -j "$(nproc)"
cd "$FUZZ_BUILD/fuzz"
if [ $# -ge 1 ]; then
  export LIFE3D_FUZZ_SECONDS="$1"
  shift
  names=".*"
  [ $# -ge 1 ] && names="$(IFS='|' && echo "$*")"
  ctest --output-on-failure -V -j1 --timeout $((LIFE3D_FUZZ_SECONDS + 300)) -R "^fuzz_($names)\$"
else
  ctest --output-on-failure -j "$(nproc)" --timeout 900
fi
