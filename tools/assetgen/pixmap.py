"""Pixel maps: a small canvas of palette characters, read from and drawn
like the text sources ('.' is transparent)."""

from .common import SourceError, art_path, read_lines

CLEAR = "."


def load_palette(path=None):
    path = path or art_path("palette.txt")
    pal = {}
    for lineno, line in enumerate(read_lines(path), 1):
        if not line.strip() or line.startswith("#"):
            continue
        parts = line.split()
        try:
            ch, rgb = parts[0], tuple(int(v) for v in parts[1:4])
        except (ValueError, IndexError):
            raise SourceError(f"{path}:{lineno}: expected: CHAR R G B [name]")
        if len(rgb) != 3 or len(ch) != 1 or ch == CLEAR or ch in pal or any(not 0 <= v <= 255 for v in rgb):
            raise SourceError(f"{path}:{lineno}: bad or repeated colour {ch!r}")
        pal[ch] = rgb
    return pal


class Canvas:
    def __init__(self, w, h, fill=CLEAR):
        self.w, self.h = w, h
        self.px = [[fill] * w for _ in range(h)]

    @staticmethod
    def from_rows(rows):
        c = Canvas(len(rows[0]), len(rows))
        c.px = [list(r) for r in rows]
        return c

    def copy(self):
        return Canvas.from_rows(["".join(r) for r in self.px])

    def get(self, x, y):
        if 0 <= x < self.w and 0 <= y < self.h:
            return self.px[y][x]
        return CLEAR

    def set(self, x, y, ch):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = ch

    def stamp(self, other, dx=0, dy=0):
        """Draws another canvas over this one; its clear pixels leave ours."""
        for y in range(other.h):
            for x in range(other.w):
                ch = other.px[y][x]
                if ch != CLEAR:
                    self.set(x + dx, y + dy, ch)

    def rect(self, x0, y0, w, h, ch):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                self.set(x, y, ch)

    def recolour(self, mapping):
        c = self.copy()
        c.px = [[mapping.get(ch, ch) for ch in row] for row in c.px]
        return c

    def shifted(self, dx, dy):
        c = Canvas(self.w, self.h)
        c.stamp(self, dx, dy)
        return c

    def rows(self):
        return ["".join(r) for r in self.px]


def load_sprites(path, palette):
    """Blocks of 'sprite NAME' followed by rows of palette characters."""
    sprites = {}
    name, rows, start = None, [], 0

    def finish():
        if name is None:
            return
        if not rows or any(len(r) != len(rows[0]) for r in rows):
            raise SourceError(f"{path}:{start}: sprite {name!r} is empty or ragged")
        bad = set("".join(rows)) - set(palette) - {CLEAR}
        if bad:
            raise SourceError(f"{path}:{start}: sprite {name!r} uses unknown colours {sorted(bad)}")
        sprites[name] = Canvas.from_rows(rows)

    for lineno, line in enumerate(read_lines(path), 1):
        line = line.rstrip()
        if not line or line == "#" or line.startswith("# "):
            continue
        if line.startswith("sprite "):
            finish()
            name, rows, start = line.split()[1], [], lineno
            if name in sprites:
                raise SourceError(f"{path}:{lineno}: sprite {name!r} defined twice")
        elif name is None:
            raise SourceError(f"{path}:{lineno}: pixels before the first 'sprite' line")
        else:
            rows.append(line)
    finish()
    return sprites
