#!/bin/bash
# Builds the libFuzzer targets (clang, in build-fuzz/) and runs each for SECONDS, two at a
# time, from its corpus in fuzz/corpus/TARGET/ and seeds made out of the game's own files.
# Prints runs, runs per second and crashes per target; a crash's input is kept in
# build-fuzz/crashes/TARGET/ and makes the script exit non-zero. With --merge, the inputs
# the runs found that reach new code are merged into fuzz/corpus/ (libFuzzer -merge=1,
# counting edges only, not how often each runs: that keeps the corpus small).
set -eu
cd "$(dirname "$0")/.."

usage() {
    echo "usage: $0 [--merge] SECONDS   (run each fuzz target for SECONDS seconds;" >&2
    echo "       --merge: then keep in fuzz/corpus/ what they found that adds coverage)" >&2
    exit 2
}
MERGE=0
if [ $# -eq 2 ] && [ "$1" = --merge ]; then
    MERGE=1
    shift
fi
[ $# -eq 1 ] || usage
case "$1" in '' | *[!0-9]*) usage ;; esac
SECONDS_EACH=$1
[ "$SECONDS_EACH" -ge 1 ] || usage

# The build's packages, and clang with its run-time libraries (libFuzzer and the
# sanitizers); only the missing ones are installed.
./tools/install-deps.sh clang libclang-rt-14-dev >&2

OUT="$PWD/build-fuzz" # absolute: the targets change into their scratch trees
CORPUS="$PWD/fuzz/corpus"
BUILD=$OUT/cmake
TARGETS="lang profile items descriptions baselang results bmp bitmap font"
mkdir -p "$OUT/logs"

echo "fuzz: building the targets in $BUILD (log: $OUT/logs/build.log)" >&2
if ! { cmake -S . -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ -DVESPERALIA_FUZZ=ON -DWERROR=ON \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" &&
    cmake --build "$BUILD" -j2 --target fuzz_all; } >"$OUT/logs/build.log" 2>&1; then
    echo "fuzz: the build failed; see $OUT/logs/build.log" >&2
    exit 1
fi

# Seeds: the language files, the images, the Notifier's art, and a registry made by the
# game's registration in a scratch base, written afresh at every run.
rm -rf "$OUT/seeds"
if ! ASAN_OPTIONS=detect_leaks=0 "$BUILD/fuzz_seeds" "$OUT/seeds" "$OUT/seed-registry" \
    >"$OUT/logs/seeds.log" 2>&1; then
    echo "fuzz: making the seeds failed; see $OUT/logs/seeds.log" >&2
    exit 1
fi

if [ -w /dev/shm ]; then SCRATCH_ROOT=/dev/shm; else SCRATCH_ROOT=${TMPDIR:-/tmp}; fi

# Runs one target for the whole time, starting it again after a crash; leaves
# "executions crashes" in $OUT/logs/TARGET.result. New inputs go to the run's own corpus
# in $OUT/corpus/TARGET; the kept corpus is only read.
run_target() {
    name=$1
    crashes="$OUT/crashes/$name"
    log="$OUT/logs/$name.log"
    scratch="$SCRATCH_ROOT/vesperalia-fuzz-$name-$$"
    rm -rf "$crashes"
    mkdir -p "$crashes" "$OUT/corpus/$name"
    : >"$log"
    executions=0
    start=$(date +%s)
    while :; do
        left=$((SECONDS_EACH - ($(date +%s) - start)))
        [ "$left" -ge 1 ] || break
        VESPERALIA_FUZZ_SCRATCH="$scratch" SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy \
            "$BUILD/fuzz_$name" -max_total_time="$left" -timeout=25 -print_final_stats=1 \
            -artifact_prefix="$crashes/" "$OUT/corpus/$name" "$CORPUS/$name" "$OUT/seeds/$name" \
            >>"$log" 2>&1 || true
        runs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | tail -1 | grep -o '[0-9]*$')
        executions=$((executions + ${runs:-0}))
        # Count each run's stats once.
        sed -i 's/stat::number_of_executed_units:/counted executed units:/' "$log"
        if [ -z "$(ls -A "$crashes")" ]; then break; fi
        [ "$(ls -A "$crashes" | wc -l)" -lt 20 ] || break
    done
    rm -rf "$scratch"
    echo "$executions $(ls -A "$crashes" | wc -l)" >"$OUT/logs/$name.result"
}

echo "fuzz: running each target for $SECONDS_EACH s, two at a time (logs: $OUT/logs/)" >&2
set -- $TARGETS
while [ $# -gt 0 ]; do
    run_target "$1" &
    first=$!
    if [ $# -gt 1 ]; then
        run_target "$2" &
        second=$!
        wait "$second" || true
        shift
    fi
    wait "$first" || true
    shift
done

status=0
for name in $TARGETS; do
    read -r executions crashes <"$OUT/logs/$name.result"
    echo "$name: $executions runs, $((executions / SECONDS_EACH)) runs/s, $crashes crashes"
    if [ "$crashes" -gt 0 ]; then
        echo "fuzz: $name crashed; inputs in $OUT/crashes/$name/, output in $OUT/logs/$name.log" >&2
        status=1
    fi
done

if [ $MERGE -eq 1 ]; then
    if [ $status -ne 0 ]; then
        echo "fuzz: not merging while a target crashes" >&2
        exit $status
    fi
    for name in $TARGETS; do
        log="$OUT/logs/$name.merge.log"
        before=$(ls fuzz/corpus/$name | wc -l)
        if ! VESPERALIA_FUZZ_SCRATCH="$SCRATCH_ROOT/vesperalia-fuzz-$name-$$" \
            SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$BUILD/fuzz_$name" -merge=1 \
            -use_counters=0 -timeout=25 "$CORPUS/$name" "$OUT/corpus/$name" "$OUT/seeds/$name" \
            >"$log" 2>&1; then
            echo "fuzz: merging into fuzz/corpus/$name failed; see $log" >&2
            status=1
        fi
        rm -rf "$SCRATCH_ROOT/vesperalia-fuzz-$name-$$"
        echo "$name: $(($(ls fuzz/corpus/$name | wc -l) - before)) inputs merged into fuzz/corpus/$name"
    done
    echo "fuzz: fuzz/corpus/ now holds $(du -sk fuzz/corpus | cut -f1) KiB" >&2
fi
exit $status
