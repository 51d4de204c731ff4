#!/usr/bin/env python3
"""An independent reader and writer of colour files: an 8-byte header
(six characters "QVNCFG", the version high byte first), a 16-byte name,
then eight colours of four bytes (r, g, b, fourth byte).

  colour_file_reference.py decode PATH        prints the name and colours
  colour_file_reference.py write PATH NAME    writes a file of that name
"""
import struct
import sys

MAGIC = b"QVNCFG"
VERSION = 251


def decode(path):
    data = open(path, "rb").read()
    if len(data) != 8 + 48:
        sys.exit("size %d is not 56" % len(data))
    magic, version = struct.unpack(">6sH", data[:8])
    if magic != MAGIC or version != VERSION:
        sys.exit("header %r %d" % (magic, version))
    name = data[8:24].rstrip(b"\0").decode("latin-1")
    colours = [struct.unpack("4B", data[24 + 4 * i:28 + 4 * i]) for i in range(8)]
    print(name + "|" + ";".join(",".join(str(c) for c in colour) for colour in colours))


def write(path, name):
    body = name.encode("latin-1")[:16].ljust(16, b"\0")
    body += b"".join(struct.pack("4B", 10 * i, 20 + i, 250 - i, i & 1) for i in range(8))
    open(path, "wb").write(struct.pack(">6sH", MAGIC, VERSION) + body)


if __name__ == "__main__":
    if sys.argv[1] == "decode":
        decode(sys.argv[2])
    else:
        write(sys.argv[2], sys.argv[3])
