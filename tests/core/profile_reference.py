#!/usr/bin/env python3
"""Independent reference for driver profile files ("QVNPLY"), written from
the file layout alone with the struct module.

  profile_reference.py write <version> <path> [car record count]
      writes the reference profile in that version (5, 6 or 7)
  profile_reference.py check <path>
      decodes a version-7 profile and exits 0 when it holds exactly the
      reference values, else prints what differs and exits 1

Layout (version 7, 1360 bytes): header "QVNPLY" and the version high byte
first; then little-endian: reserved int, figure int, horn, driver position,
gear shift mode, auto gear shift, three auto-clutch bytes, 5 zero bytes,
two brake-help bytes, speed and pressure display bytes, 256 bytes of lesson
progress, validity flags int, helmet skin (16), number plate (8 raw), car
record count byte, 3 zero bytes, then per car: colour choice int, skin name
(16) and, from version 6, engine name (32).
"""
import struct
import sys

CARS = 20
REFERENCE = {
    "reserved": 0x12345678,
    "figure": 7,
    "horn": 3,
    "position": 1,
    "gear_shift_mode": 2,
    "auto_gear_shift": 0,
    "clutch": (0, 0, 1),
    "brake_keyboard": 0,
    "brake_controller": 1,
    "speed": 1,
    "pressure": 0,
    "lessons": bytes((i * 7 + 1) % 256 for i in range(256)),
    "helmet": b"HelmetSkin_1",
    "plate": b"AB-12CDE",
}


def car_record(i):
    """Colour choice, skin name and engine name of reference car i."""
    return (i - 5, b"Skin%d" % i, b"Engine_%02d" % i)


def fixed(text, n):
    return text[: n - 1].ljust(n, b"\0")


def write(version, path, count=CARS):
    r = REFERENCE
    out = b"QVNPLY" + struct.pack(">H", version)
    out += struct.pack("<ii", r["reserved"], r["figure"])
    out += struct.pack("<7B", r["horn"], r["position"], r["gear_shift_mode"], r["auto_gear_shift"], *r["clutch"])
    out += bytes(5)
    out += struct.pack("<4B", r["brake_keyboard"], r["brake_controller"], r["speed"], r["pressure"])
    out += r["lessons"]
    out += struct.pack("<i", 3)
    out += fixed(r["helmet"], 16) + r["plate"]
    out += struct.pack("<B3x", count)
    for i in range(count):
        colour, skin, engine = car_record(i)
        out += struct.pack("<i", colour) + fixed(skin, 16)
        if version >= 6:
            out += fixed(engine, 32)
    with open(path, "wb") as f:
        f.write(out)


def check(path):
    data = open(path, "rb").read()
    faults = []

    def expect(name, got, want):
        if got != want:
            faults.append(f"{name}: {got!r} != {want!r}")

    r = REFERENCE
    expect("length", len(data), 1360)
    if len(data) != 1360:
        return faults
    magic, version = struct.unpack_from(">6sH", data, 0)
    expect("magic", magic, b"QVNPLY")
    expect("version", version, 7)
    reserved, figure = struct.unpack_from("<ii", data, 8)
    expect("reserved", reserved, r["reserved"])
    expect("figure", figure, r["figure"])
    b = struct.unpack_from("<7B5s4B", data, 16)
    expect("horn", b[0], r["horn"])
    expect("position", b[1], r["position"])
    expect("gear shift mode", b[2], r["gear_shift_mode"])
    expect("auto gear shift", b[3], r["auto_gear_shift"])
    expect("clutch", tuple(b[4:7]), r["clutch"])
    expect("zeros at 23", b[7], bytes(5))
    expect("brake keyboard", b[8], r["brake_keyboard"])
    expect("brake controller", b[9], r["brake_controller"])
    expect("speed", b[10], r["speed"])
    expect("pressure", b[11], r["pressure"])
    expect("lessons", data[32:288], r["lessons"])
    expect("flags", struct.unpack_from("<i", data, 288)[0], 3)
    expect("helmet", data[292:308], fixed(r["helmet"], 16))
    expect("plate", data[308:316], r["plate"])
    expect("count", struct.unpack_from("<B3s", data, 316), (CARS, bytes(3)))
    for i in range(CARS):
        colour, skin, engine = struct.unpack_from("<i16s32s", data, 320 + 52 * i)
        want = car_record(i)
        expect(f"car {i}", (colour, skin, engine), (want[0], fixed(want[1], 16), fixed(want[2], 32)))
    return faults


def main():
    if len(sys.argv) >= 4 and sys.argv[1] == "write":
        count = int(sys.argv[4]) if len(sys.argv) > 4 else CARS
        write(int(sys.argv[2]), sys.argv[3], count)
        return 0
    if len(sys.argv) == 3 and sys.argv[1] == "check":
        faults = check(sys.argv[2])
        for fault in faults:
            print(fault)
        return 1 if faults else 0
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main())
