#!/bin/sh
# Builds Vesperalia for this desktop (in build-play/) and starts it from the checkout,
# with its exp registry inside the checkout (sdcard/exp/, ignored by git). The first run
# makes a profile there named after you, in your locale's language when lang/ has it.
# Arguments are passed to the game (-scale N, -fullscreen, -scanlines).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)
build=$root/build-play
log=$build/build.log

# shellcheck source-path=SCRIPTDIR source=desktop/start-common.sh
. "$root/tools/desktop/start-common.sh"
vesperalia_need_display play.sh || exit 1

mkdir -p "$build"
# install-deps says so when it has nothing to install; that line is left out so that a
# later run stays quiet, while anything it installs is shown as it happens.
rm -f "$build/install-deps.status"
{
    status=0
    ./tools/install-deps.sh || status=$?
    echo "$status" >"$build/install-deps.status"
} | grep -v '^install-deps: all build and test packages are present\.$' || true
if [ "$(cat "$build/install-deps.status" 2>/dev/null)" != 0 ]; then
    echo "play.sh: the Debian packages the game needs could not be installed (see above)" >&2
    exit 1
fi

echo "play.sh: building the game in build-play/ (log: build-play/build.log)"
if ! {
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$build" -DVESPERALIA_PLATFORM=desktop
    fi && cmake --build "$build" -j2 --target vesperalia vesperalia-profile
} >"$log" 2>&1; then
    tail -n 25 "$log" >&2
    echo "play.sh: the build failed; the whole log is in build-play/build.log" >&2
    exit 1
fi

VESPERALIA_EXP_BASE=$root/sdcard/exp/
export VESPERALIA_EXP_BASE
vesperalia_first_profile "$build/vesperalia-profile" "$VESPERALIA_EXP_BASE" "$root/lang" play.sh

exec "$build/vesperalia" "$@"
