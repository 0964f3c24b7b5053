#!/usr/bin/python3
"""Usage: tools/sdl-pictures.py SCREENSHOT LAYER_DIR...

Holds what the desktop window shows on sdl12-compat against what it shows on this
machine's SDL 1.2: every screen (the title with a message, play, an opening, a search, a
find, an unlock, the match end half faded), at scales 1, 2 and 4, with and without
scanlines, drawn by the screenshot program SCREENSHOT with -window and read back from the
window, once on the machine's library and once with each LAYER_DIR first on
LD_LIBRARY_PATH. Pictures are compared in the 16-bit screen's own colour levels: they must
be equal, except on the match end, whose fading images are blended with per-surface alpha,
which the two libraries round differently; there by one level at most. Run it where data/
and lang/ are. Prints one line per library and exits 1 on any other difference.
"""
import os
import subprocess
import sys
import tempfile

from PIL import Image

SCENES = ["title-message", "match", "opening", "searching", "found", "unlock", "match-end"]
BLENDED = {"match-end"}  # drawn with per-surface alpha


def shoot(program, layer, scene, scale, scanlines, out):
    env = dict(os.environ, SDL_VIDEODRIVER="dummy", SDL_AUDIODRIVER="dummy")
    if layer:
        env["LD_LIBRARY_PATH"] = layer + (":" + env["LD_LIBRARY_PATH"] if env.get("LD_LIBRARY_PATH") else "")
    args = [program, "-scene", scene, "-window", "-scale", str(scale)]
    if scanlines:
        args.append("-scanlines")
    done = subprocess.run(args + [out], env=env, capture_output=True, text=True)
    if done.returncode != 0:
        sys.exit("sdl-pictures: %s failed on %s: %s" % (" ".join(args[1:]), layer or "SDL 1.2",
                                                         done.stderr.strip()))


def levels(rgb):
    return (rgb[0] >> 3, rgb[1] >> 2, rgb[2] >> 3)


def compare(a_path, b_path):
    """(pixels that differ, largest difference in levels), or None when the sizes differ."""
    a, b = Image.open(a_path).convert("RGB"), Image.open(b_path).convert("RGB")
    if a.size != b.size:
        return None
    differ, most = 0, 0
    for pa, pb in zip(a.getdata(), b.getdata()):
        if pa != pb:
            la, lb = levels(pa), levels(pb)
            d = max(abs(x - y) for x, y in zip(la, lb))
            if d:
                differ += 1
                most = max(most, d)
    return differ, most


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    program, layers = os.path.abspath(sys.argv[1]), sys.argv[2:]
    cases = [(scene, scale, lines) for scene in SCENES for scale in (1, 2, 4)
             for lines in ((False,) if scale == 1 else (False, True))]
    failed = False
    with tempfile.TemporaryDirectory(prefix="vesperalia-pictures-") as tmp:
        for n, (scene, scale, lines) in enumerate(cases):
            shoot(program, "", scene, scale, lines, os.path.join(tmp, "own-%d.bmp" % n))
        for layer in layers:
            bad, blended = [], 0
            for n, (scene, scale, lines) in enumerate(cases):
                mine = os.path.join(tmp, "layer-%d.bmp" % n)
                shoot(program, layer, scene, scale, lines, mine)
                result = compare(os.path.join(tmp, "own-%d.bmp" % n), mine)
                name = "%s x%d%s" % (scene, scale, " scanlines" if lines else "")
                if result is None:
                    bad.append(name + ": another size")
                elif result[0] and (scene not in BLENDED or result[1] > 1):
                    bad.append("%s: %d pixels differ, by up to %d levels" % (name, result[0], result[1]))
                elif result[0]:
                    blended += 1
            if bad:
                failed = True
                print("sdl-pictures: %s: %d of %d pictures differ:" % (layer, len(bad), len(cases)))
                for line in bad:
                    print("sdl-pictures:   " + line)
            else:
                print("sdl-pictures: %s: %d pictures as on SDL 1.2 (%d with alpha blending one level "
                      "apart)" % (layer, len(cases), blended))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
