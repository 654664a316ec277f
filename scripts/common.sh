# Shared by run.sh and test.sh: install what is missing, then build in build/.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$ROOT/build"

# Debian 12 packages: compiler and build tools, the libraries, and what the
# end-to-end tests use to drive the program on a virtual X display (their
# close-box helper is compiled against Xlib).
PACKAGES=(g++ cmake make pkg-config libgtest-dev libbenchmark-dev libpng-dev
  libsdl2-dev libsdl2-ttf-dev fonts-dejavu-core
  xvfb xterm tmux xdotool x11-utils imagemagick libx11-dev)

ensure_packages() {
  local missing=()
  for p in "${PACKAGES[@]}"; do
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

build() {
  if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release
  fi
  cmake --build "$BUILD" -j "$(nproc)"
}
