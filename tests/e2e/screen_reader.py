"""The program as a screen reader sees it, through the AT-SPI bus: names,
roles and states of the windows, and a whole practice run played with the
accessibility actions alone, the answers worked out from the operation as it
is read aloud.
  screen_reader.py <copy name>    (the copy is running, on this bus)
Runs with Debian's python3, which has the AT-SPI bindings."""
import os
import re
import sqlite3
import subprocess
import sys
import time
import warnings

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

COPY = sys.argv[1]
# get_action_name is the name the actions are known by; its successor only
# gives the translated one.
warnings.filterwarnings("ignore", category=DeprecationWarning)


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def wait_for(what, probe, seconds=40):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        try:
            found = probe()
        except (gi.repository.GLib.Error, IndexError):
            found = None
        if found:
            return found
        time.sleep(0.1)
    fail("timed out waiting for " + what)


def the_app():
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        app = desktop.get_child_at_index(i)
        if app is not None and app.get_name() == COPY:
            app.set_cache_mask(Atspi.Cache.NONE)  # read everything fresh
            return app
    return None


app = wait_for("the program on the accessibility bus", the_app)


def states(obj):
    return {Atspi.StateType(s).value_nick for s in obj.get_state_set().get_states()}


def walk(obj):
    yield obj
    for i in range(obj.get_child_count()):
        child = obj.get_child_at_index(i)
        if child is not None:
            yield from walk(child)


def showing(obj):
    return {"showing", "visible"} <= states(obj)


def windows():
    found = (app.get_child_at_index(i) for i in range(app.get_child_count()))
    return [w for w in found if w is not None]


def window_with(name):
    """The shown window that holds an object of that name."""
    for w in windows():
        if "showing" in states(w) and any(o.get_name() == name for o in walk(w)):
            return w
    return None


def shown(window, role, name=None, pattern=None):
    """The objects of the role that a sighted pupil sees, by name or pattern."""
    return [o for o in walk(window)
            if o.get_role_name() == role and showing(o)
            and (name is None or o.get_name() == name)
            and (pattern is None or re.fullmatch(pattern, o.get_name()))]


def press(window, name, role="push button"):
    """The assistive press of the one control of that name a pupil sees."""
    buttons = wait_for(f"a usable {role} '{name}'", lambda: [
        b for b in shown(window, role, name) if "enabled" in states(b)])
    if len(buttons) != 1:
        fail(f"{len(buttons)} buttons '{name}' are shown")
    button = buttons[0]
    actions = [button.get_action_name(i) for i in range(button.get_n_actions())]
    if "Press" not in actions:
        fail(f"'{name}' offers {actions}, no Press")
    button.do_action(actions.index("Press"))
    return button


def no_button_left_selected(window):
    for b in walk(window):
        if b.get_role_name() in ("push button", "check box", "toggle button") and \
                states(b) & {"checked", "pressed"}:
            fail(f"'{b.get_name()}' stays selected after its press")


def focus_is_usable(window):
    for o in walk(window):
        if "focused" in states(o) and not (showing(o) and "enabled" in states(o)):
            fail(f"the focus rests on '{o.get_name()}', which is covered, hidden or disabled")


def close_message_box():
    box = wait_for("the message box", lambda: [w for w in windows() if w.get_role_name() == "alert" and showing(w)])[0]
    said = box.get_description()
    press(box, "OK")
    wait_for("the message box to go", lambda: not [w for w in windows() if w.get_role_name() == "alert" and showing(w)])
    return said


def menu_item(window, name):
    return wait_for(f"the menu item {name}", lambda: [
        o for o in walk(window) if o.get_role_name() == "menu item" and o.get_name() == name
        and "enabled" in states(o)])[0]


