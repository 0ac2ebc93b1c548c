#!/bin/bash
# Every window at each scale on this screen, under a window manager:
# the screenshot tool reports where each object a screen reader is told of
# stands, and screen_fit.py checks it against the same windows at scale 1.
#   screen_fit.sh <screenshots tool> <screen, for the report> <scale or dpi<N>>...
# (run under xvfb-run)
set -u
tool=$(readlink -f "$1")
screen=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
wm=
cleanup() { [ -n "$wm" ] && kill "$wm" 2>/dev/null; wait 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

openbox >"$work/openbox.log" 2>&1 &
wm=$!
sleep 1  # the window manager takes over the screen
status=0
for scale in 1 "$@"; do
    # dpi<N>: no scale factor, the screen's DPI set as desktops set it (Xft.dpi).
    factor=$scale
    case $scale in dpi*) echo "Xft.dpi: ${scale#dpi}" | xrdb -nocpp -merge; factor= ;; esac
    env ${factor:+QT_SCALE_FACTOR=$factor} "$tool" "$work/$scale" --schermo=geometry.tsv start who info practice printouts worksheets registro \
        >"$work/tool-$scale.log" 2>&1 || { echo "FAIL: the screenshot tool at scale $scale"; cat "$work/tool-$scale.log"; exit 1; }
    [ -n "$factor" ] || xrdb -nocpp -remove
    /usr/bin/python3 "$here/screen_fit.py" "$work/1/geometry.tsv" "$work/$scale/geometry.tsv" \
        "$screen at $scale" || status=1
done
exit $status
