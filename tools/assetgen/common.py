"""Small helpers shared by the generators."""

import os

TOOLS_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
ART_DIR = os.path.join(TOOLS_DIR, "art")
TEXTS_DIR = os.path.join(TOOLS_DIR, "texts")


class SourceError(Exception):
    """A readable source file is malformed; the message names file and line."""


class Rng:
    """Tiny 32-bit xorshift generator: our own, so every run and every Python
    version draws the same numbers."""

    def __init__(self, seed):
        self.state = (seed * 2654435761 + 0x9E3779B9) & 0xFFFFFFFF or 1

    def next_u32(self):
        x = self.state
        x ^= (x << 13) & 0xFFFFFFFF
        x ^= x >> 17
        x ^= (x << 5) & 0xFFFFFFFF
        self.state = x
        return x

    def random(self):
        return self.next_u32() / 4294967296.0

    def uniform(self, a, b):
        return a + (b - a) * self.random()

    def randint(self, a, b):
        return a + self.next_u32() % (b - a + 1)


def art_path(name):
    return os.path.join(ART_DIR, name)


def read_lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().split("\n")
    except OSError as e:
        raise SourceError(f"cannot read source {path}: {e.strerror}")
