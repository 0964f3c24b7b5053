#!/bin/sh
# Draws the README's pictures again with the game's own code: the title, a match with
# hints showing and an unlock message, each at twice the game's size (640x480), into
# docs/images/NAME.png. Builds the screenshot program in build-readme-images/.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build-readme-images

fail() {
    echo "make-readme-images: $*" >&2
    exit 1
}

./tools/install-deps.sh || fail "the Debian packages it needs could not be installed"

echo "make-readme-images: building the screenshot program in build-readme-images/"
mkdir -p "$build"
{
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DVESPERALIA_PLATFORM=desktop
    fi && cmake --build "$build" -j2 --target vesperalia-screenshot
} >"$build/build.log" 2>&1 || {
    tail -n 25 "$build/build.log" >&2
    fail "the build failed; the whole log is in build-readme-images/build.log"
}

mkdir -p docs/images
for scene in title match unlock; do
    # The game's own SDL 1.2, not a layer a caller's environment may name.
    env -u LD_LIBRARY_PATH "$build/vesperalia-screenshot" -scene "$scene" -scale 2 \
        "$build/$scene.bmp" || fail "the screenshot program could not draw $scene"
    # Written beside the picture first, so a failure leaves the committed one whole.
    /usr/bin/python3 - "$build/$scene.bmp" "docs/images/.$scene.png.tmp" <<'EOF' ||
import sys
from PIL import Image
Image.open(sys.argv[1]).convert("RGB").save(sys.argv[2], "PNG", optimize=True)
EOF
        { rm -f "docs/images/.$scene.png.tmp"; fail "could not convert $scene to PNG"; }
    mv "docs/images/.$scene.png.tmp" "docs/images/$scene.png"
    echo "make-readme-images: docs/images/$scene.png"
done
