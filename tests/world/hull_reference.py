#!/usr/bin/env python3
"""Volume of the convex hull of the points in a file (one "x y z" line each,
metres), computed by Qhull through SciPy: the independent check of the
physics hulls the model builder makes. Fails loudly when SciPy is missing."""
import sys

from scipy.spatial import ConvexHull

points = [tuple(float(v) for v in line.split()) for line in open(sys.argv[1]) if line.strip()]
hull = ConvexHull(points)
print(f"{hull.volume:.12f} {len(hull.vertices)}")
