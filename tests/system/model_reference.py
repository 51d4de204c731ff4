#!/usr/bin/env python3
"""Decodes stand-alone model files with struct, independently of the game's
reader, and prints one line per file: the record count, point count,
triangle count and the models' names, summed over the record and all its
sub-models. Exits with 1 when a file's bytes do not make exactly one model
record."""
import struct
import sys


def read_model(data, at, version, with_part_names, totals):
    name = data[at:at + 16].split(b"\0")[0].decode("ascii")
    flags, kind, side, levels, groups = struct.unpack_from("<HBBHH", data, at + 16)
    at += 24 + 4 * levels
    points, triangles, subs, _no_mesh = struct.unpack_from("<HHHH", data, at)
    at += 8 + 8 + 12
    rows, columns = struct.unpack_from("<HH", data, at)
    at += 4 + 16 * rows * columns
    at += 16 * points + 12 * triangles
    if not flags & 0x40:
        at += 4 * groups
    (textures,) = struct.unpack_from("<i", data, at)
    at += 4 + 20 * textures
    (surfaces,) = struct.unpack_from("<i", data, at)
    at += 4 + 24 * surfaces
    (mappings,) = struct.unpack_from("<i", data, at)
    at += 4 + 44 * mappings
    if with_part_names and version >= 249:
        at += 256
    totals["records"] += 1
    totals["points"] += points
    totals["triangles"] += triangles
    totals["names"].append(name)
    for _ in range(subs):
        at = read_model(data, at, version, False, totals)
    return at


def decode(path):
    data = open(path, "rb").read()
    if data[:6] != b"ZKEOBJ":
        sys.exit(1)
    version = data[6] * 256 + data[7]
    totals = {"records": 0, "points": 0, "triangles": 0, "names": []}
    end = read_model(data, 8, version, True, totals)
    if end != len(data):
        print("record ends at %d of %d" % (end, len(data)))
        sys.exit(1)
    print(totals["records"], totals["points"], totals["triangles"], ",".join(totals["names"]))


for name in sys.argv[1:]:
    decode(name)
