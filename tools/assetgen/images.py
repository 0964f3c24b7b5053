"""Every PNG image of the game, as 8-bit paletted files.

Keyed images keep their transparent colour at palette index 0 (the cursor at
index 1) and a tRNS chunk that marks only that index, so the game loads them
as 8-bit surfaces with the colour key already in place."""

import io
import math

from PIL import Image

from . import coffins
from .common import Rng, art_path
from .glyphs import load as load_glyphs
from .pixmap import CLEAR, Canvas, load_palette, load_sprites

KEY_RGB = (255, 0, 255)
BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def bayer(x, y):
    return (BAYER4[y & 3][x & 3] + 0.5) / 16.0


# ---------------------------------------------------------------- encoding

def encode_png(canvas, palette, key_index=0, keyed=True):
    used = sorted({ch for row in canvas.px for ch in row if ch != CLEAR},
                  key=lambda ch: list(palette).index(ch))
    if not keyed:
        if any(ch == CLEAR for row in canvas.px for ch in row):
            raise ValueError("an unkeyed image has transparent pixels")
        order = used
    else:
        order = used[:key_index] + [CLEAR] + used[key_index:]
        if key_index > len(used):
            raise ValueError("not enough colours before the key index")
    index = {ch: i for i, ch in enumerate(order)}
    flat = []
    for ch in order:
        flat.extend(KEY_RGB if ch == CLEAR else palette[ch])
    flat.extend([0, 0, 0] * (256 - len(order)))
    im = Image.new("P", (canvas.w, canvas.h))
    im.putpalette(flat)
    im.putdata([index[ch] for row in canvas.px for ch in row])
    out = io.BytesIO()
    if keyed:
        im.save(out, "PNG", bits=8, transparency=key_index)
    else:
        im.save(out, "PNG", bits=8)
    return out.getvalue()


# ---------------------------------------------------------------- helpers

def outline(canvas, colour="K", diagonal=False):
    """A one-pixel border around every drawn pixel."""
    c = Canvas(canvas.w, canvas.h)
    steps = [(1, 0), (-1, 0), (0, 1), (0, -1)]
    if diagonal:
        steps += [(1, 1), (-1, -1), (1, -1), (-1, 1)]
    for y in range(canvas.h):
        for x in range(canvas.w):
            if canvas.px[y][x] == CLEAR and any(canvas.get(x + dx, y + dy) != CLEAR
                                                for dx, dy in steps):
                c.px[y][x] = colour
    c.stamp(canvas)
    return c


def mask_canvas(mask_rows, colour_of):
    """A '#' mask painted with colour_of(x, y)."""
    c = Canvas(len(mask_rows[0]), len(mask_rows))
    for y, row in enumerate(mask_rows):
        for x, ch in enumerate(row):
            if ch == "#":
                c.px[y][x] = colour_of(x, y)
    return c


