#!/usr/bin/env python3
"""Pictures for the texture tests, and the check of what OpenGL showed,
both through independent decoders (Pillow, numpy, struct).

  texture_pixels.py make FOLDER     writes the source pictures under FOLDER/data/pic
  texture_pixels.py check FOLDER    checks every case listed in FOLDER/cases.txt
  texture_pixels.py cache FILE RAW  checks a DDS cache against its raw source

A case line: screenshot, colour source, alpha source, largest colour
difference, largest mean colour difference, alpha check ("none", "bit" or
the largest difference). Sources are files under the folder (".raw" read as
bytes, anything else through Pillow), "white", or "-" for none. A
screenshot shows the texture's colour in its left 64 x 64 pixels and its
alpha (as grey) in the 64 x 64 pixels right of those.
"""
import struct
import sys

import numpy as np
from PIL import Image

SIDE = 64


def gradient():
    y, x = np.mgrid[0:SIDE, 0:SIDE]
    return np.dstack([x * 4, y * 4, 255 - (x + y) * 2]).astype(np.uint8)


def dxt1_block(c0, c1, indices):
    """A DXT1 block of two 5:6:5 colours (c0 > c1: four-colour mode) and 16
    two-bit indices, row by row."""
    bits = 0
    for i, index in enumerate(indices):
        bits |= index << (2 * i)
    return struct.pack("<HHI", c0, c1, bits)


def make(folder):
    pic = folder + "/data/pic/"
    Image.fromarray(gradient(), "RGB").save(pic + "photo.jpg", quality=95)
    grey = (np.add.outer(np.arange(SIDE), np.arange(SIDE)) * 2).astype(np.uint8)
    Image.fromarray(grey, "L").save(pic + "grey.jpg", quality=95)
    # DXT1 written by hand: blocks of red to blue and green to white ramps.
    blocks = b""
    for by in range(SIDE // 4):
        for bx in range(SIDE // 4):
            if (bx + by) % 2:
                c0, c1 = 0xF800, 0x001F
            else:
                c0, c1 = 0xFFFF, 0x07E0
            blocks += dxt1_block(c0, c1, [(i + bx + by) % 4 for i in range(16)])
    header = struct.pack("<4s7I44x8I5I", b"DDS ", 124, 0x81007, SIDE, SIDE, len(blocks), 0, 1,
                         32, 0x4, 0x31545844, 0, 0, 0, 0, 0, 0x1000, 0, 0, 0, 0)
    open(pic + "dxt1.dds", "wb").write(header + blocks)
    rgba = np.dstack([gradient(), np.full((SIDE, SIDE), 255, np.uint8)])
    Image.fromarray(rgba, "RGBA").save(pic + "argb.dds")
    # Raw pictures: colour bytes and alpha companions.
    y, x = np.mgrid[0:SIDE, 0:SIDE]
    open(pic + "RAWPIC.raw", "wb").write(gradient().tobytes())
    alpha = ((x * 4 + y) % 256).astype(np.uint8).tobytes()
    for ending in ("ATEST", "ALP15", "ALP24", "DUZEZ"):
        open(pic + "RAWPIC" + ending + ".raw", "wb").write(alpha)
    open(pic + "GLOWAONLY.raw", "wb").write(alpha)


def source_rgb(folder, name):
    if name == "white":
        return np.full((SIDE, SIDE, 3), 255, np.int32)
    path = folder + "/" + name
    if name.endswith(".raw"):
        return np.frombuffer(open(path, "rb").read(), np.uint8).reshape(SIDE, SIDE, 3).astype(np.int32)
    return np.asarray(Image.open(path).convert("RGB")).astype(np.int32)


def source_alpha(folder, name):
    return np.frombuffer(open(folder + "/" + name, "rb").read(), np.uint8).reshape(SIDE, SIDE).astype(np.int32)


def check(folder):
    failures = []
    for line in open(folder + "/cases.txt"):
        shot, colour, alpha, worst, mean, alpha_check = line.split()
        shown = np.asarray(Image.open(folder + "/" + shot).convert("RGB")).astype(np.int32)
        got = shown[0:SIDE, 0:SIDE]
        want = source_rgb(folder, colour)
        difference = np.abs(got - want)
        if difference.max() > int(worst) or difference.mean() > float(mean):
            failures.append("%s: colour differs by up to %d, %.2f on average" %
                            (shot, difference.max(), difference.mean()))
        if alpha_check != "none":
            got_alpha = shown[0:SIDE, SIDE:2 * SIDE, 0]
            a = source_alpha(folder, alpha)
            want_alpha = np.where(a >= 128, 255, 0) if alpha_check == "bit" else a
            off = np.abs(got_alpha - want_alpha).max()
            if off > (1 if alpha_check == "bit" else int(alpha_check)):
                failures.append("%s: alpha differs by up to %d" % (shot, off))
    print("\n".join(failures) if failures else "all cases match")
    return 1 if failures else 0


def cache(path, raw):
    data = open(path, "rb").read()
    magic, size, flags, height, width = struct.unpack("<4s4I", data[:20])
    levels = struct.unpack("<I", data[28:32])[0]
    four_cc = data[84:88]
    if magic != b"DDS " or size != 124 or four_cc != b"DXT1":
        print("not a DXT1 DDS file: %r %d %r" % (magic, size, four_cc))
        return 1
    needed = 128
    w, h = width, height
    for _ in range(max(levels, 1)):
        needed += ((w + 3) // 4) * ((h + 3) // 4) * 8
        w, h = max(1, w // 2), max(1, h // 2)
    if len(data) != needed:
        print("size %d, levels need %d" % (len(data), needed))
        return 1
    decoded = np.asarray(Image.open(path).convert("RGB")).astype(np.int32)
    want = np.frombuffer(open(raw, "rb").read(), np.uint8).reshape(height, width, 3).astype(np.int32)
    difference = np.abs(decoded - want)
    print("%dx%d, %d levels, colour differs by up to %d, %.2f on average" %
          (width, height, levels, difference.max(), difference.mean()))
    return 0 if difference.max() <= 24 and difference.mean() <= 4 else 1


if __name__ == "__main__":
    if sys.argv[1] == "make":
        make(sys.argv[2])
    elif sys.argv[1] == "check":
        sys.exit(check(sys.argv[2]))
    else:
        sys.exit(cache(sys.argv[2], sys.argv[3]))
