#!/bin/bash
# Usage: tools/deb/check-root.sh DEB WORK
# Installs the desktop package with apt into a fresh Debian 12 root and checks it as a
# player meets it: apt-get install ./DEB pulls in the dependencies; the game, started
# through the PATH as an ordinary user, plays once under Xvfb (tools/deb/play-check.sh);
# apt-get remove --purge, then autoremove, leave the root's files as they were before the
# install, apart from apt's and dpkg's own records and the player's registry, which stays.
# The root is made with debootstrap (minbase) once and kept in WORK/root-base; each check
# works on a copy in WORK/root, chrooted into, with /proc mounted there for the check
# only. apt's downloads are kept in WORK/apt-archives between runs. This machine's own
# files and package state are not touched.
set -euo pipefail

say() { echo "check-root: $*"; }
fail() {
    echo "check-root: $*" >&2
    exit 1
}
[ $# -eq 2 ] || fail "usage: check-root.sh DEB WORK"
[ "$(id -u)" -eq 0 ] || fail "the check in a fresh root needs root (debootstrap, chroot): run it as root, or leave it out with tools/package.sh deb --no-root"
deb=$(realpath "$1")
mkdir -p "$2"
work=$(realpath "$2")
src=$(cd "$(dirname "$0")/../.." && pwd)
base=$work/root-base
rootdir=$work/root
archives=$work/apt-archives
stamp=$base/.vesperalia-root
suite=bookworm
for tool in debootstrap chroot; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh debootstrap)"
done

# One check at a time in WORK: a second one waits for the first.
exec 9>"$work/.root-lock"
flock 9

# Mount points at or below $1, deepest first.
mounts_under() {
    awk -v d="$1" '$2 == d || index($2, d "/") == 1 { print $2 }' /proc/self/mounts | sort -r
}
unmount_under() {
    local m
    for m in $(mounts_under "$1"); do
        umount "$m" 2>/dev/null || umount -l "$m" || true
    done
}
# Deletes a root, never while anything is mounted inside it.
remove_root() {
    unmount_under "$1"
    [ -z "$(mounts_under "$1")" ] || fail "$1 still has file systems mounted; not deleting it"
    rm -rf "$1"
}
trap 'unmount_under "$rootdir"; unmount_under "$base.new"' EXIT
trap 'exit 130' INT TERM HUP

# The archive this machine's apt uses: the first URI of a deb stanza with a release suite.
archive_uri() {
    awk 'BEGIN { RS = "" }
        /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && /(^|\n)Suites:[ \t]*[a-z]+([ \t]|\n|$)/ {
            if (match($0, /(^|\n)URIs:[ \t]*[^ \t\n]+/)) {
                u = substr($0, RSTART, RLENGTH); sub(/.*URIs:[ \t]*/, "", u); print u; exit
            }
        }' /etc/apt/sources.list.d/*.sources 2>/dev/null
    sed -e 's/\[[^]]*\]//' /etc/apt/sources.list 2>/dev/null | awk '$1 == "deb" && $3 ~ /^[a-z]+$/ { print $2 }'
    echo http://deb.debian.org/debian
}