if sys.argv[2:] == ["schede"]:
    # The worksheets and an information window, worked through the bus alone;
    # the number of sheets written as a switch program writes it.
    start = wait_for("the start window", lambda: window_with("OBIETTIVI"))
    menu_item(start, "Valutazione").do_action(0)
    info = wait_for("the evaluation scale", lambda: window_with("SCALA DI VALUTAZIONE"))
    press(info, "Chiudi")  # "C h i u d i" on screen
    wait_for("the evaluation scale to close", lambda: not window_with("SCALA DI VALUTAZIONE"))
    menu_item(start, "Stampa schede").do_action(0)
    sheets = wait_for("the worksheets", lambda: window_with("OPERAZIONE"))
    press(sheets, "Sottrazioni")
    press(sheets, "1. Calcolo del risultato")
    press(sheets, "da 1   a 30")
    press(sheets, "VISUALIZZA SCHEDA ALUNNI")
    count = wait_for("the sheet count", lambda: shown(sheets, "text", "Schede alunni da stampare"))[0]
    Atspi.EditableText.set_text_contents(count, "25")
    wait_for("both counts at 25", lambda: [Atspi.Text.get_text(o, 0, -1) for o in walk(sheets)
                                            if o.get_role_name() == "text"] == ["25", "25"])
    press(sheets, "STAMPA SCHEDA ")
    said = close_message_box()
    pdf = re.search(r"(\S+\.pdf)", said) or fail(f"the print is said as '{said}'")
    pages = subprocess.run(["pdfinfo", pdf.group(1)], capture_output=True, text=True).stdout
    if not re.search(r"^Pages:\s+25$", pages, re.M):
        fail(f"the print of 25 sheets holds: {pages}")
    if os.stat(pdf.group(1)).st_mode & 0o777 != 0o600:
        fail(f"the printout is {oct(os.stat(pdf.group(1)).st_mode & 0o777)}")
    press(sheets, "ESCI")
    wait_for("the worksheets to close", lambda: not window_with("OPERAZIONE"))
    print("PASS: 25 sheets printed and an information window closed through the accessibility bus")
    sys.exit(0)

# --- the start window -------------------------------------------------------
start = wait_for("the start window", lambda: window_with("OBIETTIVI"))
if start.get_name() != COPY or start.get_role_name() != "frame":
    fail(f"start window read as {start.get_role_name()} '{start.get_name()}'")
for title in ("OBIETTIVI", "LIVELLI", "OPERATIVITA'"):
    if not [o for o in walk(start) if o.get_name() == title and o.get_role_name() == "panel"]:
        fail(f"no panel named {title}")
# The curtain opens; then the focus is on a button the pupil sees.
wait_for("the first objective to take the focus",
         lambda: "focused" in states(shown(start, "push button", "1. Calcolo del risultato")[0]))
focus_is_usable(start)
if [o for o in walk(start) if o.get_role_name() == "check box"]:
    fail("option buttons are still read as check boxes")
if [o for o in walk(start) if showing(o) and o.get_role_name() == "label" and not o.get_name().strip()]:
    fail("a label with nothing to read is shown to the screen reader")
if shown(start, "push button", "4. Calcolo di un termine"):
    fail("objective 4 is read as shown while objectives 1-3 cover it")

objective = "6. Calcolo di un termine o del segno"
press(start, "Cambia gli obiettivi", "label")
wait_for("objectives 4-6 in front", lambda: shown(start, "push button", objective))
press(start, objective)
wait_for("objective 6 read as chosen",
         lambda: shown(start, "push button", objective)[0].get_description() == "scelto")
chosen = [o.get_name() for o in walk(start) if o.get_description() == "scelto"]
if chosen != [objective]:
    fail(f"chosen objectives read: {chosen}")
press(start, "1. Numeri da  1   a 30")
wait_for("level 1 read as chosen", lambda: shown(start, "push button", "1. Numeri da  1   a 30")[0]
         .get_description() == "scelto")
no_button_left_selected(start)
if not shown(start, "label", "Obiettivo n.6:     CALCOLO CASUALE DEL NUMERO O DEL SEGNO"):
    fail("the summary of the choice is not read")
press(start, "Avanti")

# --- the practice window ---------------------------------------------------------
practice = wait_for("the practice window", lambda: window_with("Tastierino"))
if practice.get_name() != COPY:
    fail(f"practice window titled '{practice.get_name()}'")

SAID = [("punto di domanda", "?"), ("minore di", "<"), ("maggiore di", ">"), ("più", "+"),
        ("meno", "-"), ("per", "x"), ("diviso", ":"), ("uguale", "=")]


# What the answer becomes in the sentence once it is given.
SAID_ANSWER = {"number": lambda a: a, "sign": lambda a: {s: w for w, s in SAID}[a]}


def operation():
    """The operation as read: the one sentence of the panel in front."""
    found = wait_for("the operation", lambda: [o for o in shown(practice, "alert") if re.match(r"\d|punto", o.get_name())])
    if len(found) != 1:
        fail(f"{len(found)} operations are read: {[o.get_name() for o in found]}")
    return found[0].get_name()


def value(a, op, b):
    a, b = int(a), int(b)
    if op == "+":
        return a + b
    if op == "-":
        return a - b
    if op == "x":
        return a * b
    return a // b if b and a % b == 0 else None