def scale(canvas, f):
    c = Canvas(canvas.w * f, canvas.h * f)
    for y in range(c.h):
        for x in range(c.w):
            c.px[y][x] = canvas.px[y // f][x // f]
    return c


def text(canvas, glyphs, x, top, string, colour, shadow=None):
    """Our own pixel font at 1x; top is the top of the 11-pixel ascent."""
    for ch in string:
        g = glyphs[ch]
        for gx, k in g.pixels:
            if shadow:
                canvas.set(x + gx + 1, top + 11 - k + 1, shadow)
        for gx, k in g.pixels:
            canvas.set(x + gx, top + 11 - k, colour)
        x += g.advance
    return x


def text_width(glyphs, string):
    return sum(glyphs[c].advance for c in string)


def disc(canvas, cx, cy, r, colour_of):
    for y in range(int(cy - r) - 1, int(cy + r) + 2):
        for x in range(int(cx - r) - 1, int(cx + r) + 2):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                ch = colour_of(x, y)
                if ch:
                    canvas.set(x, y, ch)


def rounded_plate(w, h, fill, border, corner=2):
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            dx = min(x, w - 1 - x)
            dy = min(y, h - 1 - y)
            if dx + dy < corner:
                continue
            edge = dx == 0 or dy == 0 or dx + dy == corner
            c.px[y][x] = border if edge else fill
    return c


# ---------------------------------------------------------------- sprites

class Art:
    def __init__(self):
        self.pal = load_palette()
        self.glyphs = load_glyphs()
        self.coffin_details = load_sprites(art_path("coffins.txt"), self.pal)
        self.portraits = load_sprites(art_path("portraits.txt"), self.pal)
        hashes = {"#": (0, 0, 0)}
        self.numerals = load_sprites(art_path("numerals.txt"), hashes)
        self.logo = load_sprites(art_path("logo.txt"), hashes)


def arrow(pointing_right, fill, light, edge="K"):
    """A bold arrow across the coffin's shoulders: head at the left."""
    shape = set()
    for y in range(4, 13):
        for x in range(2 + abs(y - 8), 7):
            shape.add((x, y))
    for y in range(7, 10):
        for x in range(7, 14):
            shape.add((x, y))
    c = Canvas(20, 20)
    for x, y in shape:
        inner = all(q in shape for q in ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)))
        c.set(x, y, fill if inner else edge)
    for x in range(7, 13):
        c.set(x, 7 if (x, 6) not in shape else 7, light)
    for y in range(6, 11):
        x = 2 + abs(y - 8) + 1
        if (x, y) in shape and c.get(x, y) == fill and y <= 8:
            c.set(x, y, light)
    if pointing_right:
        m = Canvas(20, 20)
        for y in range(20):
            for x in range(20):
                if 0 <= 16 - x < 20:
                    m.px[y][16 - x] = c.px[y][x]
        c = m
    return c


def coffin_images(art):
    d = art.coffin_details
    lid = coffins.closed_lid()
    closed = lid.copy()
    closed.stamp(d["cross"])
    jammed = lid.copy()
    jammed.stamp(d["chains"])
    box = coffins.open_box()

    lifting = box.copy()
    # the lid slides up and to the left, showing the satin inside
    lifting.stamp(outline(closed, "K").shifted(-3, -2))

    rattling = Canvas(20, 20)
    rattling.stamp(jammed.shifted(1, -1))
    rattling.stamp(d["shake"])

    target = box.copy()
    target.stamp(d["vampire"])
    lower = box.copy()
    lower.stamp(arrow(False, "c", "W"))
    higher = box.copy()
    higher.stamp(arrow(True, "y", "Y"))
    nohint = box.copy()
    nohint.stamp(d["skull"])
    empty = coffins.bare_box()
    empty.stamp(d["cobweb"])
    frames = []
    for name in ("search6", "search7", "search8"):
        f = box.copy()
        f.stamp(d[name])
        frames.append(f)
    return {1: closed, 2: lifting, 3: jammed, 4: rattling, 5: target,
            6: frames[0], 7: frames[1], 8: frames[2],
            9: lower, 10: higher, 11: nohint, 12: empty}


def numeral(art, n, light="W", body="w", shade="M"):
    """A bone-white numeral, outlined, with a drop shadow, centred in 20x20."""
    rows = art.numerals[str(n)].rows()
    top = 4
    glyph = mask_canvas(rows, lambda x, y: light if y < 4 else (body if y < 9 else shade))
    c = Canvas(20, 20)
    c.stamp(mask_canvas(rows, lambda x, y: "K"), 7, top + 1)
    c.stamp(outline(_padded(glyph, 1), "K"), 5, top - 1)
    return c


def _padded(canvas, p):
    c = Canvas(canvas.w + 2 * p, canvas.h + 2 * p)
    c.stamp(canvas, p, p)
    return c


