# shellcheck shell=bash
# Sourced by tools/deb/check-root.sh and tools/deb/check-readme-debian13.sh: fresh Debian
# roots made with debootstrap (minbase) and kept in WORK/SUITE/base, one maker at a time
# per WORK, and what goes with chrooting into copies of them. Needs say() and fail() from
# the sourcing script.
#   root_release SUITE                the release's name (Debian 12, Debian 13)
#   root_make_bases WORK SUITE...     makes the missing bases, side by side
#   root_stop_makers                  ends the makers still running (for an EXIT trap)
#   unmount_under DIR, remove_root DIR

# debootstrap checks each release's signature against this keyring and fails when it
# cannot; Debian 12's debian-archive-keyring holds Debian 13's keys too.
ROOT_KEYRING=/usr/share/keyrings/debian-archive-keyring.gpg

root_release() {
    case $1 in
    bookworm) echo "Debian 12" ;;
    trixie) echo "Debian 13" ;;
    *) return 1 ;;
    esac
}

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

# The archive this machine's apt uses: the first URI of a deb stanza with a release suite.
root_archive_uri() {
    awk 'BEGIN { RS = "" }
        /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ && /(^|\n)Suites:[ \t]*[a-z]+([ \t]|\n|$)/ {
            if (match($0, /(^|\n)URIs:[ \t]*[^ \t\n]+/)) {
                u = substr($0, RSTART, RLENGTH); sub(/.*URIs:[ \t]*/, "", u); print u; exit
            }
        }' /etc/apt/sources.list.d/*.sources 2>/dev/null
    sed -e 's/\[[^]]*\]//' /etc/apt/sources.list 2>/dev/null | awk '$1 == "deb" && $3 ~ /^[a-z]+$/ { print $2 }'
    echo http://deb.debian.org/debian
}

# Makes WORK/SUITE/base; the output goes to WORK/SUITE/debootstrap.log.
root_make_base() {
    local work=$1 suite=$2 mirror=$3
    local base=$work/$suite/base
    remove_root "$base.new"
    if ! debootstrap --variant=minbase --keyring="$ROOT_KEYRING" "$suite" "$base.new" "$mirror"; then
        unmount_under "$base.new"
        return 1
    fi
    unmount_under "$base.new"
    # Said only when the release's signature was checked, which --keyring makes sure of.
    grep -q '^I: Valid Release signature' "$work/$suite/debootstrap.log" || return 1
    # debootstrap's downloads would only make each copy slower.
    rm -f "$base.new"/var/cache/apt/archives/*.deb
    # No service may start inside the root while packages are installed.
    printf '#!/bin/sh\nexit 101\n' >"$base.new/usr/sbin/policy-rc.d"
    chmod 755 "$base.new/usr/sbin/policy-rc.d"
    echo "$suite minbase" >"$base.new/.vesperalia-root"
    remove_root "$base"
    mv "$base.new" "$base"
}

root_makers=""
root_stop_makers() {
    local p
    for p in $root_makers; do
        pkill -TERM -P "$p" 2>/dev/null || true
        kill "$p" 2>/dev/null || true
    done
    root_makers=""
}

# The bases are made side by side: debootstrap mostly waits on the network.
root_make_bases() {
    local work=$1 suite mirror started p pending=""
    shift
    for tool in debootstrap chroot flock; do
        command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh debootstrap)"
    done
    [ -r "$ROOT_KEYRING" ] || fail "no Debian archive keyring at $ROOT_KEYRING (package debian-archive-keyring)"
    mkdir -p "$work"
    exec 8>"$work/.base-lock"
    flock 8
    mirror=$(root_archive_uri | sed -n 1p)
    started=$(date +%s)
    for suite in "$@"; do
        mkdir -p "$work/$suite"
        [ -f "$work/$suite/base/.vesperalia-root" ] && continue
        say "making a $(root_release "$suite") root with debootstrap from $mirror (once; kept in ${work#"$PWD"/}/$suite/base)"
        root_make_base "$work" "$suite" "$mirror" >"$work/$suite/debootstrap.log" 2>&1 &
        root_makers="$root_makers $!"
        pending="$pending $suite:$!"
    done
    for p in $pending; do
        suite=${p%%:*}
        if ! wait "${p#*:}"; then
            tail -n 5 "$work/$suite/debootstrap.log" >&2
            fail "debootstrap of $(root_release "$suite") failed (log: ${work#"$PWD"/}/$suite/debootstrap.log)"
        fi
    done
    root_makers=""
    exec 8>&-
    [ -z "$pending" ] || say "made in $(($(date +%s) - started)) s"
}