def solve(sentence):
    """The answer to the sentence: a number, or a sign; and which keypad."""
    words = sentence
    for said, sign in SAID:
        words = words.replace(said, sign)
    t = words.split()
    if "=" in t:  # a number is missing
        for x in range(0, 1000):
            s = [str(x) if w == "?" else w for w in t]
            i = s.index("=")
            left, right = s[:i], s[i + 1:]
            if len(left) == 3 and len(right) == 1 and value(*left) == int(right[0]):
                return str(x), "number"
            if len(left) == 1 and len(right) == 3 and value(*right) == int(left[0]):
                return str(x), "number"
        fail(f"no answer to '{sentence}'")
    i = t.index("?")  # the sign between an operation and a number
    left, right = t[:i], t[i + 1:]
    a = value(*left) if len(left) == 3 else int(left[0])
    b = value(*right) if len(right) == 3 else int(right[0])
    return ("=" if a == b else "<" if a < b else ">"), "sign"


def wrong(answer, kind):
    if kind == "sign":
        return "<" if answer == "=" else "="
    return str(int(answer) + 1)


def type_answer(answer):
    for key in answer:
        press(practice, key)
    press(practice, "Verifica")


def labels_of(obj):
    return [t.get_name().strip() for r in obj.get_relation_set()
            if r.get_relation_type() == Atspi.RelationType.LABELLED_BY
            for t in (r.get_target(i) for i in range(r.get_n_targets()))]


def statistic(caption):
    """A value of the statistics panel, found by the caption it is tied to."""
    found = [o for o in walk(practice) if labels_of(o) == [caption]]
    if len(found) != 1:
        fail(f"{len(found)} values are tied to {caption}")
    return found[0].get_name()


# A message box is read as an alert with its text.
menu = [o for o in walk(practice) if o.get_role_name() == "menu item"][0]
menu.do_action(0)
exercises = wait_for("the list of exercises", lambda: window_with("SCRIVI IL NOME"))
if exercises.get_name() != "STAMPA DEGLI ESERCIZI ESEGUITI":
    fail(f"list of exercises titled '{exercises.get_name()}'")
press(exercises, "STAMPA")
box = wait_for("the message box", lambda: [w for w in windows() if w.get_role_name() == "alert" and showing(w)])[0]
if box.get_description() != "Esegui almeno 10 operazioni. " or box.get_name() != COPY:
    fail(f"message box read as '{box.get_name()}': '{box.get_description()}'")
press(box, "OK")
wait_for("the message box to go", lambda: not [w for w in windows() if w.get_role_name() == "alert" and showing(w)])
press(exercises, "Esci")  # "E S C I" on screen
wait_for("the list to close", lambda: not window_with("SCRIVI IL NOME"))

kinds = set()
for number in range(1, 21):
    sentence = operation()
    answer, kind = solve(sentence)
    kinds.add(kind)
    if statistic("Operazioni eseguite") != f"Operazioni eseguite: {number}":
        fail(f"operation {number} counted as {statistic('Operazioni eseguite')}")
    focus_is_usable(practice)
    if number == 3:  # wrong, "No", then right
        type_answer(wrong(answer, kind))
        wait_for("help to be offered", lambda: shown(practice, "alert", "Ti aiuto ?"))
        if not shown(practice, "alert", "Errato"):
            fail("a wrong answer is not told")
        press(practice, "No")
        wait_for("the keypad again", lambda: not shown(practice, "alert", "Ti aiuto ?"))
    if number == 5:  # wrong, then help accepted
        type_answer(wrong(answer, kind))
        wait_for("help to be offered", lambda: shown(practice, "alert", "Ti aiuto ?"))
        press(practice, "Sì")
        said = f"il tuo segno, {SAID_ANSWER[kind](wrong(answer, kind))}, era sbagliato" if kind == "sign" \
            else f"la tua risposta {wrong(answer, kind)} era sbagliata"
        wait_for("the wrong answer said as wrong", lambda: operation().endswith(": " + said))
        if f" {SAID_ANSWER[kind](answer)} " not in f" {operation().split(':')[0]} ":
            fail(f"'{operation()}' does not put the right answer {answer} in its place")
    elif number == 7:  # three refusals: the program steps in
        for _ in range(3):
            type_answer(wrong(answer, kind))
            press(practice, "No")
        panel = wait_for("the intervention", lambda: shown(practice, "alert", "Ora intevengo io"))[0]
        ok = [o for o in walk(panel) if o.get_name() == "OK"][0]
        if "focused" not in states(ok):
            fail("the intervention does not take the focus to its OK")
        press(practice, "OK")
    else:
        type_answer(answer)
        wait_for("the answer judged right", lambda: shown(practice, "alert", "Esatto"))
        said = operation()
        if "punto di domanda" in said or f" {SAID_ANSWER[kind](answer)} " not in f" {said} ":
            fail(f"'{operation()}' does not read the answer {answer}")
    no_button_left_selected(practice)
    if number < 20:
        press(practice, "Avanti")
        wait_for("the next operation", lambda: statistic("Operazioni eseguite") == f"Operazioni eseguite: {number + 1}")

