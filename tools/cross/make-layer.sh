#!/bin/sh
# Usage: tools/cross/make-layer.sh
# Makes build-cross/arm64/layer/lib/: the SDL 1.2 layer over SDL2 that the handheld package
# bundles and the arm64 test suite runs on a second time. libSDL-1.2.so.0 is sdl12-compat
# from Debian 13's arm64 libsdl1.2debian, whose calls of dlopen, dlsym and dlclose (glibc
# 2.34) tools/package/fit-glibc231.py moves to libdl.so.2, where every aarch64 glibc has
# them; beside it copyright (the package's) and version ("PACKAGE VERSION"). Downloaded
# with apt-get through a configuration of its own (tools/cross/private-apt.sh) into
# build-cross/arm64/layer/apt; the machine's package state stays as it is. Does nothing
# when the layer is made from the same package and tool.
set -eu

say() { echo "make-layer: $*"; }
fail() {
    echo "make-layer: $*" >&2
    exit 1
}
[ $# -eq 0 ] || fail "usage: tools/cross/make-layer.sh (no arguments)"

PACKAGE=libsdl1.2debian
suite=trixie
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/arm64/layer
lib=$out/lib
fitter=$root/tools/package/fit-glibc231.py
want="$suite $PACKAGE $(md5sum <"$fitter" | cut -d' ' -f1)"

# shellcheck source=tools/cross/private-apt.sh
. "$root/tools/cross/private-apt.sh"
exit_if_made "$lib/.vesperalia-layer" "$want" "$out/.lock" build-cross/arm64/layer/lib

private_apt_setup "$out/apt" arm64 "$suite" >/dev/null
say "downloading Debian $suite's arm64 $PACKAGE into build-cross/arm64/layer/apt"
rm -f "$out"/apt/cache/archives/*.deb
(cd "$out/apt/cache/archives" && private_apt "$out/apt" download "$PACKAGE" >"$out/apt/log/download.log" 2>&1) ||
    fail "cannot download $PACKAGE (see build-cross/arm64/layer/apt/log/download.log)"
deb=$(find "$out/apt/cache/archives" -maxdepth 1 -name "${PACKAGE}_*_arm64.deb" | head -n 1)
[ -n "$deb" ] || fail "apt-get download left no $PACKAGE package"

fresh=$lib.new
rm -rf "$fresh" "$out/unpacked"
mkdir -p "$fresh" "$out/unpacked"
dpkg-deb -x "$deb" "$out/unpacked" || fail "cannot unpack $(basename "$deb")"
layer=$(find "$out/unpacked" -name 'libSDL-1.2.so.0' | head -n 1)
[ -n "$layer" ] || fail "$(basename "$deb") holds no libSDL-1.2.so.0"
/usr/bin/python3 "$fitter" "$layer" "$fresh/libSDL-1.2.so.0" >"$out/fit.log" 2>&1 || {
    cat "$out/fit.log" >&2
    fail "the SDL 1.2 layer cannot be made to load on older glibc (see above)"
}
cp "$out/unpacked/usr/share/doc/$PACKAGE/copyright" "$fresh/copyright" ||
    fail "$(basename "$deb") holds no copyright file"
echo "$PACKAGE $(dpkg-deb -f "$deb" Version)" >"$fresh/version"
echo "$want" >"$fresh/.vesperalia-layer"
rm -rf "$lib"
mv "$fresh" "$lib"
say "ready: build-cross/arm64/layer/lib ($(cat "$lib/version"), Debian $suite)"
