#!/bin/bash
# Run as an ordinary user under xvfb-run by install_deb.sh: starts every copy
# of the installed package from its desktop entry, the way a menu would, and
# checks its window title, its working folder, its settings file, its results
# journal, the version its about window shows, and a printout of a worksheet
# landing in the user's data folder as a PDF.
#   start_copies.sh <version> <NAME|KIND|MENU NAME>...
# A pupils' copy is titled with its name; the teacher's (KIND "-") has no
# settings file, and its window is titled with its menu name.
set -u
version=$1
shift
work=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
wait_until() {  # <description> <command...>
    local what=$1; shift
    for _ in $(seq 1 300); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
data=$HOME/.local/share/aritmetica
[ ! -e "$data" ] || fail "the data folder exists before any copy started"
elsewhere=$work/elsewhere
mkdir "$elsewhere"

# A key of the [Desktop Entry] group (other groups, such as actions, have
# keys of the same names).
entry_key() {
    awk -v k="$2" '/^\[/ { main = ($0 == "[Desktop Entry]") } main && index($0, k "=") == 1 { print substr($0, length(k) + 2) }' "$1"
}
# The Exec line split into arguments: double quotes group; the installed
# paths need no escapes, and a field code or backslash would be a surprise.
split_exec() {
    local line=$1 c arg="" quoted=0 started=0 i
    case $line in *'\'* | *%*) fail "unexpected escape or field code in Exec=$line" ;; esac
    argv=()
    for ((i = 0; i < ${#line}; i++)); do
        c=${line:i:1}
        if [ "$c" = '"' ]; then quoted=$((1 - quoted)); started=1
        elif [ "$c" = ' ' ] && ((!quoted)); then ((started)) && argv+=("$arg"); arg=""; started=0
        else arg+=$c; started=1
        fi
    done
    ((started)) && argv+=("$arg")
    ((!quoted)) || fail "unterminated quote in Exec=$line"
}

# A control's line of the trace: window, name, caption, enabled, visible, x, y, w, h.
field() { awk -F'\t' -v w="$1" -v c="$2" '$1 == w && $2 == c' "$trace" 2>/dev/null | cut -f"$3"; }
usable() { [ "$(field "$1" "$2" 4)$(field "$1" "$2" 5)" = 11 ]; }
click() {  # <window> <control>
    wait_until "$1.$2 to be usable" usable "$1" "$2"
    local x y w h
    read -r x y w h < <(field "$1" "$2" 6-9 | tr '\t' ' ')
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    sleep 0.2
}
window_of() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
pdfs() { find "$data" -maxdepth 1 -name "$1-schede-*.pdf" -size +0 | wc -l; }

for copy in "$@"; do
    IFS='|' read -r name kind menu_name <<<"$copy"
    title=$name
    [ "$kind" = - ] && title=$menu_name
    entry=/usr/share/applications/aritmetica-${name,,}.desktop
    [ -f "$entry" ] || fail "no desktop entry for $name at $entry"
    split_exec "$(entry_key "$entry" Exec)"
    [ -x "$(entry_key "$entry" TryExec)" ] || fail "$entry: TryExec is not installed"

    trace=$work/trace-$name.tsv
    (cd "$elsewhere" && exec env ARITMETICA_TRACE="$trace" "${argv[@]}") >"$work/out-$name.log" 2>&1 &
    pid=$!
    shown() { [ -n "$(window_of "$title")" ] || ! kill -0 "$pid" 2>/dev/null; }
    wait_until "a window titled $title" shown
    kill -0 "$pid" 2>/dev/null || { cat "$work/out-$name.log"; fail "$name ended without a window"; }
    # The menu entry's StartupWMClass names the copy.
    xdotool search --class "^$name\$" >/dev/null || fail "no window of class $name"
    [ "$(readlink "/proc/$pid/exe")" = /usr/libexec/aritmetica/aritmetica ] ||
        fail "$name runs $(readlink "/proc/$pid/exe"), not the installed program"
    [ "$(readlink "/proc/$pid/cwd")" = "$data" ] || fail "$name runs in $(readlink "/proc/$pid/cwd"), not in $data"
    # The results journal, an SQLite file, opens once the window is up.
    journal_made() {
        [ "$(head -c 15 "$data/registro.sqlite" 2>/dev/null)" = "SQLite format 3" ] &&
            find "/proc/$pid/fd" -lname "$data/registro.sqlite" 2>/dev/null | grep -q .
    }
    wait_until "the journal $data/registro.sqlite" journal_made
    if [ "$kind" = - ]; then
        [ ! -e "$data/$name.dat" ] || fail "$name made a settings file"
        # "Stampa" by its mnemonic prints the report of the runs.
        xdotool windowfocus --sync "$(window_of "$title")"
        xdotool key alt+s
        report_printed() { find "$data" -maxdepth 1 -name "$name-*.pdf" -size +0 | grep -q .; }
        wait_until "a PDF report of $name in $data" report_printed
        pdf=$(find "$data" -maxdepth 1 -name "$name-*.pdf" | head -n 1)
        wait_until "$pdf to be complete" grep -q '%%EOF' "$pdf"
        pdftotext "$pdf" - | grep -q . || fail "$pdf holds no text"
        kill "$pid"; wait "$pid" 2>/dev/null; pid=
        echo "$name: window, journal and printout in $data"
        continue
    fi
    cmp -s "$data/$name.dat" <(printf ' %s  1  1 \r\n' "$kind") ||
        fail "$name.dat holds: $(od -An -c "$data/$name.dat")"

    curtain_open() { [ "$(field frmInizio mnuSchede 4)" = 1 ]; }
    wait_until "the curtain of $name to open" curtain_open
    # The last entry of the menu bar, from the keyboard: the about window.
    xdotool key alt; sleep 0.2; xdotool key Left; sleep 0.2; xdotool key Return
    about() { [ "$(field frmAutore lblVersione 3)" = "Versione $version" ]; }
    wait_until "the about window of $name to show version $version" about
    click frmAutore Command1
    closed() { [ -z "$(field frmAutore lblVersione 3)" ]; }
    wait_until "the about window of $name to close" closed

    # The first entry of the menu bar opens the worksheets.
    eval "$(xdotool getwindowgeometry --shell "$(window_of "$name")")"
    xdotool mousemove $((X + 30)) $((Y + 8)) click 1
    wait_until "the worksheet window of $name" usable FrmStampaSchede Option1_0
    click FrmStampaSchede Option1_0
    click FrmStampaSchede Option2_0
    click FrmStampaSchede CmdSchedaAlunni
    click FrmStampaSchede CmdStampaAlunni
    printed() { [ "$(pdfs "$name")" -ge 1 ]; }
    wait_until "a PDF printout of $name in $data" printed
    pdf=$(find "$data" -maxdepth 1 -name "$name-schede-*.pdf" | head -n 1)
    wait_until "$pdf to be complete" grep -q '%%EOF' "$pdf"
    [ "$(pdftotext "$pdf" - | grep -c '=')" -ge 30 ] || fail "$pdf does not hold a sheet of operations"

    kill "$pid"; wait "$pid" 2>/dev/null; pid=
    echo "$name: window, settings, journal and printout in $data"
done
[ -z "$(ls -A "$elsewhere")" ] || fail "a copy wrote into the folder it was started from: $(ls -A "$elsewhere")"
