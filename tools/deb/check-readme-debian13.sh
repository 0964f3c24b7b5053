#!/bin/bash
# Usage: tools/deb/check-readme-debian13.sh [--working-tree] [--no-tests]
# Follows the README's set-up on a fresh Debian 13 as its user would, in a copy of a
# Debian 13 root (debootstrap minbase, the one the package's root check keeps in
# build-deb/trixie/base) that has sudo and git, as a desktop has them: an ordinary user's
# clone of this checkout (its last commit; --working-tree: the tracked files as they are
# now) runs ./tools/install-deps.sh, then ./tools/play.sh on an Xvfb of 1920x1080 with a
# window manager (openbox). The title is photographed (build-deb13-user/title.png) and
# checked to be whole square blocks of the game's pixels, then left through its exit
# item. Last the test command, ./tools/run-tests.sh (--no-tests leaves it out; it builds
# the whole suite twice and takes a quarter of an hour or more on two cores).
# Needs root (debootstrap, chroot). Logs and the picture go to build-deb13-user/; the root
# there (build-deb13-user/root) is deleted when everything passed.
set -euo pipefail

say() { echo "readme-debian13: $*"; }
fail() {
    echo "readme-debian13: $*" >&2
    exit 1
}
working_tree=0 tests=1
for a in "$@"; do
    case $a in
    --working-tree) working_tree=1 ;;
    --no-tests) tests=0 ;;
    *) fail "usage: check-readme-debian13.sh [--working-tree] [--no-tests]" ;;
    esac
done
[ "$(id -u)" -eq 0 ] || fail "a fresh Debian 13 root needs root (debootstrap, chroot)"
cd "$(dirname "$0")/../.."
src=$(pwd)
# shellcheck source-path=SCRIPTDIR source=root-common.sh
. "$src/tools/deb/root-common.sh"
./tools/install-deps.sh debootstrap xdotool >/dev/null || fail "cannot install debootstrap and xdotool"

