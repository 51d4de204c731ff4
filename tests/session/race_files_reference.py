#!/usr/bin/env python3
"""Independent checks of the race's files and checksum, written from their
layouts with struct:

  race_files_reference.py grid FILE    the grid file race_files_test.cpp saves
  race_files_reference.py names FILE   the AI names file it saves
  race_files_reference.py keys FILE    the message-key file it saves
  race_files_reference.py checksum STEP X Y Z [X Y Z ...]
      prints the race checksum: the step counter as the register, then each
      car's position (three little-endian 32-bit values) shifted through a
      most-significant-bit-first CRC register over 0x04C11DB7, bit by bit.

The decoders exit 0 when the file holds what the test saved."""
import struct
import sys

POLY = 0x04C11DB7


def crc_add(register, data):
    for byte in data:
        for bit in range(7, -1, -1):
            top = register >> 31
            register = ((register << 1) | ((byte >> bit) & 1)) & 0xFFFFFFFF
            if top:
                register ^= POLY
    return register


def race_checksum(step, positions):
    register = step & 0xFFFFFFFF
    for x, y, z in positions:
        register = crc_add(register, struct.pack("<3i", x, y, z))
    return register


def text(raw):
    return raw.split(b"\0", 1)[0].decode("latin-1")


def header(data, magic, version):
    got_magic, got_version = struct.unpack_from(">6sH", data, 0)
    if got_magic != magic or got_version != version:
        raise ValueError("header %r %d" % (got_magic, got_version))


def decode_colours(data, offset):
    name = text(data[offset:offset + 16])
    colours = [tuple(data[offset + 16 + 4 * i:offset + 20 + 4 * i]) for i in range(8)]
    return {"name": name, "colours": colours}


def decode_setup(data, offset):
    flags, = struct.unpack_from("<B", data, offset)
    brake, = struct.unpack_from("<f", data, offset + 4)
    rear_wing, front_wing = struct.unpack_from("<2B", data, offset + 8)
    gears = list(struct.unpack_from("<7H", data, offset + 20))
    final_drive, = struct.unpack_from("<H", data, offset + 34)
    pressures = [struct.unpack_from("<2H", data, offset + 40 + 40 * axle + 36) for axle in range(2)]
    return {"flags": flags, "brake": brake, "wings": (rear_wing, front_wing), "gears": gears,
            "final_drive": final_drive, "pressures": pressures}


def decode_grid(data):
    header(data, b"QVNGSC", 251)
    q, countdown, z1, z2, length, skill, wind, hot_lap = struct.unpack_from("<8B", data, 8)
    if z1 or z2:
        raise ValueError("bytes 10 and 11 not zero")
    track = text(data[16:48])
    config, reversed_, lighting, count = struct.unpack_from("<4B", data, 48)
    if data[52:55] != b"\0\0\0":
        raise ValueError("bytes 52 to 54 not zero")
    layout = data[55]
    if len(data) != 56 + 260 * count:
        raise ValueError("%d bytes for %d entries" % (len(data), count))
    players = []
    for i in range(count):
        o = 56 + 260 * i
        p = {"name": text(data[o:o + 24]), "plate": data[o + 24:o + 32].rstrip(b"\0").decode("latin-1")}
        (p["connection"], p["type"], p["flags"], p["figure"], p["id"], p["start"],
         p["pit_start"]) = struct.unpack_from("<BBHBBBB", data, o + 32)
        p["helmet"] = text(data[o + 40:o + 56])
        p["strategy"] = list(data[o + 56:o + 60])
        p["car"] = text(data[o + 60:o + 92])
        p["setup"] = decode_setup(data, o + 92)
        p["colours"] = decode_colours(data, o + 212)
        players.append(p)
    return {"options": (q, countdown, length, skill, wind, hot_lap), "track": track,
            "config": (config, reversed_, lighting), "layout": layout, "players": players}


