#!/usr/bin/env bash
# Install what is missing, build, and start life3d.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build
exec "$BUILD/life3d" "$@"
