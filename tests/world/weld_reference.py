#!/usr/bin/env python3
"""Welded vertices and smoothed normals of one level of an object model,
computed from its points and triangles: a vertex per point, side and cell
column within a group; the normal of a point's side is the sum of its faces'
normals (cross products of the edges, at most 8192 long, times a smoothing
weight above 1) each weighted by the face's angle at the point; once a
smoothed face touches a point, flat faces no longer count for it.

Reads the model file written by the test ("P x y z flags" and
"T a b c column smoothing group symmetric" lines, raw 16.16) and the node's
vertices ("V x y z column nx ny nz"), and compares: the same vertex count and
every normal within 1e-4. Prints OK or the first difference."""
import math
import sys

points, triangles, built = [], [], []
for line in open(sys.argv[1]):
    f = line.split()
    if f[0] == 'P':
        points.append((int(f[1]), int(f[2]), int(f[3]), int(f[4])))
    elif f[0] == 'T':
        triangles.append(tuple(int(v) for v in f[1:]))
    elif f[0] == 'V':
        built.append((int(f[1]), int(f[2]), int(f[3]), int(f[4]), float(f[5]), float(f[6]), float(f[7])))

def sub(a, b): return (a[0] - b[0], a[1] - b[1], a[2] - b[2])
def cross(a, b): return (a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0])
def dot(a, b): return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]
def length(a): return math.sqrt(dot(a, a))

vertices = {}  # (group, head, column) -> head
heads = {}     # (group, head) -> [sum, marked]
for group in sorted(set(t[5] for t in triangles)):
    for a, b, c, column, smoothing, g, symmetric in triangles:
        if g != group:
            continue
        for mirrored in ([False, True] if symmetric else [False]):
            refs = (c, b, a) if mirrored else (a, b, c)
            corners, keys = [], []
            for r in refs:
                index, twin = r & 0x3FFF, bool(r & 0x8000) or mirrored
                x, y, z, flags = points[index]
                side = 0 if (flags & 2) else int(twin)  # a shared twin has one chain
                corners.append(((-x if twin else x) / 65536, y / 65536, z / 65536))
                keys.append((index, side))
            for k, key in enumerate(keys):
                pos = corners[k]
                vertices.setdefault((group,) + key + (column,), (round(pos[0] * 65536), round(pos[1] * 65536), round(pos[2] * 65536)))
            n = cross(sub(corners[1], corners[0]), sub(corners[2], corners[1]))
            if length(n) > 8192:
                n = tuple(v * 8192 / length(n) for v in n)
            if smoothing > 1:
                n = tuple(v * smoothing for v in n)
            for k, key in enumerate(keys):
                head = heads.setdefault((group,) + key, [[0.0, 0.0, 0.0], False])
                if smoothing and not head[1]:
                    head[0], head[1] = [0.0, 0.0, 0.0], True
                elif not smoothing and head[1]:
                    continue
                out, into = sub(corners[(k + 1) % 3], corners[k]), sub(corners[k], corners[(k + 2) % 3])
                edges = length(out) * length(into)
                if edges < 1e-6:
                    continue
                angle = math.acos(max(-1.0, min(1.0, dot(out, into) / edges)))
                for i in range(3):
                    head[0][i] += round(n[i] * (math.pi - angle) * 65536)

expected = []
for (group, index, side, column), pos in vertices.items():
    s = heads[(group, index, side)][0]
    l = length(s)
    normal = tuple(v / l for v in s) if round(l) > 15 else (0.0, 0.0, 0.0)
    expected.append(pos + (column,) + normal)

if len(expected) != len(built):
    print(f"vertex count {len(built)}, expected {len(expected)}")
    sys.exit(1)
expected.sort()
built.sort()
for e, b in zip(expected, built):
    if e[:4] != b[:4] or any(abs(e[4 + i] - b[4 + i]) > 1e-4 for i in range(3)):
        print(f"vertex {b} expected {e}")
        sys.exit(1)
print(f"OK {len(built)}")
