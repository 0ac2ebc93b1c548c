#!/bin/bash
# The real program, started through a link named SOTTRAZIONI in a folder of
# its own with a settings file for subtractions, driven with real X input:
# the copy's name is its title, the choices reach the practice window, which
# poses a subtraction, and the settings file holds what "Avanti" wrote.
#   subtraction_copy.sh <path of the program>      (run under xvfb-run)
set -u
program=$(readlink -f "$1")
work=$(mktemp -d)
pid=
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; echo "--- last trace:"; cat "$trace" 2>/dev/null | grep -v $'\t0\t0' | head -80; exit 1; }

ln -s "$program" "$work/SOTTRAZIONI"
printf ' 2  1  1 \r\n' > "$work/SOTTRAZIONI.dat"
trace=$work/trace.tsv
cd "$work"
ARITMETICA_TRACE=$trace ./SOTTRAZIONI >"$work/out.log" 2>&1 &
pid=$!

# A control's line of the trace: window, name, caption, enabled, visible, x, y, w, h.
line() { awk -F'\t' -v w="$1" -v c="$2" '$1 == w && $2 == c' "$trace" 2>/dev/null; }
field() { line "$1" "$2" | cut -f"$3"; }
wait_until() {  # <description> <command...>
    local what=$1; shift
    for _ in $(seq 1 150); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
enabled_and_shown() { [ "$(field "$1" "$2" 4)$(field "$1" "$2" 5)" = 11 ]; }
caption_is() { [ "$(field "$1" "$2" 3)" = "$3" ]; }
has_caption() { [ -n "$(field "$1" "$2" 3)" ]; }
click() {
    wait_until "$1 $2 to be usable" enabled_and_shown "$1" "$2"
    local x y w h
    read -r x y w h < <(line "$1" "$2" | cut -f6-9)
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
    sleep 0.3
}

# The curtain opens by itself; "Stampa schede" comes alive when it has.
curtain_open() { [ "$(field frmInizio mnuSchede 4)" = 1 ]; }
wait_until "the curtain to open" curtain_open
xdotool search --name '^SOTTRAZIONI$' >/dev/null || fail "no window titled SOTTRAZIONI"
[ "$(field frmInizio lblNomeOperazione 3)" = SOTTRAZIONI ] || fail "operation label is not SOTTRAZIONI"

click frmInizio Option1_0   # 1. Calcolo del risultato
click frmInizio Option2_0   # 1. Numeri da 1 a 30
[ "$(field frmInizio Label1 3)" = "Obiettivo n.1:     CALCOLO DEL RISULTATO" ] || fail "objective not chosen"
[ "$(field frmInizio Label3 3)" = "Livello n.1:         NUMERO MASSIMO da  1 a 30" ] || fail "level not chosen"
click frmInizio Option3_0   # Avanti

wait_until "the practice window" has_caption FrmOperativo LblSegno
[ "$(field FrmOperativo LblSegno 3)" = "-" ] || fail "the practice window does not pose a subtraction"
a=$(field FrmOperativo LblNumero1 3)
b=$(field FrmOperativo LblNumero2 3)
[ "$a" -gt "$b" ] && [ "$b" -ge 1 ] && [ "$a" -le 30 ] || fail "not a level-1 subtraction: $a - $b"
[ "$(field FrmOperativo Label1_1 3)" = "   Operazione:        SOTTRAZIONI" ] || fail "header line"
[ "$(xdotool search --name '^SOTTRAZIONI$' | wc -l)" -ge 2 ] || fail "the practice window is not titled SOTTRAZIONI"

# Answer it right on the keypad.
for digit in $(echo $((a - b)) | grep -o .); do click FrmOperativo "Option1_$digit"; done
click FrmOperativo Option1_11   # Verifica
wait_until "the answer to be judged" caption_is FrmOperativo LblEsito Esatto

bytes=$(od -An -tx1 "$work/SOTTRAZIONI.dat" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')
[ "$bytes" = "20 32 20 20 31 20 20 31 20 0d 0a" ] || fail "settings file holds: $bytes"
echo "PASS: SOTTRAZIONI posed $a - $b and saved its settings"
