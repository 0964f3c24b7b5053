#!/bin/sh
# Usage: tools/cross/make-firmware-root.sh [11|13]
# Makes the stand-ins for today's handheld firmwares that the handheld package runs on
# under qemu-aarch64: Debian's arm64 C library and SDL2 runtime with what they depend on,
# and no SDL 1.2 (the package must bring its own).
#   11  build-cross/arm64/firmware-root: Debian 11 (glibc 2.31, SDL2 2.0.14), as older
#       firmwares have
#   13  build-cross/arm64/firmware-root-13: Debian 13 (glibc 2.41, SDL2 2.32, a newer
#       libstdc++), as ROCKNIX-class firmwares have
# Both without an argument. Downloaded through apt-get with a configuration, lists and
# cache of its own in build-cross/arm64/firmware-apt(-13) and unpacked with dpkg-deb; the
# machine's own package state stays as it is. Does nothing when a root is complete.
set -eu

say() { echo "make-firmware-root: $*"; }
fail() {
    echo "make-firmware-root: $*" >&2
    exit 1
}
case "${1:-}" in
"")
    "$0" 11 && exec "$0" 13
    ;;
11) suite=bullseye suffix="" ;;
13) suite=trixie suffix=-13 ;;
*) fail "usage: tools/cross/make-firmware-root.sh [11|13]" ;;
esac

PACKAGES="libc6 libsdl2-2.0-0"
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/arm64
dest=$out/firmware-root$suffix
aptdir=$out/firmware-apt$suffix
stamp=$dest/.vesperalia-firmware-root
want="$suite $PACKAGES, usr-merged"

# shellcheck source=tools/cross/private-apt.sh
. "$root/tools/cross/private-apt.sh"
exit_if_made "$stamp" "$want" "$out/.firmware-lock$suffix" "build-cross/arm64/firmware-root$suffix"
private_apt_setup "$aptdir" arm64 "$suite"
say "downloading Debian $suite's $PACKAGES with their dependencies into build-cross/arm64/firmware-apt$suffix"
rm -f "$aptdir"/cache/archives/*.deb
# shellcheck disable=SC2086
private_apt "$aptdir" install -y --download-only $PACKAGES >"$aptdir/log/download.log" 2>&1 ||
    fail "downloading the firmware's packages failed (see build-cross/arm64/firmware-apt$suffix/log/download.log)"
# The point of this root: a package that leans on SDL 1.2 from the firmware must fail here.
sdl12=$(find "$aptdir/cache/archives" -maxdepth 1 -name 'libsdl1.2*.deb' -printf '%f ')
[ -z "$sdl12" ] || fail "SDL 1.2 would be part of the firmware root ($sdl12); firmwares have none"

say "unpacking into build-cross/arm64/firmware-root$suffix"
fresh=$dest.new
rm -rf "$fresh"
mkdir -p "$fresh"
private_apt_unpack "$aptdir" "$fresh"
# Debian 13's packages hold /usr only; its base system links /lib and the others there.
for d in lib bin sbin; do
    [ -e "$fresh/$d" ] || [ ! -d "$fresh/usr/$d" ] || ln -s "usr/$d" "$fresh/$d"
done
found=$(find "$fresh" -name 'libSDL-1.2.so*' -printf '%P ')
[ -z "$found" ] || fail "SDL 1.2 slipped into the firmware root: $found"
for f in lib/aarch64-linux-gnu/libc.so.6 lib/aarch64-linux-gnu/libdl.so.2 lib/ld-linux-aarch64.so.1 \
    usr/lib/aarch64-linux-gnu/libSDL2-2.0.so.0; do
    [ -e "$fresh/$f" ] || fail "the unpacked firmware root lacks $f"
done
echo "$want" >"$fresh/.vesperalia-firmware-root"
rm -rf "$dest"
mv "$fresh" "$dest"
say "ready: build-cross/arm64/firmware-root$suffix ($(find "$aptdir/cache/archives" -maxdepth 1 -name '*.deb' | wc -l) packages)"
