"""Coffin bodies, built from the profile below; the states' details (cross,
chains, vampire, arrows ...) are pixel maps in art/coffins.txt."""

from .pixmap import Canvas

# Width of the coffin on each of its rows, head first: narrow head, broad
# shoulders, tapering to the feet. Centred on column CENTRE of a 20x20 cell,
# top at row TOP, leaving room for the shadow drawn 3 pixels down and right.
PROFILE = [7, 9, 11, 13, 13, 13, 11, 11, 11, 11, 9, 9, 9, 9, 7, 7, 7, 7]
CENTRE = 8
TOP = 1


def silhouette():
    cells = set()
    for i, w in enumerate(PROFILE):
        for x in range(CENTRE - w // 2, CENTRE + w // 2 + 1):
            cells.add((x, TOP + i))
    return cells


def _depth(cells):
    """Distance of each pixel to the outside, in 4-neighbour steps."""
    depth = {}
    frontier = [p for p in cells if any((p[0] + dx, p[1] + dy) not in cells
                                        for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))]
    for p in frontier:
        depth[p] = 0
    d = 0
    while frontier:
        d += 1
        nxt = []
        for x, y in frontier:
            for q in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)):
                if q in cells and q not in depth:
                    depth[q] = d
                    nxt.append(q)
        frontier = nxt
    return depth


def shadow():
    c = Canvas(20, 20)
    for x, y in silhouette():
        c.set(x, y, "K")
    return c


def closed_lid():
    """Wood lid lit from the upper left, a sunken panel one pixel in."""
    cells = silhouette()
    depth = _depth(cells)
    c = Canvas(20, 20)
    for (x, y), d in depth.items():
        if d == 0:
            ch = "1"
        elif d == 1:
            lit = (x - 1, y) not in cells or (x, y - 1) not in cells or (x - 1, y - 1) not in cells
            ch = "5" if lit else ("2" if ((x + 1, y) not in cells or (x, y + 1) not in cells
                                          or (x + 1, y + 1) not in cells) else "4")
        elif d == 2:
            ch = "2"
        else:
            ch = "3"
        c.set(x, y, ch)
    return c


def open_box():
    """The box without its lid: wooden rim, satin lining, a pillow at the head."""
    cells = silhouette()
    depth = _depth(cells)
    c = Canvas(20, 20)
    for (x, y), d in depth.items():
        if d == 0:
            ch = "1"
        elif d == 1:
            ch = "4" if ((x - 1, y) not in cells or (x, y - 1) not in cells) else "3"
        elif d == 2:
            ch = "i" if ((x - 2, y) not in cells or (x, y - 2) not in cells) else "d"
        else:
            ch = "l"
        c.set(x, y, ch)
    # the pillow
    for x in range(CENTRE - 2, CENTRE + 3):
        c.set(x, TOP + 3, "L")
    for x in range(CENTRE - 3, CENTRE + 4):
        c.set(x, TOP + 4, "L" if abs(x - CENTRE) < 3 else "l")
    return c


def bare_box():
    """An empty box: the lining torn out, only dark boards left."""
    c = open_box().recolour({"l": "2", "L": "2", "d": "1", "i": "1"})
    for (x, y) in silhouette():
        if c.get(x, y) == "2" and x in (CENTRE - 2, CENTRE + 2):
            c.set(x, y, "1")
    return c
