#!/bin/sh
# Checks the formatting, then builds Vesperalia and runs the whole test suite twice: once
# in a normal build with warnings as errors, once under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -eu
cd "$(dirname "$0")/.."

./tools/install-deps.sh clang-format

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

run_suite build
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
    run_suite build-sanitize -DSANITIZE=ON
echo "run-tests: all tests passed"
