#!/bin/sh
# Usage: tools/cross/make-addons.sh
# Makes build-cross/arm64/addons/lib/, the static SDL 1.2 add-ons the handheld game links
# in, so that its package carries no library a firmware has a newer copy of:
#   libSDL_mixer.a  SDL_mixer 1.2.12 from Debian 12's source package, WAV only
#   libfreetype.a   FreeType 2.10.4 from Debian 11's source package (the version
#                   libSDL_ttf.a was built against), without zlib, bzip2, PNG,
#                   HarfBuzz or Brotli: TrueType outlines need none of them
#   libSDL_image.a  Debian 11's archive without the JPEG, TIFF and WebP loaders
#                   (tools/cross/addons/)
# with each one's Debian copyright file in licences/. The sources come through apt-get
# source with a configuration of its own (tools/cross/private-apt.sh) into
# build-cross/arm64/addons/; the machine's package state stays as it is. Needs the arm64
# sysroot (tools/cross/make-sysroot.sh arm64). Does nothing when the add-ons are made
# from the same sources and build files.
set -eu

say() { echo "make-addons: $*"; }
fail() {
    echo "make-addons: $*" >&2
    exit 1
}
[ $# -eq 0 ] || fail "usage: tools/cross/make-addons.sh (no arguments)"

root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/arm64/addons
sysroot=$root/build-cross/arm64/sysroot
lib=$out/lib
libdir=$sysroot/usr/lib/aarch64-linux-gnu
[ -f "$sysroot/.vesperalia-sysroot" ] || fail "no arm64 sysroot: run tools/cross/make-sysroot.sh arm64"
# Debian 12's mixer source: Debian 11's is no longer served, and the library is the same
# upstream release as the sysroot's header.
SOURCES="sdl-mixer1.2/bookworm freetype/bullseye"
want="$SOURCES $(cat "$root/tools/cross/addons/CMakeLists.txt" "$root/tools/cross/addons/image-formats-left-out.c" \
    "$0" "$libdir/libSDL_image.a" | md5sum | cut -d' ' -f1)"

# shellcheck source=tools/cross/private-apt.sh
. "$root/tools/cross/private-apt.sh"
exit_if_made "$lib/.vesperalia-addons" "$want" "$out/.lock" build-cross/arm64/addons/lib

src=$out/src
if [ ! -f "$src/.unpacked" ] || [ "$(cat "$src/.unpacked")" != "$SOURCES" ]; then
    # apt-get source unpacks and patches with dpkg-source.
    "$root/tools/install-deps.sh" dpkg-dev >/dev/null || fail "cannot install dpkg-dev (dpkg-source)"
    private_apt_setup "$out/apt" source "bullseye bookworm" >/dev/null
    say "downloading the source packages $SOURCES into build-cross/arm64/addons/src"
    rm -rf "$src"
    mkdir -p "$src"
    # shellcheck disable=SC2086
    (cd "$src" && private_apt "$out/apt" source $SOURCES >"$out/apt/log/source.log" 2>&1) ||
        fail "apt-get source failed (see build-cross/arm64/addons/apt/log/source.log)"
    echo "$SOURCES" >"$src/.unpacked"
fi
mixer=$(find "$src" -maxdepth 1 -type d -name 'sdl-mixer1.2-*' | head -n 1)
freetype=$(find "$src" -maxdepth 1 -type d -name 'freetype-*' | head -n 1)
[ -f "$mixer/mixer.c" ] && [ -f "$freetype/CMakeLists.txt" ] || fail "the unpacked sources in $src are incomplete"

toolchain=$root/tools/cross/toolchain-arm64.cmake
build() { # NAME SOURCE CMAKE-ARGS...
    name=$1 source=$2
    shift 2
    rm -rf "$out/build-$name"
    if ! cmake -S "$source" -B "$out/build-$name" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=Release "$@" >"$out/build-$name.log" 2>&1 ||
        ! cmake --build "$out/build-$name" -j2 >>"$out/build-$name.log" 2>&1; then
        tail -n 20 "$out/build-$name.log" >&2
        fail "building $name failed (log: build-cross/arm64/addons/build-$name.log)"
    fi
}
say "building FreeType (TrueType, no compression or PNG libraries)"
build freetype "$freetype" -DBUILD_SHARED_LIBS=OFF -DCMAKE_POSITION_INDEPENDENT_CODE=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_ZLIB=TRUE -DCMAKE_DISABLE_FIND_PACKAGE_BZip2=TRUE \
    -DCMAKE_DISABLE_FIND_PACKAGE_PNG=TRUE -DCMAKE_DISABLE_FIND_PACKAGE_HarfBuzz=TRUE \
    -DCMAKE_DISABLE_FIND_PACKAGE_BrotliDec=TRUE
say "building SDL_mixer (WAV only) and SDL_image (without JPEG, TIFF, WebP)"
build sdl "$root/tools/cross/addons" -DMIXER_SOURCE="$mixer" -DDEBIAN_SDL_IMAGE="$libdir/libSDL_image.a"

fresh=$lib.new
rm -rf "$fresh"
mkdir -p "$fresh/licences/sdl-mixer1.2" "$fresh/licences/freetype" "$fresh/licences/libsdl-image1.2"
cp "$out/build-freetype/libfreetype.a" "$out/build-sdl/libSDL_mixer.a" "$out/build-sdl/libSDL_image.a" "$fresh/"
cp "$mixer/debian/copyright" "$fresh/licences/sdl-mixer1.2/copyright"
cp "$freetype/debian/copyright" "$fresh/licences/freetype/copyright"
cp "$sysroot/.packages/libsdl-image1.2.copyright" "$fresh/licences/libsdl-image1.2/copyright" 2>/dev/null ||
    cp "$sysroot/.packages/libsdl-image1.2-dev.copyright" "$fresh/licences/libsdl-image1.2/copyright" ||
    fail "no copyright file of libsdl-image1.2 in the sysroot's .packages/"
# What each archive still needs from outside: nothing of the left-out formats or of the
# libraries FreeType was built without (libSDL_image.a needs libpng, which the game links
# from the sysroot).
outside() { # ARCHIVE PATTERN
    aarch64-linux-gnu-nm -u "$fresh/$1" 2>/dev/null | awk '{ print $NF }' | grep -E "$2" | sort -u | tr '\n' ' ' || true
}
left="$(outside libSDL_image.a '^(jpeg_|TIFF|WebP)')$(outside libfreetype.a '^(inflate|deflate|png_|BZ2_|hb_|Brotli)')"
left="$left$(outside libSDL_mixer.a '^(ov_|vorbis_|FLAC__|mad_|fluid_|Player_|MikMod_|SMPEG_)')"
[ -z "$left" ] || fail "the add-ons still need: $left"
{
    echo "libSDL_mixer.a sdl-mixer1.2 $(sed -n '1s/.*(\(.*\)).*/\1/p' "$mixer/debian/changelog") (Debian 12's source, WAV only)"
    echo "libfreetype.a freetype $(sed -n '1s/.*(\(.*\)).*/\1/p' "$freetype/debian/changelog") (Debian 11's source, no external libraries)"
    echo "libSDL_image.a libsdl-image1.2 $(cat "$sysroot/.packages/libsdl-image1.2-dev.version") (Debian 11, without JPEG, TIFF, WebP)"
} >"$fresh/libraries.txt"
echo "$want" >"$fresh/.vesperalia-addons"
rm -rf "$lib"
mv "$fresh" "$lib"
say "ready: build-cross/arm64/addons/lib ($(ls "$lib"/*.a | wc -l) archives)"
