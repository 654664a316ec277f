#!/usr/bin/env bash
# Install what building the Debian package needs, build both programs (with
# life3d-render even after a lean scripts/run.sh) and make the package in the
# build folder: BUILD_DIR/life3d_<version>_amd64.deb.
# Usage: scripts/package.sh [BUILD_DIR]   (default: build)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if [ $# -gt 1 ] || [[ "${1:-}" == -* ]]; then
  echo "usage: scripts/package.sh [BUILD_DIR]" >&2
  exit 2
fi
BUILD="$(realpath -m "${1:-$BUILD}")"
ensure_packages "${RUN_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}"
build_package
cd "$BUILD"
cpack -G DEB
