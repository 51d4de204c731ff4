#!/bin/sh
# The share of the car step on a real site that the world's contact answers
# take, counted in instructions by callgrind (a figure that does not depend
# on the machine's speed or load): the road car of site_step_bench drives
# on each site; only the car steps are counted (the active set's update),
# and the answers' inclusive count (the surfaces and posts gathered round
# the car, every point and wheel probe asked of them, the surface kinds and
# the bodies of the cells) is divided by it. The share must stay at or
# below 0.25.
#
#   bench/site_contact_callgrind.sh [build folder] [site ...]
#       (default: build, every site 0 to 6)
set -e
build=${1:-build}
[ $# -gt 0 ] && shift
sites=${*:-0 1 2 3 4 5 6}
bench="$build/bin/site_step_bench"
[ -x "$bench" ] || { echo "site_step_bench not built in $build" >&2; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
worst=0
for site in $sites; do
    valgrind --tool=callgrind --callgrind-out-file="$out/site$site" \
        --toggle-collect='UpdatePhysicsObjects*' \
        "$bench" --benchmark_filter="BM_CarStepOnSite/$site\$" --benchmark_min_time=1 > /dev/null 2>&1
    callgrind_annotate --inclusive=yes --threshold=100 "$out/site$site" > "$out/site$site.txt"
    # The total (only car steps are collected) and the answers' inclusive
    # counts; the answers do not call one another.
    total=$(sed -n 's/^ *\([0-9,]*\) *(100.0%) *PROGRAM TOTALS.*/\1/p' "$out/site$site.txt" | tr -d ,)
    answers=$(grep -E 'WorldSurroundings::(CollectContactObjects|ObjectContainsPoint|ObjectContactQuery|CollectRadiusPosts|SurfaceFlags|SurfaceKind|CollectCellBodies)\(' \
        "$out/site$site.txt" | sed 's/^ *\([0-9,]*\).*/\1/' | tr -d , | awk '{ s += $1 } END { print s + 0 }')
    share=$(awk -v a="$answers" -v t="$total" 'BEGIN { printf "%.3f", (t > 0 ? a / t : 0) }')
    echo "site $site: car steps $total instructions, contact answers $answers: share $share"
    worst=$(awk -v a="$share" -v b="$worst" 'BEGIN { print (a > b ? a : b) }')
done
echo "largest share: $worst (at most 0.25)"