def decode_names(data):
    header(data, b"ZKAINM", 247)
    count = data[8]
    if data[9:12] != b"\0\0\0" or len(data) != 12 + 36 * count:
        raise ValueError("names body")
    names = []
    for i in range(count):
        o = 12 + 36 * i
        names.append((text(data[o:o + 24]), data[o + 24:o + 32].rstrip(b"\0").decode("latin-1"),
                      data[o + 32], tuple(data[o + 33:o + 36])))
    return names


def decode_keys(data):
    header(data, b"ZKAINM", 250)
    if len(data) != 8 + 32 * 64:
        raise ValueError("keys body is %d bytes" % (len(data) - 8))
    texts = []
    for i in range(32):
        field = data[8 + 64 * i:72 + 64 * i]
        if b"\0" not in field:
            raise ValueError("text %d has no terminator" % i)
        texts.append(text(field))
    return texts


BASE_SETUP = {"flags": 0x80, "brake": 1500.5, "wings": (12, 4), "gears": [40000, 30000, 22000, 17000, 14000, 12000, 0],
              "final_drive": 30000, "pressures": [(200, 201), (0, 0)]}
ZERO_SETUP = {"flags": 0, "brake": 0.0, "wings": (0, 0), "gears": [0] * 7, "final_drive": 0,
              "pressures": [(0, 0), (0, 0)]}
NO_COLOURS = {"name": "DEFAULT", "colours": [(0, 0, 0, 0)] * 8}

EXPECTED_GRID = {
    "options": (10, 6, 150, 3, 2, 1), "track": "Hollowmere", "config": (2, 1, 3), "layout": 13,
    "players": [
        {"name": "^1Ann", "plate": "ANN1", "connection": 0, "type": 0, "flags": 0x208, "figure": 5, "id": 7,
         "start": 0, "pit_start": 0, "helmet": "HelmA", "strategy": [50, 30, 30, 1], "car": "VO GT TURBO",
         "setup": BASE_SETUP,
         "colours": {"name": "Blue", "colours": [(10, 20, 30, 0)] + [(0, 0, 0, 0)] * 6 + [(200, 100, 50, 1)]}},
        {"name": "Robot", "plate": "AI 2", "connection": 0, "type": 2, "flags": 0x200, "figure": 0, "id": 8,
         "start": 1, "pit_start": 1, "helmet": "", "strategy": [0, 0, 0, 0], "car": "SN4",
         "setup": ZERO_SETUP, "colours": NO_COLOURS},
        {"name": "Guest", "plate": "", "connection": 3, "type": 1, "flags": 0, "figure": 0, "id": 9,
         "start": 2, "pit_start": 0, "helmet": "FIFTEEN_LETTERS", "strategy": [0, 0, 0, 0],
         "car": "FORMULA KT02", "setup": ZERO_SETUP, "colours": NO_COLOURS},
    ],
}

EXPECTED_NAMES = [("AI %d" % (i + 1), "AI %d" % (i + 1), 0, (0, 0, 0)) for i in range(20)]
EXPECTED_NAMES[2] = ("Zed", "ZED0", 1, (1, 2, 3))
EXPECTED_NAMES[19] = ("Twenty three letters!!!", "PLATE_8C", 0, (0, 0, 0))

EXPECTED_KEYS = [":)", ":-)", "good pass", "good race", "", "", "", "",
                 ":)", "", "hi", "bye", "", "", "/w pb", "/w wr",
                 "/press up", "/press down", "/press left", "/press right", "", "", "", "/exit",
                 "", "", "", "", "", "", "", "/say bye"]
EXPECTED_KEYS[5] = "x" * 63


def main():
    kind = sys.argv[1]
    if kind == "checksum":
        values = [int(v) for v in sys.argv[3:]]
        positions = [tuple(values[i:i + 3]) for i in range(0, len(values), 3)]
        print(race_checksum(int(sys.argv[2]), positions))
        return 0
    with open(sys.argv[2], "rb") as f:
        data = f.read()
    decoded, expected = {"grid": (decode_grid, EXPECTED_GRID), "names": (decode_names, EXPECTED_NAMES),
                         "keys": (decode_keys, EXPECTED_KEYS)}[kind]
    got = decoded(data)
    if got != expected:
        print("decoded %r\nexpected %r" % (got, expected))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
