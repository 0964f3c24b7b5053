"""The list of everything the generators make, by path in the repository."""

from . import bmp, fontgen, images, langgen, sounds
from .glyphs import load as load_glyphs

# Folders whose every file must come from a generator (the check flags strays).
OWNED_DIRS = ("data", "lang")


def build_all():
    files = {}
    glyphs = load_glyphs()
    files["notify/notifier_font.ttf"] = fontgen.build("Vesperalia Notice", glyphs)
    files["notify/badge.bmp"] = bmp.encode(bmp.badge())
    files["notify/cap.bmp"] = bmp.encode(bmp.cap())
    files["data/ruveridovo.ttf"] = fontgen.build("Ruveridovo", glyphs)
    images.build(files)
    sounds.build(files)
    langgen.build(files, glyphs, glyphs)
    return files
