#!/bin/sh
# Renders the main windows into PNG files under a virtual X server.
#   scripts/screenshots.sh <build folder> <output folder>
set -eu
build=$1
out=$2
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb LANG=it_IT.UTF-8 \
    "$build/tools/screenshots" "$out"
# Settings files and printouts made on the way are not pictures.
rm -f "$out"/*.dat "$out"/*.pdf
