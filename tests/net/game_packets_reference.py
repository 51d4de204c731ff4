#!/usr/bin/env python3
"""Writes game packets of players, cars, race control and pits from their
field layouts with struct, one per line: a name, then the bytes in hex.
The tests feed them through the dispatch and check what they change."""
import struct

PACKETS = [
    # leave race or go to pits: type, three zero bytes
    ("leave", struct.pack("<BBBB", 18, 0, 0, 0)),
    # penalty: type, player id, penalty kind, reason
    ("penalty_drive_through", struct.pack("<BBBB", 66, 2, 1, 2)),
    ("penalty_unknown_kind", struct.pack("<BBBB", 66, 2, 9, 2)),
    # time penalty: type, player id, seconds, reason
    ("time_penalty_30", struct.pack("<BBBB", 50, 2, 30, 3)),
    # pit stop made: type, player id, service flag, 0
    ("pit_stop", struct.pack("<BBBB", 60, 2, 0, 0)),
    # pit plan: type, player id, 0, 0, four strategy bytes
    ("pit_plan", struct.pack("<BBxx4B", 56, 2, 250, 40, 100, 1)),
    # horn: type, state, 0, 0
    ("horn_9", struct.pack("<BBBB", 30, 9, 0, 0)),
    # player order: type, count, 0, 0, 32 player ids
    ("order_count_255", struct.pack("<BBxx32B", 15, 255, 3, 9, 2, *([0] * 29))),
    # car reset: type, player id, wheel state, mode, node, offset, x, y, z
    ("reset_far", struct.pack("<BBBBifiii", 80, 2, 0, 0, 0, 0.0, 2**30, 0, 0)),
    # lap time: type, player id, laps done, lap time, total time
    ("lap_2_of_2", struct.pack("<BBHii", 39, 2, 2, 6000, 12000)),
    # helmet skin: type, player id, 0, 0, exists word, 16-byte name
    ("helmet_path", struct.pack("<BBxxi16s", 55, 2, 1, b"../../cfg.txt\xff\xff\xff")),
    # track: type, configuration, reversed, light scheme, 32-byte name
    ("track_unknown", struct.pack("<BBBB32s", 10, 1, 0, 0, b"../world")),
    ("track_config_99", struct.pack("<BBBB32s", 10, 99, 0, 0, b"Hollowmere")),
    # car message: type, player id (0 all), 0, 0, 64 bytes of text
    ("message_all", struct.pack("<BBxx64s", 73, 0, b"M" * 64)),
    # brake balance: type, player id, 0, 0, balance, 3 zero, front, rear
    ("balance_nan", struct.pack("<BBxxBxxxff", 69, 2, 60, float("nan"), 1000.0)),
]

for name, data in PACKETS:
    print(name, data.hex())
