#!/bin/bash
# Usage: tools/package.sh deb [--no-root]   (the same as tools/deb/make-deb.sh [--no-root])
# Builds the desktop game with Debian's hardening flags, installs it under /usr into a
# staging tree and packs dist/vesperalia_VERSION_ARCH.deb with dpkg-deb. VERSION is
# project()'s version in CMakeLists.txt with the Debian revision -1; the dependencies come
# from the programs themselves (dpkg-shlibdeps). Then checks the package:
#   - lintian reports no error and no warning that tools/deb/lintian-overrides does not
#     explain;
#   - unpacked with dpkg -x into a scratch root, the launcher finds everything and the
#     game starts under Xvfb, makes the first profile and leaves through its exit item;
#   - unless --no-root: installed with apt into a fresh Debian 12 root and a fresh Debian 13
#     root (where SDL 1.2 is sdl12-compat), played there the same way, then purged, leaving
#     nothing of the package behind (tools/deb/check-root.sh).
# Builds in build-deb/, writes only dist/.
set -euo pipefail

say() { echo "package: $*"; }
die() {
    echo "package: $*" >&2
    exit 1
}

root_check=1
while [ $# -gt 0 ]; do
    case "$1" in
    --no-root) root_check=0 ;;
    *) die "unknown argument '$1' (usage: tools/package.sh deb [--no-root])" ;;
    esac
    shift
done

[ "$root_check" = 0 ] || [ "$(id -u)" -eq 0 ] ||
    die "the check in a fresh Debian root needs root (debootstrap, chroot): run as root, or add --no-root"

cd "$(dirname "$0")/../.."
root=$(pwd)
started=$(date +%s)
umask 022

extra=""
[ "$root_check" = 1 ] && extra=debootstrap
# shellcheck disable=SC2086
./tools/install-deps.sh dpkg-dev lintian xdotool $extra >/dev/null ||
    die "cannot install the Debian packages packaging needs"

work=$root/build-deb
build=$work/build
stage=$work/stage
mkdir -p "$work" dist

# Debian's own build flags (hardening included), as Debian's packages are built; the
# build type None adds nothing of CMake's own on top.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
say "building the game and the profile tool in ${build#"$root"/} (log: ${work#"$root"/}/build.log)"
rm -f "$build/CMakeCache.txt"
if ! { CXXFLAGS=$cxxflags LDFLAGS=$ldflags cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None \
    -DVESPERALIA_BIN_DIR=games >"$work/build.log" 2>&1 &&
    cmake --build "$build" -j2 --target vesperalia vesperalia-profile vesperalia_desktop_icons \
        >>"$work/build.log" 2>&1; }; then
    tail -n 20 "$work/build.log" >&2
    die "building failed (log: ${work#"$root"/}/build.log)"
fi

version=$(cat "$build/vesperalia-version.txt")-1
arch=$(dpkg --print-architecture)
deb=dist/vesperalia_${version}_${arch}.deb

rm -rf "$stage"
DESTDIR=$stage cmake --install "$build" --prefix /usr >"$work/install.log" 2>&1 ||
    die "cmake --install failed (log: ${work#"$root"/}/install.log)"
for p in vesperalia vesperalia-profile; do
    strip --remove-section=.comment --remove-section=.note --strip-unneeded \
        "$stage/usr/libexec/vesperalia/$p"
done
gzip -9n "$stage"/usr/share/man/man6/*.6

# The dates inside the package are those of the last commit, so that a rebuild of the
# same sources gives the same package.
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH
doc=$stage/usr/share/doc/vesperalia
mkdir -p "$doc" "$stage/usr/share/lintian/overrides"
install -m 644 tools/deb/copyright "$doc/copyright"
install -m 644 tools/deb/lintian-overrides "$stage/usr/share/lintian/overrides/vesperalia"
{
    echo "vesperalia ($version) unstable; urgency=medium"
    echo
    echo "  * Vesperalia ${version%-*} for Debian's desktops."
    echo
    echo " -- $(sed -n 's/^Maintainer: //p' tools/deb/control.in)  $(date -R -u -d "@$SOURCE_DATE_EPOCH")"
} | gzip -9n >"$doc/changelog.Debian.gz"

# dpkg-shlibdeps reads the package's name from a debian/control of the working directory.
mkdir -p "$work/shlibdeps/debian"
printf 'Source: vesperalia\n\nPackage: vesperalia\nArchitecture: any\n' >"$work/shlibdeps/debian/control"
depends=$(cd "$work/shlibdeps" && dpkg-shlibdeps -O -e"$stage/usr/libexec/vesperalia/vesperalia" \
    -e"$stage/usr/libexec/vesperalia/vesperalia-profile" 2>"$work/shlibdeps.log") ||
    { cat "$work/shlibdeps.log" >&2; die "dpkg-shlibdeps failed"; }
depends=${depends#shlibs:Depends=}
[ -n "$depends" ] || die "dpkg-shlibdeps found no dependency"

mkdir -p "$stage/DEBIAN"
size=$(du -s -k --apparent-size "$stage/usr" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@ARCH@/$arch/" -e "s/@SIZE@/$size/" \
    -e "s/@DEPENDS@/$depends/" tools/deb/control.in >"$stage/DEBIAN/control"
(cd "$stage" && find usr -type f -print0 | LC_ALL=C sort -z | xargs -0 md5sum) >"$stage/DEBIAN/md5sums"
find "$stage" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +

rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null || die "dpkg-deb failed"
say "wrote $deb ($(du -h "$deb" | cut -f1)); depends: $depends"

# Warnings fail too: each one kept is explained in tools/deb/lintian-overrides. (Its
# remark about running as root is left out.)
if ! lintian --fail-on error,warning "$deb" >"$work/lintian.log" 2>&1; then
    grep -v 'running with root privileges' "$work/lintian.log" >&2
    die "lintian found errors or unexplained warnings in $deb"
fi
say "lintian: no error, no warning beyond the $(grep -c '^vesperalia:' tools/deb/lintian-overrides) explained in tools/deb/lintian-overrides"

./tools/deb/check-scratch.sh "$deb" "$work/scratch"
[ "$root_check" = 1 ] && ./tools/deb/check-root.sh "$deb" "$work"
say "done in $(($(date +%s) - started)) s"
