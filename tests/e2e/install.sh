#!/bin/bash
# Installs the build into a fresh prefix with spaces and shell characters in
# its path, then starts every copy the way a desktop would: from the Exec line
# of its desktop entry. Each copy must open its start window titled with its
# name, run in the user's data folder with a settings file of its own kind,
# and find that file untouched when started again after the program itself
# rewrote it.
#   install.sh <cmake> <build folder>      (run under xvfb-run)
set -u
cmake=$1
build=$2
work=$(mktemp -d)
pid=
trace=
# A copy that does not end on SIGTERM within ten seconds is killed: a copy
# stuck must fail the test, not hold it until its time runs out.
stop() {
    kill "$pid" 2>/dev/null
    for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
}
cleanup() {
    [ -z "$pid" ] || stop
    rm -rf "$work"
}
trap cleanup EXIT
# Where a running copy is stuck: its threads' stacks, or at least what each
# waits in, and what it printed.
describe_copy() {
    echo "--- the copy ($pid) is still running; its threads:"
    if command -v gdb >/dev/null; then
        gdb -p "$pid" -batch -ex 'thread apply all bt 30' 2>/dev/null | grep -E '^(Thread|#)' | head -150
    else
        for task in /proc/"$pid"/task/*; do
            echo "$(cat "$task/comm") waits in $(cat "$task/wchan"), syscall $(cut -d' ' -f1 "$task/syscall")"
        done
    fi
    for log in "$work"/out-*.log; do [ -s "$log" ] && { echo "--- $log:"; tail -20 "$log"; }; done
}
fail() {
    echo "FAIL: $*"
    [ -n "$trace" ] && [ -f "$trace" ] && { echo "--- trace:"; grep -v $'\t0\t0' "$trace" | head -40; }
    [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && describe_copy
    exit 1
}
wait_until() {  # <description> <command...>; patience=<tenths of a second>
    local what=$1; shift
    for _ in $(seq 1 "${patience:-200}"); do "$@" && return 0; sleep 0.1; done
    fail "timed out waiting for $what"
}
bytes() { od -An -tx1 "$1" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }
# The settings line " k  o  l " CR LF, as bytes.
settings_bytes() { printf ' %s  %s  %s \r\n' "$1" "$2" "$3" | od -An -tx1 | tr -s ' \n' ' ' | sed 's/^ //;s/ $//'; }

# What each copy must drill.
declare -A kinds=([ADDIZIONI]=1 [SOTTRAZIONI]=2 [ADDSOTTRAZIONI]=3 [MOLTIPLICAZIONI]=4
                  [DIVISIONI]=5 [MOLTDIVISIONI]=6 [OPERAZIONI]=7)

# Quotes and a dollar sign as well as spaces: the Exec line must quote the
# path. (A % would be legal too, but GLib-based desktops cannot start it.)
prefix="$work/pre fix \$HOME \"quoted\""
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install"; }
# Installing again over an installation, as an upgrade does, must work too.
"$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install over an existing installation"; }

libexec="$prefix/libexec/aritmetica"
program="$libexec/aritmetica"
apps="$prefix/share/applications"
icon="$prefix/share/icons/hicolor/scalable/apps/aritmetica.svg"
[ -f "$program" ] && [ ! -L "$program" ] && [ -x "$program" ] || fail "no program at $program"
for name in "${!kinds[@]}"; do
    link=$(readlink "$libexec/$name") || fail "$name is not a link"
    [ "$link" = aritmetica ] || fail "$name points to '$link', not to the program beside it"
done
# Rendered by librsvg itself: ImageMagick would hand the SVG to it anyway.
[ "$(rsvg-convert "$icon" | identify -format '%w %h' png:- 2>&1)" = "128 128" ] ||
    fail "the icon is not a readable 128x128 SVG"
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate missing (make deps installs it)"

# The Exec value read as desktops read it: string escapes first, then field
# codes (%% is a %, the others give nothing here), then the arguments, split
# on spaces, where double quotes group and \" \` \$ \\ are literal inside them.
parse_exec() {
    local value=$1 s="" t="" c i quoted=0 started=0 arg=""
    for ((i = 0; i < ${#value}; i++)); do
        c=${value:i:1}
        if [ "$c" = '\' ]; then
            i=$((i + 1)); c=${value:i:1}
            case $c in s) c=' ' ;; n) c=$'\n' ;; t) c=$'\t' ;; r) c=$'\r' ;; '\') ;; *) fail "bad escape \\$c in $value" ;; esac
        fi
        s+=$c
    done
    for ((i = 0; i < ${#s}; i++)); do
        c=${s:i:1}
        if [ "$c" = % ]; then
            i=$((i + 1))
            [ "${s:i:1}" = % ] && t+=%
        else
            t+=$c
        fi
    done
    argv=()
    for ((i = 0; i < ${#t}; i++)); do
        c=${t:i:1}
        if ((quoted)); then
            if [ "$c" = '"' ]; then
                quoted=0
            elif [ "$c" = '\' ]; then
                i=$((i + 1)); c=${t:i:1}
                case $c in '"' | '`' | '$' | '\') arg+=$c ;; *) fail "bad quoted escape \\$c in $value" ;; esac
            else
                arg+=$c
            fi
        else
            case $c in
                ' ') ((started)) && argv+=("$arg"); arg=""; started=0 ;;
                '"') quoted=1; started=1 ;;
                '\' | "'" | '$' | '`' | '<' | '>' | '|' | '&' | ';' | '*' | '?' | '#' | '~')
                    fail "unquoted reserved character '$c' in $value" ;;
                *) arg+=$c; started=1 ;;
            esac
        fi
    done
    ((quoted)) && fail "unterminated quote in $value"
    ((started)) && argv+=("$arg")
    return 0
}
key() { sed -n "/^\[Desktop Entry\]/,/^\[/s/^$2=//p" "$1"; }
action_key() { sed -n "/^\[Desktop Action $2\]/,/^\[/s/^$3=//p" "$1"; }

# A window line of the trace has an empty control name; its caption is the title.
title_of() { awk -F'\t' -v w="$2" '$1 == w && $2 == "" && $5 == 1 { print $3 }' "$1" 2>/dev/null; }
has_title() { [ -n "$(title_of "$1" "$2")" ]; }
field() { awk -F'\t' -v w="$2" -v c="$3" '$1 == w && $2 == c' "$1" 2>/dev/null | cut -f"$4"; }

# start <label> <env assignments...>: runs the parsed Exec line from a folder
# of its own (the launcher, not the caller, must choose the working folder)
# and waits for the start window. Sets pid, trace and title.
start() {
    local label=$1; shift
    trace="$work/trace-$label.tsv"
    (cd "$elsewhere" && exec env "$@" ARITMETICA_TRACE="$trace" "${argv[@]}") >"$work/out-$label.log" 2>&1 &
    pid=$!
    started() { has_title "$trace" frmInizio || ! kill -0 "$pid" 2>/dev/null; }
    # A minute: a loaded machine starting a copy for the first time.
    patience=600 wait_until "the start window of $label" started
    kill -0 "$pid" 2>/dev/null || { cat "$work/out-$label.log"; pid=; fail "$label ended before showing its window"; }
    title=$(title_of "$trace" frmInizio)
    [ "$(readlink "/proc/$pid/exe")" = "$program" ] || fail "$label: the started process is not the installed program"
}
check_folder() {  # <expected working folder of the running copy>
    [ "$(readlink "/proc/$pid/cwd")" = "$1" ] || fail "$title runs in '$(readlink "/proc/$pid/cwd")', not in '$1'"
}
curtain_open() { [ "$(field "$trace" frmInizio mnuSchede 4)" = 1 ]; }
click() {  # <window> <control>
    local x y w h
    read -r x y w h < <(awk -F'\t' -v w="$1" -v c="$2" '$1 == w && $2 == c' "$trace" | cut -f6-9)
    [ -n "$h" ] || fail "no control $1.$2 in the trace"
    xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 1
}

data_home="$work/da ta"
# HOME too is a scratch folder, which the launchers must leave alone while
# XDG_DATA_HOME is set.
unused_home="$work/unused home"
elsewhere="$work/elsewhere"
mkdir -p "$unused_home" "$elsewhere"
data="$data_home/aritmetica"
declare -A seen=() exec_lines=() keyboard_lines=()
entries=("$apps"/*.desktop)
[ "${#entries[@]}" -eq 8 ] || fail "expected 8 desktop entries, found ${#entries[@]}: ${entries[*]}"

# The teacher's copy opens its own window, in the same data folder, and
# writes no settings file.
teacher_window() { xdotool search --name '^Registro dei risultati$' >/dev/null 2>&1; }
start_teacher() {
    (cd "$elsewhere" && exec env XDG_DATA_HOME="$data_home" HOME="$unused_home" "${argv[@]}") >"$work/out-registro.log" 2>&1 &
    pid=$!
    up() { teacher_window || ! kill -0 "$pid" 2>/dev/null; }
    wait_until "the teacher's window" up
    kill -0 "$pid" 2>/dev/null || { cat "$work/out-registro.log"; pid=; fail "REGISTRO ended before showing its window"; }
    [ "$(readlink "/proc/$pid/exe")" = "$program" ] || fail "REGISTRO: the started process is not the installed program"
    title=REGISTRO
    xdotool search --class '^REGISTRO$' >/dev/null || fail "no window of class REGISTRO"
    check_folder "$data"
    stop
    [ ! -e "$data/REGISTRO.dat" ] || fail "the teacher's copy wrote a settings file"
}

for entry in "${entries[@]}"; do
    out=$(desktop-file-validate "$entry" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate $entry: $out"
    [ "$(key "$entry" Type)" = Application ] || fail "$entry: not an application"
    [ "$(key "$entry" Categories)" = "Education;Math;" ] || fail "$entry: categories $(key "$entry" Categories)"
    [ "$(key "$entry" Icon)" = aritmetica ] || fail "$entry: icon $(key "$entry" Icon)"
    [ -n "$(key "$entry" Name)" ] && [ -n "$(key "$entry" Comment)" ] || fail "$entry: no name or comment"
    [ -x "$(key "$entry" TryExec | sed 's/\\\\/\\/g')" ] || fail "$entry: TryExec is not an installed program"
    parse_exec "$(key "$entry" Exec)"
    if [ "${argv[1]:-}" = REGISTRO ]; then
        [ -z "$(key "$entry" Actions)" ] || fail "$entry: the teacher's copy has actions"
    else
        # A pupil's copy has an extra action, the same copy in keyboard mode.
        [ "$(key "$entry" Actions)" = "tastiera;" ] || fail "$entry: actions $(key "$entry" Actions)"
        [ "$(action_key "$entry" tastiera Name)" = "con la tastiera" ] || fail "$entry: keyboard action's name"
        plain=("${argv[@]}")
        keyboard_line=$(action_key "$entry" tastiera Exec)
        parse_exec "$keyboard_line"
        [ "${argv[*]}" = "${plain[*]} --tastiera" ] || fail "$entry: keyboard action runs ${argv[*]}"
        parse_exec "$(key "$entry" Exec)"
    fi
    if [ "${argv[1]:-}" = REGISTRO ]; then
        [ "${#argv[@]}" -eq 2 ] || fail "$entry: the teacher's copy is started with a kind: ${argv[*]}"
        [ "$(key "$entry" StartupWMClass)" = REGISTRO ] || fail "$entry: StartupWMClass is not REGISTRO"
        [ -z "${seen[REGISTRO]:-}" ] || fail "two entries start REGISTRO"
        seen[REGISTRO]=$entry
        start_teacher
        continue
    fi

    start "$(basename "$entry")" XDG_DATA_HOME="$data_home" HOME="$unused_home"
    kind=${kinds[$title]:-}
    [ -n "$kind" ] || fail "$entry opened a window titled '$title', which is no copy"
    [ -z "${seen[$title]:-}" ] || fail "two entries start $title"
    seen[$title]=$entry
    exec_lines[$title]=$(key "$entry" Exec)
    keyboard_lines[$title]=$keyboard_line
    [ "$(key "$entry" StartupWMClass)" = "$title" ] || fail "$entry: StartupWMClass does not match the window"
    xdotool search --class "^$title\$" >/dev/null || fail "no window of class $title"
    check_folder "$data"
    [ "$(bytes "$data/$title.dat")" = "$(settings_bytes "$kind" 1 1)" ] ||
        fail "$title.dat holds $(bytes "$data/$title.dat")"

    # Switching objective sets: the program rewrites its own settings file.
    wait_until "the curtain of $title to open" curtain_open
    click frmInizio lblCambiaOb_0
    rewritten() { [ "$(bytes "$data/$title.dat")" = "$(settings_bytes "$kind" 2 1)" ]; }
    wait_until "$title to save objective set 2" rewritten
    stop
done
[ "${#seen[@]}" -eq 8 ] || fail "the entries start only: ${!seen[*]}"

# Started again, every copy keeps what the program saved; each file is its own.
for name in "${!kinds[@]}"; do
    parse_exec "${exec_lines[$name]}"
    start "$name-again" XDG_DATA_HOME="$data_home" HOME="$unused_home"
    [ "$title" = "$name" ] || fail "the entry of $name opened $title the second time"
    check_folder "$data"
    stop
    [ "$(bytes "$data/$name.dat")" = "$(settings_bytes "${kinds[$name]}" 2 1)" ] ||
        fail "a second start changed $name.dat to $(bytes "$data/$name.dat")"
done
[ "$(find "$data" -name '*.dat' | wc -l)" -eq 7 ] || fail "the data folder holds: $(ls "$data")"
[ -z "$(ls -A "$elsewhere")" ] && [ ! -e "$unused_home/.local/share/aritmetica" ] || { find "$unused_home" "$elsewhere"; fail "a launcher wrote outside the data folder"; }

# What the launcher and the program make is the user's alone.
mode() { stat -c %a "$1"; }
[ "$(mode "$data")" = 700 ] || fail "the data folder is $(mode "$data")"
for name in "${!kinds[@]}"; do
    [ "$(mode "$data/$name.dat")" = 600 ] || fail "$name.dat is $(mode "$data/$name.dat")"
done

# Without XDG_DATA_HOME, or with a relative one (which does not count), the
# data folder is under $HOME; one left open to others is closed.
home="$work/ho me"
mkdir -p -m 0755 "$home/.local/share/aritmetica"
parse_exec "${exec_lines[MOLTIPLICAZIONI]}"
start unset -u XDG_DATA_HOME HOME="$home"
check_folder "$home/.local/share/aritmetica"
stop
[ "$(mode "$home/.local/share/aritmetica")" = 700 ] || fail "a folder open to others stayed $(mode "$home/.local/share/aritmetica")"
[ "$(bytes "$home/.local/share/aritmetica/MOLTIPLICAZIONI.dat")" = "$(settings_bytes 4 1 1)" ] ||
    fail "MOLTIPLICAZIONI.dat under HOME is wrong"
parse_exec "${exec_lines[DIVISIONI]}"
start relative XDG_DATA_HOME=relativa HOME="$home"
check_folder "$home/.local/share/aritmetica"
stop
[ "$(bytes "$home/.local/share/aritmetica/DIVISIONI.dat")" = "$(settings_bytes 5 1 1)" ] ||
    fail "DIVISIONI.dat under HOME is wrong"

# The technician's check of an account's set-up runs in its data folder and
# makes nothing; a malformed line is told by its number, never echoed.
verify() { env -u XDG_DATA_HOME HOME="$1" "$libexec/avvia" --verifica-registro 2>&1; }
check_home="$work/verifica"
said=$(verify "$check_home") && fail "a missing data folder passed the check: $said"
case $said in *"manca la cartella $check_home/.local/share/aritmetica"*) ;; *) fail "no data folder: $said" ;; esac
mkdir -p "$check_home/.local/share/aritmetica"
said=$(verify "$check_home") || fail "the check without a server failed: $said"
case $said in *"ok:    nessun server nominato"*) ;; *) fail "without a server: $said" ;; esac
printf 'host = server.scuola.lan\npassword: s3greta-Mario\n' >"$check_home/.local/share/aritmetica/registro.conf"
said=$(verify "$check_home") && fail "a malformed registro.conf passed the check: $said"
case $said in *ERRORE:*2*) ;; *) fail "a malformed line not told by its number: $said" ;; esac
case $said in *s3greta*) fail "the check showed the password: $said" ;; esac
[ "$(ls -A "$check_home/.local/share/aritmetica")" = registro.conf ] ||
    fail "the check made files: $(ls -A "$check_home/.local/share/aritmetica")"

# A school's shared folder: the group may work in it and in what is made there.
shared="$work/condivisa"
mkdir -p -m 0755 "$shared/aritmetica"
printf 'cartella = condivisa\r\n' >"$shared/aritmetica/registro.conf"
parse_exec "${exec_lines[DIVISIONI]}"
start shared XDG_DATA_HOME="$shared" HOME="$unused_home"
wait_until "the curtain of $title to open" curtain_open
click frmInizio lblCambiaOb_0
saved_shared() { [ "$(bytes "$shared/aritmetica/DIVISIONI.dat")" = "$(settings_bytes 5 2 1)" ]; }
wait_until "DIVISIONI to save objective set 2 in the shared folder" saved_shared
stop
[ "$(mode "$shared/aritmetica")" = 770 ] || fail "the shared folder is $(mode "$shared/aritmetica")"
[ "$(mode "$shared/aritmetica/DIVISIONI.dat")" = 660 ] || fail "DIVISIONI.dat in the shared folder is $(mode "$shared/aritmetica/DIVISIONI.dat")"

# Escape works "Esci" in a copy started from the keyboard action, and nothing
# in one started from the entry itself.
escape() {
    wait_until "the curtain of $title to open" curtain_open
    xdotool windowfocus --sync "$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)" key Escape
}
parse_exec "${exec_lines[DIVISIONI]}"
start escape-plain XDG_DATA_HOME="$data_home" HOME="$unused_home"
escape
sleep 1
kill -0 "$pid" 2>/dev/null || fail "Escape closed a copy started without the keyboard mode"
stop
parse_exec "${keyboard_lines[DIVISIONI]}"
start escape-keyboard XDG_DATA_HOME="$data_home" HOME="$unused_home"
escape
ended() { ! kill -0 "$pid" 2>/dev/null; }
wait_until "Escape to close the copy started in keyboard mode" ended
wait "$pid" 2>/dev/null; pid=

# Packagers install into a staging folder: the entries must name the real prefix.
DESTDIR="$work/stage dir" "$cmake" --install "$build" --prefix /opt/aritmetica >"$work/install.log" 2>&1 ||
    { cat "$work/install.log"; fail "cmake --install with DESTDIR"; }
staged="$work/stage dir/opt/aritmetica"
[ -x "$staged/libexec/aritmetica/aritmetica" ] || fail "DESTDIR: no program"
[ "$(readlink "$staged/libexec/aritmetica/OPERAZIONI")" = aritmetica ] || fail "DESTDIR: no OPERAZIONI link"
[ "$(readlink "$staged/libexec/aritmetica/REGISTRO")" = aritmetica ] || fail "DESTDIR: no REGISTRO link"
[ "$(key "$staged/share/applications/aritmetica-operazioni.desktop" Exec)" = '"/opt/aritmetica/libexec/aritmetica/avvia" OPERAZIONI 7' ] ||
    fail "DESTDIR: Exec is $(key "$staged/share/applications/aritmetica-operazioni.desktop" Exec)"

[ "$(key "$staged/share/applications/aritmetica-registro.desktop" Exec)" = '"/opt/aritmetica/libexec/aritmetica/avvia" REGISTRO' ] ||
    fail "DESTDIR: the teacher's Exec is $(key "$staged/share/applications/aritmetica-registro.desktop" Exec)"

echo "PASS: 8 desktop entries start their copies in the data folder; settings created once and kept"
