"""Builds the two TrueType pixel fonts from the text glyphs.

One font pixel is 125 units on a 1000-unit em, so at point size 8 every font
pixel lands on exactly one screen pixel and text renders with hard edges."""

import io

from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

from .glyphs import load

UNIT = 125
ASCENT = 11 * UNIT
DESCENT = 2 * UNIT
# Fixed dates (seconds since 1904) keep every build byte-identical.
FIXED_TIME = 3786825600

CODEPOINTS = list(range(32, 127)) + [c for c in range(161, 256) if c != 173]


def _runs(pixels):
    """Pixel squares merged into rectangles: horizontal runs per row, then
    identical runs of neighbouring rows joined. Rectangles only touch, so the
    outline stays on the pixel grid."""
    rows = {}
    for c, k in pixels:
        rows.setdefault(k, set()).add(c)
    spans = {}
    for k, cols in rows.items():
        cols = sorted(cols)
        start = prev = cols[0]
        for c in cols[1:] + [None]:
            if c is not None and c == prev + 1:
                prev = c
                continue
            spans.setdefault((start, prev + 1), []).append(k)
            if c is not None:
                start = prev = c
    rects = []
    for (x0, x1), ks in sorted(spans.items()):
        ks.sort()
        top = bottom = ks[0]
        for k in ks[1:] + [None]:
            if k is not None and k == top + 1:
                top = k
                continue
            rects.append((x0, bottom, x1, top))
            if k is not None:
                top = bottom = k
    return rects


def _draw(glyph):
    pen = TTGlyphPen(None)
    for x0, kb, x1, kt in _runs(glyph.pixels):
        xa, xb = x0 * UNIT, x1 * UNIT
        ya, yb = (kb - 1) * UNIT, kt * UNIT
        # clockwise, as TrueType wants for filled contours
        pen.moveTo((xa, ya))
        pen.lineTo((xa, yb))
        pen.lineTo((xb, yb))
        pen.lineTo((xb, ya))
        pen.closePath()
    return pen.glyph()


def _notdef():
    pen = TTGlyphPen(None)
    for (xa, ya, xb, yb, cw) in ((0, 0, 500, 875, True), (125, 125, 375, 750, False)):
        pts = [(xa, ya), (xa, yb), (xb, yb), (xb, ya)]
        if not cw:
            pts.reverse()
        pen.moveTo(pts[0])
        for p in pts[1:]:
            pen.lineTo(p)
        pen.closePath()
    return pen.glyph()


def build(family, chars=None):
    """Returns the font file's bytes."""
    chars = chars or load()
    missing = [c for c in CODEPOINTS if chr(c) not in chars]
    if missing:
        raise ValueError("glyphs missing for code points " + ", ".join(map(str, missing)))
    order = [".notdef"] + [f"uni{c:04X}" for c in CODEPOINTS]
    glyf = {".notdef": _notdef()}
    metrics = {".notdef": (5 * UNIT, 0)}
    cmap = {}
    for c in CODEPOINTS:
        name = f"uni{c:04X}"
        g = chars[chr(c)]
        glyf[name] = _draw(g)
        lsb = min((x for x, _ in g.pixels), default=0) * UNIT
        metrics[name] = (g.advance * UNIT, lsb)
        cmap[c] = name

    fb = FontBuilder(1000, isTTF=True)
    fb.font.recalcTimestamp = False
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap(cmap)
    fb.setupGlyf(glyf)
    fb.setupHorizontalMetrics(metrics)
    fb.setupHorizontalHeader(ascent=ASCENT, descent=-DESCENT, lineGap=0)
    fb.setupNameTable({
        "familyName": family,
        "styleName": "Regular",
        "uniqueFontIdentifier": family + " Regular",
        "fullName": family + " Regular",
        "psName": family.replace(" ", "") + "-Regular",
        "version": "Version 1.000",
        "copyright": "Drawn pixel by pixel for Vesperalia",
    })
    fb.setupOS2(sTypoAscender=ASCENT, sTypoDescender=-DESCENT, sTypoLineGap=0,
                usWinAscent=ASCENT, usWinDescent=DESCENT, sxHeight=5 * UNIT,
                sCapHeight=7 * UNIT, achVendID="VESP", fsType=0,
                usFirstCharIndex=32, usLastCharIndex=255)
    fb.setupPost(keepGlyphNames=False)
    head = fb.font["head"]
    head.created = FIXED_TIME
    head.modified = FIXED_TIME
    out = io.BytesIO()
    fb.font.save(out)
    return out.getvalue()
