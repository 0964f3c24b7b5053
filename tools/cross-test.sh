#!/bin/sh
# Usage: tools/cross-test.sh armel|arm64
# Cross-builds the game, the profile tool and the test suite for ARM with Debian's cross
# compiler and runs the whole suite under qemu-user. armel: ARMv5TE soft-float against
# Debian 12, the GP2X family's platform code. arm64: today's handhelds' platform code
# against Debian 11 (glibc 2.31), checked to need no glibc above 2.30 (ArkOS), and the
# suite run a second time on the SDL 1.2 layer the handheld package bundles
# (tools/cross/make-layer.sh), checked to be what was loaded.
# Then it makes that architecture's package with tools/package.sh, which checks it.
# Everything goes into build-cross/ARCH/ (sysroot/ from tools/cross/make-sysroot.sh, build/).
set -eu
cd "$(dirname "$0")/.."
root=$(pwd)

start=$(date +%s)
say() { echo "cross-test: [$(($(date +%s) - start)) s] $*"; }
fail() {
    echo "cross-test: $*" >&2
    exit 1
}

arch=${1:-}
case "$arch" in
armel)
    triplet=arm-linux-gnueabi
    qemu="qemu-arm-static"
    platform=gp2x
    package=gp2x
    ;;
arm64)
    triplet=aarch64-linux-gnu
    qemu="qemu-aarch64-static"
    platform=handheld
    package=handheld
    ;;
*) fail "usage: tools/cross-test.sh armel|arm64" ;;
esac
build=$root/build-cross/$arch/build
jobs=${CROSS_TEST_JOBS:-2}

# Host tools (cmake, Debian's python3 for the generated-files check), the cross compiler
# and qemu-user, each only when missing.
./tools/install-deps.sh "g++-$triplet" qemu-user-static debian-archive-keyring ||
    fail "the Debian packages the $arch build needs could not be installed"

./tools/cross/make-sysroot.sh "$arch" || fail "the $arch sysroot could not be made"

say "configuring build-cross/$arch/build ($platform platform)"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/tools/cross/toolchain-$arch.cmake" \
    -DWERROR=ON -DVESPERALIA_PLATFORM="$platform" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -DNDEBUG" \
    -DVESPERALIA_SOAK_MATCHES=20 \
    >"$build/configure.log" 2>&1 ||
    {
        tail -n 30 "$build/configure.log" >&2
        fail "configuring the $arch build failed (log: build-cross/$arch/build/configure.log)"
    }

# Built without debug information (nobody debugs under the emulator here): a quicker build.
# The soak plays 20 matches under the emulator rather than the native suite's 50.
# The game, the profile tool, the test suite, and whatever program a registered test
# runs; not the benchmark or the other tools the tests do not use. Tests registered as
# whole programs (not the suite's own cases) are the long ones.
targets="vesperalia vesperalia-profile vesperalia_tests"
listing=$(cd "$build" && ctest --show-only=json-v1 2>/dev/null | /usr/bin/python3 -c '
import json, os, sys
build = sys.argv[1]
names, programs = set(), []
for test in json.load(sys.stdin).get("tests", []):
    command = test.get("command") or []
    if any(arg.endswith("_NOT_BUILT") or arg == build + "/vesperalia_tests" for arg in command):
        continue
    programs.append(test["name"])
    for arg in command:
        if arg.startswith(build + "/"):
            names.add(os.path.basename(arg))
print(" ".join(sorted(names)))
print(" ".join(programs))
' "$build") || fail "could not list the tests of the $arch build"
for t in $(echo "$listing" | sed -n 1p); do
    case " $targets " in
    *" $t "*) ;;
    *) targets="$targets $t" ;;
    esac
done
# ctest starts the tests it knows to be slow first; on a first run it knows nothing yet,
# so the whole-program tests are named slow, and the suite's short cases fill in beside them.
costs=$build/Testing/Temporary/CTestCostData.txt
if [ ! -f "$costs" ]; then
    mkdir -p "$(dirname "$costs")"
    for t in $(echo "$listing" | sed -n 2p); do
        echo "$t 1 1000"
    done >"$costs"
    echo "---" >>"$costs"
fi
say "building $targets"
# shellcheck disable=SC2086
cmake --build "$build" -j"$jobs" --target $targets || fail "building for $arch failed"

if [ "$arch" = arm64 ]; then
    # The oldest firmwares bring glibc 2.30 (ArkOS) and a C++ library of unknown age.
    for bin in vesperalia vesperalia-profile; do
        versions=$("$triplet-objdump" -T "$build/$bin" | grep -o 'GLIBC[A-Z]*_[0-9.]*' | sort -u)
        bad=$(echo "$versions" | awk -F_ '
            $1 != "GLIBC" { print; next }
            { split($2, v, "."); if (v[1] > 2 || (v[1] == 2 && v[2] > 30)) print }')
        [ -z "$bad" ] || fail "$bin needs symbol versions newer firmwares alone have: $(echo "$bad" | tr '\n' ' ')"
    done
    say "vesperalia and vesperalia-profile need glibc 2.30 at most and no libstdc++"
fi

say "testing under $qemu"
cd "$build"
ctest -j"$jobs" --output-on-failure || fail "tests failed for $arch"
say "all $arch tests passed"

if [ "$arch" = arm64 ]; then
    # Once more on what handhelds run: the SDL 1.2 layer the handheld package bundles, over
    # Debian 11's SDL2 from the sysroot, put first through LD_LIBRARY_PATH (qemu-user hands
    # it to the emulated loader).
    cd "$root"
    ./tools/cross/make-layer.sh || fail "the SDL 1.2 layer could not be made"
    layer=$root/build-cross/arm64/layer/lib
    cd "$build"
    loaded=$(LD_LIBRARY_PATH=$layer $qemu -L "$root/build-cross/arm64/sysroot" ./vesperalia_tests --sdl-version) ||
        fail "the test program did not run on the layer"
    printf '%s\n1.2.50\n' "$loaded" | sort -V | head -n 1 | grep -qx 1.2.50 ||
        fail "LD_LIBRARY_PATH=$layer loads SDL $loaded, not the layer (1.2.50 or later)"
    say "testing under $qemu on the SDL 1.2 layer ($(cat "$layer/version"), SDL_Linked_Version $loaded)"
    LD_LIBRARY_PATH=$layer ctest -j"$jobs" --output-on-failure ||
        fail "tests failed for $arch on the SDL 1.2 layer $(cat "$layer/version")"
    say "all $arch tests passed on the SDL 1.2 layer"
fi

# The package this architecture makes, and its checks (unpacked, then run under qemu).
cd "$root"
say "making and checking the $package package"
./tools/package.sh "$package" || fail "the $package package failed"
