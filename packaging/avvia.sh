#!/bin/sh
# Starts one copy of the program from its desktop launcher.
#   avvia <copy name> [<operation kind>] [--tastiera]
#   avvia --verifica-registro
# The copy runs in the user's data folder, which holds its settings file and
# receives its printouts. The settings file is written here only when it is
# missing: afterwards it belongs to the program, which rewrites it when the
# user switches objective sets. A copy started without a kind (the teacher's)
# has no settings file. --tastiera goes to the program: its keyboard mode.
set -eu

usage() {
    echo "uso: ${0##*/} NOME-COPIA [TIPO-OPERAZIONE] [--tastiera]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
here=$(CDPATH='' cd -- "$(dirname -- "$0")" && pwd)

# The journal's set-up of this account on this machine, tried from its data
# folder as the copies would, adding nothing.
if [ "$1" = --verifica-registro ]; then
    [ $# -eq 1 ] || usage
    case ${XDG_DATA_HOME:-} in
        /*) data=$XDG_DATA_HOME/aritmetica ;;
        *) data=${HOME:?HOME non impostata}/.local/share/aritmetica ;;
    esac
    cd -- "$data" 2>/dev/null || { echo "${0##*/}: manca la cartella $data" >&2; exit 1; }
    exec "$here/registro-verifica"
fi
name=$1
shift
keyboard=
kind=
given=0  # arguments given for the kind
case $# in
    0) ;;
    1) if [ "$1" = --tastiera ]; then keyboard=$1; else kind=$1; given=1; fi ;;
    2) [ "$2" = --tastiera ] || usage; kind=$1; given=1; keyboard=$2 ;;
    *) usage ;;
esac
case $name in
    '' | .* | */*) echo "${0##*/}: nome di copia non valido: $name" >&2; exit 2 ;;
esac
case $kind in
    [1-7]) ;;
    '') [ $given -eq 0 ] || { echo "${0##*/}: tipo di operazione non valido: ''" >&2; exit 2; } ;;
    *) echo "${0##*/}: tipo di operazione non valido: $kind" >&2; exit 2 ;;
esac

# The copies are links next to this script.
if [ ! -x "$here/$name" ]; then
    echo "${0##*/}: manca la copia $here/$name" >&2
    exit 1
fi

# A relative XDG_DATA_HOME is not valid and is ignored, as the XDG rules say.
case ${XDG_DATA_HOME:-} in
    /*) data=$XDG_DATA_HOME/aritmetica ;;
    *) data=${HOME:?HOME non impostata}/.local/share/aritmetica ;;
esac
(umask 077 && mkdir -p -- "$data")
cd -- "$data"

# The data folder is the user's alone, unless a school that shares one
# group-owned folder says "cartella = condivisa" in its registro.conf: then
# the group may work in it too. The program reads the same line for the
# files it makes; these here follow it as well. A folder of someone else's
# is left as it is.
sharing=$(sed -n 's/^[[:space:]]*cartella[[:space:]]*=[[:space:]]*\([^[:space:]]*\)[[:space:]]*$/\1/Ip' \
    registro.conf 2>/dev/null | tail -n 1)
if [ "$sharing" = condivisa ]; then
    umask 007
    [ ! -O . ] || chmod u+rwx,g+rwx,o-rwx .
else
    umask 077
    [ ! -O . ] || chmod go-rwx .
fi

if [ -n "$kind" ] && [ ! -e "$name.dat" ] && [ ! -L "$name.dat" ]; then
    # noclobber: if two starts race, the second one leaves the file alone.
    # The line is the one the build's run folder gets: " k  1  1 " CR LF.
    (set -C; printf ' %s  1  1 \r\n' "$kind" >"$name.dat") 2>/dev/null ||
        [ -e "$name.dat" ] ||
        { echo "${0##*/}: impossibile creare $data/$name.dat" >&2; exit 1; }
fi

# Started by the copy's own name: that name is the copy.
exec "$here/$name" ${keyboard:+"$keyboard"}
