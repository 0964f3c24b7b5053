#!/bin/sh
# Usage: tools/cross/make-firmware-root.sh
# Makes build-cross/arm64/firmware-root, a stand-in for today's handheld firmwares to run
# the handheld package on under qemu-aarch64: Debian 11's arm64 C library (glibc 2.31)
# and SDL2 runtime with what they depend on, and no SDL 1.2 (the package must bring its
# own). Downloaded through apt-get with a configuration, lists and cache of its own in
# build-cross/arm64/firmware-apt and unpacked with dpkg-deb; the machine's own package
# state stays as it is. Does nothing when the root is complete.
set -eu

say() { echo "make-firmware-root: $*"; }
fail() {
    echo "make-firmware-root: $*" >&2
    exit 1
}
[ $# -eq 0 ] || fail "usage: tools/cross/make-firmware-root.sh (no arguments)"

PACKAGES="libc6 libsdl2-2.0-0"
suite=bullseye
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/arm64
dest=$out/firmware-root
aptdir=$out/firmware-apt
stamp=$dest/.vesperalia-firmware-root
want="$suite $PACKAGES"

# shellcheck source=tools/cross/private-apt.sh
. "$root/tools/cross/private-apt.sh"
exit_if_made "$stamp" "$want" "$out/.firmware-lock" build-cross/arm64/firmware-root
private_apt_setup "$aptdir" arm64 "$suite"
say "downloading $PACKAGES with their dependencies into build-cross/arm64/firmware-apt"
rm -f "$aptdir"/cache/archives/*.deb
# shellcheck disable=SC2086
private_apt "$aptdir" install -y --download-only $PACKAGES >"$aptdir/log/download.log" 2>&1 ||
    fail "downloading the firmware's packages failed (see build-cross/arm64/firmware-apt/log/download.log)"
# The point of this root: a package that leans on SDL 1.2 from the firmware must fail here.
sdl12=$(find "$aptdir/cache/archives" -maxdepth 1 -name 'libsdl1.2*.deb' -printf '%f ')
[ -z "$sdl12" ] || fail "SDL 1.2 would be part of the firmware root ($sdl12); firmwares have none"

say "unpacking into build-cross/arm64/firmware-root"
fresh=$dest.new
rm -rf "$fresh"
mkdir -p "$fresh"
private_apt_unpack "$aptdir" "$fresh"
found=$(find "$fresh" -name 'libSDL-1.2.so*' -printf '%P ')
[ -z "$found" ] || fail "SDL 1.2 slipped into the firmware root: $found"
for f in lib/aarch64-linux-gnu/libc.so.6 lib/aarch64-linux-gnu/libdl.so.2 lib/ld-linux-aarch64.so.1 \
    usr/lib/aarch64-linux-gnu/libSDL2-2.0.so.0; do
    [ -e "$fresh/$f" ] || fail "the unpacked firmware root lacks $f"
done
echo "$want" >"$fresh/.vesperalia-firmware-root"
rm -rf "$dest"
mv "$fresh" "$dest"
say "ready: build-cross/arm64/firmware-root ($(find "$aptdir/cache/archives" -maxdepth 1 -name '*.deb' | wc -l) packages)"
