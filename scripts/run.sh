#!/bin/sh
# Starts one named copy of the program from the run folder of the build.
build_dir=$1
op=$2
if [ ! -x "$build_dir/run/$op" ]; then
    echo "The program has no window to show yet: the build made no '$op' in $build_dir/run."
    exit 1
fi
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
    echo "No display: run 'make run' from a desktop session (or under xvfb-run -a)."
    exit 1
fi
cd "$build_dir/run" && exec "./$op"
