#!/usr/bin/python3
"""Usage: check-gptk.py MAP [BUTTON=VALUE ...]

Reads a pad map as the package manager's pad mapper (gptokeyb) reads it, and fails (exit
status 1, one line on stderr for each problem) when the mapper would not do what the map
says: a value the mapper does not know (it turns those into no key at all), a button it
does not know, a button set twice, a button left out (it keeps the mapper's own default,
such as Esc on Select), or a button whose value is not the expected VALUE given. Prints
the map as read. Exit status 2: bad usage or an unreadable file.

The mapper reads "KEY = VALUE" with scanf's "%s = %s": words are what lies between blanks,
so "l1=-" is one word, and a line whose first word starts with "#" is skipped from where
the reading stopped to the end of the line. A comment of one word ("#") therefore also
swallows the next line, which this reading reproduces.
"""
import string
import sys

BUTTONS = (["up", "down", "left", "right", "a", "b", "x", "y", "start", "back", "guide",
            "l1", "l2", "l3", "r1", "r2", "r3"]
           + ["%s_analog_%s" % (s, d) for s in ("left", "right") for d in ("up", "down", "left", "right")]
           + ["%s_hk" % b for b in ("a", "b", "x", "y", "l1", "l2", "r1", "r2")])
NOTHING = '\\"'  # the value that leaves a button without a key
KEYS = set(string.ascii_lowercase) | set(string.digits) | set("-=[];',./\\`")
KEYS |= {"space", "enter", "esc", "tab", "backspace", "up", "down", "left", "right", "home", "end",
         "pageup", "pagedown", "insert", "delete", "leftctrl", "rightctrl", "leftshift", "rightshift",
         "leftalt", "rightalt", "numpad+", "numpad-", "numpadenter", "mouse_left", "mouse_right"}
KEYS |= {"f%d" % n for n in range(1, 13)} | {"numpad%d" % n for n in range(10)}


def read_map(text):
    """(key, value, line) for every pair the mapper takes from text."""
    pairs, pos, n = [], 0, len(text)

    def skip_blanks(p):
        while p < n and text[p] in " \t\r\n\v\f":
            p += 1
        return p

    def word(p):
        start = p
        while p < n and text[p] not in " \t\r\n\v\f":
            p += 1
        return text[start:p], p

    while True:
        pos = skip_blanks(pos)
        if pos >= n:
            return pairs
        line = text.count("\n", 0, pos) + 1
        key, pos = word(pos)
        pos = skip_blanks(pos)
        if pos < n and text[pos] == "=":
            pos = skip_blanks(pos + 1)
            if pos >= n:
                return pairs
            value, pos = word(pos)
            pairs.append((key, value, line))
        elif key.startswith("#"):
            end = text.find("\n", pos)
            pos = n if end < 0 else end + 1


def problems(text, expected):
    out = []
    if text and not text.endswith("\n"):
        out.append("the map does not end with a newline: the mapper never finishes a last comment")
    values, repeats = {}, set()
    for key, value, line in read_map(text):
        if key not in BUTTONS:
            out.append("line %d: '%s' is no button the mapper knows" % (line, key))
        elif value == "repeat":
            repeats.add(key)
        elif value != NOTHING and value not in KEYS:
            out.append("line %d: %s = %s: the mapper knows no key '%s' and sends nothing" % (line, key, value, value))
            values.setdefault(key, value)
        elif key in values:
            out.append("line %d: %s is set a second time" % (line, key))
        else:
            values[key] = value
    for button in BUTTONS:
        if button not in values:
            out.append("%s is left out: it keeps the mapper's default" % button)
    for button, value in expected.items():
        if button in values and values[button] != value:
            out.append("%s is %s, not %s" % (button, values[button], value))
    return out, values


def main(argv):
    if len(argv) < 2 or any("=" not in a for a in argv[2:]):
        print(__doc__.strip().splitlines()[0], file=sys.stderr)
        return 2
    try:
        text = open(argv[1], encoding="latin-1").read()
    except OSError as e:
        print("check-gptk: cannot read %s: %s" % (argv[1], e.strerror), file=sys.stderr)
        return 2
    expected = dict(a.split("=", 1) for a in argv[2:])
    found, values = problems(text, expected)
    for p in found:
        print("check-gptk: %s: %s" % (argv[1], p), file=sys.stderr)
    keys = sorted((b, v) for b, v in values.items() if v != NOTHING)
    print("check-gptk: %s: %d buttons set, %s; the others send nothing" % (
        argv[1], len(values), ", ".join("%s=%s" % bv for bv in keys)))
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
