#!/usr/bin/env python3
"""Checks the packets of a car's race logic and its 68-byte state record
against layouts written here with struct, apart from the code that makes
them. Reads the file car_packets_test writes: one line per packet (name,
field values in layout order, bytes in hex) and one state line (the car's
values, then the record in hex). Exit 0 when every packet matches."""
import math
import struct
import sys

# Little-endian layouts of the game packets, by name.
LAYOUTS = {
    "penalty": "<4B",            # [66][player id][code][reason]
    "pit_stop_start": "<4B",     # [60][player id][set-up unchanged][0]
    "pit_work": "<4Bi4B",        # [75][player id][0][0][work mask][four compounds]
    "pit_setup": "<4B120B",      # [67][player id][0][0][120-byte set-up]
    "pit_stop_done": "<4Bi",     # [76][player id][0][0][stop time in steps]
    "pit_report": "<4B",         # [77][player id][purpose][0]
    "live_setup": "<4BB3xII",    # [69][player id][0][0][brake balance][pad][rear, front anti-roll float bits]
    "start_fuel": "<4Bi",        # [56][player id][0][0][fuel start]
    "option": "<4B",             # [81][player id][option][0]
    "race_state": "<4B",         # [71][0][0][0]
    "auto_kick": "<4B",          # [68][player id][action][2]
    "distance": "<BBh",          # [48][fuel units][metres]
    "car_value": "<4B",          # [17][9][player id][value]
}

# The state record: steering, throttle, brake, three flag bytes, a spare,
# position, right and forward axes, speed and its direction, angular speed
# and its direction, engine and turbo speed, four wheel spins, four travels.
STATE = struct.Struct("<HBBBBBB3i3h3hfIfIHH4h4B")
SPIN_SCALE = 1000 * math.pi
TURBO_SCALE = 150000 * 2 * math.pi / 60


def unpack_direction(packed):
    """Three signed 10-bit fields at bits 22, 12 and 2, each / 1023 x 2."""
    out = []
    for shift in (22, 12, 2):
        field = (packed >> shift) & 0x3FF
        if field & 0x200:
            field -= 0x400
        out.append(field / 1023 * 2)
    return out


def check_motion(name, length, packed, vector, errors):
    expected = math.sqrt(sum(v * v for v in vector))
    if abs(length - max(expected, 0.01)) > 1e-4 * max(1, expected):
        errors.append(f"{name}: length {length} against {expected}")
    for got, want in zip(unpack_direction(packed), vector):
        if abs(got - want / expected) > 1 / 1023 + 1e-6:
            errors.append(f"{name}: direction {got} against {want / expected}")


def check_state(values, record, errors):
    fields = STATE.unpack(record[4:])
    (steer, throttle, brake, gear_flags, look_flags, drive_flags, spare,
     px, py, pz, rx, ry, rz, fx, fy, fz, speed, vdir, aspeed, adir,
     engine, turbo) = fields[:22]
    spins, travels = fields[22:26], fields[26:30]
    pos = [int(v) for v in values[0:3]]
    right, forward = values[3:6], values[6:9]
    velocity, angular = values[9:12], values[12:15]
    engine_speed, turbo_speed = values[15], values[16]
    wheels = values[17:25]
    expect = {
        "steering": (steer, 40000), "throttle": (throttle, 0xC3), "brake": (brake, 0x12),
        "gear byte": (gear_flags, 4 | 2 << 4), "look code": (look_flags & 7, 5),
        # headlights, engine running, pit limiter; clutch 2, handbrake 3
        "drive byte": (drive_flags, 0x02 | 0x04 | 0x08 | 2 << 4 | 3 << 6), "spare": (spare, 0),
        "position": ((px, py, pz), tuple(pos)),
        "right axis": ((rx, ry, rz), tuple(round(v * 32767) for v in right)),
        "forward axis": ((fx, fy, fz), tuple(round(v * 32767) for v in forward)),
        "engine": (engine, round(engine_speed / SPIN_SCALE * 65535)),
        "turbo": (turbo, round(turbo_speed / TURBO_SCALE * 65535)),
        "wheel spins": (spins, tuple(round(wheels[2 * i] / SPIN_SCALE * 32767) for i in range(4))),
        "travels": (travels, tuple(round(wheels[2 * i + 1] * 255) for i in range(4))),
    }
    for name, (got, want) in expect.items():
        if got != want:
            errors.append(f"state {name}: {got} against {want}")
    check_motion("velocity", speed, vdir, velocity, errors)
    check_motion("angular velocity", aspeed, adir, angular, errors)


def main(path):
    errors = []
    seen = set()
    with open(path) as lines:
        for line in lines:
            parts = line.split()
            if not parts:
                continue
            if parts[0] == "state":
                check_state([float(v) for v in parts[1:-1]], bytes.fromhex(parts[-1]), errors)
                seen.add("state")
                continue
            name, fields, data = parts[0], [int(v) for v in parts[1].split(",")], bytes.fromhex(parts[2])
            expected = struct.pack(LAYOUTS[name], *fields)
            if expected != data:
                errors.append(f"{name}: {data.hex()} against {expected.hex()}")
            seen.add(name)
    missing = (set(LAYOUTS) | {"state"}) - seen
    if missing:
        errors.append(f"packets missing: {sorted(missing)}")
    for error in errors:
        print(error)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
