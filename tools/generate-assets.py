#!/usr/bin/python3
"""Writes every generated file of Vesperalia: data/ (images, sounds, the game
font, the item images), lang/ (the language files) and the Notifier's
embedded font and bitmaps in notify/.

    tools/generate-assets.py [OUTDIR]   write into OUTDIR (default: the repository)
    tools/generate-assets.py --check    regenerate into a temporary directory and
                                        fail if a committed file differs

Everything is built in a temporary directory first and moved into place only
when all of it succeeded, so a failing run leaves the old files untouched.
Needs Debian's python3-pil and python3-fonttools (run with /usr/bin/python3)."""

import os
import shutil
import sys
import tempfile

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
sys.path.insert(0, HERE)


def fail(message):
    sys.stderr.write("generate-assets: " + message + "\n")
    sys.exit(1)


try:
    import PIL  # noqa: F401
    import fontTools  # noqa: F401
except ImportError as e:
    fail(f"missing Python module ({e.name}); install python3-pil and python3-fonttools "
         "(tools/install-deps.sh) and run this with /usr/bin/python3")

from assetgen.common import SourceError  # noqa: E402
from assetgen import outputs  # noqa: E402


def write_all(root):
    files = outputs.build_all()
    for rel, data in sorted(files.items()):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
    return sorted(files)


def check():
    files = outputs.build_all()
    stale = []
    for rel, data in sorted(files.items()):
        try:
            with open(os.path.join(REPO, rel), "rb") as f:
                current = f.read()
        except OSError:
            current = None
        if current != data:
            stale.append(rel + (" (missing)" if current is None else " (differs)"))
    for d in outputs.OWNED_DIRS:
        for name in sorted(os.listdir(os.path.join(REPO, d))):
            rel = d + "/" + name
            if os.path.isfile(os.path.join(REPO, rel)) and rel not in files:
                stale.append(rel + " (not made by any generator)")
    if stale:
        sys.stderr.write("generate-assets: these committed files do not match their sources;\n"
                         "run tools/generate-assets.py and commit the result:\n")
        for s in stale:
            sys.stderr.write("  " + s + "\n")
        return 1
    print(f"generate-assets: all {len(files)} generated files are up to date")
    return 0


def main(argv):
    if len(argv) > 2 or (len(argv) == 2 and argv[1] in ("-h", "--help")):
        print(__doc__)
        return 0 if len(argv) == 2 else 2
    try:
        if len(argv) == 2 and argv[1] == "--check":
            return check()
        out = os.path.abspath(argv[1]) if len(argv) == 2 else REPO
        staging = tempfile.mkdtemp(prefix="vesperalia-assets-")
        try:
            names = write_all(staging)
            for rel in names:
                dest = os.path.join(out, rel)
                os.makedirs(os.path.dirname(dest), exist_ok=True)
                shutil.move(os.path.join(staging, rel), dest + ".new")
                os.replace(dest + ".new", dest)
        finally:
            shutil.rmtree(staging, ignore_errors=True)
        print(f"generate-assets: wrote {len(names)} files under {out}")
        return 0
    except SourceError as e:
        fail(str(e))
    except OSError as e:
        fail(f"cannot write {e.filename or 'output'}: {e.strerror}")


if __name__ == "__main__":
    sys.exit(main(sys.argv))
