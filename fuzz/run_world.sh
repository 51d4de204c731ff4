#!/usr/bin/env bash
# Fuzzes the readers of object models, figure files, animations and world
# files for a while each: builds the fuzz targets with clang in build-fuzz, seeds them
# with the files the data builder writes, and keeps what they find in
# fuzz/corpus-<target> (not in the repository) and crash-* files.
#   fuzz/run_world.sh [seconds per target, default 300] [mkdata binary]
# (QV_FUZZ_BUILD names another build folder.)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-300}"
mkdata="${2:-$here/build/bin/mkdata}"
build="${QV_FUZZ_BUILD:-$here/build-fuzz}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

cmake -S "$here" -B "$build" -G Ninja -DQV_FUZZ=ON -DQV_SANITIZE=ON -DQV_TESTS=OFF -DQV_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j 4 --target object_model_fuzz human_file_fuzz animation_fuzz world_fuzz world_seed

"$mkdata" "$work/game" >/dev/null
mkdir -p "$work/seed-model" "$work/seed-human" "$work/seed-anim" "$work/seed-world"
cp "$work"/game/data/veh/*.vob "$work/game/data/hmn/helmet.zke" "$work/seed-model/"
cp "$work/game/data/hmn/hmn.hmn" "$work/seed-human/"
# The world reader: a small generated circuit whole (every kind of record
# at a fraction of a site's size, so that each run loads it in a few
# milliseconds), and the head of it.
"$build/bin/world_seed" "$work/stadium" >/dev/null
cp "$work"/stadium/data/wld/*.wld "$work/seed-world/stadium.wld"
head -c 4000 "$work/seed-world/stadium.wld" > "$work/seed-world/head"
# An animation seed: the header, a body count byte, one small record.
printf 'ZKANIM\x00\xfb\x03\x00\x00\x00\x00\x00\x00\x80\x3f\x01\x00\x02\x00' > "$work/seed-anim/a"
head -c 100 /dev/zero >> "$work/seed-anim/a"

# run TARGET SEEDS [LONGEST INPUT]: the folders are given as absolute paths,
# since a target may change its working folder.
run() {
    local target="$1" seeds="$2" longest="${3:-200000}"
    local corpus="$here/fuzz/corpus-$target"
    mkdir -p "$corpus"
    (cd "$here/fuzz" && "$build/bin/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -max_len="$longest" -artifact_prefix="$here/fuzz/" -print_final_stats=1 "$corpus" "$seeds")
}
run object_model_fuzz "$work/seed-model"
run human_file_fuzz "$work/seed-human"
run animation_fuzz "$work/seed-anim"
run world_fuzz "$work/seed-world" 65536
