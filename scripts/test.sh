#!/usr/bin/env bash
# Install what is missing, build, and run every test (unit and end-to-end).
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build
cd "$BUILD"
ctest --output-on-failure -j "$(nproc)" "$@"
