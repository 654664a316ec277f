#!/usr/bin/env bash
# Remakes the application icons in data/icons/hicolor/ from frames of
# life3d-render. 128 and 256 px: the whole board of a fixed seed, the grey
# background made transparent, cropped to the board and centred on a square.
# 48 and 64 px, where the whole board shrinks to a blue tile: a close crop of
# one blinker, a red box staying alive between two blue-grey ones being born
# and two brown ones dying, on the checkerboard.
# Usage: data/icons/make-icons.sh [BUILD_DIR]   (default: build)
# Needs ImageMagick (convert), which scripts/test.sh installs.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
build="${1:-$here/../../build}"
render="$build/life3d-render"
[ -x "$render" ] || { echo "make-icons.sh: no life3d-render in $build (build it first)" >&2; exit 1; }
command -v convert >/dev/null || { echo "make-icons.sh: convert (ImageMagick) is missing" >&2; exit 1; }

tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
# A square frame large enough that the 256-pixel icon is a reduction; the seed
# and pass count pick a board with a few tall live groups at the front.
"$render" --seed 43200.25 --passes 20 --size 1080x1080 --out "$tmp/frame.png"
# Exact match on the frame's 0x808080 background only: the shaded faces near
# it in colour stay opaque.
convert "$tmp/frame.png" -alpha set -fuzz 0 -transparent '#808080' -trim +repage "$tmp/board.png"
side="$(convert "$tmp/board.png" -format '%[fx:max(w,h)]' info:)"
convert "$tmp/board.png" -background none -gravity center -extent "${side}x${side}" "$tmp/square.png"

# By pass 300 this seed has settled into four blinkers near the board's front
# corner; four zoom steps and the crop frame the one at the right, 96 px wide,
# well inside the board, so no background shows.
"$render" --seed 1000 --passes 300 --size 2160x2160 --keys '++++' --out "$tmp/near.png"
convert "$tmp/near.png" -crop 96x96+888+1204 +repage "$tmp/blinker.png"

for size in 48 64 128 256; do
  source="$tmp/square.png"
  [ "$size" -gt 64 ] || source="$tmp/blinker.png"
  out="$here/hicolor/${size}x${size}/apps/life3d.png"
  mkdir -p "$(dirname "$out")"
  # -strip and a fixed date keep the files the same from one run to the next.
  convert "$source" -filter Lanczos -resize "${size}x${size}" -strip \
    -define png:exclude-chunks=date,time "$out.tmp"
  mv "$out.tmp" "$out"
  echo "wrote $out"
done
