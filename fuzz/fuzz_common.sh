# What every fuzz script shares, read with `source` at its top: the
# repository, the clang build folder, a work folder removed at exit, the
# build of the named targets and a run of one target over its corpus and
# seeds.
#   QV_FUZZ_BUILD  another build folder (default build-fuzz)
#   QV_JOBS        parallel build jobs (default 4)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${QV_FUZZ_BUILD:-$here/build-fuzz}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# fuzz_build TARGET...: configures the clang build with the sanitizers and
# builds the targets.
fuzz_build() {
    cmake -S "$here" -B "$build" -G Ninja -DQV_FUZZ=ON -DQV_SANITIZE=ON -DQV_TESTS=OFF -DQV_BENCH=OFF \
          -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$build" -j "${QV_JOBS:-4}" --target "$@"
}

# fuzz_run TARGET SEEDS LONGEST LIMIT...: runs the target over
# fuzz/corpus-TARGET (kept between runs, not in the repository) and the
# seed folder (an absolute path: a target may change its working folder),
# inputs at most LONGEST bytes, for the limit given (-runs=N or
# -max_total_time=S). A crash is kept as fuzz/crash-*.
fuzz_run() {
    local target="$1" seeds="$2" longest="$3"
    shift 3
    local corpus="$here/fuzz/corpus-$target"
    mkdir -p "$corpus"
    (cd "$here/fuzz" && "$build/bin/$target" "$@" -rss_limit_mb=2048 -max_len="$longest" \
        -artifact_prefix="$here/fuzz/" -print_final_stats=1 "$corpus" "$seeds")
}
