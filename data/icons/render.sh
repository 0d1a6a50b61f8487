#!/usr/bin/env bash
# Renders morvessa.svg into the PNG sizes that are installed and embedded in
# the program (needs ImageMagick). Run after changing the drawing.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
  convert -background none -density 384 morvessa.svg -resize "${size}x${size}" -depth 8 -strip "morvessa-$size.png"
done
