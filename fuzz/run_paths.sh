#!/usr/bin/env bash
# Fuzzes the path and rubber line readers and the builder of nodes and
# physics bodies from object models, a fixed number of executions each:
# builds the targets with clang in build-fuzz, seeds them (a small path,
# rubber lines, the models the data builder writes) and keeps what they
# find in fuzz/corpus-<target> (not in the repository) and crash-* files.
#   fuzz/run_paths.sh [executions per target, default 1000000] [mkdata binary]
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
runs="${1:-1000000}"
mkdata="${2:-$here/build/bin/mkdata}"

fuzz_build path_fuzz rubber_line_fuzz model_node_fuzz

"$mkdata" "$work/game" >/dev/null
mkdir -p "$work/seed-path" "$work/seed-rubber" "$work/seed-model"
cp "$work"/game/data/veh/*.vob "$work/game/data/hmn/helmet.zke" "$work/seed-model/"
python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]
def node(i, samples):
    b = struct.pack('<B3x3i7f', i % 3, i * 65536 * 10, 0, 0, 0.0, 1.0, 0.0, -5.0, 5.0, -8.0, 8.0)
    if samples:
        b += bytes(range(128))
    b += struct.pack('<i', -1)
    b += struct.pack('<i', 1) + struct.pack('<hBB', i, 0x0F, 0)   # one state change
    b += struct.pack('<ii', 0, 0)
    return b
for flags, name in ((0x05, 'loop'), (0x15, 'samples')):
    body = struct.pack('<iihh', flags, 0, 6, 1)
    body += b''.join(node(i, flags & 0x10) for i in range(6)) + node(9, 0)
    body += struct.pack('<i', 1) + struct.pack('<hBB', 3, 0xFF, 0) + struct.pack('<ii', 0, 0)
    body += struct.pack('<i', 1) + struct.pack('<ii', 2, 2) + bytes(4 * 4 + 4 * 8)
    open(f'{work}/seed-path/{name}', 'wb').write(b'ZKWORL\x00\xfb' + body)
for n in (0, 3, 50):
    body = struct.pack('<i', n) + b''.join(struct.pack('<6f', -1.0, 0.5, 0.0, 0.25, 1.0, 0.5) for _ in range(n))
    open(f'{work}/seed-rubber/n{n}', 'wb').write(b'ZKTRST\x00\xf6' + body)
PY

fuzz_run path_fuzz "$work/seed-path" 65536 -runs="$runs"
fuzz_run rubber_line_fuzz "$work/seed-rubber" 65536 -runs="$runs"
fuzz_run model_node_fuzz "$work/seed-model" 65536 -runs="$runs"
