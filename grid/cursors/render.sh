#!/usr/bin/env bash
# Renders the grid cursors from their SVG sources into the PNGs that the
# resource file embeds. Run after editing an SVG; the PNGs are committed.
# Hot spots live in grid/cursors.cpp beside each cursor's name.
set -euo pipefail
cd "$(dirname "$0")"
for svg in *.svg; do
  rsvg-convert --width 32 --height 32 --format png --output "${svg%.svg}.png" "$svg"
done