def scoreback():
    """A red wax seal with a brass rim: marks whose turn it is."""
    c = Canvas(20, 20)
    disc(c, 9.5, 9.5, 9.6, lambda x, y: "6")
    disc(c, 9.5, 9.5, 8.7, lambda x, y: "7" if (x + y) < 15 else "6")
    disc(c, 9.5, 9.5, 7.8, lambda x, y: "r" if (x - 7) ** 2 + (y - 7) ** 2 > 20 else "R")
    disc(c, 9.5, 9.5, 7.8, lambda x, y: "d" if (x - 12) ** 2 + (y - 12) ** 2 < 12 else None)
    return c


def cursor():
    """Candle-lit brackets at the four corners of the cell."""
    c = Canvas(20, 20)
    for cx, cy, sx, sy in ((0, 0, 1, 1), (19, 0, -1, 1), (0, 19, 1, -1), (19, 19, -1, -1)):
        for i in range(6):
            for t in range(2):
                c.set(cx + sx * i, cy + sy * t, "Y" if t == 0 else "o")
                c.set(cx + sx * t, cy + sy * i, "Y" if t == 0 else "o")
        c.set(cx + sx * 6, cy, "K")
        c.set(cx, cy + sy * 6, "K")
        c.set(cx + sx * 2, cy + sy * 2, "K")
    return c


def arrow_button(pointing_right, selected):
    fill, light, edge = (("y", "Y", "O") if selected else ("b", "B", "k"))
    c = Canvas(20, 20)
    for y in range(3, 17):
        w = 10 - abs(y - 10) * 10 // 7
        for x in range(5, 5 + max(w, 0)):
            c.set(x, y, fill)
    c = outline(c, edge)
    for y in range(4, 10):
        c.set(6, y + 1, light) if c.get(6, y + 1) == fill else None
    if not pointing_right:
        m = Canvas(20, 20)
        for y in range(20):
            for x in range(20):
                m.px[y][19 - x] = c.px[y][x]
        c = m
    return c


def exit_door(selected):
    """An arched crypt door; selected, it stands ajar with candlelight."""
    c = Canvas(20, 20)
    frame, wood, dark = ("G", "3", "2") if selected else ("g", "2", "1")
    for y in range(2, 19):
        for x in range(3, 17):
            r = math.hypot(x - 9.5, y - 8.5)
            if y < 9 and r > 6.9:
                continue
            inner = y >= 9 or r <= 5.6
            c.set(x, y, wood if inner and 4 < x < 15 and y < 18 else frame)
    for y in range(4, 18):
        for x in range(5, 15):
            if c.get(x, y) == wood and x in (7, 12):
                c.set(x, y, dark)
    if selected:
        for y in range(4, 18):
            for x in range(10, 15):
                if c.get(x, y) in (wood, "2"):
                    c.set(x, y, "y" if x < 12 else "Y")
        c.set(11, 11, "o")
    else:
        c.set(12, 12, "7")
    return c


