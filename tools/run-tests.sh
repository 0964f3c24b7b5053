#!/bin/sh
# Builds Vesperalia and runs the whole test suite twice: once in a normal build
# with warnings as errors, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."

./tools/install-deps.sh

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

run_suite build
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DSANITIZE=ON
echo "run-tests: all tests passed"
