#!/usr/bin/env bash
# Install what building and running need, build the program alone, start it.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages "${RUN_PACKAGES[@]}"
build_program
exec "$BUILD/life3d" "$@"