def versus_button(art, right_portrait, selected):
    c = Canvas(60, 30)
    if selected:
        c.stamp(rounded_plate(60, 30, "p", "y", 3))
    left = art.portraits["player1"]
    right = art.portraits[right_portrait]
    if not selected:
        dim = {"h": "H", "w": "G", "7": "6", "b": "N", "B": "b", "r": "d", "R": "r",
               "e": "E", "P": "p", "W": "G", "t": "T"}
        left, right = left.recolour(dim), right.recolour(dim)
    c.stamp(left, 3, 5)
    c.stamp(right, 37, 5)
    g = art.glyphs
    w = text_width(g, "VS")
    text(c, g, 30 - w // 2, 6, "VS", "Y" if selected else "B", "K")
    return c


# ---------------------------------------------------------------- big scenes

def starfield(c, rng, count, region):
    x0, y0, x1, y1 = region
    for _ in range(count):
        x = rng.randint(x0, x1)
        y = rng.randint(y0, y1)
        r = rng.random()
        c.set(x, y, "W" if r < 0.15 else ("G" if r < 0.5 else "B"))


def sky(c, y0, y1, bands):
    """Dithered vertical gradient through the listed colours."""
    n = len(bands) - 1
    for y in range(y0, y1):
        t = (y - y0) / max(1, (y1 - y0 - 1)) * n
        i = min(int(t), n - 1)
        f = t - i
        for x in range(c.w):
            c.px[y][x] = bands[i + 1] if f > bayer(x, y) else bands[i]


def draw_logo(art, c, x, y):
    letters = "Vesperalia"
    fill_rows = ["W", "W", "m", "m", "m", "M", "M", "v", "v", "v", "P", "P", "P", "p",
                 "p", "p", "p", "p"]
    canvas = Canvas(2 + sum(art.logo[ch].w + 2 for ch in letters), 18)
    cx = 1
    for ch in letters:
        rows = art.logo[ch].rows()
        rows += ["." * len(rows[0])] * (18 - len(rows))
        canvas.stamp(mask_canvas(rows, lambda gx, gy: fill_rows[gy]), cx, 0)
        cx += art.logo[ch].w + 2
    big = scale(canvas, 2)
    # a sheen line along the top of each stroke
    for yy in range(1, big.h):
        for xx in range(big.w):
            if big.px[yy][xx] != CLEAR and big.px[yy - 1][xx] == CLEAR and yy < 20:
                big.px[yy][xx] = "W"
    shadow = big.recolour({k: "r" for k in art.pal})
    shadow2 = big.recolour({k: "d" for k in art.pal})
    out = Canvas(big.w + 6, big.h + 6)
    out.stamp(outline(_padded(shadow2, 1), "K"), 3, 3)
    out.stamp(outline(_padded(shadow, 1), "K"), 2, 2)
    out.stamp(outline(_padded(big, 1), "K", diagonal=True), 0, 0)
    c.stamp(out, x, y)
    return out.w, out.h


def castle(c, rng):
    """The castle on its hill and the graveyard before it, in silhouette."""
    sil = "k"
    # hill
    for x in range(c.w):
        top = int(176 - 10 * math.exp(-((x - 245) / 60.0) ** 2) + 2 * math.sin(x / 17.0))
        for y in range(top, 216):
            c.set(x, y, sil)
    # keep: towers (x, width, top, roof height)
    towers = [(196, 12, 112, 14), (214, 22, 96, 20), (240, 16, 78, 24), (260, 20, 102, 16),
              (282, 12, 120, 12), (228, 10, 118, 10)]
    for tx, tw, top, roof in towers:
        for y in range(top, 180):
            for x in range(tx, tx + tw):
                c.set(x, y, sil)
        # battlements or a pointed roof
        for i in range(roof):
            half = (tw // 2 + 1) * (i + 1) // roof
            for x in range(tx + tw // 2 - half, tx + tw // 2 + half + (tw % 2)):
                c.set(x, top - roof + i, sil)
        c.set(tx + tw // 2, top - roof - 1, sil)
        c.set(tx + tw // 2, top - roof - 2, sil)
    # walls between towers
    for x in range(190, 300):
        for y in range(140, 180):
            c.set(x, y, sil)
        if (x // 4) % 2 == 0:
            c.set(x, 139, sil)
            c.set(x, 138, sil)
    # lit windows
    windows = [(219, 110), (226, 110), (245, 92), (245, 104), (266, 114), (203, 125),
               (286, 130), (232, 150), (252, 150), (272, 146), (210, 150)]
    for wx, wy in windows:
        for dy in range(3):
            c.set(wx, wy + dy, "y" if dy else "Y")
            c.set(wx + 1, wy + dy, "o" if dy else "y")
    # a great arched window in the keep, glowing red
    for y in range(124, 134):
        for x in range(238, 246):
            if y > 127 or math.hypot(x - 241.5, y - 127.5) < 4:
                c.set(x, y, "r" if (x + y) % 3 else "R")


def dead_tree(c, x0, y0):
    sil = "K"
    for y in range(y0 - 80, y0):
        w = 1 + (y - (y0 - 80)) * 4 // 80
        for x in range(x0 - w // 2, x0 + w - w // 2):
            c.set(x, y, sil)

    def branch(x, y, dx, dy, n, w):
        for i in range(n):
            for t in range(w):
                c.set(int(x) + t, int(y), sil)
            x += dx
            y += dy

    branch(x0, y0 - 50, 1.2, -0.8, 22, 2)
    branch(x0 + 18, y0 - 66, 0.6, -1.0, 8, 1)
    branch(x0, y0 - 62, -1.1, -0.9, 18, 2)
    branch(x0 - 14, y0 - 76, -0.3, -1.0, 7, 1)
    branch(x0, y0 - 74, 0.4, -1.0, 10, 1)
    branch(x0, y0 - 30, 1.3, -0.5, 14, 1)
    branch(x0 - 1, y0 - 38, -1.2, -0.6, 12, 1)


def graves(c, rng):
    sil = "K"
    for gx in (128, 152, 171, 196, 226, 251, 276, 302):
        h = rng.randint(10, 16)
        w = rng.randint(7, 9)
        base = 214
        kind = rng.randint(0, 2)
        if kind == 0:  # a cross
            for y in range(base - h - 4, base):
                c.set(gx, y, sil)
                c.set(gx + 1, y, sil)
            for x in range(gx - 3, gx + 5):
                c.set(x, base - h, sil)
                c.set(x, base - h + 1, sil)
        else:          # a rounded headstone
            for y in range(base - h, base):
                for x in range(gx - w // 2, gx + w // 2 + 1):
                    if y - (base - h) >= 3 or math.hypot(x - gx, y - (base - h + 3)) <= w / 2:
                        c.set(x, y, sil)


def bat(c, x, y):
    shape = ["#.......#", "##.#.#.##", ".#######.", "..#...#.."]
    for dy, row in enumerate(shape):
        for dx, ch in enumerate(row):
            if ch == "#":
                c.set(x + dx, y + dy, "K")


def title(art):
    c = Canvas(320, 240, "k")
    rng = Rng(1)
    sky(c, 0, 216, ["k", "n", "N", "p", "P"])
    starfield(c, rng, 150, (0, 0, 319, 150))
    # the moon, its halo and its seas
    disc(c, 276, 64, 27, lambda x, y: "b" if bayer(x, y) < 0.5 else None)
    disc(c, 276, 64, 22, lambda x, y: "B" if bayer(x, y) < 0.5 else "b")
    disc(c, 276, 64, 18, lambda x, y: "m" if (x - 270) ** 2 + (y - 58) ** 2 < 330 else "M")
    for mx, my, mr in ((270, 60, 3.5), (282, 70, 2.5), (279, 55, 2), (268, 72, 1.6)):
        disc(c, mx, my, mr, lambda x, y: "M")
    castle(c, rng)
    dead_tree(c, 132, 190)
    graves(c, rng)
    for bx, by in ((238, 38), (254, 52), (300, 34), (140, 70)):
        bat(c, bx, by)
    # the ticker's black road
    c.rect(0, 216, 320, 24, "K")
    for x in range(320):
        c.set(x, 216, "p" if x % 2 else "k")
    logo = Canvas(320, 60)
    lw, lh = draw_logo(art, logo, 0, 0)
    c.stamp(logo, (320 - lw) // 2 + 2, 8)
    return c


def clouds():
    """A band of moonlit cloud, seamless every 320 pixels, dithered so the
    night shows through it."""
    h = 110
    c = Canvas(320, h)
    waves = [(1, 0.9, 0.3, 1.7), (2, 0.6, 2.1, 2.3), (3, 0.45, 4.0, 3.1), (5, 0.3, 1.2, 4.3),
             (7, 0.22, 5.5, 5.9), (11, 0.14, 0.7, 7.3)]
    for x in range(320):
        # the band wanders up and down and swells into banks of cloud
        t = 2 * math.pi * x / 320.0
        centre = 80 + 9 * math.sin(t + 0.8) + 5 * math.sin(3 * t + 2.0)
        thick = 10 + 5 * math.sin(2 * t + 1.1) + 3 * math.sin(5 * t)
        for y in range(h):
            base = math.exp(-((y - centre) / thick) ** 2) * 1.2 - 0.55
            v = base
            for k, a, ph, ky in waves:
                v += a * 0.35 * math.sin(2 * math.pi * k * x / 320.0 + ph + y / ky)
            if v > 0.35 + 0.5 * bayer(x, y):
                c.px[y][x] = "G" if v > 0.62 else ("B" if v > 0.45 else "b")
            elif v > 0.15 + 0.5 * bayer(x, y) and (x + y) % 2 == 0:
                c.px[y][x] = "b"
    return c


def fondo(art):
    c = Canvas(320, 240, "k")
    rng = Rng(7)
    # crypt wall: dark bricks
    for y in range(240):
        for x in range(320):
            row = y // 8
            off = 8 if row % 2 else 0
            mortar = y % 8 == 7 or (x + off) % 16 == 15
            c.px[y][x] = "K" if mortar else ("s" if ((x + off) // 16 + row) % 5 == 0 else "k")
    # moss and speckle on the wall
    for _ in range(500):
        x, y = rng.randint(0, 319), rng.randint(0, 239)
        if c.px[y][x] != "K":
            c.px[y][x] = "n" if rng.random() < 0.6 else "s"
    # the floor of the crypt: one slab per cell
    for row in range(10):
        for col in range(10):
            x0, y0 = 100 + 20 * col, 20 + 20 * row
            tone = rng.random()
            for y in range(y0, y0 + 20):
                for x in range(x0, x0 + 20):
                    if x == x0 or y == y0:
                        ch = "s"
                    elif x == x0 + 1 or y == y0 + 1:
                        ch = "g" if tone > 0.3 else "S"
                    else:
                        r = rng.random()
                        ch = "S"
                        if r < 0.10 + 0.1 * tone:
                            ch = "g"
                        elif r < 0.2 + 0.05 * (1 - tone):
                            ch = "b"
                    c.px[y][x] = ch
            if rng.random() < 0.25:  # a crack
                x, y = x0 + rng.randint(4, 15), y0 + rng.randint(4, 15)
                for _ in range(rng.randint(3, 7)):
                    c.set(x, y, "s")
                    x += rng.randint(-1, 1)
                    y += 1
    # carved border round the floor
    for i, ch in enumerate(("K", "S", "g", "s")):
        x0, y0, x1, y1 = 96 + i, 16 + i, 303 - i, 223 - i
        for x in range(x0, x1 + 1):
            c.set(x, y0, ch if ch != "s" else "K")
            c.set(x, y1, "s" if ch == "g" else ch)
        for y in range(y0, y1 + 1):
            c.set(x0, y, ch if ch != "s" else "K")
            c.set(x1, y, "s" if ch == "g" else ch)
    # the score panel: two niches, one per player
    for ny in (76, 136):
        plate = rounded_plate(48, 28, "n", "7", 2)
        c.stamp(plate, 16, ny)
        c.rect(18, ny + 2, 44, 24, "n")
        for x in range(18, 62):
            c.set(x, ny + 2, "k")
    g = art.glyphs
    name = "Vesperalia"
    text(c, g, (100 - text_width(g, name)) // 2, 30, name, "M", "K")
    for x in range(14, 86):
        c.set(x, 46, "6" if x % 3 else "7")
    # a candle under the niches
    for cx in (28, 68):
        c.rect(cx - 2, 190, 5, 18, "w")
        for y in range(190, 208):
            c.set(cx + 2, y, "M")
        c.set(cx, 188, "K")
        for y, w, ch in ((181, 1, "Y"), (182, 1, "Y"), (183, 3, "y"), (184, 3, "y"), (185, 3, "o"),
                         (186, 1, "o")):
            for x in range(cx - w // 2, cx + w // 2 + 1):
                c.set(x, y, ch)
        for y in range(176, 196):
            for x in range(cx - 8, cx + 9):
                d = math.hypot(x - cx, (y - 184) * 1.2)
                if c.get(x, y) in ("k", "s", "n") and d < 8 and bayer(x, y) < (8 - d) / 10:
                    c.set(x, y, "O")
    return c


# ---------------------------------------------------------------- unused art

def selection_frame():
    c = rounded_plate(64, 34, CLEAR, "y", 3)
    inner = rounded_plate(62, 32, CLEAR, "o", 3)
    c.stamp(inner, 1, 1)
    return c


def vs_emblem(art):
    c = Canvas(40, 24)
    c.stamp(rounded_plate(40, 24, "d", "r", 3))
    g = art.glyphs
    t = Canvas(20, 12)
    text(t, g, 3, 0, "VS", "Y")
    big = scale(t, 2)
    c.stamp(outline(big, "K"), 0, -2)
    return c


def tombstone(art):
    c = Canvas(40, 48)
    for y in range(48):
        for x in range(40):
            r = math.hypot(x - 19.5, y - 16)
            if (y >= 16 and 3 <= x <= 36) or r <= 16.5:
                c.px[y][x] = "g" if x < 8 or y < 6 else ("S" if x < 33 else "s")
    c = outline(c, "K")
    g = art.glyphs
    w = text_width(g, "END")
    text(c, g, 20 - w // 2, 14, "END", "K")
    text(c, g, 20 - w // 2 - 1, 13, "END", "w")
    for x in range(40):
        c.set(x, 46, "E")
        c.set(x, 47, "E")
    return c


def help_panel(art, coffin):
    """What the opened coffins say, in pictures."""
    c = Canvas(120, 80)
    c.stamp(rounded_plate(120, 80, "n", "W", 3))
    g = art.glyphs
    rows = [(9, "<"), (10, ">"), (5, "!"), (3, "X")]
    for i, (n, sign) in enumerate(rows):
        x = 8 + (i % 2) * 56
        y = 10 + (i // 2) * 34
        c.stamp(coffin[n], x, y)
        text(c, g, x + 26, y + 2, sign, "Y", "K")
    return c


def build(files):
    art = Art()
    pal = art.pal
    cof = coffin_images(art)

    def put(name, canvas, key_index=0, keyed=True):
        files["data/" + name] = encode_png(canvas, pal, key_index, keyed)

    put("fondo.png", fondo(art), keyed=False)
    put("title.png", title(art), keyed=False)
    put("title.clouds.png", clouds())
    put("end.png", tombstone(art))
    put("vs.png", vs_emblem(art))
    put("pvc.png", versus_button(art, "player3", False))
    put("pvc2.png", versus_button(art, "player3", True))
    put("pvp.png", versus_button(art, "player2", False))
    put("pvp2.png", versus_button(art, "player2", True))
    put("scoreback.png", scoreback())
    put("selection.png", selection_frame())
    for i in (1, 2, 3):
        put(f"player.{i}.png", art.portraits[f"player{i}"])
    for n in range(10):
        put(f"{n}.png", numeral(art, n))
    for n, canvas in cof.items():
        put(f"coffin.{n}.png", canvas)
    put("coffin.s.png", coffins.shadow())
    put("cursor.png", cursor(), key_index=1)
    put("help.png", help_panel(art, cof))
    put("left.png", arrow_button(False, False))
    put("left2.png", arrow_button(False, True))
    put("right.png", arrow_button(True, False))
    put("right2.png", arrow_button(True, True))
    put("exit.png", exit_door(False))
    put("exit2.png", exit_door(True))
    from . import items
    items.build(files, art, cof)
    return art
