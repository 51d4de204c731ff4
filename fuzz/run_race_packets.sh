#!/usr/bin/env bash
# Fuzzes the game packets of a running race: builds the fuzz target
# with clang in build-fuzz, seeds it with a few races written here (pit
# stops and penalties, lap times, the grid order and a take over, set-ups,
# a track change) and runs it for a number of executions (a million by
# default). What it finds is kept in fuzz/corpus-race_packets_fuzz (not in
# the repository) and crash-* files.
#   fuzz/run_race_packets.sh [executions, default 1000000]
# (QV_FUZZ_BUILD names another build folder.)
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
runs="${1:-1000000}"

fuzz_build race_packets_fuzz

mkdir -p "$work/seed"
python3 - "$work/seed" <<'PY'
import struct, sys
seed = sys.argv[1]
# A chunk: [sender][type pick][game kind][the packet's bytes after its type];
# the type pick indexes the target's list of types.
TYPES = [2, 4, 5, 6, 8, 9, 10, 11, 14, 15, 17, 18, 23, 26, 27, 28, 29, 30, 31, 35, 38, 39, 40, 42, 45, 46,
         50, 52, 55, 56, 57, 60, 66, 67, 69, 70, 71, 73, 74, 75, 76, 77, 78, 79, 80, 81, 86]
def chunk(sender, type_, kind, body):
    return bytes([sender, TYPES.index(type_), kind]) + body
sessions = {
    "pits": chunk(1, 66, 1, bytes([2, 1, 2])) + chunk(1, 60, 1, bytes([2, 1, 0])) + chunk(1, 50, 1, bytes([2, 30, 3])),
    "timing": chunk(1, 38, 1, struct.pack("<BBBi", 2, 1, 0, 3000)) + chunk(1, 39, 1, struct.pack("<BHii", 2, 3, 6000, 18000)),
    "players": chunk(0, 15, 1, bytes([3, 0, 0, 3, 2, 1]) + bytes(29)) + chunk(1, 71, 1, bytes([2, 12, 0]))
               + chunk(2, 71, 1, bytes([1, 11, 0])) + chunk(1, 18, 1, bytes(3)),
    "setup": chunk(1, 67, 1, bytes([2, 0, 0]) + bytes(120)) + chunk(1, 69, 1, bytes([2, 0, 0, 60, 0, 0, 0]) + struct.pack("<ff", 1e4, 2e4)),
    "track": chunk(0, 10, 0, bytes([1, 0, 0]) + b"Hollowmere".ljust(32, b"\0")) + chunk(0, 23, 0, bytes(3)),
}
for name, data in sessions.items():
    open(f"{seed}/{name}", "wb").write(data)
PY

fuzz_run race_packets_fuzz "$work/seed" 2048 -runs="$runs"
