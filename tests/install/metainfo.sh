#!/usr/bin/env bash
# The installed AppStream metadata validates, launches the installed menu
# entry and names the release that life3d-render reports.
# Usage: metainfo.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/scratch.bash"
meta="$usr/share/metainfo/life3d.metainfo.xml"

appstreamcli validate --no-net "$meta" || { echo "FAIL: appstreamcli validate" >&2; exit 1; }
echo "ok: appstreamcli validate --no-net passes"

launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$meta")"
[ -f "$usr/share/applications/$launchable" ] ||
  { echo "FAIL: launchable '$launchable' is not installed" >&2; exit 1; }
version="$("$usr/bin/life3d-render" --version | sed -n 's/^life3d-render //p')"
[ -n "$version" ] && grep -q "<release version=\"$version\" date=" "$meta" ||
  { echo "FAIL: no release '$version' in the metadata" >&2; exit 1; }
echo "ok: the launchable is installed and the release is version $version"