if [ ! -f "$stamp" ]; then
    mirror=$(archive_uri | sed -n 1p)
    say "making a Debian 12 root with debootstrap from $mirror (once; kept in ${base#"$src"/})"
    remove_root "$base.new"
    if ! debootstrap --variant=minbase "$suite" "$base.new" "$mirror" >"$work/debootstrap.log" 2>&1; then
        tail -n 5 "$work/debootstrap.log" >&2
        unmount_under "$base.new"
        fail "debootstrap failed (log: ${work#"$src"/}/debootstrap.log)"
    fi
    unmount_under "$base.new"
    # debootstrap's downloads would only make each copy slower.
    rm -f "$base.new"/var/cache/apt/archives/*.deb
    # No service may start inside the root while packages are installed.
    printf '#!/bin/sh\nexit 101\n' >"$base.new/usr/sbin/policy-rc.d"
    chmod 755 "$base.new/usr/sbin/policy-rc.d"
    echo "$suite minbase" >"$base.new/.vesperalia-root"
    remove_root "$base"
    mv "$base.new" "$base"
fi

remove_root "$rootdir"
cp -a "$base" "$rootdir"
mount -t proc proc "$rootdir/proc"
in_root() {
    chroot "$rootdir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@"
}
log=$work/root.log
: >"$log"
in_root apt-get update -q >>"$log" 2>&1 || fail "apt-get update in the root failed (log: ${log#"$src"/})"
in_root useradd -m -u 4242 -U -s /bin/sh player >>"$log" 2>&1 || fail "cannot add the player's account"

# The root's files, apart from what changes with any apt run and the kernel's own.
list_files() {
    (cd "$rootdir" && find . \( -path ./proc -o -path ./dev -o -path ./run -o -path ./tmp \
        -o -path ./var/cache/apt -o -path ./var/cache/debconf -o -path ./var/cache/ldconfig \
        -o -path ./var/lib/apt -o -path ./var/lib/dpkg -o -path ./var/log \) -prune -o -print |
        LC_ALL=C sort)
}
list_files >"$work/files-before.txt"

mkdir -p "$archives"
cp -n "$archives"/*.deb "$rootdir/var/cache/apt/archives/" 2>/dev/null || true
cp "$deb" "$rootdir/tmp/"
say "apt-get install ./$(basename "$deb") in the fresh root"
if ! in_root apt-get install -y -q --no-install-recommends "/tmp/$(basename "$deb")" >>"$log" 2>&1; then
    tail -n 20 "$log" >&2
    fail "apt-get install of the package failed (log: ${log#"$src"/})"
fi
cp -n "$rootdir"/var/cache/apt/archives/*.deb "$archives/" 2>/dev/null || true
pulled=$(sed -n 's/.* \([0-9][0-9]*\) newly installed.*/\1/p' "$log" | tail -n 1)
say "installed with ${pulled:-?} packages in all (the game and its dependencies)"
in_root dpkg-query -L vesperalia | LC_ALL=C sort >"$work/package-files.txt"

# As a player: the launcher through the PATH (Debian's /usr/games), Spanish locale.
say "playing the installed game as a user"
# shellcheck disable=SC2016 # $DISPLAY is the inner shell's, set by play-check.sh
"$src/tools/deb/play-check.sh" "$rootdir/home/player/data" \
    chroot --userspec=4242:4242 "$rootdir" /bin/sh -c 'exec /usr/bin/env -i DISPLAY="$DISPLAY" \
        PATH=/usr/local/bin:/usr/bin:/bin:/usr/games HOME=/home/player USER=player \
        LANG=es_ES.UTF-8 XDG_DATA_HOME=/home/player/data vesperalia' ||
    fail "the installed game did not play as it should"
grep -qx 'lang=es' "$rootdir"/home/player/data/vesperalia/exp/*/exp.cfg ||
    fail "the first profile is not in Spanish"

say "apt-get remove --purge vesperalia, then autoremove --purge"
{ in_root apt-get remove --purge -y -q vesperalia && in_root apt-get autoremove --purge -y -q; } >>"$log" 2>&1 ||
    fail "removing the package failed (log: ${log#"$src"/})"
list_files >"$work/files-after.txt"
problems=0
# Each file of the package that was not there before must be gone.
while IFS= read -r f; do
    if [ -z "$f" ] || [ "$f" = /. ]; then continue; fi
    if [ -e "$rootdir$f" ] && ! grep -qxF ".$f" "$work/files-before.txt"; then
        echo "check-root: left behind: $f" >&2
        problems=$((problems + 1))
    fi
done <"$work/package-files.txt"
# And the root as a whole is as it was, apart from the player's registry.
changes=$(LC_ALL=C comm -3 "$work/files-before.txt" "$work/files-after.txt" |
    grep -v -E '^[[:space:]]*\./home/player/data(/|$)' || true)
if [ -n "$changes" ]; then
    echo "check-root: the root's files changed (left: only before, indented: only after):" >&2
    echo "$changes" | head -n 30 >&2
    problems=$((problems + 1))
fi
[ -s "$rootdir/home/player/data/vesperalia/exp/activeexp" ] || {
    echo "check-root: the player's registry did not survive the removal" >&2
    problems=$((problems + 1))
}
[ "$problems" -eq 0 ] || fail "$problems problem(s); the root is kept in ${rootdir#"$src"/} (log: ${log#"$src"/})"
remove_root "$rootdir"
say "installed with apt, played, and purged without a trace; the player's registry stays"
