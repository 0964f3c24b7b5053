#!/bin/bash
# Usage: tools/deb/check-root.sh DEB WORK [SUITE...]   (SUITE: bookworm, trixie; when
# none is named, both, or on Debian 13 trixie alone)
# Installs the desktop package with apt into a fresh root of each Debian release and checks
# it as a player meets it: apt-get install ./DEB pulls in the dependencies (on Debian 13
# SDL 1.2 is sdl12-compat, SDL 1.2's interface over SDL2, and the check makes sure the
# game's libSDL-1.2.so.0 is that one); the game, started through the PATH as an ordinary
# user, plays once under Xvfb (tools/deb/play-check.sh); apt-get remove --purge, then
# autoremove, leave the root's files as they were before the install, apart from apt's and
# dpkg's own records and the player's registry, which stays.
# Each root is made with debootstrap (minbase) once and kept in WORK/SUITE/base; the roots
# missing are made side by side, as that mostly waits on the network. Each check works on
# a copy in WORK/SUITE/root, chrooted into, with /proc mounted there for the check only.
# apt's downloads are kept in WORK/SUITE/apt-archives between runs. This machine's own
# files and package state are not touched.
set -euo pipefail

say() { echo "check-root: $*"; }
fail() {
    echo "check-root: $*" >&2
    exit 1
}
[ $# -ge 2 ] || fail "usage: check-root.sh DEB WORK [SUITE...]"
[ "$(id -u)" -eq 0 ] || fail "the check in a fresh root needs root (debootstrap, chroot): run it as root, or leave it out with tools/package.sh deb --no-root"
deb=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
shift 2
# A package built on Debian 13 needs Debian 13's libraries: no Debian 12 root for it.
default_suites="bookworm trixie"
# shellcheck disable=SC1091
[ "$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")" = trixie ] && default_suites=trixie
suites=${*:-$default_suites}
src=$(cd "$(dirname "$0")/../.." && pwd)
# shellcheck source-path=SCRIPTDIR source=root-common.sh
. "$src/tools/deb/root-common.sh"

# The source package of the SDL 1.2 that each release's apt resolves libsdl1.2debian to.
sdl_source() {
    case $1 in
    bookworm) echo libsdl1.2 ;;
    trixie) echo sdl12-compat ;;
    esac
}
for suite in $suites; do
    root_release "$suite" >/dev/null || fail "unknown release '$suite' (bookworm or trixie)"
done

