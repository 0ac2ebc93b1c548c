#!/bin/sh
# A copy is ended while its pupil answers: by SIGTERM, SIGHUP and SIGINT, and
# by killing its X server. Afterwards every operation it had handed to the
# journal is in registro.sqlite, and none twice (each is its run and place).
#   session_end.sh <session_end_probe>
set -eu
probe=$1
work=$(mktemp -d)
xvfb=
copy=
cleanup() {
    [ -z "$copy" ] || kill -KILL "$copy" 2>/dev/null || true
    [ -z "$xvfb" ] || kill -KILL "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A private X server for the copy of <folder>; sets xvfb and display.
start_display() {
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -noreset -nolisten tcp 5>"$1/display" 2>/dev/null &
    xvfb=$!
    for _ in $(seq 300); do [ -s "$1/display" ] && break; sleep 0.1; done
    display=:$(cat "$1/display")
}
stop_display() {
    kill -KILL "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    xvfb=
}
# Whether the copy is gone within <tenths of a second>; its status in status.
ended_within() {
    for _ in $(seq "$1"); do kill -0 "$copy" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$copy" 2>/dev/null && return 1
    status=0
    wait "$copy" || status=$?
    copy=
}

# A copy stuck before its event loop is ended by SIGTERM all the same, at
# once: there is nothing yet to write.
dir=$work/stuck
mkdir -p "$dir"
start_display "$dir"
(cd "$dir" && exec env DISPLAY="$display" "$probe" stuck) >"$dir/out" 2>&1 &
copy=$!
for _ in $(seq 300); do grep -q '^stuck' "$dir/out" && break; sleep 0.1; done
grep -q '^stuck' "$dir/out" || { cat "$dir/out" >&2; echo "stuck: the probe did not start" >&2; exit 1; }
kill -TERM "$copy"
ended_within 50 || { echo "stuck: SIGTERM did not end a copy before its event loop" >&2; exit 1; }
[ "$status" -eq 143 ] || { echo "stuck: ended with status $status, not by SIGTERM" >&2; exit 1; }
[ ! -e "$dir/registro.sqlite" ] || { echo "stuck: a journal was made" >&2; exit 1; }
stop_display

# How many operations each copy answers before its end: moments picked once
# at random, kept so that a failure can be run again.
for case in TERM:17 HUP:33 INT:48 X:26 TERM:3; do
    how=${case%%:*}
    after=${case#*:}
    dir=$work/$how-$after
    mkdir -p "$dir"
    start_display "$dir"

    (cd "$dir" && exec env DISPLAY="$display" "$probe" "$after") >"$dir/answered" 2>"$dir/stderr" &
    copy=$!
    for _ in $(seq 1200); do
        [ "$(grep -c '^answered' "$dir/answered" || true)" -ge "$after" ] && break
        kill -0 "$copy" 2>/dev/null || break
        sleep 0.05
    done
    if [ "$how" = X ]; then kill -KILL "$xvfb"; else kill -s "$how" "$copy"; fi

    ended_within 400 || { echo "$how after $after: the copy is still running 40 s later" >&2; exit 1; }
    stop_display
    # Ended by its own hand, not by the signal or a crash: 0, or 1 from Qt
    # when the display went away.
    if [ "$status" -gt 1 ]; then
        echo "$how after $after: the copy ended with status $status" >&2
        cat "$dir/stderr" >&2
        exit 1
    fi

    python3 - "$dir/answered" "$dir/registro.sqlite" "$how after $after" <<'PY'
import sqlite3, sys
answered_file, journal, case = sys.argv[1:4]
answered = [tuple(line.split()[1:3]) for line in open(answered_file) if line.startswith("answered ")]
assert len(answered) == len(set(answered)), f"{case}: the probe answered an operation twice"
db = sqlite3.connect(journal)
rows = [(r, str(p)) for r, p in db.execute("SELECT run_id, place FROM operations")]
# Each answered operation's run is there too, to be read as a run.
runs = {r for (r,) in db.execute("SELECT id FROM runs")}
orphans = {r for r, _ in answered} - runs
missing = set(answered) - set(rows)
# The signal may fall between an operation handed over and its line printed.
extra = set(rows) - set(answered)
if missing or orphans or len(extra) > 1 or len(answered) < 1:
    sys.exit(f"{case}: {len(answered)} answered, {len(rows)} in the journal, "
             f"{len(missing)} missing, {len(extra)} unknown, {len(orphans)} runs missing")
print(f"{case}: {len(answered)} answered, all {len(rows)} in the journal once")
PY
done
