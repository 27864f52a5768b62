#!/usr/bin/env bash
# Builds the application icon (16, 32 and 48 pixels) from one SVG: make_icon.sh SOURCE.svg OUT.ico
set -euo pipefail
source=$1 out=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
for size in 16 32 48; do
  rsvg-convert --width $size --height $size --format png "$source" --output "$dir/$size.png"
done
convert "$dir/16.png" "$dir/32.png" "$dir/48.png" -strip "$out"
