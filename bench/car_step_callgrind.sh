#!/bin/sh
# Instructions per car step, counted by callgrind for 1 car, a pack of 20
# and 32 cars apart: a
# figure that does not depend on the machine's speed or load, kept to see
# regressions of the car step.
#
#   bench/car_step_callgrind.sh [build folder]    (default: build)
#
# car_step_bench zeroes callgrind's counters before its stepping loop and
# dumps them after it, labelled "car_steps=N"; the last dump of each run
# (the longest) gives instructions / N.
set -e
build=${1:-build}
bench="$build/bin/car_step_bench"
[ -x "$bench" ] || bench=$(find "$build" -name car_step_bench -type f -perm -u+x | head -n 1)
[ -x "$bench" ] || { echo "car_step_bench not built in $build" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
for case in 1/pack:0 20/pack:1 32/pack:0; do
    cars=${case%%/*}
    valgrind --tool=callgrind --callgrind-out-file="$out/cars$cars" \
        "$bench" --benchmark_filter="BM_CarStep/cars:$case\$" --benchmark_min_time=0.2 > /dev/null 2>&1
    # Each dump file names its trigger and its instruction total.
    number=$(ls "$out" | sed -n "s/^cars$cars\.\([0-9]*\)$/\1/p" | sort -n | tail -n 1)
    last="$out/cars$cars.$number"
    steps=$(sed -n 's/.*car_steps=\([0-9]*\).*/\1/p' "$last" | head -n 1)
    instructions=$(sed -n 's/^summary: *\([0-9]*\).*/\1/p' "$last" | head -n 1)
    echo "$cars car(s), ${case#*/}: $instructions instructions over $steps car steps: $((instructions / steps)) per car step"
done
