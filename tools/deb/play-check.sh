#!/bin/bash
# Usage: tools/deb/play-check.sh DATA-HOME COMMAND...
# Plays the installed game once as a new player would: starts an Xvfb of its own, runs
# COMMAND (the launcher, with XDG_DATA_HOME naming DATA-HOME as the game sees it) on it,
# waits for the window and the first profile, then chooses the title menu's exit item with
# the keyboard (Up wraps round to it, Space chooses it). Passes when the game ends with
# status 0, the first profile is the active one and the Results were saved on the way
# out. DATA-HOME is that folder as this script sees it (the same path, or inside a root).
set -uo pipefail

fail() {
    echo "play-check: $*" >&2
    exit 1
}
[ $# -ge 2 ] || fail "usage: play-check.sh DATA-HOME COMMAND..."
data_home=$1
shift
base=$data_home/vesperalia/exp
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is missing (tools/install-deps.sh xvfb xdotool)"
done

xvfb_pid="" game_pid=""
cleanup() {
    [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
    return 0
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# Xvfb picks a free display number itself and writes it down once it takes clients.
# Clients inside a chroot reach it too, through its socket in the abstract namespace.
# -noreset: otherwise it resets whenever its last client leaves (each xdotool call
# below), and a game connecting meanwhile finds no display.
number=$(mktemp)
Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$number" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    grep -q '^[0-9]' "$number" && break
    sleep 0.1
done
n=$(head -n 1 "$number")
rm -f "$number"
[ -n "$n" ] || fail "Xvfb did not start"
export DISPLAY=:$n

log=$(mktemp)
"$@" >"$log" 2>&1 &
game_pid=$!
window=""
for _ in $(seq 300); do
    kill -0 "$game_pid" 2>/dev/null || break
    window=$(xdotool search --onlyvisible --name '^Vesperalia$' 2>/dev/null | head -n 1)
    [ -n "$window" ] && [ -s "$base/activeexp" ] && break
    window=""
    sleep 0.1
done
if [ -z "$window" ]; then
    cat "$log" >&2
    kill -0 "$game_pid" 2>/dev/null || { wait "$game_pid"; fail "the game ended with status $? before its window showed"; }
    fail "no game window with a first profile in $base within 30 s"
fi
# The title is up once the window is; a moment more for the frame loop to take keys.
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || xdotool mousemove --window "$window" 10 10
xdotool key --delay 200 Up space
status=""
for _ in $(seq 200); do
    if ! kill -0 "$game_pid" 2>/dev/null; then
        wait "$game_pid"
        status=$?
        break
    fi
    sleep 0.1
done
game_pid_done=$game_pid
game_pid=""
if [ -z "$status" ]; then
    kill "$game_pid_done" 2>/dev/null
    fail "the game did not leave through its exit item within 20 s"
fi
if [ "$status" -ne 0 ]; then
    cat "$log" >&2
    fail "the game ended with status $status"
fi
rm -f "$log"

profile=$(head -n 1 "$base/activeexp")
[ -f "$base/$profile/exp.cfg" ] || fail "the active profile '$profile' has no exp.cfg in $base"
[ -f "$base/$profile/tolvenar_vesperalia/exp.dat" ] || fail "the game did not register itself in $base/$profile"
[ -f "$base/$profile/tolvenar_vesperalia/saves/results.dat" ] || fail "leaving did not save the Results"
echo "play-check: started, made the first profile ($(sed -n 's/^lang=//p' "$base/$profile/exp.cfg")), left with status 0"
