#!/usr/bin/env bash
# Install what is missing, build, and start life3d.
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_packages
build
if [ ! -x "$BUILD/life3d" ]; then
  echo "Built the libraries and tests; the desktop program is not there yet."
  exit 0
fi
exec "$BUILD/life3d" "$@"
