#!/usr/bin/env bash
# Install what building the web page needs, build it in build-web/ and serve
# its folder (build-web/web/site) on this machine; Ctrl+C stops the server.
# The folder is the whole page: any static web server can serve a copy.
# Usage: scripts/web.sh [PORT]   (default 8000)
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
PORT="${1:-8000}"
if [ $# -gt 1 ] || ! [[ "$PORT" =~ ^[0-9]+$ ]] || [ "$PORT" -lt 1 ] || [ "$PORT" -gt 65535 ]; then
  echo "usage: scripts/web.sh [PORT]   (a port from 1 to 65535, default 8000)" >&2
  exit 2
fi
ensure_packages "${WEB_PACKAGES[@]}"
build_web
echo "life3d: open http://127.0.0.1:$PORT/ in a web browser (Ctrl+C stops the server)"
exec python3 -m http.server --bind 127.0.0.1 --directory "$WEB_BUILD/web/site" "$PORT"
