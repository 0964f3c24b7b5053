"""Reads the text glyph bitmaps (art/glyphs.txt) into pixel sets."""

from .common import SourceError, art_path, read_lines

BELOW = 2  # rows under the baseline at the foot of every char/base block


class Glyph:
    """Ink pixels as (column, k): k = 1 is the row just above the baseline,
    k = 0 the first row below it."""

    def __init__(self, pixels, width, advance):
        self.pixels = frozenset(pixels)
        self.width = width
        self.advance = advance

    def top(self):
        return max((k for _, k in self.pixels), default=0)

    def ink_columns(self):
        cols = [c for c, _ in self.pixels]
        return (min(cols), max(cols)) if cols else (0, self.width - 1)


def _parse_header(token, path, lineno):
    if token.startswith("U+"):
        try:
            return chr(int(token[2:], 16))
        except ValueError:
            raise SourceError(f"{path}:{lineno}: bad code point {token!r}")
    if len(token) != 1:
        raise SourceError(f"{path}:{lineno}: expected one character, got {token!r}")
    return token


def load(path=None):
    """Returns (glyphs by character, bases by name, marks by name)."""
    path = path or art_path("glyphs.txt")
    chars, bases, marks, composes = {}, {}, {}, []
    block = None

    def finish():
        if block is None:
            return
        kind, key, adv, rows, lineno = block
        if not rows:
            raise SourceError(f"{path}:{lineno}: block {key!r} has no rows")
        width = len(rows[0])
        if any(len(r) != width for r in rows):
            raise SourceError(f"{path}:{lineno}: rows of {key!r} differ in width")
        if kind == "mark":
            pixels = {(c, len(rows) - 1 - r) for r, row in enumerate(rows)
                      for c, ch in enumerate(row) if ch == "#"}
            marks[key] = (pixels, width, len(rows))
            return
        if len(rows) < 7:
            raise SourceError(f"{path}:{lineno}: {key!r} needs at least 7 rows")
        above = len(rows) - BELOW
        pixels = {(c, above - r) for r, row in enumerate(rows)
                  for c, ch in enumerate(row) if ch == "#"}
        glyph = Glyph(pixels, width, adv if adv is not None else width + 1)
        (chars if kind == "char" else bases)[key] = glyph

    for lineno, raw in enumerate(read_lines(path), 1):
        line = raw.rstrip()
        if not line or line.startswith("# ") or line == "#":
            continue
        words = line.split()
        if words[0] in ("char", "base", "mark") and len(words) == 2 and not set(line) <= {"#", "."}:
            finish()
            key = _parse_header(words[1], path, lineno) if words[0] == "char" else words[1]
            block = [words[0], key, None, [], lineno]
        elif words[0] == "adv" and len(words) == 2 and block is not None and not block[3]:
            block[2] = int(words[1])
        elif words[0] == "compose":
            finish()
            block = None
            if len(words) != 4:
                raise SourceError(f"{path}:{lineno}: compose needs: compose CHAR BASE MARK")
            composes.append((words[1], words[2], words[3], lineno))
        elif set(line) <= {"#", "."} and block is not None:
            block[3].append(line)
        else:
            raise SourceError(f"{path}:{lineno}: cannot read {line!r}")
    finish()

    for ch, base_name, mark_name, lineno in composes:
        base = chars.get(base_name) if len(base_name) == 1 else bases.get(base_name)
        if base is None:
            raise SourceError(f"{path}:{lineno}: unknown base {base_name!r}")
        if mark_name not in marks:
            raise SourceError(f"{path}:{lineno}: unknown mark {mark_name!r}")
        chars[ch] = _compose(base, marks[mark_name], mark_name == "cedilla")
    return chars


def _compose(base, mark, below):
    mpix, mwidth, mheight = mark
    lo, hi = base.ink_columns()
    left = int((lo + hi) / 2 - (mwidth - 1) / 2 + 0.5)
    if below:
        dy = 0 - (mheight - 1)          # mark's top row on the first row below
    else:
        dy = base.top() + 2             # one blank row over the base's ink
    pixels = set(base.pixels)
    pixels |= {(c + left, k + dy) for c, k in mpix}
    width = max(base.width, left + mwidth)
    advance = base.advance + (width - base.width)
    return Glyph(pixels, width, advance)


def text_width(chars, text):
    return sum(chars[c].advance for c in text)
