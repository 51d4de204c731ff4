#!/usr/bin/env python3
"""Checks the race packets a car queues against their layouts, written here
with struct from the packet tables: each line of the file gives the values
a packet should carry, a colon, then its bytes. Exit 0 when all match."""
import struct
import sys

# type: (struct layout, little-endian, no padding)
LAYOUTS = {
    17: "<BBBB",    # car value: type, sub-type 9, player id, value
    38: "<BBBBi",   # split: type, player id, timing point, 0, split time
    39: "<BBHii",   # lap: type, player id, laps done, lap time, total time
    50: "<BBBB",    # time penalty: type, player id, seconds, reason
    66: "<BBBB",    # penalty given: type, player id, penalty code, reason
    68: "<BBBB",    # wrong-way action: type, player id, action, 2
    70: "<BBBB",    # flag: type, player id, flag (0x80 raised), other player id
}


def main(path):
    bad = 0
    with open(path) as f:
        for number, line in enumerate(f, 1):
            values, data = line.split(":")
            values = [int(v) for v in values.split()]
            data = bytes(int(b) for b in data.split())
            layout = LAYOUTS.get(values[0])
            if layout is None:
                print(f"line {number}: unknown packet type {values[0]}")
                bad += 1
                continue
            expected = struct.pack(layout, *values)
            if data != expected:
                print(f"line {number}: {data.hex()} is not {expected.hex()}")
                bad += 1
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
