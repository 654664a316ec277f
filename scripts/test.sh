#!/usr/bin/env bash
# Install what building and every test need, build everything, run every
# test (unit, end-to-end, installation and package).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${PACKAGES[@]}"
build_all
cd "$BUILD"
ctest --output-on-failure -j "$(nproc)" "$@"
