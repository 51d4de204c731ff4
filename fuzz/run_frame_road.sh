#!/usr/bin/env bash
# Fuzzes the frame road and the game-packet dispatch: builds the fuzz target
# with clang in build-fuzz, seeds it with a few sessions written here (bundles
# of valid packets, a forwarded frame, car states, processed frames) and runs
# it for a number of executions (a million by default). What it finds is kept
# in fuzz/corpus-frame_road_fuzz (not in the repository) and crash-* files.
#   fuzz/run_frame_road.sh [executions, default 1000000]
# (QV_FUZZ_BUILD names another build folder.)
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
runs="${1:-1000000}"

fuzz_build frame_road_fuzz

mkdir -p "$work/seed"
python3 - "$work/seed" <<'PY'
import sys
seed = sys.argv[1]
# A chunk: [what][connection][length][bytes]; what 0 a frame on a link,
# 1 a packet for the dispatch, 2 frames processed, 3 a packet queued here.
def chunk(what, connection, data):
    return bytes([what, connection, len(data)]) + data
def bundle(frame, *packets):
    body = bytes([0, frame & 255, frame >> 8, 0, 0])
    for p in packets:
        body += bytes([len(p)]) + p
    return body
horn = bytes([30, 1, 0, 0])
lag = bytes([13, 9, 0, 0])
lap = bytes([39, 2, 1, 0]) + bytes(8)
leave = bytes([63, 11, 2, 0])
votes = bytes([85, 0, 0, 0]) + bytes(48)
check = bytes([36, 0, 0, 0, 7, 0, 7, 0])
sessions = {
    "bundles": chunk(0, 2, bundle(1, horn, lag)) + chunk(0, 3, bundle(1, lap)) + chunk(2, 0, b"")
               + chunk(0, 2, bundle(4, horn)) + chunk(0, 3, bundle(3)) + chunk(2, 0, b""),
    "dispatch": chunk(1, 0, leave) + chunk(1, 1, votes) + chunk(1, 0, check) + chunk(2, 0, b""),
    "queued": chunk(3, 0, horn) + chunk(3, 0, lap) + chunk(2, 0, b"") + chunk(3, 0, leave) + chunk(2, 0, b""),
    "forwarded": chunk(0, 2, bytes([2, 12]) + bundle(2, horn)) + chunk(0, 2, bytes([3]) + bytes(68)),
    "immediate": chunk(0, 3, bytes([1, 3, 0, 0, 0])) + chunk(0, 4, bytes([0, 1, 2, 3])),
}
for name, data in sessions.items():
    open(f"{seed}/{name}", "wb").write(data)
PY

fuzz_run frame_road_fuzz "$work/seed" 4096 -runs="$runs"
