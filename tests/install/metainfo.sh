#!/usr/bin/env bash
# The installed AppStream metadata validates (looking up any address it
# names), launches the installed menu entry and names the release that
# life3d-render reports; it and the installed copyright state the licence of
# LICENSE, whose text the copyright holds.
# Usage: metainfo.sh BUILD_DIR
source "$(dirname "${BASH_SOURCE[0]}")/scratch.bash"
meta="$usr/share/metainfo/life3d.metainfo.xml"

appstreamcli validate "$meta" || { echo "FAIL: appstreamcli validate" >&2; exit 1; }
echo "ok: appstreamcli validate passes"

launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$meta")"
[ -f "$usr/share/applications/$launchable" ] ||
  { echo "FAIL: launchable '$launchable' is not installed" >&2; exit 1; }
version="$("$usr/bin/life3d-render" --version | sed -n 's/^life3d-render //p')"
[ -n "$version" ] && grep -q "<release version=\"$version\" date=" "$meta" ||
  { echo "FAIL: no release '$version' in the metadata" >&2; exit 1; }
echo "ok: the launchable is installed and the release is version $version"

source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
copyright="$usr/share/doc/life3d/copyright"
[ "$(head -1 "$source_dir/LICENSE")" = "MIT License" ] || { echo "FAIL: LICENSE is not MIT's" >&2; exit 1; }
for license in metadata_license project_license; do
  grep -qF "<$license>MIT</$license>" "$meta" || { echo "FAIL: $license is not MIT" >&2; exit 1; }
done
grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$copyright" &&
  grep -qx 'License: Expat' "$copyright" || { echo "FAIL: copyright is not DEP-5 with Expat" >&2; exit 1; }
# The licence paragraph's text, unindented, with "." for its blank lines.
diff <(sed -n '/^Permission/,$p' "$source_dir/LICENSE") \
  <(sed -n '/^ Permission/,$p' "$copyright" | sed -e 's/^ //' -e 's/^\.$//') >&2 ||
  { echo "FAIL: the copyright's licence text differs from LICENSE" >&2; exit 1; }
echo "ok: MIT in the metadata, Expat in the copyright, with LICENSE's text"
