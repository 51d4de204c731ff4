#!/usr/bin/env python3
"""An independent view and projection for a table of cameras (numpy).

Each input line: eye x y z, back vector x y z, roll (65536 a turn), width
factor F (2 tan(fov / 2)), view width and height. The eye looks along the
negated back vector with world z up; camera x is to the right, y up, z
forward; the roll turns the camera's axes about z. Each output line: the
16 elements of the row-vector view matrix, then the 16 of the projection
(horizontal width factor F, aspect from the view, near 0.25 / F, far 4160).
"""
import sys

import numpy as np


def camera(eye, back, roll, f, width, height):
    forward = -back / np.linalg.norm(back)
    right = np.cross(forward, [0.0, 0.0, 1.0])
    right /= np.linalg.norm(right)
    up = np.cross(right, forward)
    rows = np.array([right, up, forward])
    angle = roll * 2.0 * np.pi / 65536.0
    c, s = np.cos(angle), np.sin(angle)
    rows = np.array([[c, -s, 0.0], [s, c, 0.0], [0.0, 0.0, 1.0]]) @ rows
    view = np.eye(4)
    view[:3, :3] = rows.T
    view[3, :3] = -(rows @ eye)
    near, far = 0.25 / f, 4160.0
    projection = np.zeros((4, 4))
    projection[0, 0] = 2.0 / f
    projection[1, 1] = 2.0 / f * width / height
    projection[2, 2] = far / (far - near)
    projection[2, 3] = 1.0
    projection[3, 2] = -near * far / (far - near)
    return view, projection


for line in open(sys.argv[1]):
    v = [float(x) for x in line.split()]
    view, projection = camera(np.array(v[0:3]), np.array(v[3:6]), v[6], v[7], v[8], v[9])
    print(" ".join("%.9g" % x for x in list(view.flatten()) + list(projection.flatten())))
