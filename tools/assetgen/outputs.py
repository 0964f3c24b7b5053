"""The list of everything the generators make, by path in the repository."""

from . import bmp, fontgen, images

# Folders whose every file must come from a generator (the check flags strays).
OWNED_DIRS = ("data", "lang")


def build_all():
    files = {}
    files["notify/notifier_font.ttf"] = fontgen.build("Vesperalia Notice")
    files["notify/badge.bmp"] = bmp.encode(bmp.badge())
    files["notify/cap.bmp"] = bmp.encode(bmp.cap())
    files["data/ruveridovo.ttf"] = fontgen.build("Ruveridovo")
    images.build(files)
    return files
