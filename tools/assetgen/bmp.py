"""24-bit uncompressed Windows BMP files, and the Notifier's two bitmaps."""

import struct

from .common import SourceError, art_path, read_lines

MAGENTA = (255, 0, 255)
BAR = (101, 143, 101)
EDGE = (81, 113, 81)
FACE = (111, 153, 111)
HIGHLIGHT = (127, 165, 127)
YELLOW = (255, 255, 0)


def encode(rows):
    """rows: list of rows (top first) of (r, g, b). Bottom-up, rows padded to
    four bytes, 40-byte info header, 2835 pixels per metre."""
    height = len(rows)
    width = len(rows[0])
    stride = (width * 3 + 3) & ~3
    body = bytearray()
    for row in reversed(rows):
        if len(row) != width:
            raise ValueError("ragged bitmap")
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        body += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body),
                       2835, 2835, 0, 0)
    return header + info + bytes(body)


def cap():
    rows = []
    for y in range(24):
        c0 = MAGENTA if y in (0, 23) else BAR
        c1 = MAGENTA if y in (0, 1, 22, 23) else EDGE
        rows.append([c0, c1])
    return rows


def badge():
    path = art_path("badge.txt")
    lines = [l for l in read_lines(path) if l and not l.startswith("#")]
    if len(lines) != 24 or any(len(l) != 24 or set(l) - {".", "#"} for l in lines):
        raise SourceError(f"{path}: the emblem must be 24 rows of 24 '.' or '#'")
    rows = []
    for y in range(24):
        row = []
        for x in range(24):
            if (y in (0, 23) and x in (0, 1, 22, 23)) or (y in (1, 22) and x in (0, 23)):
                c = MAGENTA
            elif y == 0 or x == 0:
                c = HIGHLIGHT
            elif y == 23 or x == 23:
                c = EDGE
            else:
                c = FACE
            row.append(c)
        rows.append(row)
    ink = {(x, y) for y, l in enumerate(lines) for x, ch in enumerate(l) if ch == "#"}
    for x, y in ink:
        if (x + 1, y + 1) not in ink and 0 < x + 1 < 23 and 0 < y + 1 < 23:
            rows[y + 1][x + 1] = EDGE
    for x, y in ink:
        rows[y][x] = YELLOW
    return rows
