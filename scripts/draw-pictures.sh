#!/usr/bin/env bash
# Redraws the windows' pictures (tool-button glyphs, the About emblem, the program icon) into
# resources/pictures/ with tools/pictures/draw_pictures.cpp. Run it after changing the drawing
# and commit the files it writes; the pictures_redraw test fails until they match.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake --preset release
cmake --build --preset release --target veltrane-draw-pictures
build/release/tools/pictures/veltrane-draw-pictures resources/pictures
echo "draw-pictures: pictures are in resources/pictures"
