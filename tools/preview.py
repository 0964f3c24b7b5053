#!/usr/bin/python3
"""Composes the game's screens from the generated files, the way the game
draws them, so the art can be judged before (or beside) the game itself.

    tools/preview.py [ROOT] [OUTDIR]

ROOT holds data/ and lang/ (default: the repository); the pictures go to
OUTDIR (default /tmp/vesperalia-preview): title.png, board.png, end.png,
each also at twice the size (*-x2.png)."""

import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

try:
    from PIL import Image, ImageDraw, ImageFont
except ImportError:
    sys.stderr.write("preview: needs python3-pil; run with /usr/bin/python3\n")
    sys.exit(1)


def load(root, name):
    path = os.path.join(root, "data", name)
    try:
        im = Image.open(path)
        im.load()
    except OSError as e:
        sys.stderr.write(f"preview: cannot load {path}: {e}\n")
        sys.exit(1)
    return im


def blit(screen, im, x, y, alpha=255):
    rgba = im.convert("RGBA")
    if alpha != 255:
        a = rgba.getchannel("A").point(lambda v: v * alpha // 255)
        rgba.putalpha(a)
    screen.alpha_composite(rgba, (x, y)) if x >= 0 and y >= 0 else _clipped(screen, rgba, x, y)


def _clipped(screen, rgba, x, y):
    cx, cy = max(0, -x), max(0, -y)
    part = rgba.crop((cx, cy, rgba.width, rgba.height))
    screen.alpha_composite(part, (x + cx, y + cy))


def rounded_box(draw, x, y, w, h, colour):
    draw.rectangle([x + 1, y + 1, x + w - 2, y + h - 2], fill=colour)
    draw.rectangle([x + 2, y, x + w - 3, y], fill=colour)
    draw.rectangle([x + 2, y + h - 1, x + w - 3, y + h - 1], fill=colour)
    draw.rectangle([x, y + 2, x, y + h - 3], fill=colour)
    draw.rectangle([x + w - 1, y + 2, x + w - 1, y + h - 3], fill=colour)


def banner(root):
    try:
        for name in sorted(os.listdir(os.path.join(root, "lang"))):
            with open(os.path.join(root, "lang", name), "rb") as f:
                for line in f.read().decode("latin-1").split("\r\n"):
                    if line.startswith("@1 "):
                        return line[3:]
    except OSError:
        pass
    return "Vesperalia"


def title_screen(root, selection, clouds_at):
    s = Image.new("RGBA", (320, 240), (0, 0, 0, 255))
    blit(s, load(root, "title.png"), 0, 0)
    d = ImageDraw.Draw(s)
    rounded_box(d, 45, 97, 70, 115, (255, 255, 255, 255))
    rounded_box(d, 46, 98, 68, 113, (16, 32, 64, 255))
    clouds = load(root, "title.clouds.png")
    blit(s, clouds, clouds_at, 0)
    blit(s, clouds, clouds_at - 320, 0)
    sel = lambda i, a, b: load(root, a if selection == i else b)
    blit(s, sel(0, "pvc2.png", "pvc.png"), 48, 100)
    blit(s, sel(1, "pvp2.png", "pvp.png"), 48, 130)
    blit(s, sel(2, "left2.png", "left.png"), 48, 160)
    blit(s, load(root, "scoreback.png"), 68, 160)
    blit(s, load(root, "3.png"), 68, 160)
    blit(s, sel(2, "right2.png", "right.png"), 88, 160)
    blit(s, sel(3, "exit2.png", "exit.png"), 68, 190)
    font = ImageFont.truetype(os.path.join(root, "data", "ruveridovo.ttf"), 8)
    d = ImageDraw.Draw(s)
    d.fontmode = "1"
    d.text((4, 220), banner(root), font=font, fill=(255, 255, 255, 255))
    return s


def board_screen(root, with_notifier):
    s = Image.new("RGBA", (320, 240), (0, 0, 0, 255))
    blit(s, load(root, "fondo.png"), 0, 0)
    coffins = {n: load(root, f"coffin.{n}.png") for n in range(1, 13)}
    shadow = load(root, "coffin.s.png")
    # every state and frame at least once, the rest closed or jammed
    layout = {0: 5, 1: 9, 2: 10, 3: 11, 4: 12, 5: 2, 6: 4, 7: 6, 8: 7, 9: 8,
              22: 3, 23: 3, 34: 9, 47: 10, 51: 12, 58: 11, 63: 3, 76: 9, 88: 10, 91: 12}
    for i in range(100):
        x, y = 100 + 20 * (i % 10), 20 + 20 * (i // 10)
        blit(s, shadow, x + 3, y + 3)
        blit(s, coffins[layout.get(i, 1)], x, y)
    blit(s, load(root, "cursor.png"), 100 + 20 * 5, 20 + 20 * 5)
    blit(s, load(root, "player.1.png"), 20, 80)
    blit(s, load(root, "scoreback.png"), 40, 80)
    blit(s, load(root, "2.png"), 40, 80)
    blit(s, load(root, "player.3.png"), 20, 140)
    blit(s, load(root, "1.png"), 40, 140)
    if with_notifier:
        notifier(root, s)
    return s


def notifier(root, s):
    d = ImageDraw.Draw(s)
    d.rectangle([46, 210, 46 + 247, 233], fill=(101, 143, 101, 255))
    for name, x in (("badge.bmp", 24), ("cap.bmp", 294)):
        im = Image.open(os.path.join(root, "notify", name)).convert("RGBA")
        px = im.load()
        for yy in range(im.height):
            for xx in range(im.width):
                if px[xx, yy][:3] == (255, 0, 255):
                    px[xx, yy] = (0, 0, 0, 0)
        s.alpha_composite(im, (x, 210))
    font = ImageFont.truetype(os.path.join(root, "notify", "notifier_font.ttf"), 8)
    d.fontmode = "1"
    d.text((50, 208), "Found the vampire at the very first", font=font, fill=(255, 255, 0, 255))
    d.text((50, 218), "opening: beginner's luck, or a nose for it?", font=font,
           fill=(255, 255, 0, 255))


def end_screen(root, fade):
    s = Image.new("RGBA", (320, 240), (0, 0, 0, 255))
    blit(s, load(root, "player.1.png"), 146, 80)
    blit(s, load(root, "3.png"), 166, 80)
    blit(s, load(root, "player.3.png"), 20, 140, fade)
    blit(s, load(root, "1.png"), 40, 140, fade)
    return s


def main(argv):
    root = os.path.abspath(argv[1]) if len(argv) > 1 else os.path.dirname(HERE)
    out = argv[2] if len(argv) > 2 else "/tmp/vesperalia-preview"
    os.makedirs(out, exist_ok=True)
    shots = {
        "title": title_screen(root, 0, 100),
        "title-menu2": title_screen(root, 2, 250),
        "board": board_screen(root, False),
        "board-notifier": board_screen(root, True),
        "end": end_screen(root, 110),
    }
    for name, im in shots.items():
        rgb = im.convert("RGB")
        rgb.save(os.path.join(out, name + ".png"))
        rgb.resize((640, 480), Image.NEAREST).save(os.path.join(out, name + "-x2.png"))
    print(f"preview: wrote {', '.join(shots)} under {out}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
