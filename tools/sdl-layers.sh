#!/bin/sh
# Usage: tools/sdl-layers.sh
# Fetches the SDL 1.2 libraries that players run instead of SDL 1.2.15: sdl12-compat, the
# SDL 1.2 interface over SDL2, as Debian 12 (libsdl1.2-compat 1.2.60) and Debian 13
# (libsdl1.2debian 1.2.68) ship it for this machine's architecture. Each is downloaded with
# an apt configuration, package lists and cache of its own (tools/cross/private-apt.sh), so
# the machine's own packages stay as they are, and unpacked into build-sdl/NAME/; SDL2
# itself comes from the machine (libsdl2-2.0-0). Prints one line per library, "NAME DIR",
# DIR being the folder to put first on LD_LIBRARY_PATH. Does nothing for a library that is
# already there.
set -eu

say() { echo "sdl-layers: $*" >&2; }
fail() {
    echo "sdl-layers: $*" >&2
    exit 1
}

root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/tools/cross/private-apt.sh"
arch=$(dpkg --print-architecture) || fail "dpkg is needed to name this machine's architecture"
out=$root/build-sdl

# NAME SUITE PACKAGE: the library of PACKAGE in SUITE, in build-sdl/NAME/lib/.
fetch() {
    name=$1 suite=$2 package=$3
    dir=$out/$name
    stamp=$dir/.vesperalia-layer
    want="$suite $package $arch"
    if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ] && [ -e "$dir/lib/libSDL-1.2.so.0" ]; then
        echo "$name $dir/lib"
        return
    fi
    aptdir=$out/apt-$suite
    [ -f "$aptdir/apt.conf" ] && [ -n "$(ls "$aptdir/state/lists/" 2>/dev/null | grep Packages)" ] ||
        private_apt_setup "$aptdir" "$arch" "$suite" >&2
    rm -rf "$dir"
    mkdir -p "$dir/deb" "$dir/lib"
    (cd "$dir/deb" && private_apt "$aptdir" download "$package" >/dev/null 2>&1) || {
        # The lists may be older than the archive: read them again once.
        private_apt_setup "$aptdir" "$arch" "$suite" >&2
        (cd "$dir/deb" && private_apt "$aptdir" download "$package" >"$dir/download.log" 2>&1) ||
            fail "cannot download $package from Debian $suite (see $dir/download.log)"
    }
    deb=$(ls "$dir"/deb/*.deb)
    dpkg-deb -x "$deb" "$dir/tree" || fail "cannot unpack $deb"
    # Debian 12 keeps its layer in a folder of its own, Debian 13 in the usual place.
    lib=$(find "$dir/tree" -name 'libSDL-1.2.so.1.2.*' -type f | head -n 1)
    [ -n "$lib" ] || fail "$package from $suite holds no libSDL-1.2.so.1.2.*"
    cp "$lib" "$dir/lib/"
    ln -sf "$(basename "$lib")" "$dir/lib/libSDL-1.2.so.0"
    dpkg-deb -f "$deb" Version >"$dir/version"
    cp "$dir/tree/usr/share/doc/$package/copyright" "$dir/copyright" 2>/dev/null || true
    rm -rf "$dir/tree"
    echo "$want" >"$stamp"
    say "$name: $package $(cat "$dir/version") from Debian $suite"
    echo "$name $dir/lib"
}

command -v dpkg-deb >/dev/null 2>&1 || fail "dpkg-deb is needed"
mkdir -p "$out"
exec 8>"$out/.lock"
command -v flock >/dev/null 2>&1 && flock 8
fetch sdl12-compat-1.2.60 bookworm libsdl1.2-compat
fetch sdl12-compat-1.2.68 trixie libsdl1.2debian
