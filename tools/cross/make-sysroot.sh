#!/bin/sh
# Usage: tools/cross/make-sysroot.sh armel|arm64
# Makes build-cross/ARCH/sysroot for cross-building: Debian's own SDL 1.2, SDL_image,
# SDL_ttf, SDL_mixer and GoogleTest -dev packages with everything they depend on (for
# arm64 also SDL2's runtime), unpacked with dpkg-deb (each package's file list, version
# and licence go to .packages/). armel takes Debian 12 (bookworm), arm64 Debian 11
# (bullseye, glibc 2.31, so that the game runs on older handheld firmwares). apt-get runs
# with a configuration, package lists and cache of its own under build-cross/ARCH/apt:
# the machine's own package state stays as it is. Does nothing when the sysroot is
# complete.
set -eu

say() { echo "make-sysroot: $*"; }
fail() {
    echo "make-sysroot: $*" >&2
    exit 1
}

arch=${1:-}
case "$arch" in
armel)
    suite=bookworm
    triplet=arm-linux-gnueabi
    ;;
arm64)
    suite=bullseye
    triplet=aarch64-linux-gnu
    ;;
*) fail "usage: tools/cross/make-sysroot.sh armel|arm64" ;;
esac

# libgmock-dev because Debian 11's GoogleTest CMake files name its library too.
PACKAGES="libc6-dev libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-mixer1.2-dev
libgtest-dev libgmock-dev"
# arm64: SDL2's runtime too (no -dev, so nothing links it), for the test suite's second
# run on the SDL 1.2 layer the handheld package bundles.
[ "$arch" = arm64 ] && PACKAGES="$PACKAGES libsdl2-2.0-0"

root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/$arch
sysroot=$out/sysroot
aptdir=$out/apt
stamp=$sysroot/.vesperalia-sysroot
# (with each package's file list, version and licence in .packages/)
# shellcheck disable=SC2086
want=$(printf '%s ' "$suite" $PACKAGES licences versions)

# shellcheck source=tools/cross/private-apt.sh
. "$root/tools/cross/private-apt.sh"
# One maker at a time per architecture.
exit_if_made "$stamp" "$want" "$out/.lock" "$arch sysroot, build-cross/$arch/sysroot"
private_apt_setup "$aptdir" "$arch" "$suite"
say "downloading Debian $suite $arch packages into build-cross/$arch/apt"
# shellcheck disable=SC2086
private_apt "$aptdir" install -y --download-only $PACKAGES >"$aptdir/log/download.log" 2>&1 ||
    fail "downloading the $arch packages failed (see build-cross/$arch/apt/log/download.log)"

say "unpacking into build-cross/$arch/sysroot"
# Unpacked beside the old one and then put in its place, so that a build using the old
# sysroot meanwhile, or an interrupted run, never sees a half-made one.
fresh=$sysroot.new
rm -rf "$fresh"
mkdir -p "$fresh"
private_apt_unpack "$aptdir" "$fresh"

for f in usr/include/SDL/SDL.h usr/include/SDL/SDL_image.h usr/include/SDL/SDL_ttf.h \
    usr/include/SDL/SDL_mixer.h usr/include/gtest/gtest.h "usr/lib/$triplet/libc.so" \
    "usr/lib/$triplet/pkgconfig/sdl.pc" "usr/lib/$triplet/libgtest.a"; do
    [ -e "$fresh/$f" ] || fail "the unpacked sysroot lacks $f"
done
echo "$want" >"$fresh/.vesperalia-sysroot"
rm -rf "$sysroot"
mv "$fresh" "$sysroot"
count=$(find "$aptdir/cache/archives" -maxdepth 1 -name '*.deb' | wc -l)
say "$arch sysroot ready: build-cross/$arch/sysroot ($count packages)"
