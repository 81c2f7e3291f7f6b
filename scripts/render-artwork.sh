#!/usr/bin/env bash
# Renders the artwork sources (resources/src/*.svg) to the pictures and icons
# the program ships (resources/guide/, resources/icons/). Run by hand after
# changing a drawing, then commit both the source and the rendered files.
# Needs rsvg-convert (librsvg2-bin) and ImageMagick (imagemagick).
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
src="$root/resources/src"
guide="$root/resources/guide"
icons="$root/resources/icons"
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$guide" "$icons"

# svg width height -> png on a white background, no alpha
flat_png() {
  rsvg-convert -w "$2" -h "$3" "$src/$1" -o "$tmp/raw.png"
  convert "$tmp/raw.png" -background white -alpha remove -alpha off "$tmp/flat.png"
}

# Wiring pictures: 24-bit bitmaps, no palette, no alpha.
bmp24() {  # svg width height out
  flat_png "$1" "$2" "$3"
  convert "$tmp/flat.png" -type TrueColor "BMP3:$guide/$4"
}
# JPEG pictures: full-resolution colour (no chroma subsampling) keeps the
# thin lines and small text sharp.
jpeg() {  # svg width height out
  flat_png "$1" "$2" "$3"
  convert "$tmp/flat.png" -strip -sampling-factor 1x1 -quality 92 "$guide/$4"
}
# Thumbnails: the whole drawing scaled into 96 x 68, centred on white.
thumb() {  # svg out
  rsvg-convert -a -w 96 -h 68 "$src/$1" -o "$tmp/raw.png"
  convert "$tmp/raw.png" -background white -alpha remove -alpha off -gravity center -extent 96x68 \
    -type TrueColor "BMP3:$guide/$2"
}
# Icons: PNG, true colour with alpha, or paletted with the given number of
# colours; stripped of time stamps so unchanged drawings render to identical files.
icon() {  # svg size out [colours]
  rsvg-convert -w "$2" -h "$2" "$src/$1" -o "$tmp/icon.png"
  if [ $# -ge 4 ]; then
    convert "$tmp/icon.png" -background white -alpha remove -alpha off -colors "$4" -strip "PNG8:$icons/$3"
  else
    convert "$tmp/icon.png" -strip "PNG32:$icons/$3"
  fi
}

bmp24 single_line.svg 410 320 single_line.bmp
bmp24 two_line.svg 478 322 two_line.bmp
bmp24 four_line.svg 478 400 four_line.bmp
jpeg adsl.svg 572 387 adsl.jpg
jpeg splitter.svg 413 340 splitter.jpg
thumb two_line.svg thumb_wiring.bmp
thumb adsl.svg thumb_adsl.bmp

for s in 16 32 48; do
  icon icon_main.svg "$s" "main_$s.png"
  icon icon_adsl.svg "$s" "adsl_$s.png"
done
icon icon_lines.svg 16 lines_16.png 16
icon icon_single.svg 16 single_16.png 256

echo "Rendered into $guide and $icons"
