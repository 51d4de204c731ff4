#!/usr/bin/env python3
"""Decodes a world file (magic ZKWORL, version 251, paths and lighting in
the file itself) with Python's struct module alone, written from the file's
record layout, and prints a summary the world tests compare with the world
they wrote: configurations and their paths, textures, shared models, light
schemes, objects by type, timing surfaces, camera zones, crowd density, the
lighting records and the bytes left over."""
import struct
import sys


class Reader:
    def __init__(self, data):
        self.data = data
        self.at = 0

    def take(self, fmt):
        values = struct.unpack_from('<' + fmt, self.data, self.at)
        self.at += struct.calcsize('<' + fmt)
        return values if len(values) > 1 else values[0]

    def skip(self, n):
        self.at += n

    def name(self, n):
        raw = self.data[self.at:self.at + n]
        self.at += n
        return raw.split(b'\0', 1)[0].decode('latin-1')


def keyed_list(r):
    count = r.take('i')
    r.skip(4 * count)


def path_node(r, samples):
    r.skip(1 + 3 + 12 + 28)
    if samples:
        r.skip(128)
    r.take('i')  # camera object
    for _ in range(3):
        keyed_list(r)


def path(r):
    flags, _, n, m = r.take('iihh')
    for _ in range(n):
        path_node(r, flags & 0x10)
    for _ in range(m):
        path_node(r, False)
    for _ in range(3):
        keyed_list(r)
    blocks = r.take('i')
    for _ in range(blocks):
        a, b = r.take('ii')
        r.skip(a * b * 12)
    return flags, n, m, blocks


def texture(r):
    name = r.name(16)
    r.name(16)
    r.skip(4)
    rows, _ = r.take('ii')
    r.skip(4)
    palette = r.take('i')
    r.skip(4 * palette)
    columns = r.take('i')
    r.skip(4 * columns)
    r.skip(4 * rows * columns)
    kind, _, _ = r.take('iii')
    r.skip(4)
    return name, kind


def object_model(r, part_names):
    name = r.name(16)
    flags, _, _, levels, groups = r.take('HBBHH')
    r.skip(4 * levels)
    points, triangles, subs, _ = r.take('HHHH')
    r.skip(8 + 12)
    rows, columns = r.take('HH')
    r.skip(16 * rows * columns + 16 * points + 12 * triangles)
    if not flags & 0x40:
        r.skip(4 * groups)
    for size in (20, 24, 44):
        count = r.take('i')
        r.skip(size * count)
    if part_names:
        r.skip(256)
    for _ in range(subs):
        object_model(r, False)
    return name


def band(r):
    first, second = r.take('6xBB')
    if first == second:
        r.skip(8)


def shared_model(r):
    kind = r.take('B')
    r.skip(3 + 20 + 4)
    if kind == 0:
        return kind, object_model(r, True)
    if kind == 1:
        name = r.name(16)
        r.skip(8)
        points = r.take('i')
        r.skip(8 * points)
        for _ in range(r.take('i')):
            band(r)
        return kind, name
    return kind, ''


def scheme(r):
    stored, time, weather, _ = r.take('BBBB')
    if stored:
        r.skip(12)
    sky = r.name(16)
    if stored:
        r.skip(16)
    r.skip(48)
    return time, weather, sky


def world_object(r, surfaces):
    kind, flags, _, _ = r.take('BBBB')
    if flags & 0x80:
        r.take('I')
    if kind != 9:
        r.skip(8)
    if kind == 4:
        r.skip(24)
    elif kind in (5, 6):
        r.skip(12)
    elif kind == 7:
        zone_flags = r.take('i')
        r.skip(20)
        if zone_flags & 1:
            r.skip(16)
    elif kind == 8:
        strip_flags = r.take('B')
        r.skip(3)
        if strip_flags & 2:
            r.skip(4)
        r.skip(4)
        n, m = r.take('BBxx')
        if strip_flags & 1:
            r.skip(4)
        r.skip(20 * n + 4 * m)
    elif kind == 9:
        r.skip(12)
        code, _, curves, bands = r.take('BBBB')
        mask = r.take('I') if code else 0xFFFFFFFF
        r.skip(20 * curves)
        for _ in range(bands):
            band(r)
        r.skip(8)
        surfaces.append((len(surfaces), code, mask, curves, bands))
    elif kind == 10:
        camera_flags = r.take('i')
        r.skip(16)
        if camera_flags & 4:
            r.skip(12)
    elif kind == 11:
        r.skip(60)
    elif kind == 13:
        r.skip(32)
    elif kind == 14:
        r.skip(20)
    elif kind == 15:
        grid_flags = r.take('i')
        r.skip(24)
        if grid_flags & 2:
            r.skip(12)
    else:
        raise ValueError('object type %d' % kind)
    return kind


def lit_record(r):
    flags = r.take('i')
    if flags & 1:
        for _ in range(4):
            for _ in range(2):
                r.skip(4 * r.take('i'))
            splits = r.take('i')
            if splits:
                r.skip(4 + 4 * splits)
    r.take('f')


def decode(data):
    out = []
    if data[:6] != b'ZKWORL' or data[6] * 256 + data[7] != 251:
        raise ValueError('not a version 251 world file')
    r = Reader(data)
    r.skip(8 + 48)
    configs, light_file = r.take('hh')
    if light_file:
        raise ValueError('the paths are in a light file')
    out.append('configs %d' % configs)
    for i in range(configs):
        name = r.name(16)
        flags, nodes, second, blocks = path(r)
        r.skip(4)
        out.append('config %d %s flags %d nodes %d second %d blocks %d' % (i, name, flags, nodes, second, blocks))
    r.take('i')
    count = r.take('i')
    out.append('textures %d' % count)
    for i in range(count):
        out.append('texture %d %s %d' % ((i,) + texture(r)))
    r.skip(8)
    count = r.take('i')
    out.append('models %d' % count)
    for i in range(count):
        out.append('model %d kind %d %s' % ((i,) + shared_model(r)))
    r.take('i')
    schemes = r.take('i')
    out.append('schemes %d' % schemes)
    for i in range(schemes):
        out.append('scheme %d %d %d %s' % ((i,) + scheme(r)))
    count = r.take('i')
    out.append('objects %d' % count)
    kinds = []
    surfaces = []
    for _ in range(count):
        kinds.append(world_object(r, surfaces))
    for kind in sorted(set(kinds)):
        out.append('type %d %d' % (kind, kinds.count(kind)))
    for index, code, mask, curves, bands in surfaces:
        if code:
            out.append('timing surface %d code %d mask %08x curves %d bands %d' % (index, code, mask, curves, bands))
    points = r.take('i')
    r.skip(8 * points)
    triangles = r.take('i')
    r.skip(20 * triangles)
    out.append('zones %d %d' % (points, triangles))
    r.skip(16 + 8)
    out.append('density %.3f' % r.take('f'))
    lit = sum(1 for kind in kinds if kind in (4, 9)) * schemes
    for _ in range(lit):
        lit_record(r)
    out.append('lighting %d' % lit)
    out.append('left %d' % (len(data) - r.at))
    return out


if __name__ == '__main__':
    with open(sys.argv[1], 'rb') as f:
        print('\n'.join(decode(f.read())))
