#!/bin/bash
# The real program under a virtual X server, worked with real key presses.
#   keyboard.sh <path of the program> tastiera   a whole run from the keyboard
#                                                 alone, started with --tastiera
#   keyboard.sh <path of the program> mouse      started without it: no key
#                                                 acts on the keypads
# (run under xvfb-run)
set -u
program=$(readlink -f "$1")
mode=$2
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- last trace:"; grep -v $'\t0\t0' "$trace" 2>/dev/null | head -60; exit 1; }

ln -s "$program" "$work/ADDIZIONI"
printf ' 1  1  1 \r\n' >"$work/ADDIZIONI.dat"
trace=$work/trace.tsv
cd "$work"
options=()
[ "$mode" = tastiera ] && options=(--tastiera)
ARITMETICA_TRACE=$trace ./ADDIZIONI "${options[@]}" >"$work/out.log" 2>&1 &
pid=$!

# A control's line of the trace: window, name, caption, enabled, visible, x, y, w, h, focus.
line() { awk -F'\t' -v w="$1" -v c="$2" '$1 == w && $2 == c' "$trace" 2>/dev/null; }
field() { line "$1" "$2" | cut -f"$3"; }
wait_until() {  # <description> <command...>
    local what=$1; shift
    for _ in $(seq 1 200); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
caption_is() { [ "$(field "$1" "$2" 3)" = "$3" ]; }
focused() { [ "$(field "$1" "$2" 10)" = 1 ]; }
enabled() { [ "$(field "$1" "$2" 4)" = 1 ]; }
key() { xdotool key --delay 60 "$@"; sleep 0.3; }
click() {
    wait_until "$1 $2 to be usable" enabled "$1" "$2"
    local x y w h
    read -r x y w h < <(line "$1" "$2" | cut -f6-9)
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    sleep 0.3
}
digits() { echo "$1" | grep -o .; }

curtain_open() { [ "$(field frmInizio mnuSchede 4)" = 1 ]; }
wait_until "the curtain to open" curtain_open
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^ADDIZIONI$' | head -n 1)"

if [ "$mode" = tastiera ]; then
    # The focus waits on the first objective; Enter chooses it, Tab goes on
    # in reading order.
    wait_until "the focus on objective 1" focused frmInizio Option1_0
    key Return
    wait_until "Enter to choose objective 1" caption_is frmInizio Label1 "Obiettivo n.1:     CALCOLO DEL RISULTATO"
    key Tab Tab Tab
    wait_until "three Tabs from objective 1 to reach level 1" focused frmInizio Option2_0
    key space
    wait_until "Space to choose level 1" caption_is frmInizio Label3 "Livello n.1:         NUMERO MASSIMO da  1 a 30"
    key Tab Tab Tab Tab
    wait_until "Tab to reach Avanti" focused frmInizio Option3_0
    key Return
else
    click frmInizio Option1_0
    click frmInizio Option2_0
    click frmInizio Option3_0
fi

has_operation() { [ -n "$(field FrmOperativo LblNumero1 3)" ]; }
wait_until "the practice window" has_operation
xdotool windowfocus --sync "$(xdotool search --onlyvisible --name '^ADDIZIONI$' | tail -n 1)"
answer() { echo $(($(field FrmOperativo LblNumero1 3) + $(field FrmOperativo LblNumero2 3))); }

if [ "$mode" = mouse ]; then
    # Keys on the keypads do nothing, not even on a button that has the focus.
    click FrmOperativo Option1_1
    caption_is FrmOperativo lblRisultato1 1 || fail "a click on 1 did not type it"
    key 2 BackSpace space Return equal less greater Escape
    caption_is FrmOperativo lblRisultato1 1 || fail "keys changed the answer to $(field FrmOperativo lblRisultato1 3)"
    caption_is FrmOperativo LblEsito "" || fail "a key judged the answer"
    click FrmOperativo Option1_10   # Cancella
    for d in $(answer | grep -o .); do click FrmOperativo "Option1_$d"; done
    click FrmOperativo Option1_11   # Verifica
    caption_is FrmOperativo LblEsito Esatto || fail "the mouse no longer answers"
    key Return Escape space
    caption_is FrmOperativo LblOperazione 1 || fail "a key went on to the next operation"
    enabled FrmOperativo Option1_13 && kill -0 "$pid" || fail "Escape closed the window"
    [ -n "$(field FrmOperativo LblNumero1 3)" ] || fail "the practice window is gone"
    echo "PASS: without --tastiera no key acts on the keypads"
    exit 0
fi

for n in $(seq 1 20); do
    wait_until "operation $n" caption_is FrmOperativo LblOperazione "$n"
    right=$(answer)
    key Escape   # "Esci" is disabled while the operation waits: nothing happens
    kill -0 "$pid" || fail "Escape closed the window in the middle of an operation"
    if [ "$n" = 2 ]; then
        # A wrong answer: help is offered and the focus is on its buttons.
        key $(digits $((right + 1))) Return
        wait_until "the wrong answer to be judged" caption_is FrmOperativo LblEsito Errato
        on_help() { focused FrmOperativo Option3_1 || focused FrmOperativo Option3_0; }
        wait_until "the focus on the help panel" on_help
        focused FrmOperativo Option3_0 || key shift+Tab
        focused FrmOperativo Option3_0 || key Tab
        key Return   # "No": try again
        wait_until "No to clear the answer" caption_is FrmOperativo lblRisultato1 "?"
    fi
    key 9 BackSpace
    wait_until "Backspace to work Cancella" caption_is FrmOperativo lblRisultato1 "?"
    key $(digits "$right") Return
    wait_until "operation $n: $right to be judged right" caption_is FrmOperativo LblEsito Esatto
    [ "$n" = 20 ] || key Return   # Avanti
done
wait_until "the end panel after twenty operations" enabled FrmOperativo Option4_0
caption_is FrmOperativo lblRisEsatte 20 || fail "right answers: $(field FrmOperativo lblRisEsatte 3)"
caption_is FrmOperativo lblRisErrate 1 || fail "wrong answers: $(field FrmOperativo lblRisErrate 3)"
echo "PASS: a whole run worked from the keyboard"
