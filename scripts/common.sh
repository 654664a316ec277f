# Shared by run.sh, test.sh and fuzz.sh: install what is missing, then build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"
WEB_BUILD="$ROOT/build-web"

# Debian 12 packages. Building and running life3d: the compiler and build
# tools, SDL2, Xlib and terminfo (the display and terminal adapters) and the
# console panel's font.
RUN_PACKAGES=(g++ cmake make pkg-config libsdl2-dev libsdl2-ttf-dev libx11-dev libxext-dev libncurses-dev
  fonts-dejavu-core)
# The Debian package adds libpng and FFmpeg's libraries for life3d-render's
# PNGs and videos, and what cpack uses to find the libraries' packages
# (dpkg-shlibdeps, which reads file's verdicts).
PACKAGE_PACKAGES=(libpng-dev libavcodec-dev libavformat-dev libswscale-dev libavutil-dev
  dpkg-dev file)
# Building everything and testing it adds: GoogleTest and Google Benchmark;
# what the end-to-end tests use to drive the program on a virtual X display
# (their close-box helper is compiled against Xlib); the checkers of the
# installed files and of the Debian package; and clang with its sanitizer and
# fuzzer runtimes for scripts/fuzz.sh.
TEST_PACKAGES=("${PACKAGE_PACKAGES[@]}" libgtest-dev libbenchmark-dev
  xvfb xterm tmux xdotool x11-utils imagemagick
  desktop-file-utils appstream man-db lintian
  clang libclang-rt-14-dev)
# The web page adds emscripten (its compiler, binaryen, and python3 that
# scripts/web.sh serves the page with) and node, which runs the page's tests;
# testing it adds headless Chromium and its WebDriver.
WEB_PACKAGES=(emscripten nodejs)
WEB_TEST_PACKAGES=(chromium chromium-driver)
PACKAGES=("${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WEB_PACKAGES[@]}" "${WEB_TEST_PACKAGES[@]}")

# ensure_packages NAME...: installs those of the named packages that are missing.
ensure_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo="sudo"
  fi
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

# The lean configuration of a first run: the tool, the tests and the
# benchmarks left out (their libraries may not be installed).
configure_lean() {
  cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DLIFE3D_TESTS=OFF -DLIFE3D_BENCH=OFF \
    -DLIFE3D_RENDER=OFF
}

# Only the program: a first run configures lean; a configuration made before
# (by build_all, say) is kept.
build_program() {
  [ -f "$BUILD/CMakeCache.txt" ] || configure_lean
  cmake --build "$BUILD" -j "$(nproc)" --target life3d
}

# What the package holds: both programs, life3d-render switched on if a lean
# run left it off; the tests and benchmarks stay as they were configured.
build_package() {
  local cache="$BUILD/CMakeCache.txt"
  if [ ! -f "$cache" ] || ! grep -qx 'LIFE3D_RENDER:BOOL=ON' "$cache" ||
    ! grep -qx 'LIFE3D_DESKTOP:BOOL=ON' "$cache"; then
    [ -f "$cache" ] || configure_lean
    cmake -S "$ROOT" -B "$BUILD" -DLIFE3D_RENDER=ON -DLIFE3D_DESKTOP=ON
  fi
  cmake --build "$BUILD" -j "$(nproc)"
}

# Everything, the tool, tests and benchmarks switched on if a lean run left
# them off.
build_all() {
  local cache="$BUILD/CMakeCache.txt"
  if [ ! -f "$cache" ] || ! grep -qx 'LIFE3D_TESTS:BOOL=ON' "$cache" ||
    ! grep -qx 'LIFE3D_BENCH:BOOL=ON' "$cache" || ! grep -qx 'LIFE3D_RENDER:BOOL=ON' "$cache"; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DLIFE3D_TESTS=ON -DLIFE3D_BENCH=ON \
      -DLIFE3D_RENDER=ON
  fi
  cmake --build "$BUILD" -j "$(nproc)"
}

# The web page, in a build folder of its own configured for emscripten; the
# page is then the folder build-web/web/site. Arguments go to the first
# configuration, or change an existing one.
build_web() {
  if [ ! -f "$WEB_BUILD/CMakeCache.txt" ]; then
    emcmake cmake -S "$ROOT" -B "$WEB_BUILD" -DCMAKE_BUILD_TYPE=Release -DLIFE3D_DESKTOP=OFF \
      -DLIFE3D_RENDER=OFF -DLIFE3D_TESTS=OFF -DLIFE3D_BENCH=OFF "$@"
  elif [ $# -gt 0 ]; then
    cmake -S "$ROOT" -B "$WEB_BUILD" "$@"
  fi
  cmake --build "$WEB_BUILD" -j "$(nproc)"
}
