#!/bin/sh
# Usage: tools/soak.sh [MATCHES [SEED]]
# Builds the soak program under AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-soak-san/) and plays MATCHES random matches (default 1000) through the game's own
# frame loop, checking the rules and the registry's files after every frame. Prints
# "N matches, F frames, V violations" and fails when there is any; SEED replays a run.
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=build-soak-san

fail() {
    echo "soak: $*" >&2
    exit 1
}

matches=${1:-1000}
seed=${2:-}
case "$matches" in
'' | *[!0-9]* | 0) fail "MATCHES must be a positive number, not '$matches'" ;;
esac
case "$seed" in
*[!0-9]*) fail "SEED must be a number, not '$seed'" ;;
esac

./tools/install-deps.sh >/dev/null || fail "the build packages could not be installed"

mkdir -p "$build"
cmake -S . -B "$build" -DSANITIZE=ON -DWERROR=ON >"$build/configure.log" 2>&1 ||
    fail "configuring $build failed; see $build/configure.log"
cmake --build "$build" -j2 --target vesperalia_soak >"$build/build.log" 2>&1 ||
    fail "building the soak program failed; see $build/build.log"

set -- --matches "$matches" --root "$root"
if [ -n "$seed" ]; then set -- "$@" --seed "$seed"; fi
# SDL keeps a few allocations for the life of the process; only faults of the game count.
status=0
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0 \
    UBSAN_OPTIONS=print_stacktrace=1 "$build/vesperalia_soak" "$@" || status=$?
[ "$status" -eq 0 ] || fail "the soak failed (status $status)"
