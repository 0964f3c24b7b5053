"""Language files: UTF-8 sources in texts/ become Latin-1, CR LF files in
lang/, after checking that every text fits where the game shows it."""

import glob
import os

from .common import TEXTS_DIR, SourceError, read_lines
from .glyphs import text_width

NAME_BYTES = 20
TEXT_BYTES = 100
WRAP = 48                 # the Notifier wraps a body at this many characters
BAR_WIDTH = 294 - 50      # body lines stand from x 50 up to the bar's end
BANNER_WIDTH = 1820       # the banner scrolls from x 320 out to x -1820


def wrap(text):
    """The Notifier's two lines: cut at the last blank at or before 48."""
    if len(text) <= WRAP:
        return [text]
    for p in range(WRAP, 0, -1):
        if text[p] == " ":
            return [text[:p], text[p + 1:]]
    return []


def parse(path):
    header, texts = {}, {}
    for lineno, line in enumerate(read_lines(path), 1):
        if not line or line.startswith("#"):
            continue
        if not line.startswith("@") or " " not in line:
            raise SourceError(f"{path}:{lineno}: expected '@key text'")
        key, value = line.split(" ", 1)
        if key in ("@lang", "@author"):
            header[key] = value
        elif key[1:].isdigit():
            n = int(key[1:])
            if n in texts:
                raise SourceError(f"{path}:{lineno}: text {n} given twice")
            texts[n] = (value, lineno)
        else:
            raise SourceError(f"{path}:{lineno}: unknown key {key}")
    return header, texts


def check(path, header, texts, game_glyphs, notice_glyphs):
    problems = []
    for key in ("@lang", "@author"):
        if not header.get(key):
            problems.append(f"{path}: no {key} line")
    missing = [n for n in range(1, 32) if n not in texts]
    if missing:
        problems.append(f"{path}: texts missing: {missing}")
    for n, (value, lineno) in sorted(texts.items()):
        where = f"{path}:{lineno}: text {n}"
        try:
            raw = value.encode("latin-1")
        except UnicodeEncodeError:
            problems.append(f"{where} has characters outside Latin-1")
            continue
        unknown = sorted({c for c in value if c not in notice_glyphs})
        if unknown:
            problems.append(f"{where} uses characters the fonts lack: {unknown}")
            continue
        if n == 1:
            w = text_width(game_glyphs, value)
            if w > BANNER_WIDTH:
                problems.append(f"{where} is {w} pixels wide, the banner holds {BANNER_WIDTH}")
        elif n % 2 == 0 and len(raw) > NAME_BYTES:
            problems.append(f"{where} (a name) has {len(raw)} bytes, at most {NAME_BYTES}")
        elif n % 2 == 1:
            if len(raw) > TEXT_BYTES:
                problems.append(f"{where} has {len(raw)} bytes, at most {TEXT_BYTES}")
            lines = wrap(value)
            if not lines:
                problems.append(f"{where} has no blank to wrap at")
            for line in lines:
                w = text_width(notice_glyphs, line)
                if w > BAR_WIDTH:
                    problems.append(f"{where}: the line {line!r} is {w} pixels, the bar holds {BAR_WIDTH}")
    if problems:
        raise SourceError("\n".join(problems))


def build(files, game_glyphs, notice_glyphs):
    # Every source is a language: texts/NAME.txt becomes lang/NAME.
    codes = {}
    for path in sorted(glob.glob(os.path.join(TEXTS_DIR, "*.txt"))):
        name = os.path.basename(path)[:-len(".txt")]
        header, texts = parse(path)
        check(path, header, texts, game_glyphs, notice_glyphs)
        # The game takes the first file it lists with a profile's code, so a code is one file's.
        if header["@lang"] in codes:
            raise SourceError(f"{path}: @lang {header['@lang']} is also {codes[header['@lang']]}'s")
        codes[header["@lang"]] = path
        lines = ["@lang " + header["@lang"], "@author " + header["@author"]]
        lines += [f"@{n} {texts[n][0]}" for n in sorted(texts)]
        files["lang/" + name] = "".join(l + "\r\n" for l in lines).encode("latin-1")
