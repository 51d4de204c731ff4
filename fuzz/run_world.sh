#!/usr/bin/env bash
# Fuzzes the readers of object models, figure files, animations and world
# files for a while each: builds the fuzz targets with clang in build-fuzz, seeds them
# with the files the data builder writes, and keeps what they find in
# fuzz/corpus-<target> (not in the repository) and crash-* files.
#   fuzz/run_world.sh [seconds per target, default 300] [mkdata binary]
# (QV_FUZZ_BUILD names another build folder.)
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
seconds="${1:-300}"
mkdata="${2:-$here/build/bin/mkdata}"

fuzz_build object_model_fuzz human_file_fuzz animation_fuzz world_fuzz world_seed

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

fuzz_run object_model_fuzz "$work/seed-model" 200000 -max_total_time="$seconds"
fuzz_run human_file_fuzz "$work/seed-human" 200000 -max_total_time="$seconds"
fuzz_run animation_fuzz "$work/seed-anim" 200000 -max_total_time="$seconds"
fuzz_run world_fuzz "$work/seed-world" 65536 -max_total_time="$seconds"
