#!/usr/bin/python3
"""Checks check-gptk.py: the shipped pad map passes, and the maps the mapper would read
otherwise than they look fail, each with the reason."""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
TOOL = os.path.join(HERE, "check-gptk.py")
SHIPPED = open(os.path.join(HERE, "vesperalia.gptk")).read()
GAME_KEYS = ["up=up", "a=space", "start=rightctrl", "l1=-", "r1=="]


def run(text, expected=()):
    with tempfile.NamedTemporaryFile("w", suffix=".gptk", delete=False) as f:
        f.write(text)
    try:
        r = subprocess.run([sys.executable, TOOL, f.name] + list(expected), capture_output=True, text=True)
    finally:
        os.unlink(f.name)
    return r.returncode, r.stderr


def without(button):
    return "".join(l for l in SHIPPED.splitlines(True) if not l.startswith(button + " "))


failures = []


def expect(name, text, status, says="", expected=GAME_KEYS):
    code, err = run(text, expected)
    if code != status or says not in err:
        failures.append("%s: status %d, wanted %d with '%s'; stderr: %s" % (name, code, status, says, err.strip()))


expect("the shipped map", SHIPPED, 0)
# Names Linux gives the keys, not the mapper's: it sends nothing for them.
expect("KEY_ names", SHIPPED.replace("l1 = -", "l1 = minus"), 1, "knows no key 'minus'")
expect("a button left out", without("back"), 1, "back is left out")
expect("a hotkey form left out", without("b_hk"), 1, "b_hk is left out")
# Without blanks around '=' the mapper reads one word and no pair.
expect("no blanks", SHIPPED.replace("r1 = =", "r1==="), 1, "r1 is left out")
# A one-word comment swallows the next line.
expect("a bare #", SHIPPED.replace("start = rightctrl", "#\nstart = rightctrl"), 1, "start is left out")
expect("a comment of words", SHIPPED.replace("start = rightctrl", "# Start gives up\nstart = rightctrl"), 0)
expect("set twice", SHIPPED + "a = enter\n", 1, "a is set a second time")
expect("an unknown button", SHIPPED + "select = \\\"\n", 1, "'select' is no button")
expect("the wrong key", SHIPPED.replace("start = rightctrl", "start = esc"), 1, "start is esc, not rightctrl")
expect("no final newline", SHIPPED + "# end", 1, "does not end with a newline")
expect("repeat is no key", SHIPPED.replace("up = up", "up = repeat"), 1, "up is left out")
code, _ = run(SHIPPED, ["no-equals-sign"])
if code != 2:
    failures.append("bad usage: status %d, wanted 2" % code)

for f in failures:
    print("check-gptk-test: " + f, file=sys.stderr)
print("check-gptk: %d problem(s)" % len(failures) if failures else "check-gptk: all cases pass")
sys.exit(1 if failures else 0)
