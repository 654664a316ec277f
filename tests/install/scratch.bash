# Sourced by the install tests: the build folder from the first argument, a
# scratch folder removed at exit, and the life3d component installed into it
# at the prefix /usr, whose files are then under $usr.
set -euo pipefail
build="${1:?usage: $(basename "$0") BUILD_DIR}"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
DESTDIR="$tmp/root" cmake --install "$build" --component life3d --prefix /usr >/dev/null
usr="$tmp/root/usr"
