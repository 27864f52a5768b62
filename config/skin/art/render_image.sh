#!/usr/bin/env bash
# Renders one skin SVG at its catalogue size into a PNG of its pixel kind:
#   render_image.sh SOURCE.svg WIDTH HEIGHT RGB|RGBA OUT.png
# RGB images are flattened onto the page colour and stored without an alpha channel (24-bit);
# RGBA images are stored as 32-bit PNG. Date chunks are left out so builds are reproducible.
set -euo pipefail
source=$1 width=$2 height=$3 kind=$4 out=$5
tmp="$out.tmp.png"
rsvg-convert --width "$width" --height "$height" --format png "$source" --output "$tmp"
case "$kind" in
  RGB) convert "$tmp" -background '#E8E8E8' -flatten -alpha off -strip \
         -define png:exclude-chunks=date,time "PNG24:$out" ;;
  RGBA) convert "$tmp" -strip -define png:exclude-chunks=date,time "PNG32:$out" ;;
  *) echo "render_image.sh: unknown pixel kind '$kind'" >&2; rm -f "$tmp"; exit 2 ;;
esac
rm -f "$tmp"
# Both tools quietly accept odd sizes; a wrong size here would shift the whole layout.
read -r w h < <(identify -format '%w %h\n' "$out")
if [ "$w" != "$width" ] || [ "$h" != "$height" ]; then
  echo "render_image.sh: $out is ${w}x${h}, expected ${width}x${height}" >&2
  rm -f "$out"; exit 1
fi
