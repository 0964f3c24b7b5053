#!/bin/bash
# Usage: tools/deb/check-scratch.sh DEB DIR
# Unpacks the desktop package with dpkg -x into DIR/root (nothing is installed on this
# machine) and checks what it holds: everything under /usr, the launchers, programs, data
# and every language file of the checkout, the menu entry, icons, manual pages, copyright
# and changelog, and dependencies computed from the programs. Then plays the unpacked
# game once under Xvfb (tools/deb/play-check.sh), with this machine's libraries.
set -euo pipefail

fail() {
    echo "check-scratch: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: check-scratch.sh DEB DIR"
deb=$(realpath "$1")
mkdir -p "$2"
dir=$(realpath "$2")
src=$(cd "$(dirname "$0")/../.." && pwd)
rm -rf "$dir"
mkdir -p "$dir/root" "$dir/home"
dpkg -x "$deb" "$dir/root" || fail "dpkg -x $deb failed"
r=$dir/root
problems=0
bad() {
    echo "check-scratch: $*" >&2
    problems=$((problems + 1))
}

top=$(cd "$r" && find . -mindepth 1 -maxdepth 1 | tr '\n' ' ')
[ "$top" = "./usr " ] || bad "the package holds more than /usr: $top"
for f in games/vesperalia games/vesperalia-profile libexec/vesperalia/vesperalia \
    libexec/vesperalia/vesperalia-profile; do
    [ -x "$r/usr/$f" ] || bad "/usr/$f is missing or not executable"
done
for f in libexec/vesperalia/start-common.sh share/applications/vesperalia.desktop \
    share/icons/hicolor/48x48/apps/vesperalia.png share/icons/hicolor/256x256/apps/vesperalia.png \
    share/man/man6/vesperalia.6.gz share/man/man6/vesperalia-profile.6.gz \
    share/doc/vesperalia/copyright share/doc/vesperalia/changelog.Debian.gz \
    share/lintian/overrides/vesperalia; do
    [ -f "$r/usr/$f" ] || bad "/usr/$f is missing"
done
for d in data lang; do
    diff -r "$src/$d" "$r/usr/share/vesperalia/$d" >/dev/null ||
        bad "/usr/share/vesperalia/$d differs from the checkout's $d/"
done
depends=$(dpkg-deb -f "$deb" Depends)
case $depends in *libsdl*) ;; *) bad "the dependencies name no SDL library: $depends" ;; esac
[ "$problems" -eq 0 ] || fail "$problems problem(s) in $deb (unpacked in $dir)"

# A new player with a German locale: the first profile must come out in German.
"$src/tools/deb/play-check.sh" "$dir/home/data" env -u VESPERALIA_EXP_BASE -u LC_ALL -u LC_MESSAGES \
    HOME="$dir/home" USER=player LANG=de_DE.UTF-8 XDG_DATA_HOME="$dir/home/data" \
    "$r/usr/games/vesperalia" -scale 1
grep -qx 'lang=de' "$dir"/home/data/vesperalia/exp/*/exp.cfg || fail "the first profile is not in German"
rm -rf "$dir"
echo "check-scratch: the unpacked package is complete and plays"
