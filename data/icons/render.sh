#!/usr/bin/env bash
# Renders the PNG sizes of the icons from their SVG drawings (ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"
for name in org.example.ekplayer application-x-ekplayer-movie; do
  for size in 16 32 48 64 128 256; do
    convert -background none -density 300 "$name.svg" -resize "${size}x${size}" -depth 8 "$name-$size.png"
  done
done
