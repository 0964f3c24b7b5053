#!/bin/sh
# Builds Vesperalia with its exp registry inside the checkout (sdcard/exp/, ignored by
# git), makes a first profile there when there is none, and starts the game from the
# checkout. Arguments are passed to the game (-fullscreen, -scanlines).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
base="$root/sdcard/exp/"

./tools/install-deps.sh

# Its own build directory, so build/ keeps the handheld's registry location.
cmake -S . -B build-play -DEXP_BASE_DIR="$base" >/dev/null
cmake --build build-play -j2 --target vesperalia vesperalia-profile

if [ ! -e "${base}activeexp" ]; then
    ./build-play/vesperalia-profile --base "$base" create "${USER:-Player}" en
fi

exec ./build-play/vesperalia "$@"