work=$src/build-deb13-user
rootdir=$work/root
mkdir -p "$work"
exec 9>"$work/.lock"
flock 9
xvfb_pid="" wm_pid="" game_pid=""
cleanup() {
    local p
    for p in $game_pid $wm_pid $xvfb_pid; do kill "$p" 2>/dev/null || true; done
    root_stop_makers
    wait 2>/dev/null || true
    unmount_under "$rootdir"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
rm -f "$work"/*.log "$work/title.png"

root_make_bases "$src/build-deb" trixie
remove_root "$rootdir"
# The base is not remade while it is copied.
exec 8>"$src/build-deb/.base-lock"
flock 8
cp -a "$src/build-deb/trixie/base" "$rootdir"
exec 8>&-
mount -t proc proc "$rootdir/proc"
mount -t tmpfs -o mode=1777 shm "$rootdir/dev/shm"
# Nothing started in the root holds this script's locks (fds 8 and 9).
in_root() {
    chroot "$rootdir" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
        DEBIAN_FRONTEND=noninteractive "$@" 8>&- 9>&-
}
# The user's own shell in the clone, running $1; DISPLAY is passed on when set. With
# --exec first, it takes the caller's place: started with &, $! is then the command's own.
as_user() {
    local exec=""
    [ "$1" = --exec ] && exec="exec" && shift
    $exec chroot --userspec=4242:4242 "$rootdir" /usr/bin/env -i HOME=/home/player USER=player \
        LOGNAME=player PATH=/usr/local/bin:/usr/bin:/bin:/usr/games LANG=C.UTF-8 \
        XDG_RUNTIME_DIR=/run/user/4242 \
        ${DISPLAY:+DISPLAY=$DISPLAY} /bin/bash -c "cd ~/vesperalia && $1" 8>&- 9>&-
}

say "a fresh Debian 13 root in ${rootdir#"$src"/}: sudo, git and a window manager (log: build-deb13-user/setup.log)"
{
    in_root apt-get update -q &&
        in_root apt-get install -y -q --no-install-recommends sudo git ca-certificates openbox x11-utils &&
        in_root useradd -m -u 4242 -U -s /bin/bash player &&
        install -d -m 700 -o 4242 -g 4242 "$rootdir/run/user/4242" &&
        echo 'player ALL=(ALL) NOPASSWD: ALL' >"$rootdir/etc/sudoers.d/player" &&
        chmod 440 "$rootdir/etc/sudoers.d/player"
} >"$work/setup.log" 2>&1 || fail "setting up the root failed (log: build-deb13-user/setup.log)"
clone=$rootdir/home/player/vesperalia
git clone -q --no-hardlinks "$src" "$clone" || fail "git clone of the checkout failed"
if [ "$working_tree" = 1 ]; then
    git ls-files -z | tar --null -T - --ignore-failed-read -cf - 2>/dev/null | tar -x -C "$clone"
fi
say "the user's clone of the checkout at $(git -C "$clone" log -1 --format='%h %s')$([ "$working_tree" = 1 ] && echo ', with the working tree')"
chown -R 4242:4242 "$clone"

step() { # NAME COMMAND: the user runs COMMAND in the clone; its output goes to NAME.log
    local started status=0
    started=$(date +%s)
    as_user "$2" >"$work/$1.log" 2>&1 || status=$?
    say "$2: status $status in $(($(date +%s) - started)) s (log: build-deb13-user/$1.log)"
    return "$status"
}
step install-deps ./tools/install-deps.sh || fail "tools/install-deps.sh failed on Debian 13"
grep '^install-deps: installing' "$work/install-deps.log" | cut -c1-200 || true

# A desktop: an X server the size of a common screen, and a window manager on it. Xvfb
# writes its screen into a file (-fbdir), which becomes the picture.
number=$(mktemp)
mkdir -p "$rootdir/tmp/fb"
chroot "$rootdir" /usr/bin/env -i PATH=/usr/bin:/bin Xvfb -displayfd 3 -noreset -nolisten tcp \
    -screen 0 1920x1080x24 -fbdir /tmp/fb 3>"$number" >"$work/xvfb.log" 2>&1 8>&- 9>&- &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -q '^[0-9]' "$number" && break
    sleep 0.1
done
n=$(head -n 1 "$number")
rm -f "$number"
[ -n "$n" ] || fail "Xvfb did not start in the root (log: build-deb13-user/xvfb.log)"
export DISPLAY=:$n
as_user --exec "exec openbox" >"$work/openbox.log" 2>&1 &
wm_pid=$!
sleep 2

started=$(date +%s)
as_user --exec "exec ./tools/play.sh" >"$work/play.log" 2>&1 &
game_pid=$!
window=""
# play.sh builds the game first.
for _ in $(seq 1200); do
    kill -0 "$game_pid" 2>/dev/null || break
    window=$(xdotool search --onlyvisible --name '^Vesperalia$' 2>/dev/null | head -n 1) || true
    [ -n "$window" ] && break
    sleep 0.5
done
if [ -z "$window" ]; then
    tail -n 20 "$work/play.log" >&2
    fail "./tools/play.sh showed no game window (log: build-deb13-user/play.log)"
fi
say "./tools/play.sh: the game's window after $(($(date +%s) - started)) s (build included)"
# The pointer to the screen's corner, off the picture; the window's place on the screen
# from xwininfo (xdotool's is off by the window manager's frame).
xdotool mousemove 1919 1079
sleep 3
geometry=$(in_root xwininfo -display "$DISPLAY" -id "$window" | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /Width:/ { w = $NF } /Height:/ { h = $NF } END { print x, y, w, h }')
# The screen file as PNG, and the window's part of it checked block by block.
# shellcheck disable=SC2086
# The screen file is read while the game draws (its message scrolls), so a read can hold
# the rows of two frames: up to ten reads, a moment apart, for one that is whole.
shot=0
# shellcheck disable=SC2086 # four numbers
in_root python3 - $geometry <<'EOF' || shot=$?
import struct, sys, time
from PIL import Image


def read_screen():
    raw = open("/tmp/fb/Xvfb_screen0", "rb").read()
    order = ">" if struct.unpack(">I", raw[:4])[0] < 4096 else "<"
    h = struct.unpack(order + "25I", raw[:100])
    size, depth, width, height, byte_order = h[0], h[3], h[4], h[5], h[7]
    bpp, stride, ncolors = h[11], h[12], h[19]
    if depth != 24 or bpp != 32:
        sys.exit("unexpected screen file: depth %d, %d bits a pixel" % (depth, bpp))
    start = size + 12 * ncolors
    return Image.frombuffer("RGB", (width, height), raw[start:start + stride * height], "raw",
                            "BGRX" if byte_order == 0 else "XRGB", stride, 1)


x, y, w, h = (int(v) for v in sys.argv[1:5])
scale = w // 320
if scale < 1 or w != 320 * scale or h != 240 * scale:
    sys.exit("the window, %dx%d, is not a whole multiple of 320x240" % (w, h))
whole = False
for attempt in range(1, 11):
    screen = read_screen()
    game = screen.crop((x, y, x + w, y + h))
    small = game.resize((320, 240), Image.NEAREST)
    whole = small.resize((w, h), Image.NEAREST).tobytes() == game.tobytes()
    if whole:
        break
    time.sleep(0.3)
screen.save("/tmp/title.png", optimize=True)
print("window %dx%d at %d,%d on a %dx%d screen" % (w, h, x, y, screen.width, screen.height))
if not whole:
    sys.exit("the picture at scale %d is not made of %dx%d blocks in ten reads" % (scale, scale, scale))
colours = len(set(small.getdata()))
if colours < 16:
    sys.exit("the picture has only %d colours: no title shown" % colours)
print("scale %d, each game pixel a %dx%d block, %d colours (read %d)" % (scale, scale, scale, colours, attempt))
EOF
cp "$rootdir/tmp/title.png" "$work/title.png" 2>/dev/null || true
[ "$shot" = 0 ] || fail "the game's window is not the game's picture in whole square blocks (picture: build-deb13-user/title.png)"
say "window name '$(xdotool getwindowname "$window")'; the screen is in build-deb13-user/title.png"

# Out through the title's exit item, as play-check.sh does.
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool mousemove --window "$window" 10 10
xdotool key --delay 200 Up space
status=""
for _ in $(seq 200); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        status=0
        wait "$game_pid" || status=$?
        break
    fi
    sleep 0.1
done
game_pid=""
[ "$status" = 0 ] || fail "the game did not leave with status 0 through its exit item (status ${status:-none within 20 s})"
say "./tools/play.sh: left through the exit item with status 0"
kill "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wait "$wm_pid" "$xvfb_pid" 2>/dev/null || true
wm_pid="" xvfb_pid=""
unset DISPLAY

if [ "$tests" = 1 ]; then
    if ! step run-tests ./tools/run-tests.sh; then
        grep -E '^run-tests:|% tests passed|\*\*\*|runtime error|^[[:space:]]+[0-9]+ - ' "$work/run-tests.log" |
            tail -n 20 >&2
        fail "the test command failed on Debian 13 (log: build-deb13-user/run-tests.log; the root is kept)"
    fi
    grep '^run-tests:' "$work/run-tests.log" | tail -n 5
fi
remove_root "$rootdir"
say "the README's set-up works on Debian 13"
