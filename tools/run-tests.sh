#!/bin/sh
# Checks the formatting, then builds Vesperalia and runs the whole test suite: in a normal
# build with warnings as errors, on this machine's SDL 1.2 and again on each sdl12-compat
# that players run instead (Debian 12's 1.2.60 and Debian 13's 1.2.68, fetched into
# build-sdl/ by tools/sdl-layers.sh and put first on LD_LIBRARY_PATH), with every screen's
# picture in the window compared between them (tools/sdl-pictures.py); then under
# AddressSanitizer and UndefinedBehaviorSanitizer. Ends with one line per library.
set -eu
cd "$(dirname "$0")/.."

./tools/install-deps.sh clang-format libsdl2-2.0-0 dpkg-dev

echo "run-tests: checking the C++ formatting against .clang-format"
# shellcheck disable=SC2046
clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h') ||
    { echo "run-tests: some files are not formatted (clang-format -i FILE)" >&2; exit 1; }

run_suite() {
    dir="$1"
    shift
    echo "run-tests: configuring $dir"
    cmake -S . -B "$dir" -DWERROR=ON "$@" >/dev/null
    echo "run-tests: building $dir"
    cmake --build "$dir" -j2
    echo "run-tests: testing $dir"
    (cd "$dir" && ctest --output-on-failure)
}

# The SDL 1.2 library the test program loads with LD_LIBRARY_PATH=$1 in front.
version_with() {
    LD_LIBRARY_PATH="$1${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ./build/vesperalia_tests --sdl-version
}
# Whether version $1 is sdl12-compat's: it counts from 1.2.50 on.
is_layer() {
    patch=${1##*.}
    [ "${1%.*}" = 1.2 ] && [ "$patch" -ge 50 ] 2>/dev/null
}

failed=0
run_suite build
system=$(version_with "")
summary="SDL $system (this machine's): passed"

layers=$(./tools/sdl-layers.sh) || { echo "run-tests: cannot fetch sdl12-compat" >&2; exit 1; }
while read -r name dir; do
    [ -n "$name" ] || continue
    version=$(version_with "$dir") || { echo "run-tests: the tests do not start on $name" >&2; exit 1; }
    if ! is_layer "$version"; then
        echo "run-tests: $dir gave SDL $version, not sdl12-compat" >&2
        exit 1
    fi
    if [ "$version" = "$system" ]; then
        summary="$summary
sdl12-compat $version ($name): the machine's own, tested above"
        continue
    fi
    echo "run-tests: testing build on sdl12-compat $version ($dir)"
    if (cd build && LD_LIBRARY_PATH="$dir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" ctest --output-on-failure); then
        summary="$summary
sdl12-compat $version ($name): passed"
    else
        summary="$summary
sdl12-compat $version ($name): FAILED"
        failed=1
    fi
done <<LAYERS
$layers
LAYERS

# What the window shows, screen by screen, on each layer against SDL 1.2 itself.
if is_layer "$system"; then
    summary="$summary
pictures: not compared (this machine's SDL 1.2 is sdl12-compat itself)"
else
    echo "run-tests: comparing the window's pictures on sdl12-compat with SDL $system"
    # shellcheck disable=SC2046
    if /usr/bin/python3 tools/sdl-pictures.py build/vesperalia-screenshot \
        $(echo "$layers" | awk '{ print $2 }'); then
        summary="$summary
pictures on sdl12-compat as on SDL $system: passed"
    else
        summary="$summary
pictures on sdl12-compat as on SDL $system: FAILED"
        failed=1
    fi
fi

ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DSANITIZE=ON
summary="$summary
SDL $system under the sanitizers: passed"
echo "run-tests: results by SDL library:"
echo "$summary" | sed 's/^/run-tests:   /'
[ "$failed" -eq 0 ] || { echo "run-tests: some checks failed on sdl12-compat" >&2; exit 1; }
echo "run-tests: all tests passed"
