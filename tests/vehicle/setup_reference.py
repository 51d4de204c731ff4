#!/usr/bin/env python3
"""Decodes a setup file with struct, straight from the file layout, and
checks it holds the values setup_test.cpp saves. Exit 0 when it does."""
import math
import struct
import sys

EXPECTED = {
    "sub_version": 2, "flags": 0x80, "carried1": 7, "added_mass_position": 60, "carried3": 2,
    "max_brake_torque": 1234.5,
    "rear_wing": 12, "front_wing": 7, "added_mass": 30, "intake_restriction": 10,
    "max_lock": 31, "parallel_steer": 40, "brake_balance": 66, "engine_brake_reduction": 20,
    "centre_diff": 1, "centre_viscous": 8, "byte18": 0, "front_torque_split": 35,
    "gears": [40000, 30000, 22000, 17000, 14000, 12000, 10000], "final_drive": 25000,
    "passengers": 0x41, "body_option": 1, "tc_slip": 60, "tc_min_speed": 10,
    "axles": [
        # rear, then front
        {"ride_height": 0.01, "spring": 45000, "bump": 3000, "rebound": 4500, "anti_roll": 20000,
         "zero_float": 0.0, "toe": 10, "caster": 0, "tyre": 5, "byte27": 0, "camber": (42, 43),
         "byte30": 0, "preload": 6, "diff": 2, "viscous": 10, "locking": (30, 20),
         "pressure": (200, 205)},
        {"ride_height": 0.02, "spring": 50000, "bump": 3200, "rebound": 4800, "anti_roll": 25000,
         "zero_float": 0.0, "toe": 8, "caster": 60, "tyre": 4, "byte27": 0, "camber": (38, 37),
         "byte30": 0, "preload": 0, "diff": 0, "viscous": 1, "locking": (10, 10),
         "pressure": (210, 215)},
    ],
}


def decode(data):
    if len(data) != 132:
        raise ValueError("file is %d bytes, not 132" % len(data))
    magic, version = struct.unpack_from(">6sH", data, 0)
    if magic != b"ZKSETT" or version != 251:
        raise ValueError("header %r %d" % (magic, version))
    s = {}
    (s["sub_version"],) = struct.unpack_from("<B", data, 8)
    if data[9:12] != b"\0\0\0":
        raise ValueError("bytes 9 to 11 not zero")
    (s["flags"], s["carried1"], s["added_mass_position"], s["carried3"]) = struct.unpack_from("<4B", data, 12)
    (s["max_brake_torque"],) = struct.unpack_from("<f", data, 16)
    (s["rear_wing"], s["front_wing"], s["added_mass"], s["intake_restriction"], s["max_lock"],
     s["parallel_steer"], s["brake_balance"], s["engine_brake_reduction"], s["centre_diff"],
     s["centre_viscous"], s["byte18"], s["front_torque_split"]) = struct.unpack_from("<12B", data, 20)
    (seventh, s["final_drive"]) = struct.unpack_from("<HH", data, 32)
    s["gears"] = list(struct.unpack_from("<6H", data, 36)) + [seventh]
    (s["passengers"], s["body_option"], s["tc_slip"], s["tc_min_speed"]) = struct.unpack_from("<4B", data, 48)
    s["axles"] = []
    for offset in (52, 92):
        a = {}
        (a["ride_height"], a["spring"], a["bump"], a["rebound"], a["anti_roll"],
         a["zero_float"]) = struct.unpack_from("<6f", data, offset)
        b = struct.unpack_from("<12B", data, offset + 24)
        (a["toe"], a["caster"], a["tyre"], a["byte27"]) = b[0:4]
        a["camber"] = (b[4], b[5])
        a["byte30"], a["preload"], a["diff"], a["viscous"] = b[6], b[7], b[8], b[9]
        a["locking"] = (b[10], b[11])
        a["pressure"] = struct.unpack_from("<HH", data, offset + 36)
        s["axles"].append(a)
    return s


def same(a, b):
    if isinstance(a, float) or isinstance(b, float):
        return math.isclose(a, b, rel_tol=1e-6, abs_tol=1e-9)
    if isinstance(a, (list, tuple)):
        return len(a) == len(b) and all(same(x, y) for x, y in zip(a, b))
    if isinstance(a, dict):
        return a.keys() == b.keys() and all(same(a[k], b[k]) for k in a)
    return a == b


def main():
    with open(sys.argv[1], "rb") as f:
        decoded = decode(f.read())
    if not same(decoded, EXPECTED):
        for key in EXPECTED:
            if not same(decoded[key], EXPECTED[key]):
                print("%s: file %r, expected %r" % (key, decoded[key], EXPECTED[key]))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
