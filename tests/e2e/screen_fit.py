"""Where the objects a screen reader is told of stand on the screen, as the
screenshot tool reports them (shot, path in the accessible tree, role, name,
x, y, width, height; a "screen" row gives the work area): every one inside the
work area, and none over another in the same container where it is not so at
the design's own scale (the name panel stands over the list by design).
  screen_fit.py <report at scale 1> <report> <label of the screen and scale>"""
import sys
from collections import defaultdict

baseline, report, label = sys.argv[1:4]


def read(report):
    shots = defaultdict(list)
    areas = {}
    for row in open(report, encoding="utf-8"):
        shot, path, role, name, x, y, w, h = row.rstrip("\n").split("\t")
        box = (int(x), int(y), int(w), int(h))
        if path == "-":
            areas[shot] = box
        else:
            shots[shot].append((path, role, name, box))
    return shots, areas


def inside(box, area):
    x, y, w, h = box
    ax, ay, aw, ah = area
    return ax <= x and ay <= y and x + w <= ax + aw and y + h <= ay + ah


def overlap(a, b):
    # Edges that touch by a pixel or two (the sheet's rows are drawn a pixel
    # taller than their pitch) are no overlap.
    return min(a[0] + a[2], b[0] + b[2]) - max(a[0], b[0]) > 2 and \
        min(a[1] + a[3], b[1] + b[3]) - max(a[1], b[1]) > 2


def parent(path):
    return path.rpartition(".")[0]


def overlaps(objects):
    """Pairs of objects side by side in one container that lie one over the
    other, by their names; and the containers that lie over a neighbour."""
    found, covering = {}, set()
    for i, (p, _, n, a) in enumerate(objects):
        for q, _, m, b in objects[i + 1:]:
            if parent(p) == parent(q) and overlap(a, b):
                found[(n, m)] = f"'{n}' ({p}) at {a} lies over '{m}' ({q}) at {b}"
                for path, name in ((p, n), (q, m)):
                    if any(o[0].startswith(path + ".") for o in objects):
                        covering.add(name)
    return found, covering


# Tables, lists and trees: what is in them scrolls inside them.
SCROLLED = {24, 33, 35}


def clip(a, b):
    x, y = max(a[0], b[0]), max(a[1], b[1])
    return (x, y, max(0, min(a[0] + a[2], b[0] + b[2]) - x), max(0, min(a[1] + a[3], b[1] + b[3]) - y))


def sized(objects):
    """The objects to be seen, each cut to the views it scrolls in: a column
    scrolled out of its table is out of sight, not off the screen."""
    views = {p: box for p, role, _, box in objects if int(role) in SCROLLED}
    seen = []
    for path, role, name, box in objects:
        up = parent(path)
        while up:
            if up in views:
                box = clip(box, views[up])
            up = parent(up)
        if box[2] > 0 and box[3] > 0:
            seen.append((path, role, name, box))
    return seen


designed, _ = read(baseline)
shots, areas = read(report)
faults = []
for shot, objects in sorted(shots.items()):
    area = areas[shot]
    seen = sized(objects)
    for path, role, name, box in seen:
        if not inside(box, area):
            faults.append(f"{shot}: '{name}' ({path}) at {box} is outside the work area {area}")
    # A panel shown over the window (the name entry over the list) covers
    # whatever it stands on by design.
    allowed, panels = overlaps(sized(designed.get(shot, [])))
    for pair, fault in overlaps(seen)[0].items():
        if pair not in allowed and not set(pair) & panels:
            faults.append(f"{shot}: {fault}")
    if len(seen) < 5:
        faults.append(f"{shot}: only {len(seen)} objects reported")

if not shots:
    faults.append("nothing reported")
for fault in faults:
    print(f"FAIL [{label}]", fault)
print(f"[{label}] {len(shots)} windows checked, {len(faults)} faults")
sys.exit(1 if faults else 0)
