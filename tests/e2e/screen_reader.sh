#!/bin/bash
# Starts a copy of the program with the accessibility bus, as a desktop with a
# screen reader does, and hands it to screen_reader.py.
#   screen_reader.sh <path of the program> <at-spi-bus-launcher> [schede]
# (run under dbus-run-session and xvfb-run)
set -u
program=$(readlink -f "$1")
launcher=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

"$launcher" --launch-immediately >"$work/bus.log" 2>&1 &
pids+=($!)
# All four operations, objective 6: number and sign keypads both come up.
ln -s "$program" "$work/OPERAZIONI"
printf ' 7  1  1 \r\n' >"$work/OPERAZIONI.dat"
cd "$work"
# Qt speaks to the bus whenever one is there; a desktop without a screen
# reader running would have it switched off.
# A desktop's usual umask: what the program makes must be private anyway.
umask 022
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 ./OPERAZIONI >"$work/out.log" 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/screen_reader.py" OPERAZIONI "${@:3}"
status=$?
[ $status -eq 0 ] || { echo "--- program output:"; cat "$work/out.log"; }
exit $status