# One check at a time in WORK: a second one waits for the first.
exec 9>"$work/.root-lock"
flock 9
cleanup() {
    # A debootstrap still running (this check was stopped) goes with its maker.
    root_stop_makers
    wait 2>/dev/null || true
    unmount_under "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# The root of an earlier layout (one Debian 12 root straight in WORK) only takes room.
for old in "$work/root-base" "$work/root"; do
    [ -e "$old" ] && remove_root "$old"
done
rm -rf "$work/apt-archives"

# shellcheck disable=SC2086 # one word per release
root_make_bases "$work" $suites

# The root's files, apart from what changes with any apt run and the kernel's own.
list_files() {
    (cd "$1" && find . \( -path ./proc -o -path ./dev -o -path ./run -o -path ./tmp \
        -o -path ./var/cache/apt -o -path ./var/cache/debconf -o -path ./var/cache/ldconfig \
        -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log \) -prune -o -print |
        LC_ALL=C sort)
}

# The whole check in WORK/SUITE/root, copied from WORK/SUITE/base.
check_suite() {
    local suite=$1 name dir=$work/$1 rootdir=$work/$1/root
    name=$(root_release "$suite")
    local archives=$dir/apt-archives log=$dir/root.log
    local started
    started=$(date +%s)
    remove_root "$rootdir"
    cp -a "$dir/base" "$rootdir"
    mount -t proc proc "$rootdir/proc"
    in_root() {
        chroot "$rootdir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
            DEBIAN_FRONTEND=noninteractive "$@"
    }
    : >"$log"
    in_root apt-get update -q >>"$log" 2>&1 || fail "$name: apt-get update in the root failed (log: ${log#"$src"/})"
    in_root useradd -m -u 4242 -U -s /bin/sh player >>"$log" 2>&1 || fail "$name: cannot add the player's account"
    list_files "$rootdir" >"$dir/files-before.txt"

    mkdir -p "$archives"
    cp -n "$archives"/*.deb "$rootdir/var/cache/apt/archives/" 2>/dev/null || true
    cp "$deb" "$rootdir/tmp/"
    say "$name: apt-get install ./$(basename "$deb") in a fresh root"
    if ! in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" >>"$log" 2>&1; then
        tail -n 20 "$log" >&2
        fail "$name: apt-get install of the package failed (log: ${log#"$src"/})"
    fi
    cp -n "$rootdir"/var/cache/apt/archives/*.deb "$archives/" 2>/dev/null || true
    # Versions the archive has replaced since would only pile up.
    find "$archives" -name '*.deb' -mtime +30 -delete
    local pulled
    pulled=$(sed -n 's/.* \([0-9][0-9]*\) newly installed.*/\1/p' "$log" | tail -n 1)
    in_root dpkg-query -L vesperalia | LC_ALL=C sort >"$dir/package-files.txt"

    # The SDL 1.2 the game loads: the file the dynamic loader finds for libSDL-1.2.so.0,
    # the package that holds it (dpkg knows it by its /usr path where /lib is a link),
    # and that package's source.
    local lib real owner pkg version source
    lib=$(in_root ldd /usr/libexec/vesperalia/vesperalia | awk '$1 == "libSDL-1.2.so.0" { print $3 }')
    [ -n "$lib" ] || fail "$name: the game's libSDL-1.2.so.0 is not found in the root"
    real=$(in_root readlink -f "$lib")
    owner=$(in_root dpkg -S "$real" 2>/dev/null || in_root dpkg -S "$lib" 2>/dev/null ||
        in_root dpkg -S "${real#/usr}" 2>/dev/null) || fail "$name: no package holds $real"
    pkg=${owner%%:*}
    # shellcheck disable=SC2016 # dpkg-query's own fields
    version=$(in_root dpkg-query -W -f='${Version}' "$pkg")
    # shellcheck disable=SC2016
    source=$(in_root dpkg-query -W -f='${source:Package}' "$pkg")
    say "$name: installed with ${pulled:-?} packages in all; SDL 1.2 is $real from $pkg $version (source $source)"
    [ "$source" = "$(sdl_source "$suite")" ] ||
        fail "$name: the game's SDL 1.2 comes from $source, not from $(sdl_source "$suite") as expected"

    # As a player: the launcher through the PATH (Debian's /usr/games), Spanish locale.
    say "$name: playing the installed game as a user"
    # shellcheck disable=SC2016 # $DISPLAY is the inner shell's, set by play-check.sh
    "$src/tools/deb/play-check.sh" "$rootdir/home/player/data" \
        chroot --userspec=4242:4242 "$rootdir" /bin/sh -c 'exec /usr/bin/env -i DISPLAY="$DISPLAY" \
            PATH=/usr/local/bin:/usr/bin:/bin:/usr/games HOME=/home/player USER=player \
            LANG=es_ES.UTF-8 XDG_DATA_HOME=/home/player/data vesperalia' ||
        fail "$name: the installed game did not play as it should"
    grep -qx 'lang=es' "$rootdir"/home/player/data/vesperalia/exp/*/exp.cfg ||
        fail "$name: the first profile is not in Spanish"

    say "$name: apt-get remove --purge vesperalia, then autoremove --purge"
    { in_root apt-get remove --purge -y -q vesperalia && in_root apt-get autoremove --purge -y -q; } >>"$log" 2>&1 ||
        fail "$name: removing the package failed (log: ${log#"$src"/})"
    list_files "$rootdir" >"$dir/files-after.txt"
    local problems=0 f changes
    # Each file of the package that was not there before must be gone.
    while IFS= read -r f; do
        if [ -z "$f" ] || [ "$f" = /. ]; then continue; fi
        if [ -e "$rootdir$f" ] && ! grep -qxF ".$f" "$dir/files-before.txt"; then
            echo "check-root: $name: left behind: $f" >&2
            problems=$((problems + 1))
        fi
    done <"$dir/package-files.txt"
    # And the root as a whole is as it was, apart from the player's registry.
    changes=$(LC_ALL=C comm -3 "$dir/files-before.txt" "$dir/files-after.txt" |
        grep -v -E '^[[:space:]]*\./home/player/data(/|$)' || true)
    if [ -n "$changes" ]; then
        echo "check-root: $name: the root's files changed (left: only before, indented: only after):" >&2
        echo "$changes" | head -n 30 >&2
        problems=$((problems + 1))
    fi
    [ -s "$rootdir/home/player/data/vesperalia/exp/activeexp" ] || {
        echo "check-root: $name: the player's registry did not survive the removal" >&2
        problems=$((problems + 1))
    }
    [ "$problems" -eq 0 ] || fail "$name: $problems problem(s); the root is kept in ${rootdir#"$src"/} (log: ${log#"$src"/})"
    remove_root "$rootdir"
    say "$name: installed with apt, played, and purged without a trace; the player's registry stays ($(($(date +%s) - started)) s)"
}

for suite in $suites; do
    check_suite "$suite"
done
