#!/bin/bash
# The real program under a virtual X server, worked with real key presses.
#   keyboard.sh <path of the program> tastiera   a whole run from the keyboard
#                                                 alone, started with --tastiera
#   keyboard.sh <path of the program> segni      the same, with objective 5 on
#                                                 the second set: the sign keys,
#                                                 the labels and the window that
#                                                 act on a click, the menu bar
#   keyboard.sh <path of the program> mouse      started without it: no key
#                                                 acts on the keypads or labels
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
[ "$mode" != mouse ] && options=(--tastiera)
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
tab_to() {  # <window> <control>: Tab until it has the focus
    for _ in $(seq 1 40); do focused "$1" "$2" && return 0; key Tab; done
    fail "Tab never reached $1 $2"
}

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
    wait_until "three Tabs from objective 1 to reach the switch of objectives" focused frmInizio lblCambiaOb_0
    key Tab
    wait_until "Tab to go on to level 1" focused frmInizio Option2_0
    key space
    wait_until "Space to choose level 1" caption_is frmInizio Label3 "Livello n.1:         NUMERO MASSIMO da  1 a 30"
    key Tab Tab Tab Tab
    wait_until "Tab to reach Avanti" focused frmInizio Option3_0
    key Return
elif [ "$mode" = segni ]; then
    # The label that switches the objectives is reached and worked like a button.
    wait_until "the focus on objective 1" focused frmInizio Option1_0
    key Tab Tab Tab
    wait_until "Tab to reach the switch of objectives" focused frmInizio lblCambiaOb_0
    key space
    wait_until "Space to bring objectives 4-6" caption_is frmInizio Frame1 "OBIETTIVI 2"
    key shift+Tab shift+Tab
    wait_until "Shift+Tab back to objective 5" focused frmInizio Option1_4
    key Return
    wait_until "Enter to choose objective 5" caption_is frmInizio Label1 "Obiettivo n.5:     CALCOLO DEL SEGNO"
    tab_to frmInizio Option2_0
    key space
    tab_to frmInizio Option3_0
    key Return
else
    # Keys reach no label: the objectives stay as they are.
    key Tab Tab Tab
    focused frmInizio lblCambiaOb_0 && fail "Tab reached the switch of objectives"
    key space Return Tab space
    caption_is frmInizio Frame1 OBIETTIVI || fail "a key switched the objectives"
    caption_is frmInizio Label1 "Obiettivo: " || fail "a key chose an objective"
    click frmInizio Option1_0
    click frmInizio Option2_0
    click frmInizio Option3_0
fi

has_operation() { [ -n "$(field FrmOperativo LblNumero1 3)" ] || [ -n "$(field FrmOperativo lblNumero4 3)" ]; }
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
    key Tab Tab Tab Tab Tab Tab space
    caption_is FrmOperativo Label7 "si audio" || fail "a key worked the sound label"
    [ "$(field FrmOperativo fraElaborazione 5)" = 1 ] || fail "a key hid the statistics"
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

if [ "$mode" = segni ]; then
    # The sign that makes the operation true, read left to right ("12 + 2 ? 13",
    # "59 ? 26 + 34"), as the key that types it.
    sign_key() {
        for c in lblNumero4 lblUguale2 lblNumero6 lblSegno2 LblNumero8; do
            echo "$(field FrmOperativo $c 6) $(field FrmOperativo $c 3)"
        done | sort -n | cut -d' ' -f2- | tr '\n' ' ' | awk '{
            side = 0; op = ""
            for (i = 1; i <= NF; i++) {
                if ($i == "?") { side = 1; op = ""; continue }
                if ($i !~ /^[0-9]+$/) { op = $i; continue }
                x = $i + 0
                if (op == "") v[side] = x; else if (op == "+") v[side] += x; else if (op == "-") v[side] -= x
                else if (op == "x") v[side] *= x; else v[side] /= x
            }
            print v[0] == v[1] ? "equal" : v[0] < v[1] ? "less" : "greater"
        }'
    }
    for n in 1 2 3; do
        wait_until "operation $n" caption_is FrmOperativo LblOperazione "$n"
        right=$(sign_key)
        if [ "$n" = 1 ]; then
            # Every sign key types its sign; the last one is judged.
            for k in equal less greater; do
                [ $k = "$right" ] && continue
                key $k
                wait_until "the key $k to type its sign" caption_is FrmOperativo lblSegno2 \
                    "$(case $k in equal) echo =;; less) echo '<';; greater) echo '>';; esac)"
            done
        fi
        key "$right" Return
        wait_until "operation $n: $right to be judged right" caption_is FrmOperativo LblEsito Esatto
        key Return   # Avanti
    done
    # The sound label, the statistics panel and the window's background take
    # the focus in reading order and act as a click on them does.
    tab_to FrmOperativo Label7
    key space
    wait_until "Space to turn the sound off" caption_is FrmOperativo Label7 "no audio"
    tab_to FrmOperativo fraElaborazione
    key space
    hidden() { [ "$(field FrmOperativo fraElaborazione 5)" = 0 ]; }
    wait_until "Space to hide the statistics" hidden
    tab_to FrmOperativo Label7
    key Tab space   # the window itself, last in reading order
    shown() { [ "$(field FrmOperativo fraElaborazione 5)" = 1 ]; }
    wait_until "Space on the window to show the statistics" shown
    # Alt walks the menu bar; Enter opens the list of exercises done.
    key alt Return
    list_open() { [ "$(awk -F'\t' '$1 == "FrmStampaEsercizio" && $2 == "" {print $5}' "$trace")" = 1 ]; }
    wait_until "Alt and Enter to open the list of exercises done" list_open
    echo "PASS: objective 5 of the second set, the labels, the window and the menu from the keyboard"
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
        tab_to FrmOperativo Option3_0
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
