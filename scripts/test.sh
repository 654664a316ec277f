#!/usr/bin/env bash
# Install what building and every test need, build everything, run every
# test (unit, end-to-end, installation and package), then build the web page
# and run its tests, whose frames are checked against this build's
# life3d-render. Arguments go to both ctest runs.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
build_all
build_web -DLIFE3D_RENDER_PROGRAM="$BUILD/life3d-render"
status=0
(cd "$BUILD" && ctest --output-on-failure -j "$(nproc)" "$@") || status=$?
(cd "$WEB_BUILD" && ctest --output-on-failure -j "$(nproc)" "$@") || status=$?
exit "$status"