wait_for("the end of the run", lambda: shown(practice, "alert", "Esercitazione terminata"))
if kinds != {"number", "sign"}:
    fail(f"the run posed only {kinds}")
if statistic("Risposte esatte") != "Risposte esatte: 18" or statistic("Risposte errate") != "Risposte errate: 5":
    fail(f"counts read: {statistic('Risposte esatte')}, {statistic('Risposte errate')}")
shown(practice, "push button", "VISUALIZZA") or fail("VISUALIZZA is not read at the end")
if [o for o in walk(practice) if showing(o) and o.get_name().strip() in ("Operazioni eseguite", "Risposte esatte")]:
    fail("a statistic's caption is read besides its value")


def spelled_out(name):
    return re.search(r"(?<!\S)[A-Za-z]( [A-Za-z]){2,}(?!\S)", name)


# --- the list of exercises: the record in words, the name typed by assistive technology
press(practice, "VISUALIZZA")
exercises = wait_for("the list of exercises", lambda: window_with("SCRIVI IL NOME"))
lines = [o.get_name() for o in shown(exercises, "label", pattern=r"(?!Tempo).*second[io]")]
if len(lines) != 20:
    fail(f"{len(lines)} record lines read in words: {lines}")
for line in lines:
    if re.search(r"[.*°]|\br\b|\(s", line) or not re.fullmatch(r"\S.* \d+ second[io]", line):
        fail(f"a record line is read as '{line}'")
if len([line for line in lines if "con l'aiuto, " in line]) != 2 or \
        len([line for line in lines if "risposta sbagliata: " in line or "risposte sbagliate: " in line]) != 3:
    fail(f"the lines do not say the help and the wrong answers: {lines}")
spaced = [o.get_name() for o in walk(exercises) if spelled_out(o.get_name())]
if spaced:
    fail(f"names read letter by letter: {spaced}")
press(exercises, "SCRIVI IL NOME")
entry = wait_for("the name box", lambda: shown(exercises, "text"))[0]
if entry.get_name() != "IMMETTI IL TUO NOME" or \
        [" ".join(label.split()) for label in labels_of(entry)] != ["IMMETTI IL TUO NOME"]:
    fail(f"the name box is read as '{entry.get_name()}', labelled by {labels_of(entry)}")
# A switch program or screen reader writes the name: set, then insert.
Atspi.EditableText.set_text_contents(entry, "Mar")
Atspi.EditableText.insert_text(entry, 3, "io", 2)
wait_for("the name in the box", lambda: Atspi.Text.get_text(entry, 0, -1) == "Mario")
shown(exercises, "push button", "Esci") or fail("the name panel's E S C I is not read as Esci")
press(exercises, "AVANTI")


def journal_names():
    with sqlite3.connect("file:registro.sqlite?mode=ro", uri=True) as db:
        return [row[0] for row in db.execute("SELECT pupil FROM pupil_names")]


wait_for("the name in the journal", lambda: journal_names() == ["Mario"])
# The program keeps its files private though it was started with umask 022.
if os.stat("registro.sqlite").st_mode & 0o777 != 0o600:
    fail(f"the journal is {oct(os.stat('registro.sqlite').st_mode & 0o777)}")
press(exercises, "ATTESTATO")
certificate = wait_for("the certificate", lambda: window_with("TORNA ALLA FINESTRA PRECEDENTE"))
card = [o.get_name() for o in walk(certificate) if o.get_name().startswith("ATTESTATO DI MERITO")]
if not card or ", Mario," not in card[0]:
    fail(f"the certificate reads {card}")
press(certificate, "TORNA ALLA FINESTRA PRECEDENTE")
print("PASS: a whole run read and played through the accessibility bus, the name typed through it")
