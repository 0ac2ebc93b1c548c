#!/bin/sh
# Renders the main windows into PNG files under a virtual X server.
#   scripts/screenshots.sh <build folder> <output folder>
set -eu
build=$1
out=$2
mkdir -p "$out"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" env QT_QPA_PLATFORM=xcb LANG=it_IT.UTF-8 \
    "$build/tools/screenshots" "$out"
# The start and practice windows at the desktop scale factor 2.
big=$(mktemp -d)
xvfb-run -a -s "-screen 0 2560x2048x24 -noreset" env QT_QPA_PLATFORM=xcb LANG=it_IT.UTF-8 QT_SCALE_FACTOR=2 \
    "$build/tools/screenshots" "$big" start practice
cp "$big/start.png" "$out/start-scale2.png"
cp "$big/practice-helped.png" "$out/practice-scale2.png"
rm -rf "$big"
# The two widest windows at scale 2 on a 1600 x 1200 screen, where they are
# drawn at the largest scale that fits.
big=$(mktemp -d)
xvfb-run -a -s "-screen 0 1600x1200x24 -noreset" env QT_QPA_PLATFORM=xcb LANG=it_IT.UTF-8 QT_SCALE_FACTOR=2 \
    "$build/tools/screenshots" "$big" printouts worksheets
cp "$big/exercises.png" "$out/exercises-scale2.png"
cp "$big/worksheet-subtraction.png" "$out/worksheet-scale2.png"
rm -rf "$big"
# Settings files and printouts made on the way are not pictures.
rm -f "$out"/*.dat "$out"/*.pdf
