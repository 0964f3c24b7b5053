#!/usr/bin/python3
"""Makes the desktop icons from the game's own registry icon (data/exp.icon.bmp, a
24x24 picture): each size is the picture scaled by a whole number with every pixel
kept square, centred on a transparent square when the size is not a multiple of 24.
The picture's cut corners (the corner pixel's colour, as far as it reaches from the
corner) become transparent, so the badge keeps its shape on any background.

    tools/desktop/make-icons.py ICON.bmp OUTDIR

writes OUTDIR/hicolor/NxN/apps/vesperalia.png. Needs Debian's python3-pil."""

import os
import sys

SIZES = (24, 48, 96, 192, 256)


def fail(message):
    sys.stderr.write("make-icons: " + message + "\n")
    sys.exit(1)


def clear_corners(picture):
    width, height = picture.size
    pixels = picture.load()
    for start in ((0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1)):
        colour = pixels[start]
        if colour[3] == 0:
            continue
        todo = [start]
        while todo:
            x, y = todo.pop()
            if not (0 <= x < width and 0 <= y < height) or pixels[x, y] != colour:
                continue
            pixels[x, y] = (0, 0, 0, 0)
            todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]


def main():
    if len(sys.argv) != 3:
        fail("usage: make-icons.py ICON.bmp OUTDIR")
    try:
        from PIL import Image
    except ImportError:
        fail("python3-pil is missing (tools/install-deps.sh installs it); run with /usr/bin/python3")
    source, outdir = sys.argv[1], sys.argv[2]
    try:
        picture = Image.open(source).convert("RGBA")
    except OSError as e:
        fail(f"cannot read {source}: {e}")
    clear_corners(picture)
    for size in SIZES:
        scale = max(1, size // max(picture.size))
        scaled = picture.resize((picture.width * scale, picture.height * scale), Image.NEAREST)
        icon = Image.new("RGBA", (size, size), (0, 0, 0, 0))
        icon.paste(scaled, ((size - scaled.width) // 2, (size - scaled.height) // 2))
        folder = os.path.join(outdir, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(folder, exist_ok=True)
        # Written aside and renamed, so an interrupted run leaves no half icon behind.
        path = os.path.join(folder, "vesperalia.png")
        icon.save(path + ".part", "PNG")
        os.replace(path + ".part", path)


main()
