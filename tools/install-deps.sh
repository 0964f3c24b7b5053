#!/bin/sh
# Installs the Debian packages that building, playing and testing Vesperalia
# need, and only those that are missing. Runs apt-get through sudo when not root.
# Scripts that need more (cross compilers, clang) name those as arguments.
set -eu

PACKAGES="cmake g++ make pkg-config libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev
libsdl-mixer1.2-dev libgtest-dev python3 python3-pil python3-fonttools xvfb xauth $*"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

if [ -z "$missing" ]; then
    echo "install-deps: all build and test packages are present."
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: missing packages:$missing" >&2
    echo "install-deps: not root and no sudo available; install them by hand." >&2
    exit 1
fi

echo "install-deps: installing missing Debian packages:$missing"
export DEBIAN_FRONTEND=noninteractive
if ! $SUDO apt-get update -q; then
    echo "install-deps: apt-get update failed" >&2
    exit 1
fi
# shellcheck disable=SC2086
# Another apt run on the machine holds the lock for a while at most: wait for it.
if ! $SUDO apt-get install -y -q --no-install-recommends -o DPkg::Lock::Timeout=600 $missing; then
    echo "install-deps: apt-get install failed for:$missing" >&2
    exit 1
fi
echo "install-deps: done."
