#!/usr/bin/env bash
# Makes the program's icon files from packaging/icons/catalog-collector.svg: PNGs of 16, 32, 48
# and 256 pixels (the last, catalog-collector.png, for the desktop entry and the window) and
# catalog-collector.ico for the Windows resources. The results are committed; run this again
# after changing the drawing. Needs librsvg2-bin (rsvg-convert) and imagemagick (convert).
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh librsvg2-bin imagemagick
cd packaging/icons
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for size in 16 24 32 48 64 256; do
    rsvg-convert -w "$size" -h "$size" catalog-collector.svg -o "$scratch/$size.png"
done
cp "$scratch/16.png" catalog-collector-16.png
cp "$scratch/32.png" catalog-collector-32.png
cp "$scratch/48.png" catalog-collector-48.png
cp "$scratch/256.png" catalog-collector.png
# Windows takes the size it needs from the .ico; 256 pixels is stored as PNG.
convert "$scratch"/{16,24,32,48,64,256}.png catalog-collector.ico
