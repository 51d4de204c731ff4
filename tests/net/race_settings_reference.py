#!/usr/bin/env python3
"""Recomputes the 20-byte race-settings block from the fields the test dumps,
with a CRC written here from its definition: a most-significant-bit-first
register over the polynomial 0x04C11DB7 into which each byte is shifted bit
by bit; a text's characters are signed bytes, so one of 0x80 or above also
sets the register's upper 24 bits.

  race_settings_reference.py FIELDS   prints the block as hex

FIELDS holds one "name value ..." line per field (numbers decimal, byte
strings hex)."""
import sys

POLY = 0x04C11DB7
MASK = 0xFFFFFFFF


def shift_bits(register, byte):
    for bit in range(7, -1, -1):
        top = register >> 31
        register = ((register << 1) | ((byte >> bit) & 1)) & MASK
        if top:
            register ^= POLY
    return register


def add_bytes(register, data):
    for byte in data:
        register = shift_bits(register, byte)
    return register


def add_int(register, value):
    return add_bytes(register, (value & MASK).to_bytes(4, "little"))


def reduce_top(top):
    register = top << 24
    for _ in range(8):
        register = ((register << 1) & MASK) ^ (POLY if register >> 31 else 0)
    return register


def add_string(register, text):
    for byte in text:
        char = byte if byte < 0x80 else byte | 0xFFFFFF00
        register = (((register << 8) & MASK) | char) ^ reduce_top(register >> 24)
    return register


def main():
    fields = {}
    connections = []
    for line in open(sys.argv[1]):
        words = line.split()
        if not words:
            continue
        if words[0] == "connection":
            ucid, admin, game_vote, entry_vote = (int(w) for w in words[1:5])
            name = bytes.fromhex(words[5]) if len(words) > 5 else b""
            connections.append((ucid, admin, game_vote, entry_vote, name))
        elif words[0] in ("system", "surfaces", "lateral", "longitudinal"):
            fields[words[0]] = bytes.fromhex(words[1])
        else:
            fields[words[0]] = int(words[1])

    values = [0] * 16
    values[1] = add_int(fields["processedFrame"], fields["replayBaseFrame"])
    system = add_int(add_int(fields["decidedVote"], fields["raceStartDelay"]), fields["voteCountdown"])
    values[2] = add_bytes(system, fields["system"])
    ready = 0
    for ucid, admin, game_vote, entry_vote, name in connections:
        values[3] = add_string(add_bytes(values[3], bytes([ucid, admin])), name)
        values[4] = add_bytes(values[4], bytes([game_vote]))
        ready += entry_vote
    values[5] = ready & 0xFF
    race = add_int(add_int(fields["playerCount"], fields["gravity"]), fields["timeScale"])
    race = add_bytes(race, fields["surfaces"] + fields["lateral"] + fields["longitudinal"])
    if fields["racing"]:
        race = add_int(add_int(race, fields["windStrength"]), fields["windDirection"])
        values[10] = add_int(add_int(0, fields["windStrength"]), fields["windDirection"])
        values[12:16] = [fields["cars"], fields["wheels"], fields["engines"], fields["raceState"]]
    values[6] = race
    values[7:10] = [fields["players"], fields["colours"], fields["setups"]]
    values[11] = fields["layoutObjects"]

    main_register = fields["seed"]
    block = bytearray([47])
    for value in values[1:]:
        block.append(value & 0xFF)
        main_register = add_int(main_register, value)
    block += main_register.to_bytes(4, "little")
    print(block.hex())


if __name__ == "__main__":
    main()
