#!/usr/bin/env bash
# Fuzzes the readers of grid files, AI names and message keys: builds the
# fuzz target with clang in build-fuzz, seeds it with the names and message
# files the data builder writes and a small grid file, and runs it for a
# number of executions (a million by default). What it finds is kept in
# fuzz/corpus-race_files_fuzz (not in the repository) and crash-* files.
#   fuzz/run_race.sh [executions, default 1000000] [mkdata binary]
# (QV_FUZZ_BUILD names another build folder.)
source "$(dirname "${BASH_SOURCE[0]}")/fuzz_common.sh"
runs="${1:-1000000}"
mkdata="${2:-$here/build/bin/mkdata}"

fuzz_build race_files_fuzz

"$mkdata" "$work/game" >/dev/null
mkdir -p "$work/seed"
# The first byte chooses the reader: 0 grid (4: with its options), 1 names, 2 message keys.
{ printf '\x01'; cat "$work/game/data/misc/drv.nam"; } > "$work/seed/names"
{ printf '\x02'; cat "$work/game/data/misc/fkeys.msg"; } > "$work/seed/keys"
python3 - "$work/seed/grid" <<'PY'
import struct, sys
def field(text, n):
    return text.encode().ljust(n, b"\0")[:n]
body = bytes([10, 6, 0, 0, 5, 2, 1, 0]) + field("Track", 32) + bytes([1, 0, 0, 2, 0, 0, 0, 13])
for name, kind, car in (("Robot", 2, "SN4"), ("Guest", 1, "FORMULA KT02")):
    body += field(name, 24) + field("PLATE", 8) + bytes([1, kind, 0, 2, 3, 7, 1, 0])
    body += field("Helmet", 16) + bytes([50, 30, 30, 1]) + field(car, 32) + bytes(120)
    body += field("DEFAULT", 16) + bytes(range(32))
open(sys.argv[1], "wb").write(b"\x04" + b"QVNGSC" + struct.pack(">H", 251) + body)
PY

fuzz_run race_files_fuzz "$work/seed" 20000 -runs="$runs"
