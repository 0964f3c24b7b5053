"""The fifteen item images and the game's icon: 24x24, 24-bit BMP."""

from . import bmp, coffins
from .common import art_path
from .images import arrow, outline, rounded_plate, text, text_width
from .pixmap import CLEAR, Canvas, load_sprites

# (item, what wins it): the pictures say the same.
PLATE = ("n", "b")


def plate():
    c = Canvas(24, 24, "k")
    c.stamp(rounded_plate(24, 24, PLATE[0], PLATE[1], 2))
    for x in range(2, 22):
        c.set(x, 22, "k")
    return c


def pips(c, count):
    for i in range(count):
        x = 12 - (count * 4 - 1) // 2 + i * 4 - 1
        c.stamp(PIECES["pip"], x, 18)


PIECES = {}


def won_matches(art, number, length):
    c = plate()
    c.stamp(outline(PIECES["stake"], "K"), 4, 2)
    colour = "G" if number == "10" else "y"
    w = text_width(art.glyphs, number)
    text(c, art.glyphs, 21 - w, 6, number, colour, "K")
    pips(c, length)
    return c


def perfect(length):
    c = plate()
    c.stamp(outline(PIECES["crown"], "K"), 6, 6)
    pips(c, length)
    return c


def build(files, art, coffin):
    PIECES.update(load_sprites(art_path("items.txt"), art.pal))
    pictures = {}

    c = plate()
    c.stamp(art.portraits["player3"], 2, 2)
    c.stamp(outline(PIECES["stake"], "K"), 6, 5)
    pictures[1] = c
    for item, number, length in ((2, "10", 1), (3, "30", 1), (4, "10", 2), (5, "30", 2),
                                 (6, "10", 3), (7, "30", 3)):
        pictures[item] = won_matches(art, number, length)
    for item, length in ((8, 1), (9, 2), (10, 3)):
        pictures[item] = perfect(length)

    # only one lid still closed among open boxes
    c = plate()
    for row in range(2):
        for col in range(3):
            piece = "mini_closed" if (row, col) == (1, 2) else "mini_open"
            c.stamp(PIECES[piece], 1 + col * 7 + (1 if col else 0), 2 + row * 10)
    pictures[11] = c

    for item, right in ((12, False), (13, True)):
        c = plate()
        c.stamp(PIECES["mini_target"], 8 + (5 if not right else -5), 2)
        a = arrow(right, "c" if not right else "y", "W" if not right else "Y")
        c.stamp(a, 3 if not right else 1, 6)
        pictures[item] = c

    c = plate()
    c.stamp(PIECES["mini_open"], 1, 7)
    c.stamp(PIECES["mini_target"], 8, 6)
    c.stamp(PIECES["mini_open"], 16, 7)
    pictures[14] = c

    c = plate()
    c.stamp(coffin[5], 0, 2)
    text(c, art.glyphs, 16, 1, "1", "Y", "K")
    pictures[15] = c

    icon = plate()
    icon.stamp(PIECES["moon"], 16, 2)
    icon.stamp(coffins.shadow().recolour({"K": "k"}), 4, 4)
    icon.stamp(coffin[1], 2, 2)
    pictures["icon"] = icon

    for key, canvas in pictures.items():
        name = "exp.icon.bmp" if key == "icon" else f"exp{key:02d}.bmp"
        rows = [[art.pal[ch] if ch != CLEAR else art.pal["k"] for ch in row] for row in canvas.px]
        files["data/" + name] = bmp.encode(rows)
