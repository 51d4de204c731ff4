#!/usr/bin/env python3
"""An independent reader of BMP files, written from the file's layout.

Usage: bmp_reference.py BMP X,Y...
Prints the size ("WIDTH HEIGHT") and then the colour of each pixel asked
for, one line each as RRGGBB in hexadecimal; exit code 1 when the file
cannot be read.
"""
import struct
import sys

import numpy


def decode_bmp(path):
    """The picture of a BMP file as rows of RGB bytes (height x width x 3)."""
    data = open(path, "rb").read()
    if len(data) < 54 or data[:2] != b"BM":
        raise ValueError("not a BMP file")
    file_size, _, offset = struct.unpack("<IIi", data[2:14])
    if file_size != len(data):
        raise ValueError("file size field %d but %d bytes" % (file_size, len(data)))
    header_size, width, height, planes, bits, compression = struct.unpack("<IiiHHI", data[14:34])
    if header_size < 40 or planes != 1 or width <= 0 or height == 0:
        raise ValueError("unusable information header")
    if bits not in (24, 32) or compression not in (0, 3) or (compression == 3 and bits != 32):
        raise ValueError("%d bits with compression %d not read here" % (bits, compression))
    masks = (0xFF0000, 0xFF00, 0xFF)
    if compression == 3:
        # After a 40-byte header, or inside a longer one: at the same place.
        masks = struct.unpack("<III", data[54:66])
    row_bytes = (width * bits // 8 + 3) & ~3
    rows = abs(height)
    if offset + row_bytes * rows > len(data):
        raise ValueError("pixels beyond the end of the file")
    picture = numpy.zeros((rows, width, 3), numpy.uint8)
    step = bits // 8
    for r in range(rows):
        y = rows - 1 - r if height > 0 else r
        row = numpy.frombuffer(data, numpy.uint8, width * step, offset + r * row_bytes).reshape(width, step)
        if bits == 24:
            picture[y] = row[:, 2::-1]
        else:
            value = row.astype(numpy.uint32) @ numpy.array([1, 1 << 8, 1 << 16, 1 << 24], numpy.uint32)
            for channel, mask in enumerate(masks):
                shift = (mask & -mask).bit_length() - 1
                picture[y, :, channel] = ((value & mask) >> shift).astype(numpy.uint8)
    return picture


def main():
    try:
        picture = decode_bmp(sys.argv[1])
    except (OSError, ValueError) as error:
        print("FAIL: %s" % error)
        return 1
    print("%d %d" % (picture.shape[1], picture.shape[0]))
    for place in sys.argv[2:]:
        x, y = (int(v) for v in place.split(","))
        print("%02X%02X%02X" % tuple(int(c) for c in picture[y, x]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
