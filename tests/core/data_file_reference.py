#!/usr/bin/env python3
"""Independent reference for the binary data-file format, built on struct.

  data_file_reference.py write PATH   writes the reference file
  data_file_reference.py check PATH   exits 0 when PATH holds exactly the
                                      reference bytes, else prints the first
                                      difference and exits 1

The values must match the table in data_file_test.cpp.
"""
import struct
import sys

MAGIC = b"QVNTST"
VERSION = 251

# (struct format, value) after the header, in file order.
VALUES = [
    ("<B", 0), ("<B", 255), ("<B", 0x7F),
    ("<h", -2), ("<h", 32767), ("<h", -32768), ("<h", 1),
    ("<i", -1), ("<i", 0x7FFFFFFF), ("<i", -0x80000000), ("<i", 123456789),
    ("<f", 1.5), ("<f", -0.0), ("<f", 3.4028234663852886e38), ("<f", 5.0),
    ("<f", 1e-45), ("<f", -273.15),
    ("8s", b"abc"),          # a fixed string: zero filled
    ("6s", b"abcde"),        # cut to n - 1 characters, last byte zero
]


def reference_bytes():
    out = bytearray(MAGIC + struct.pack(">H", VERSION))
    for fmt, value in VALUES:
        out += struct.pack(fmt, value)
    return bytes(out)


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("write", "check"):
        print(__doc__)
        return 2
    expected = reference_bytes()
    if sys.argv[1] == "write":
        with open(sys.argv[2], "wb") as f:
            f.write(expected)
        return 0
    with open(sys.argv[2], "rb") as f:
        actual = f.read()
    if actual == expected:
        return 0
    for i in range(min(len(actual), len(expected))):
        if actual[i] != expected[i]:
            print(f"byte {i}: got {actual[i]:#04x}, expected {expected[i]:#04x}")
            return 1
    print(f"length {len(actual)}, expected {len(expected)}")
    return 1


if __name__ == "__main__":
    sys.exit(main())
