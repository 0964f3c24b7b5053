#!/usr/bin/python3
"""Fails when a relative link in README.md or docs/ names no file, or names a heading
that the file it points into does not have.

    check-links.py [ROOT]

Links are Markdown's [text](target) and ![alt](target), and the src and href of HTML
tags; web addresses are not followed. Code spans and code blocks are not read. A target's
#anchor must be the anchor of one of that file's headings, made as the repository's web
view makes them: lower case, punctuation dropped, blanks turned into hyphens.
"""
import os
import re
import sys

INLINE_LINK = re.compile(r"!?\[(?:[^\]\\]|\\.)*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")
HTML_LINK = re.compile(r"""\b(?:src|href)\s*=\s*["']([^"']+)["']""")
CODE_SPAN = re.compile(r"(`+)(?:(?!\1).)+?\1")
HEADING = re.compile(r"^(#{1,6})\s+(.*?)\s*#*\s*$")
SCHEME = re.compile(r"^[a-zA-Z][a-zA-Z0-9+.-]*:")


def prose_lines(text):
    """The lines outside fenced and indented code blocks, with code spans blanked."""
    fence = None
    previous_blank = True
    in_indented = False
    for number, line in enumerate(text.split("\n"), 1):
        stripped = line.strip()
        if fence:
            if stripped.startswith(fence):
                fence = None
            continue
        if stripped.startswith("```") or stripped.startswith("~~~"):
            fence = stripped[:3]
            continue
        if line.startswith(("    ", "\t")) and (previous_blank or in_indented):
            in_indented = True
            continue
        in_indented = False
        previous_blank = not stripped
        yield number, CODE_SPAN.sub(lambda m: " " * len(m.group(0)), line)


def slug(heading):
    text = re.sub(r"[`*_]", "", heading)  # emphasis and code marks
    text = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)  # a link keeps its text
    text = "".join(c for c in text.lower() if c.isalnum() or c in " -_")
    return text.replace(" ", "-")


def anchors(path, cache={}):
    if path not in cache:
        found = set()
        counts = {}
        with open(path, encoding="utf-8") as f:
            for _, line in prose_lines(f.read()):
                m = HEADING.match(line)
                if not m:
                    continue
                base = slug(m.group(2))
                n = counts.get(base, 0)
                counts[base] = n + 1
                found.add(base if n == 0 else "%s-%d" % (base, n))
        cache[path] = found
    return cache[path]


def documents(root):
    yield os.path.join(root, "README.md")
    for folder, dirs, files in os.walk(os.path.join(root, "docs")):
        dirs.sort()
        for name in sorted(files):
            if name.endswith(".md"):
                yield os.path.join(folder, name)


def problems_in(path, root):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    shown = os.path.relpath(path, root)
    for number, line in prose_lines(text):
        targets = [m.group(1) for m in INLINE_LINK.finditer(line)]
        targets += [m.group(1) for m in HTML_LINK.finditer(line)]
        for target in targets:
            if SCHEME.match(target) or target.startswith("//"):
                continue
            name, _, anchor = target.partition("#")
            file = os.path.normpath(os.path.join(os.path.dirname(path), name)) if name else path
            where = "%s:%d: %s" % (shown, number, target)
            if os.path.relpath(file, root).startswith(".."):
                yield where + " points outside the repository"
            elif not os.path.exists(file):
                yield where + " names no file"
            elif anchor and file.endswith(".md") and anchor not in anchors(file):
                yield where + " names no heading of " + os.path.relpath(file, root)


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else ".")
    if not os.path.isfile(os.path.join(root, "README.md")):
        print("check-links: no README.md in " + root, file=sys.stderr)
        return 2
    checked = 0
    bad = []
    for path in documents(root):
        checked += 1
        bad += problems_in(path, root)
    for problem in bad:
        print(problem, file=sys.stderr)
    print("check-links: %d documents, %d broken links" % (checked, len(bad)))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
