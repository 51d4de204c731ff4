#!/usr/bin/env python3
"""Independent check of the software triangle filler.

Reads a case file (first line: width height count; then one triangle a
line, six integers: corners in quarter pixels) and the filler's pictures
(count pictures of width x height bytes, 1 filled, 0 not), and checks each
picture two ways:

  * exactly, against an edge-function rasteriser written here in exact
    integer arithmetic: a pixel is filled when its centre (quarter position
    4 n + 2) is inside the triangle; a centre on an edge belongs to the
    triangle on the edge's right, or below a horizontal edge;
  * against Pillow, which draws the same triangle on a picture four times
    as large (one Pillow pixel a quarter pixel): wherever a pixel centre
    lies more than one quarter pixel from every edge, Pillow and the
    picture agree.

Prints the mismatches and exits 1 when there is one.
"""
import sys

from PIL import Image, ImageDraw


def reference(tri, width, height):
    """The filled pixels by the rule, as a set of (x, y)."""
    filled = set()
    # Orient the corners clockwise on screen (y down): positive area.
    (x0, y0), (x1, y1), (x2, y2) = tri
    area = (x1 - x0) * (y2 - y0) - (x2 - x0) * (y1 - y0)
    if area == 0:
        return filled
    if area < 0:
        tri = [tri[0], tri[2], tri[1]]
    edges = []
    for i in range(3):
        (ax, ay), (bx, by) = tri[i], tri[(i + 1) % 3]
        # Inside is where a x + b y + c > 0; on the edge (0) a pixel counts
        # when the edge is a left edge (going up the screen) or a top edge
        # (horizontal, going right).
        a, b = ay - by, bx - ax
        c = -(a * ax + b * ay)
        left_or_top = by < ay or (by == ay and bx > ax)
        edges.append((a, b, c, left_or_top))
    for py in range(height):
        cy = 4 * py + 2
        for px in range(width):
            cx = 4 * px + 2
            inside = True
            for a, b, c, left_or_top in edges:
                e = a * cx + b * cy + c
                if e < 0 or (e == 0 and not left_or_top):
                    inside = False
                    break
            if inside:
                filled.add((px, py))
    return filled


def near_an_edge(tri, px, py):
    """True when the pixel's centre lies within one quarter pixel, across or
    along, of an edge (where Pillow's rounding may decide otherwise)."""
    cx, cy = 4 * px + 2, 4 * py + 2
    for i in range(3):
        (ax, ay), (bx, by) = tri[i], tri[(i + 1) % 3]
        if not (min(ax, bx) - 1 <= cx <= max(ax, bx) + 1 and min(ay, by) - 1 <= cy <= max(ay, by) + 1):
            continue
        a, b = ay - by, bx - ax
        e = a * (cx - ax) + b * (cy - ay)
        # |e| / |a| is the distance across, |e| / |b| the distance along y.
        if abs(e) <= max(abs(a), abs(b)):
            return True
    return False


def pillow(tri, width, height):
    big = Image.new("L", (4 * width, 4 * height), 0)
    ImageDraw.Draw(big).polygon([tuple(p) for p in tri], fill=255)
    pixels = big.load()
    return {(px, py) for py in range(height) for px in range(width) if pixels[4 * px + 2, 4 * py + 2]}


def main():
    case_path, pictures_path = sys.argv[1], sys.argv[2]
    with open(case_path) as f:
        width, height, count = map(int, f.readline().split())
        triangles = []
        for _ in range(count):
            v = list(map(int, f.readline().split()))
            triangles.append([(v[0], v[1]), (v[2], v[3]), (v[4], v[5])])
    data = open(pictures_path, "rb").read()
    if len(data) != count * width * height:
        print("pictures have %d bytes, not %d" % (len(data), count * width * height))
        return 1
    faults = 0
    compared_with_pillow = 0
    for n, tri in enumerate(triangles):
        base = n * width * height
        got = {(i % width, i // width) for i in range(width * height) if data[base + i]}
        want = reference(tri, width, height)
        if got != want:
            faults += 1
            print("triangle %d %s: %d pixels filled only by the filler, %d only by the rule" %
                  (n, tri, len(got - want), len(want - got)))
            continue
        drawn = pillow(tri, width, height)
        for py in range(height):
            for px in range(width):
                if near_an_edge(tri, px, py):
                    continue
                compared_with_pillow += 1
                if ((px, py) in drawn) != ((px, py) in want):
                    faults += 1
                    print("triangle %d %s: Pillow and the rule differ at %d,%d" % (n, tri, px, py))
    print("%d triangles, %d pixels also compared with Pillow, %d faults" % (count, compared_with_pillow, faults))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
