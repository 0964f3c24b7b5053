#!/bin/sh
# Usage: tools/cross/make-sysroot.sh armel|arm64
# Makes build-cross/ARCH/sysroot for cross-building: Debian's own SDL 1.2, SDL_image,
# SDL_ttf, SDL_mixer and GoogleTest -dev packages with everything they depend on,
# unpacked with dpkg-deb. armel takes Debian 12 (bookworm), arm64 Debian 11 (bullseye,
# glibc 2.31, so that the game runs on older handheld firmwares). apt-get runs with a
# configuration, package lists and cache of its own under build-cross/ARCH/apt: the
# machine's own package state stays as it is. Does nothing when the sysroot is complete.
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
KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg

root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-cross/$arch
sysroot=$out/sysroot
aptdir=$out/apt
stamp=$sysroot/.vesperalia-sysroot
# shellcheck disable=SC2086
want=$(printf '%s ' "$suite" $PACKAGES)

sysroot_complete() { [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; }
if sysroot_complete; then
    say "$arch sysroot is complete: build-cross/$arch/sysroot"
    exit 0
fi
# One maker at a time per architecture; a second one waits and then finds it complete.
mkdir -p "$out"
if command -v flock >/dev/null 2>&1; then
    exec 9>"$out/.lock"
    flock 9
    if sysroot_complete; then
        say "$arch sysroot is complete: build-cross/$arch/sysroot"
        exit 0
    fi
fi

command -v apt-get >/dev/null 2>&1 || fail "apt-get is needed to download the packages"
command -v dpkg-deb >/dev/null 2>&1 || fail "dpkg-deb is needed to unpack the packages"
[ -r "$KEYRING" ] || fail "no Debian archive keyring at $KEYRING (package debian-archive-keyring)"

# The archive this machine's apt uses: the first URI of a stanza that has a release
# suite (no -updates or -security), as in Debian 12's /etc/apt/sources.list.d/debian.sources.
archive_uri() {
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -r "$f" ] || continue
        awk '
            function flush() {
                if (uri != "" && types ~ /(^|[ \t])deb([ \t]|$)/ && suites ~ /(^|[ \t])[a-z]+([ \t]|$)/) {
                    print uri; found = 1; exit
                }
                uri = ""; suites = ""; types = ""
            }
            /^[ \t]*$/ { flush(); next }
            tolower($1) == "uris:" { uri = $2 }
            tolower($1) == "suites:" { $1 = ""; suites = $0 }
            tolower($1) == "types:" { $1 = ""; types = $0 }
            END { if (!found) flush() }
        ' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -r "$f" ] || continue
        sed -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 ~ /^[a-z]+$/ { print $2 }'
    done
}
uri=$(archive_uri | head -n 1)
[ -n "$uri" ] || fail "no Debian archive URI found in /etc/apt/sources.list.d/*.sources or /etc/apt/sources.list"

mkdir -p "$aptdir/empty" "$aptdir/state/lists/partial" "$aptdir/cache/archives/partial" \
    "$aptdir/log"
: >"$aptdir/state/status"
echo "deb [arch=$arch signed-by=$KEYRING] $uri $suite main" >"$aptdir/sources.list"
# Read through APT_CONFIG before anything else, so that none of the machine's apt
# configuration (its sources, preferences, hooks that clean its cache) applies.
cat >"$aptdir/apt.conf" <<EOF
Dir::Etc::main "/dev/null";
Dir::Etc::parts "$aptdir/empty";
Dir::Etc::sourcelist "$aptdir/sources.list";
Dir::Etc::sourceparts "$aptdir/empty";
Dir::Etc::preferences "$aptdir/empty/preferences";
Dir::Etc::preferencesparts "$aptdir/empty";
Dir::State "$aptdir/state";
Dir::State::status "$aptdir/state/status";
Dir::Cache "$aptdir/cache";
Dir::Log "$aptdir/log";
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Acquire::Languages "none";
Acquire::Retries "3";
EOF
private_apt() { APT_CONFIG="$aptdir/apt.conf" apt-get -q "$@"; }

say "downloading Debian $suite $arch packages from $uri into build-cross/$arch/apt"
private_apt update >"$aptdir/log/update.log" 2>&1 ||
    fail "apt-get update for $suite/$arch failed (see build-cross/$arch/apt/log/update.log)"
# Versions the archive no longer has would be unpacked beside their successors.
private_apt autoclean >/dev/null 2>&1 || true
# shellcheck disable=SC2086
private_apt install -y --download-only $PACKAGES >"$aptdir/log/download.log" 2>&1 ||
    fail "downloading the $arch packages failed (see build-cross/$arch/apt/log/download.log)"

say "unpacking into build-cross/$arch/sysroot"
# Unpacked beside the old one and then put in its place, so that a build using the old
# sysroot meanwhile, or an interrupted run, never sees a half-made one.
fresh=$sysroot.new
rm -rf "$fresh"
mkdir -p "$fresh"
ls "$aptdir"/cache/archives/*.deb >/dev/null 2>&1 || fail "no packages were downloaded"
# Several at a time (decompression waits on the disk as much as on the processor);
# documentation, manual pages, translations and the target's Python are left out.
# shellcheck disable=SC2016
if ! find "$aptdir/cache/archives" -maxdepth 1 -name '*.deb' -print0 | xargs -0 -n 8 -P 4 sh -c '
    root=$1
    shift
    for deb in "$@"; do
        dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$root" --exclude=./usr/share/doc \
            --exclude=./usr/share/man --exclude=./usr/share/info --exclude=./usr/share/locale \
            --exclude=./usr/share/lintian --exclude="./usr/lib/python3*" ||
            { echo "make-sysroot: could not unpack $(basename "$deb")" >&2; exit 1; }
    done' unpack "$fresh"; then
    fail "unpacking the $arch packages failed"
fi

# Absolute links (libm.so -> /lib/...) would point into this machine: keep them inside.
find "$fresh" -type l -lname '/*' | while IFS= read -r link; do
    target=$(readlink "$link")
    rel=$(realpath -m -s --relative-to="$(dirname "$link")" "$fresh$target")
    ln -sfn "$rel" "$link"
done

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
